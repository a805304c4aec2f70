#pragma once
// What the command bodies work on. The application owns all of it and hands the request
// dispatcher references; commands run under the application lock.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class AudioEngine;
class FetchWorker;
class FileStore;
class FilterSet;
class LibraryView;
class PlayPosition;
class PlayQueue;
class PlayStarter;
class Repository;
class ScanMark;
class Scanner;
class ScanWorker;
class SongPlayer;
class StatusBoard;
class WakingMutex;

struct CommandServices {
    FileStore& store;
    std::atomic<bool>& quitRequested;
    WakingMutex& lock;  // the application lock, for work the commands start
    Repository& repository;
    FilterSet& filters;
    LibraryView& view;
    PlayQueue& queue;
    PlayPosition& position;
    std::unique_ptr<AudioEngine>& audioEngine;  // set by start, before any request arrives
    std::unique_ptr<SongPlayer>& player;        // likewise
    StatusBoard& statusBoard;
    Scanner& scanner;
    const std::atomic<bool>& scanRunning;
    ScanWorker& scanWorker;
    ScanMark& scanMark;
    const std::string& radioListUrl;     // serversettings.ini RADIO_LIST_URL
    const std::string& coverSearchHost;  // serversettings.ini COVER_SEARCH_HOST
    FetchWorker& fetches;                // every outgoing request runs there
    PlayStarter& playStarter;
    // Sends a command to this server as a request of its own; returns without waiting.
    std::function<void(std::string_view)> sendLocalCommand;
};
