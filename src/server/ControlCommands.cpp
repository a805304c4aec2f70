#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/HttpServer.h"
#include "server/Request.h"
#include "server/Widget.h"

void answerOk(HttpConnection& connection) {
    connection.appendBody("ok");
    connection.sendText();
}

void answerError(HttpConnection& connection) {
    connection.appendBody("Error");
    connection.sendText();
}

void commandBlank(CommandCall& call) { call.connection.sendText(); }

void commandTest(CommandCall& call) { answerOk(call.connection); }

// The main loop and the server thread end after this request.
void commandQuit(CommandCall& call) {
    call.services.quitRequested = true;
    answerOk(call.connection);
}

void commandWidget(CommandCall& call) {
    const std::string path = call.connection.server().webFolder() + call.request.path;
    if (!sendWidget(path, call.connection)) answerOk(call.connection);
}
