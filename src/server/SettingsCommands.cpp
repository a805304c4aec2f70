#include <string>
#include <utility>
#include <vector>

#include "library/Repository.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"

void commandGetUserPref(CommandCall& call) {
    call.connection.appendBody(call.services.repository.getSetting(call.request.argument).view());
    call.connection.sendText();
}

// Pairs of name and value, as many as the request carries; one pair the settings file cannot
// keep refuses them all.
void commandSetUserPref(CommandCall& call) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int occurrence = 0;; ++occurrence) {
        bool found = false;
        std::string name = getParam("name", call.request.params, occurrence);
        std::string value = getParam("value", call.request.params, occurrence, found);
        if (!found) break;
        if (!Repository::isStorableSetting(name, value)) return answerError(call.connection);
        pairs.emplace_back(std::move(name), std::move(value));
    }
    for (const auto& [name, value] : pairs) call.services.repository.setSetting(name, value);
    answerOk(call.connection);
}
