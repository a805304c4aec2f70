#pragma once
// Whole pages for looking inside the library: every folder picture of the view
// ("/listcovers"), the settings and folder trees ("/getinfo_db") and what the scans found
// ("/getinfo_library"). They append to the response body under the application lock;
// stored texts are escaped.

#include <string>

class LibraryView;
class Repository;
struct LibrarySummary;

// A folder's picture as the folder heads show it; a picture shared by consecutive folders
// (their parent's) appears once. Ends with the number of pictures.
void renderCoversPage(std::string& out, const LibraryView& view);

// The settings tree, then every top-level folder with its content and subfolders, nested.
void renderLibraryDump(std::string& out, Repository& repository);

// Songs by format, without tags, with tags still to read and without a picture, and the
// folders with the most songs.
void renderLibrarySummary(std::string& out, const LibrarySummary& summary);
