#include "server/RequestHandler.h"

bool RequestHandler::handle(HttpConnection&) { return true; }
