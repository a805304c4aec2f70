#include "app/Application.h"

#include <cstdio>
#include <ctime>

#include "app/ProcessFlags.h"
#include "app/ServerSettings.h"
#include "platform/Clock.h"
#include "server/RequestDispatch.h"
#include "text/Decimal.h"

Application* theApplication = nullptr;

Application::Application(FileStore& store, const ServerSettings& settings)
    : filters(statusBoard, [this] { return currentTime; }),
      view(repository, filters),
      queue(repository),
      position(repository, view, queue),
      scanner_(quitRequested),
      scanWorker_(scanRunning),
      services_{.store = store,
                .quitRequested = quitRequested,
                .lock = lock_,
                .repository = repository,
                .filters = filters,
                .view = view,
                .queue = queue,
                .position = position,
                .statusBoard = statusBoard,
                .scanner = scanner_,
                .scanWorker = scanWorker_,
                .radioListUrl = settings.radioListUrl,
                .coverSearchHost = settings.coverSearchHost} {}

StartResult Application::start(const std::string& programFolderPath,
                               const std::string& settingsFolderPath) {
    programFolder = programFolderPath;
    settingsFolder = settingsFolderPath;
    currentTime = std::time(nullptr);

    const uint32_t openedAt = millisecondClock();
    openLibrary();
    std::printf("Repository scanned and filtered in %f seconds.\n",
                static_cast<double>(millisecondClock() - openedAt) / 1000.0);
    return StartResult::success();
}

void Application::openLibrary() {
    filters.load(settingsFolder + "filters.vmr");
    repository.open(settingsFolder + "repository.vmr", settingsFolder + "radio2.vmr");
    filters.selectFilter(decimalValue(repository.getSetting("FILTER").view()), false);
    filters.setSearch(repository.getSetting("SEARCH").view());
    view.restoreModes();
    view.rebuildView(true);
    queue.load(settingsFolder + "queue.vmr");
    position.restore();
    std::printf("Done.\n\n");
}

void Application::queueHandedPath(std::string_view path) {
    Str unquoted(path);
    unquoted.stripQuotes();
    const std::lock_guard guard(lock_);
    queue.addPath(unquoted.view());
    queue.save();
}

bool Application::handle(HttpConnection& connection) {
    handleRequest(connection, services_, lock_);
    return true;
}
