#pragma once
// The repository's generator of synthetic music libraries, tools/make-library, and its manifest.

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

// Runs make-library with the arguments (paths in them quoted for the shell); true when it succeeded.
inline bool makeLibrary(const std::string& arguments) {
    const std::string tool = std::string(VELMORANT_SOURCE_DIR) + "/tools/make-library";
    return std::system(("'" + tool + "' --quiet " + arguments).c_str()) == 0;
}

// One audio file of a manifest: the tag values as written, blanks included; empty where the
// file has no such tag.
struct GeneratedSong {
    std::string path;  // relative to the library folder
    std::string format;  // mp3, wav or broken
    std::string tagging;
    std::string title, artist, album, genre, genreName, track, year;
    std::string ms;  // the decoded length
    std::string picture;  // "1" for a picture inside the tag
};

// The rows of the manifest that --manifest wrote; empty when it cannot be read.
inline std::vector<GeneratedSong> readManifest(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);  // the column names
    std::vector<GeneratedSong> songs;
    while (std::getline(file, line)) {
        std::vector<std::string> fields;
        for (size_t start = 0;; ) {
            const size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        fields.resize(12);
        songs.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7],
                         fields[8], fields[9], fields[10], fields[11]});
    }
    return songs;
}
