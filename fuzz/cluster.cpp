// Cluster-file bytes through the loader's decoder: no crash, no read outside the bytes,
// and the entries it keeps encode to a file that decodes to the same entries, undamaged.
#include <cstddef>
#include <cstdint>
#include <span>

#include "storage/ClusterFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DecodedCluster decoded = decodeCluster(std::span(data, size));
    if (decoded.bytesUsed > size) __builtin_trap();
    const std::vector<uint8_t> encoded = encodeCluster(decoded.files);
    const DecodedCluster again = decodeCluster(encoded);
    if (again.damaged || again.files.size() != decoded.files.size() || again.bytesUsed != encoded.size()) {
        __builtin_trap();
    }
    auto original = decoded.files.begin();
    for (const StoreFile& file : again.files) {
        if (file.path != original->path || file.data != original->data) __builtin_trap();
        ++original;
    }
    return 0;
}
