#include "app/Application.h"

Application* theApplication = nullptr;

StartResult Application::start(const std::string& programFolderPath,
                               const std::string& settingsFolderPath) {
    programFolder = programFolderPath;
    settingsFolder = settingsFolderPath;
    return StartResult::success();
}
