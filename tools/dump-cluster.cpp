// Prints a cluster file (database/N.dat) as its stored files: each path with its size,
// then its contents, which are node-tree text for the library's folder lists.
//   dump-cluster <settings>/database/12.dat
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "storage/ClusterFormat.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dump-cluster <cluster file>\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(file), {});
    const DecodedCluster cluster = decodeCluster(bytes);
    for (const StoreFile& stored : cluster.files) {
        std::printf("== %s (%zu bytes)\n", stored.path.c_str(), stored.data.size());
        std::fwrite(stored.data.data(), 1, stored.data.size(), stdout);
        if (!stored.data.empty() && stored.data.back() != '\n') std::putchar('\n');
    }
    std::printf("%zu files, %zu of %zu bytes used%s\n", cluster.files.size(), cluster.bytesUsed,
                bytes.size(), cluster.damaged ? ", damaged" : "");
    return cluster.damaged ? 1 : 0;
}
