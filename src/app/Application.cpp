#include "app/Application.h"

#include "app/ProcessFlags.h"
#include "server/RequestDispatch.h"

Application* theApplication = nullptr;

Application::Application(FileStore& store) : services_{store, quitRequested} {}

StartResult Application::start(const std::string& programFolderPath,
                               const std::string& settingsFolderPath) {
    programFolder = programFolderPath;
    settingsFolder = settingsFolderPath;
    return StartResult::success();
}

bool Application::handle(HttpConnection& connection) {
    handleRequest(connection, services_, lock_);
    return true;
}
