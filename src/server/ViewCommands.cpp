#include <algorithm>
#include <climits>
#include <cstdint>

#include "library/RepositoryFolder.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"
#include "storage/Node.h"
#include "text/Decimal.h"
#include "views/LibraryView.h"
#include "views/PlayPosition.h"

// Pages count from 1 in the address and from 0 in the view.
void commandSetPage(CommandCall& call) {
    const int64_t page = static_cast<int64_t>(decimalValue(call.request.argument)) - 1;
    call.services.view.setPage(static_cast<int32_t>(std::max<int64_t>(page, INT32_MIN)));
    answerOk(call.connection);
}

void commandSetShuffle(CommandCall& call) {
    call.services.view.setShuffle(decimalValue(call.request.argument) != 0);
    answerOk(call.connection);
}

void commandSetFlat(CommandCall& call) {
    call.services.view.setFlat(decimalValue(call.request.argument) != 0);
    answerOk(call.connection);
}

void commandSetPageToCurrentSong(CommandCall& call) {
    call.services.position.setPageToCurrentSong();
    answerOk(call.connection);
}

void commandRebuildList(CommandCall& call) {
    call.services.view.rebuildView(false);
    call.connection.sendText();
}

// Folds the folder in or out; a folder never folded counts as open.
void commandDir(CommandCall& call) {
    RepositoryFolder* folder = call.services.position.folderAt(rowId(call.request.argument));
    if (folder && folder->listNode()) {
        const bool closed = folder->listNode()->childValue("OPEN", "1")[0] == '0';
        folder->listNode()->setChild("OPEN", closed ? "1" : "0");
        if (folder->parent()) folder->parent()->save();
        call.services.view.rebuildView(false);
    }
    answerOk(call.connection);
}
