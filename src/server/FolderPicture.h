#pragma once
// The picture shown for a song: its folder's (a file, else one inside a song), else its
// parent folder's, as the browser asks for it ("img&id=3&nr=0"), or the stand-in
// "gfx/missing_art.png". Under the lock.

#include <string>

class LibraryView;
class RepositoryFolder;

std::string folderPicture(const LibraryView& view, const RepositoryFolder* folder);
