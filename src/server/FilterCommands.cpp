#include <string>

#include "library/Repository.h"
#include "library/StatusBoard.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"
#include "text/Decimal.h"
#include "text/TextSearch.h"
#include "views/FilterSet.h"
#include "views/LibraryView.h"

namespace {

void postFound(CommandCall& call) {
    call.services.statusBoard.postInfo("Found " + std::to_string(call.services.view.itemCount()) + " songs.");
}

}  // namespace

void commandNewFilter(CommandCall& call) {
    call.services.filters.addFilter();
    answerOk(call.connection);
}

// Name and query come raw, so an encoded "&" inside them survives.
void commandSetFilterData(CommandCall& call) {
    const std::string name = percentDecode(getParam("name", call.request.rawParams));
    const std::string query = percentDecode(getParam("value", call.request.rawParams));
    const int index = decimalValue(getParam("index", call.request.params));
    FilterSet& filters = call.services.filters;
    if (filters.setFilter(index, name, query) && index + 1 == filters.activeFilter()) call.services.view.markViewDirty();
    answerOk(call.connection);
}

void commandRemoveFilter(CommandCall& call) {
    call.services.filters.removeFilter(decimalValue(getParam("index", call.request.params)));
    call.services.view.markViewDirty();
    answerOk(call.connection);
}

void commandSearch(CommandCall& call) {
    CommandServices& s = call.services;
    if (s.filters.setSearch(call.request.argument)) {
        s.view.rebuildView(true);
        s.repository.setSetting("SEARCH", s.filters.searchText().view());
    }
    postFound(call);
    answerOk(call.connection);
}

void commandSetFilter(CommandCall& call) {
    CommandServices& s = call.services;
    if (s.filters.selectFilter(decimalValue(call.request.argument), false)) {
        s.view.rebuildView(true);
        s.repository.setSetting("FILTER", std::to_string(s.filters.activeFilter()));
    }
    postFound(call);
    answerOk(call.connection);
}
