#pragma once
// The request handling every web request goes through: the access rule, the checks of the
// host it names and the site that asked, the split into path and parameters, the log line,
// and the one command (or static file) that answers.


class HttpConnection;
struct CommandServices;
class WakingMutex;

// Runs on the server thread; takes `lock` for everything after the access checks. A
// command that changed the file store asks it for a flush within a second.
void handleRequest(HttpConnection& connection, CommandServices& services, WakingMutex& lock);
