// Storage figures: pooled against plain node allocation, list-file parse and write
// throughput on a library-sized file, and the start-up load of a full cluster store.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "storage/FileStore.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "storage/StoreHandle.h"
#include "text/Str.h"

namespace {

constexpr int kFolders = 10000;
constexpr int kSongsPerFolder = 10;
constexpr int kBatch = 1000;

std::string folderPath(int folder) {
    return "/home/user/Music/Artist " + std::to_string(folder / 10) + "/Album " + std::to_string(folder % 10);
}

void appendSongs(Node& parent, int folder) {
    static const char* const genres[] = {"Rock", "Pop", "Jazz", "Classical", "Electronic"};
    for (int song = 0; song < kSongsPerFolder; ++song) {
        const std::string title = "Song " + std::to_string(folder * kSongsPerFolder + song);
        Node* audio = parent.appendChild("AUDIO", std::to_string(song + 1) + " - " + title + ".mp3");
        audio->appendChild("TITLE", title);
        audio->appendChild("ARTIST", "Artist " + std::to_string(folder / 10));
        audio->appendChild("ALBUM", "Album " + std::to_string(folder % 10));
        audio->appendChild("GENRE", genres[folder % 5]);
        audio->appendChild("YEAR", std::to_string(1960 + folder % 60));
        audio->appendChild("TRACK", std::to_string(song + 1));
        audio->appendChild("TIME", std::to_string(120 + (folder * 7 + song * 13) % 300));
        audio->appendChild("RATE", std::to_string(song % 6));
        audio->appendChild("PLAYCOUNT", std::to_string((folder + song) % 40));
    }
}

// About 15 MB: every folder of a 100,000-song library with its songs.
const std::string& libraryText() {
    static const std::string text = [] {
        Node root;
        for (int folder = 0; folder < kFolders; ++folder) {
            appendSongs(*root.appendChild("FOLDER", folderPath(folder)), folder);
        }
        return formatNodeTree(root);
    }();
    return text;
}

void poolNodes(benchmark::State& state) {
    std::vector<Node*> nodes(kBatch);
    for (auto _ : state) {
        for (Node*& node : nodes) node = Node::create(nullptr);
        for (Node* node : nodes) Node::destroy(node);
        benchmark::DoNotOptimize(nodes.data());
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(poolNodes);

void heapNodes(benchmark::State& state) {
    std::vector<std::unique_ptr<Node>> nodes(kBatch);
    for (auto _ : state) {
        for (auto& node : nodes) node = std::make_unique<Node>();
        for (auto& node : nodes) node.reset();
        benchmark::DoNotOptimize(nodes.data());
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(heapNodes);

void parseLibrary(benchmark::State& state) {
    const std::string& text = libraryText();
    const auto handle = storeMemoryHandle(text.data(), text.size());
    Node root;
    for (auto _ : state) {
        storeSeek(*handle, 0);
        readNodeStream(root, *handle);
        state.PauseTiming();
        root.clearChildren();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseLibrary)->Unit(benchmark::kMillisecond);

void writeLibrary(benchmark::State& state) {
    const std::string& text = libraryText();
    const auto handle = storeMemoryHandle(text.data(), text.size());
    Node root;
    readNodeStream(root, *handle);
    for (auto _ : state) benchmark::DoNotOptimize(formatNodeTree(root));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(writeLibrary)->Unit(benchmark::kMillisecond);

// A store folder holding one playlist.vmr per library folder, written once.
class StoreFolder {
public:
    StoreFolder() {
        char pattern[] = "/tmp/velmorant-bench-XXXXXX";
        path_ = ::mkdtemp(pattern);
        FileStore store;
        store.storeOpen(path_);
        theFileStore = &store;
        for (int folder = 0; folder < kFolders; ++folder) {
            Node root;
            appendSongs(root, folder);
            saveNodeFile(root, folderPath(folder) + "/playlist.vmr", false);
        }
        theFileStore = nullptr;
    }
    ~StoreFolder() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const StoreFolder& storeFolder() {
    static const StoreFolder folder;
    return folder;
}

void loadStoreClusters(benchmark::State& state) {
    const std::string& folder = storeFolder().path();
    for (auto _ : state) {
        FileStore store;
        store.storeOpen(folder);
        Str statistics;
        benchmark::DoNotOptimize(store.storeStatistics(statistics));
    }
}
BENCHMARK(loadStoreClusters)->Unit(benchmark::kMillisecond)->Iterations(5);

void loadStoreFolderTrees(benchmark::State& state) {
    const std::string& folder = storeFolder().path();
    for (auto _ : state) {
        FileStore store;
        store.storeOpen(folder);
        theFileStore = &store;
        std::vector<Node> roots(kFolders);
        for (int index = 0; index < kFolders; ++index) {
            if (!loadNodeFile(roots[index], folderPath(index) + "/playlist.vmr", false)) state.SkipWithError("missing");
        }
        state.PauseTiming();
        roots.clear();
        theFileStore = nullptr;
        state.ResumeTiming();
    }
}
BENCHMARK(loadStoreFolderTrees)->Unit(benchmark::kMillisecond)->Iterations(5);

// Prints the usual table, then how many times faster the pool is than the heap.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("items_per_second");
            if (rate != run.counters.end()) itemsPerSecond_[run.benchmark_name()] = rate->second;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double pool = itemsPerSecond_["poolNodes"];
        const double heap = itemsPerSecond_["heapNodes"];
        if (pool > 0 && heap > 0) std::printf("Node pool vs new/delete: %.2fx\n", pool / heap);
        std::printf("Library text: %.1f MB\n", static_cast<double>(libraryText().size()) / 1e6);
    }

private:
    std::map<std::string, double> itemsPerSecond_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
