#pragma once
// The command bodies, one function per command path ("/move_dir" is commandMoveDir). Each
// answers the request exactly once. They run on the server thread under the application
// lock.

#include <functional>
#include <string>
#include <string_view>

class HttpConnection;
struct CommandServices;
struct FetchOptions;
struct Request;

struct CommandCall {
    HttpConnection& connection;
    const Request& request;
    CommandServices& services;
};

// The answer of commands that have nothing to report: the two bytes "ok".
void answerOk(HttpConnection& connection);
// The answer of a command refused for its arguments: "Error".
void answerError(HttpConnection& connection);

// Work with an outgoing request: it runs on the fetch worker without the application lock
// (taking it itself for anything that touches the library) and returns the body of the
// command's plain-text answer, which the server then sends. While the worker is swamped the request
// gets `busyAnswer` at once.
using FetchAnswer = std::function<std::string(const FetchOptions& options)>;
void answerAfterFetch(CommandCall& call, FetchAnswer work, std::string busyAnswer);

// The scan of /scan on the scan worker: `singlePath`, or every music folder when empty.
// False, starting nothing, while a scan runs. Under the lock (or before other threads run).
bool startLibraryScan(CommandServices& services, std::string singlePath);

// ListCommands.cpp
void commandList(CommandCall& call);
void commandListQueue(CommandCall& call);
void commandListRadio(CommandCall& call);
void commandListCovers(CommandCall& call);
void commandListFilter(CommandCall& call);
void commandListFilterSelect(CommandCall& call);
void commandGetInfoDb(CommandCall& call);
void commandGetInfoLibrary(CommandCall& call);

// PlaybackCommands.cpp
void commandPlay(CommandCall& call);
void commandPause(CommandCall& call);
void commandStop(CommandCall& call);
void commandSet(CommandCall& call);
void commandPrev(CommandCall& call);
void commandNext(CommandCall& call);
void commandSetPosition(CommandCall& call);
void commandSetVolume(CommandCall& call);
void commandSpeedUp(CommandCall& call);
void commandSpeedDown(CommandCall& call);
void commandQueueAdd(CommandCall& call);
void commandQueueDel(CommandCall& call);
void commandQueueClear(CommandCall& call);
void commandQueueShuffle(CommandCall& call);

// ViewCommands.cpp
void commandSetPage(CommandCall& call);
void commandSetShuffle(CommandCall& call);
void commandSetFlat(CommandCall& call);
void commandSetPageToCurrentSong(CommandCall& call);
void commandRebuildList(CommandCall& call);
void commandDir(CommandCall& call);

// StatusFeed.cpp
void commandFetch(CommandCall& call);

// FilterCommands.cpp
void commandNewFilter(CommandCall& call);
void commandSetFilterData(CommandCall& call);
void commandRemoveFilter(CommandCall& call);
void commandSearch(CommandCall& call);
void commandSetFilter(CommandCall& call);

// ControlCommands.cpp
void commandBlank(CommandCall& call);
void commandTest(CommandCall& call);
void commandQuit(CommandCall& call);
void commandWidget(CommandCall& call);

// StoreCommands.cpp
void commandMoveDir(CommandCall& call);
void commandFlush(CommandCall& call);

// InfoPages.cpp
void commandGetInfo(CommandCall& call);
void commandGetInfoFs(CommandCall& call);

// SongCommands.cpp
void commandGetSongInfo(CommandCall& call);
void commandGetData(CommandCall& call);
void commandSetRate(CommandCall& call);
void commandRescanTags(CommandCall& call);
void commandSongAction(CommandCall& call);
void commandPrintTitle(CommandCall& call);
void commandFetchEq(CommandCall& call);

// ImageCommands.cpp
void commandArtwork(CommandCall& call);
void commandImg(CommandCall& call);
void commandSaveArt(CommandCall& call);

// SettingsCommands.cpp
void commandGetUserPref(CommandCall& call);
void commandSetUserPref(CommandCall& call);

// LibraryCommands.cpp
void commandScan(CommandCall& call);
void commandSyncRadio(CommandCall& call);
void commandFindImg(CommandCall& call);

// ClientCommands.cpp: bad arguments answer "Error" and change nothing.
void commandQueueMove(CommandCall& call);
void commandListFolder(CommandCall& call);
void commandListAlbums(CommandCall& call);
void commandRadioAdd(CommandCall& call);
void commandRadioRemove(CommandCall& call);
void commandScanStatus(CommandCall& call);
