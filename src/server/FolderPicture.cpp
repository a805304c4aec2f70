#include "server/FolderPicture.h"

#include "library/RepositoryFolder.h"
#include "storage/Node.h"
#include "views/LibraryView.h"

std::string folderPicture(const LibraryView& view, const RepositoryFolder* folder) {
    for (int level = 0; level < 2 && folder; ++level, folder = folder->parent()) {
        const int32_t number = view.folderNumber(folder);
        if (number != -1 && folder->hasPicture()) return "img&id=" + std::to_string(number) + "&nr=0";
    }
    return "gfx/missing_art.png";
}
