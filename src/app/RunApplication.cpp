#include "app/RunApplication.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>

#include "app/Application.h"
#include "app/DesktopState.h"
#include "app/MainLoop.h"
#include "app/ProcessFlags.h"
#include "app/ServerSettings.h"
#include "desktop/DesktopBus.h"
#include "platform/DiskFile.h"
#include "platform/LocalChannel.h"
#include "platform/WakeSignal.h"
#include "server/ServerThread.h"
#include "storage/FileStore.h"

namespace {

void waitForScan() {
    while (scanRunning) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Temporary files of atomic writes that a kill or a power cut interrupted.
void removeLeftovers(const std::string& settingsFolder) {
    timespec startedAt{};
    clock_gettime(CLOCK_REALTIME, &startedAt);
    for (const std::string& folder : {settingsFolder, settingsFolder + "database"}) {
        for (const std::string& path : removeLeftoverTemporaries(folder, startedAt)) {
            std::printf("Removed the leftover temporary file %s\n", path.c_str());
        }
    }
}

ServerConfig serverConfig(const ServerSettings& settings, const std::string& programFolder) {
    ServerConfig config;
    config.port = settings.port;
    config.access = settings.access;
    config.hostNames = settings.hostNames;
    config.webFolder = programFolder + "web";
    config.quitHandle = quitSignal().handle();
    return config;
}

}  // namespace

StartResult runApplication(const std::string& programFolder, const std::string& settingsFolder) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    removeLeftovers(settingsFolder);
    auto store = std::make_unique<FileStore>();
    store->storeOpen(settingsFolder + "database");
    theFileStore = store.get();

    auto settings = std::make_unique<ServerSettings>();
    settings->load(programFolder + "serversettings.ini");
    theServerSettings = settings.get();
    writeBrowserShortcut(programFolder + "WebUI.url", settings->port);

    auto application = std::make_unique<Application>(*store, *settings);
    theApplication = application.get();
    StartResult result = application->start(programFolder, settingsFolder);
    if (result.ok) {
        // Second instances hand their paths over here.
        LocalChannel mailbox;
        std::thread server(runServerThread, serverConfig(*settings, programFolder),
                           std::ref(*application), std::ref(serverRunning), std::cref(quitRequested));
        {
            const DesktopBus desktop(desktopHooks(*application, settings->port));
            MainLoop(*application, *store, mailbox).run();
        }
        server.join();
        waitForScan();
        application->shutdown();
    }

    theApplication = nullptr;
    application.reset();
    theServerSettings = nullptr;
    settings.reset();
    store->storeClose();
    theFileStore = nullptr;
    return result;
}
