#pragma once
// Where the program and the user's data live. Every folder returned ends with "/".

#include <string>

// The folder of the running executable (resolved through /proc/self/exe), or for an
// installed <prefix>/bin/velmorant without a web folder beside it, <prefix>/share/velmorant/.
std::string programFolder();
// $XDG_DATA_HOME, else $HOME/.local/share.
std::string applicationDataFolder();
// The user's music folder: XDG_MUSIC_DIR of ~/.config/user-dirs.dirs, else ~/Music
// (created when missing), else "/".
std::string userMusicFolder();
// $XDG_RUNTIME_DIR, else /tmp/velmorant-<uid>/ (created private when missing).
std::string runtimeFolder();
