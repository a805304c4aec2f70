#include "library/Repository.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"

void commandGetUserPref(CommandCall& call) {
    call.connection.appendBody(call.services.repository.getSetting(call.request.argument).view());
    call.connection.sendHtml();
}

// Pairs of name and value, as many as the request carries.
void commandSetUserPref(CommandCall& call) {
    for (int occurrence = 0;; ++occurrence) {
        bool found = false;
        const std::string name = getParam("name", call.request.params, occurrence);
        const std::string value = getParam("value", call.request.params, occurrence, found);
        if (!found) break;
        call.services.repository.setSetting(name, value);
    }
    answerOk(call.connection);
}
