#include <cstdio>
#include <optional>
#include <mutex>
#include <string>

#include "audio/sound/EmbeddedPicture.h"
#include "library/FileKinds.h"
#include "library/LibraryItem.h"
#include "library/RepositoryFolder.h"
#include "library/StatusBoard.h"
#include "net/HttpClient.h"
#include "platform/DiskFile.h"
#include "platform/WakingMutex.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/Request.h"
#include "storage/Node.h"
#include "text/ByteBuffer.h"
#include "text/Decimal.h"
#include "text/TextSearch.h"
#include "views/LibraryView.h"
#include "views/PlayPosition.h"

namespace {

constexpr std::string_view kImage = "IMAGE";

void appendImageTag(std::string& html, int32_t number, int picture) {
    html += "<img src='img&id=" + std::to_string(number) + "&nr=" + std::to_string(picture) + "' class='art'>";
}

// Tags for the folder's pictures, numbered as "/img" counts them; a folder without picture
// files shows the one inside a song as picture 0. False when it has none.
bool appendImageTags(std::string& html, const RepositoryFolder& folder, int32_t number) {
    int picture = 0;
    for (const Node& child : folder.content().children()) {
        if (child.hasName(kImage)) appendImageTag(html, number, picture++);
    }
    if (picture == 0 && folder.songWithPicture()) appendImageTag(html, number, picture++);
    return picture > 0;
}

// A stored name that would leave the folder is no picture of it.
const Node* pictureAt(const RepositoryFolder& folder, int32_t wanted) {
    int32_t picture = 0;
    for (const Node& child : folder.content().children()) {
        if (!child.hasName(kImage) || picture++ != wanted) continue;
        const std::string_view name = child.value();
        return name.find('/') == std::string_view::npos ? &child : nullptr;
    }
    return nullptr;
}

// Creates the file, so that a picture saved meanwhile under the same name is never replaced;
// a partial file is removed.
bool writeNewFile(const std::string& path, std::string_view bytes) {
    DiskFile file = openDiskFile(path, "wbx");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    if (std::fclose(file.release()) == 0 && written) return true;
    std::remove(path.c_str());
    return false;
}

// The picture inside the folder's first song that has one, read from the file now.
void sendSongPicture(CommandCall& call, const RepositoryFolder& folder) {
    const Node* song = folder.songWithPicture();
    const std::optional<EmbeddedPicture> picture =
        song && folder.onDisk() ? readEmbeddedPicture(std::string(folder.path()) + "/" + song->value()) : std::nullopt;
    if (!picture) return answerOk(call.connection);
    call.connection.sendResponse(picture->bytes, picture->mimeType, true, "Cache-Control: max-age=86400\r\n");
}

}  // namespace

// The folder's pictures, else its parent's when the parent is listed too.
void commandArtwork(CommandCall& call) {
    if (call.request.argument.empty()) return answerOk(call.connection);
    const RepositoryFolder* folder = call.services.position.folderAt(rowId(call.request.argument));
    if (!folder) return answerOk(call.connection);
    std::string html;
    int32_t number = call.services.view.folderNumber(folder);
    for (int level = 1; level <= 2 && !appendImageTags(html, *folder, number); ++level) {
        folder = folder->parent();
        if (!folder) break;
        number = call.services.view.folderNumber(folder);
        if (number == -1) break;
    }
    call.connection.appendBody(html);
    call.connection.sendHtml();
}

// Only pictures the folder's list names are served, so no other path can be asked for;
// picture 0 of a folder without picture files is the one inside a song.
void commandImg(CommandCall& call) {
    if (call.request.argument.empty()) return answerOk(call.connection);
    const RepositoryFolder* folder =
        call.services.position.folderAt(decimalValue(getParam("id", call.request.params)));
    if (!folder) return answerOk(call.connection);
    const int32_t wanted = decimalValue(getParam("nr", call.request.params));
    const Node* picture = pictureAt(*folder, wanted);
    if (!picture && wanted == 0 && !folder->content().findChild(kImage)) return sendSongPicture(call, *folder);
    if (!picture) return answerOk(call.connection);
    call.connection.sendFile(std::string(folder->path()) + "/" + std::string(picture->value()),
                             HttpConnection::FileCaching::kOneDay);
}

// Saves a picture from the web beside the current song: under its own file name, never over
// an existing file, and only when the bytes are the kind of picture the name says.
void commandSaveArt(CommandCall& call) {
    const std::string image = getParam("image", call.request.params);
    const LibraryItem* item = call.services.position.currentItem();
    const RepositoryFolder* folder = item ? item->folder : nullptr;
    const std::string name(fileNameOf(image));
    if (!folder || !folder->onDisk() || !isImageFile(name) || name.find("..") != std::string::npos) {
        return answerError(call.connection);
    }
    CommandServices& services = call.services;
    const std::string folderPath = std::string(folder->path());
    answerAfterFetch(
        call,
        [&services, image, name, folderPath](const FetchOptions& options) {
            const std::string target = folderPath + "/" + name;
            ByteBuffer bytes;
            if (diskFileExists(target) || !fetchUrl(image, bytes, true, options) ||
                !looksLikePicture(name, bytes.view()) || !writeNewFile(target, bytes.view())) {
                return std::string("Error");
            }
            const std::lock_guard guard(services.lock);
            services.statusBoard.postInfo("Image saved to " + folderPath);
            return std::string("Saved");
        },
        "Error");
}
