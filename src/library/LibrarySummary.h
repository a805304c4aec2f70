#pragma once
// What the scans found, counted over the whole library for the summary page. Built under
// the application lock in one walk over every music folder.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

class Repository;

struct LibrarySummary {
    static constexpr size_t kLargestFolders = 10;
    struct Folder {
        std::string path;
        size_t songs = 0;
    };

    size_t songs = 0;
    std::map<std::string, size_t> formats;  // by extension in lower case; "" for none
    size_t untagged = 0;        // tags read, yet no title, artist or album
    size_t unread = 0;          // tags not read yet
    size_t withoutPicture = 0;  // neither its folder nor the one above shows a picture
    std::vector<Folder> largest;  // most songs first, at most kLargestFolders
};

LibrarySummary summariseLibrary(const Repository& repository);
