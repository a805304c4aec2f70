// Prints audio files' tags as the library stores them: each file's entry node as
// node-tree text once the audio engine has read its length and tags.
//   print-tags <file>...
#include <cstdio>
#include <memory>

#include "audio/AudioEngine.h"
#include "library/StatusBoard.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "text/TextSearch.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: print-tags <file>...\n");
        return 2;
    }
    StatusBoard board;
    const std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
    for (int i = 1; i < argc; ++i) {
        Node root;
        const std::string_view name = fileNameOf(argv[i]);
        Node* entry = root.appendChild("AUDIO", name);
        engine->readTags(*entry, argv[i], name);
        std::fputs(formatNodeTree(root).c_str(), stdout);
    }
    return 0;
}
