#pragma once
// The request handling every web request goes through: the access rule, the split into
// path and parameters, the log line, and the one command (or static file) that answers.

#include <mutex>
#include <string_view>

class HttpConnection;
struct CommandServices;

// Runs on the server thread; takes `lock` for everything after the access checks.
void handleRequest(HttpConnection& connection, CommandServices& services, std::recursive_mutex& lock);

// A browser's mark of a request that another site's page made, or a request whose headers
// were cut off (so the mark may be missing): neither may run a command.
bool isCrossSiteRequest(std::string_view requestText);
