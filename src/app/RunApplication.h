#pragma once
// The whole life of the running instance: start-up, main loop, orderly shutdown.

#include <string>

#include "app/StartResult.h"

// Both folders end with "/". Returns the start failure, if any, once nothing runs.
StartResult runApplication(const std::string& programFolder, const std::string& settingsFolder);
