// List-file bytes through the reader and the writer: no crash, and what is written reads
// back to the same tree.
#include <cstddef>
#include <cstdint>
#include <string>

#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "storage/StoreHandle.h"

namespace {

std::string readAndWrite(const void* bytes, size_t size) {
    Node root;
    const auto handle = storeMemoryHandle(bytes, size);
    readNodeStream(root, *handle);
    return formatNodeTree(root);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string written = readAndWrite(data, size);
    if (readAndWrite(written.data(), written.size()) != written) __builtin_trap();
    return 0;
}
