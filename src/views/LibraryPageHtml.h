#pragma once
// The library page ("/list") and the queue list ("/listqueue"), and the pieces they are
// made of. Everything appends to the response body and runs under the application lock;
// stored texts are escaped.

#include <cstdint>
#include <string>

class FilterSet;
class LibraryView;
class PlayQueue;
class Repository;
class RepositoryFolder;

// The head of folders()[n] up to its table's columns; true when a picture (its own or
// its parent's) is shown beside it, which folderFoot must be told.
bool folderHead(std::string& out, const LibraryView& view, int32_t n, const RepositoryFolder& folder);
void folderFoot(std::string& out, bool hasArt);

// The folder view's page: whole folders, counted the way LibraryView pages them. Folders
// without listed items appear only with `showEmptyFolders`.
void folderList(std::string& out, LibraryView& view, int32_t page, int32_t pageSize, bool showEmptyFolders);

// "Page x of y" with arrows and at most the first 50 page numbers and the last.
void pageField(std::string& out, int32_t page, int32_t pages);

// The whole "/list" answer (page fields, the view's page, the footer), or with
// `queueMode` the "/listqueue" answer (every queue entry, a short footer). Creates the
// user settings' DISPLAY node when missing.
void renderLibraryPage(std::string& out, LibraryView& view, const PlayQueue& queue, Repository& repository,
                       const FilterSet& filters, bool queueMode);
