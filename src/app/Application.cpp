#include "app/Application.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <thread>

#include "app/LocalCommand.h"
#include "app/ProcessFlags.h"
#include "app/ServerSettings.h"
#include "audio/ApplyVolume.h"
#include "audio/AudioEngine.h"
#include "audio/SongPlayer.h"
#include "platform/Clock.h"
#include "server/Commands.h"
#include "server/RequestDispatch.h"
#include "storage/FileStore.h"
#include "text/Decimal.h"

Application* theApplication = nullptr;

Application::Application(FileStore& store, const ServerSettings& settings)
    : filters(statusBoard, [] { return static_cast<int64_t>(std::time(nullptr)); }),
      view(repository, filters),
      queue(repository),
      position(repository, view, queue),
      playStarter(lock_, position, player, fetchWorker_),
      scanner_(quitRequested),
      audioOutput_(settings.audioOutput),
      scanMark_(store),
      scanWorker_(scanRunning),
      services_{.store = store,
                .quitRequested = quitRequested,
                .lock = lock_,
                .repository = repository,
                .filters = filters,
                .view = view,
                .queue = queue,
                .position = position,
                .audioEngine = audioEngine,
                .player = player,
                .statusBoard = statusBoard,
                .scanner = scanner_,
                .scanRunning = scanRunning,
                .scanWorker = scanWorker_,
                .scanMark = scanMark_,
                .radioListUrl = settings.radioListUrl,
                .coverSearchHost = settings.coverSearchHost,
                .fetches = fetchWorker_,
                .playStarter = playStarter,
                .sendLocalCommand = [this](std::string_view command) { ::sendLocalCommand(command, programFolder); }} {
    // Failed writes and damaged files reach the browser as the ERROR line of the feed.
    store.setTroubleReport([this](std::string_view message) { statusBoard.postError(message); });
}

Application::~Application() {
    services_.store.setTroubleReport({});
}

StartResult Application::start(const std::string& programFolderPath,
                               const std::string& settingsFolderPath) {
    if (StartResult audio = startAudio(); !audio.ok) return audio;
    programFolder = programFolderPath;
    settingsFolder = settingsFolderPath;
    currentTime = std::time(nullptr);
    scanMark_.open(settingsFolder + "scan.vmr");

    const uint32_t openedAt = millisecondClock();
    openLibrary();
    std::printf("Repository scanned and filtered in %f seconds.\n",
                static_cast<double>(millisecondClock() - openedAt) / 1000.0);
    resumePlayback();
    resumeInterruptedScan();
    return StartResult::success();
}

void Application::resumeInterruptedScan() {
    const std::optional<std::string> folder = scanMark_.interrupted();
    if (!folder) return;
    std::printf("Scanning again %s: the last scan was cut short\n", folder->empty() ? "every music folder" : folder->c_str());
    startLibraryScan(services_, *folder);
}

void Application::shutdown() {
    fetchWorker_.stop();
    player.reset();
    if (audioEngine) audioEngine->close();
    audioEngine.reset();
}

StartResult Application::startAudio() {
    audioEngine = createAudioEngine(statusBoard, audioOutput_);
    const EngineResult result = audioEngine->init();
    if (!result.ok) {
        audioEngine.reset();
        return StartResult::failure(result.message);
    }
    player = audioEngine->createSongPlayer();
    repository.setEqualiserHook([this](unsigned band, unsigned parameter, double value) {
        audioEngine->setEqParameter(band, parameter, value);
    });
    return StartResult::success();
}

void Application::resumePlayback() {
    applyVolume(*player, static_cast<float>(std::atof(repository.getSetting("VOLUME").c_str())), nullptr);
    const double active = std::atof(repository.getSetting("EQ_ACTIVE").c_str());
    for (unsigned band = 0; band < 3; ++band) {
        const std::string prefix = "EQ_" + std::to_string(band) + "_";
        audioEngine->setEqParameter(band, 0, active);
        audioEngine->setEqParameter(band, 1, std::atof(repository.getSetting(prefix + "CENTER").c_str()));
        audioEngine->setEqParameter(band, 2, std::atof(repository.getSetting(prefix + "BANDWIDTH").c_str()));
        audioEngine->setEqParameter(band, 3, std::atof(repository.getSetting(prefix + "GAIN").c_str()));
    }
    playStarter.startCurrentItem();
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

const WakeSignal& Application::watchOtherThreads() {
    lock_.setWaiter(std::this_thread::get_id());
    return lock_.signal();
}

const WakeSignal& Application::watchAsReader() {
    lock_.setReader(std::this_thread::get_id());
    return lock_.changes();
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
