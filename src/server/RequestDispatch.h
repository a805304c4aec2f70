#pragma once
// The request handling every web request goes through: the access rule, the checks of the
// host it names and the site that asked, the split into path and parameters, the log line,
// and the one command (or static file) that answers.

#include <mutex>

class HttpConnection;
struct CommandServices;

// Runs on the server thread; takes `lock` for everything after the access checks.
void handleRequest(HttpConnection& connection, CommandServices& services, std::recursive_mutex& lock);
