#include <cstdio>

#include "library/MusicFolderScope.h"
#include "library/Repository.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"
#include "storage/FileStore.h"
#include "text/TextSearch.h"

// A music folder moved on disk: its stored lists follow it. Only lists in the music folders
// move, and only into them. The raw parameters keep an encoded "&" inside a path.
void commandMoveDir(CommandCall& call) {
    const std::string source = MusicFolderScope::normalPath(percentDecode(getParam("source", call.request.rawParams)));
    const std::string dest = MusicFolderScope::normalPath(percentDecode(getParam("dest", call.request.rawParams)));
    const MusicFolderScope scope(call.services.repository.musicFolderPaths());
    if (!scope.contains(source) || !scope.contains(dest)) {
        std::printf("Refusing to move %s to %s: both must lie in a music folder\n", source.c_str(), dest.c_str());
        return answerError(call.connection);
    }
    call.services.store.storeRenamePrefix(source, dest);
    answerOk(call.connection);
}

// Writes the stored folder lists beside the songs, and nothing anywhere else.
void commandFlush(CommandCall& call) {
    const MusicFolderScope scope(call.services.repository.musicFolderPaths());
    call.services.store.storeExportAll([&scope](std::string_view path) {
        if (scope.mayExport(path)) return true;
        std::printf("Not exporting %.*s: it is no folder list in a music folder\n", static_cast<int>(path.size()),
                    path.data());
        return false;
    });
    answerOk(call.connection);
}
