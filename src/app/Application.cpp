#include "app/Application.h"

#include <cstdio>
#include <ctime>

#include "app/ProcessFlags.h"
#include "app/ServerSettings.h"
#include "platform/Clock.h"
#include "server/RequestDispatch.h"

Application* theApplication = nullptr;

Application::Application(FileStore& store, const ServerSettings& settings)
    : scanner_(quitRequested),
      scanWorker_(scanRunning),
      services_{store,          quitRequested, lock_,    repository,
                statusBoard,    scanner_,      scanWorker_, settings.radioListUrl,
                settings.coverSearchHost} {}

StartResult Application::start(const std::string& programFolderPath,
                               const std::string& settingsFolderPath) {
    programFolder = programFolderPath;
    settingsFolder = settingsFolderPath;
    currentTime = std::time(nullptr);

    const uint32_t openedAt = millisecondClock();
    repository.open(settingsFolder + "repository.vmr", settingsFolder + "radio2.vmr");
    std::printf("Done.\n\n");
    std::printf("Repository scanned and filtered in %f seconds.\n",
                static_cast<double>(millisecondClock() - openedAt) / 1000.0);
    return StartResult::success();
}

bool Application::handle(HttpConnection& connection) {
    handleRequest(connection, services_, lock_);
    return true;
}
