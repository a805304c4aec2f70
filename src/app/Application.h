#pragma once
// The state of the running instance and the handler of its web requests. Everything it
// holds is touched under its lock, whether from the main loop, a web request or the
// background scan.

#include <cstdint>
#include <memory>
#include <string>

#include "app/StartResult.h"
#include "library/Repository.h"
#include "library/ScanMark.h"
#include "library/ScanWorker.h"
#include "library/Scanner.h"
#include "library/StatusBoard.h"
#include "net/FetchWorker.h"
#include "platform/WakingMutex.h"
#include "server/CommandServices.h"
#include "server/PlayStarter.h"
#include "server/RequestHandler.h"
#include "views/FilterSet.h"
#include "views/LibraryView.h"
#include "views/PlayPosition.h"
#include "views/PlayQueue.h"

class AudioEngine;
class FileStore;
class SongPlayer;
class WakeSignal;
struct ServerSettings;

class Application : public RequestHandler {
public:
    // The store and the settings must outlive the application.
    Application(FileStore& store, const ServerSettings& settings);
    ~Application() override;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs before any other thread exists, so without the lock. Fails, starting nothing,
    // when the audio output is unusable (a missing sound device is waited for instead). Its
    // last step starts again a scan that was cut short.
    StartResult start(const std::string& programFolder, const std::string& settingsFolder);
    // Stops the outgoing requests, then releases the player and the audio engine.
    void shutdown();

    // A web request, on the server thread: checks the peer, then runs the command under the lock.
    bool handle(HttpConnection& connection) override;

    // Recursive on one thread.
    void lock() { lock_.lock(); }
    void unlock() { lock_.unlock(); }
    // For the main loop's thread: the signal turns readable whenever another thread has
    // released the lock, having perhaps left work for the loop.
    const WakeSignal& watchOtherThreads();
    // The desktop bus thread: its own releases of the lock wake nobody; the signal shows
    // input once another thread (the main loop too) has released it.
    const WakeSignal& watchAsReader();

    // A path handed over by a second instance (quotes around it are dropped): queued and
    // saved. Takes the lock itself.
    void queueHandedPath(std::string_view path);

    std::unique_ptr<AudioEngine> audioEngine;  // null until start succeeds
    std::unique_ptr<SongPlayer> player;        // the one player that plays songs
    std::string programFolder;
    std::string settingsFolder;
    StatusBoard statusBoard;
    int64_t currentTime = 0;  // seconds since 1970, taken at each main-loop pass
    Repository repository;
    FilterSet filters;
    LibraryView view;
    PlayQueue queue;
    PlayPosition position;
    PlayStarter playStarter;  // starts the play position's item; takes the lock for fetched stations

private:
    StartResult startAudio();
    // The library's part of start-up and what the view, filters and queue add to it.
    void openLibrary();
    // The stored volume and equaliser, and the song that played when the player stopped.
    void resumePlayback();
    // Starts the scan worker, so it runs last.
    void resumeInterruptedScan();

    WakingMutex lock_;
    QuitAwareScanner scanner_;
    std::string audioOutput_;  // the configured output, for the audio engine's start
    ScanMark scanMark_;
    ScanWorker scanWorker_;  // last of the workers' state: its destruction waits for a scan
    CommandServices services_;
    FetchWorker fetchWorker_;  // last: its destruction waits for the jobs under way, which use all of the above
};

// Set by the run function for the life of the running instance.
extern Application* theApplication;
