// Settings-file bytes through the ini reader, from a real file as the program reads them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <unistd.h>

#include "platform/DiskFile.h"
#include "storage/IniFile.h"
#include "storage/Node.h"

namespace {

// The one file every input is written to, removed when the fuzzer exits.
struct ScratchFile {
    ScratchFile() {
        char pattern[] = "/tmp/fuzz-inifile-XXXXXX";
        const int fd = ::mkstemp(pattern);
        if (fd < 0) std::abort();
        ::close(fd);
        path = pattern;
    }
    ~ScratchFile() { ::unlink(path.c_str()); }
    std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ScratchFile scratch;
    const std::string& path = scratch.path;
    {
        const DiskFile file = openDiskFile(path, "wb");
        if (!file || std::fwrite(data, 1, size, file.get()) != size) std::abort();
    }
    Node root;
    if (!loadIniFile(root, path)) std::abort();
    // Keys come out upper-cased, trimmed (a cut long key may end in a blank) and once each.
    constexpr std::string_view blanks = "\t\n\r ";
    for (const Node& setting : root.children()) {
        const std::string_view key = setting.name();
        if (key.find_first_of("abcdefghijklmnopqrstuvwxyz") != std::string_view::npos) __builtin_trap();
        const bool cut = key.size() == Node::kMaxNameLength;
        if (!key.empty() && (blanks.find(key.front()) != blanks.npos || (!cut && blanks.find(key.back()) != blanks.npos))) {
            __builtin_trap();
        }
        if (root.findChild(key) != &setting) __builtin_trap();
    }
    return 0;
}
