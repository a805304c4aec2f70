#pragma once
// Sends a web command to the running instance over its own HTTP port.

#include <string>
#include <string_view>

#include "app/StartResult.h"

// Sends "GET /" + command to 127.0.0.1 at the configured port and closes at once; no
// answer is read, so it never waits for the application lock. The port comes from the
// running instance's settings, or from the program folder's ini file in a second instance.
StartResult sendLocalCommand(std::string_view command, const std::string& programFolder);
// The port the running instance serves, as sendLocalCommand finds it.
int localPort(const std::string& programFolder);
