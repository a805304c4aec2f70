#pragma once
// The audio engine: it owns the sound system, pumps it, reports on it, owns the
// equaliser, reads the tags of library entries and creates song players. The application
// owns one, initialises it at start-up and calls every operation under its lock.

#include <memory>
#include <string>
#include <string_view>

#include "text/Str.h"

class Node;
class SongPlayer;
class StatusBoard;

struct EngineResult {
    bool ok = true;
    std::string message;  // why init failed; empty when ok
};

class AudioEngine {
public:
    virtual ~AudioEngine() = default;

    // Opens the output (VELMORANT_AUDIO or the chosen output) and creates the equaliser.
    // On failure the caller destroys the engine and shows the message. A sound device that
    // cannot open is no failure: its error goes to the board, and songs wait for it.
    virtual EngineResult init() = 0;
    // Shuts the sound system down; destroy every player first.
    virtual void close() = 0;
    // Called on every main-loop pass: players' end callbacks run inside it.
    virtual void update() = 0;
    // Two lines for the info page, each ending in "<br>".
    virtual Str infoText() = 0;

    virtual int driverCount() = 0;
    virtual Str driverName(int index) = 0;
    // A sound result code; the choice counts from the next init.
    virtual int setDriver(int index) = 0;
    virtual int driver() = 0;
    virtual int outputCount() = 0;
    // "invalid index" outside the list.
    virtual Str outputName(int index) = 0;
    // Before init; an index outside the list does nothing.
    virtual void setOutput(int index) = 0;
    virtual int output() = 0;

    // Band 0 to 2; parameter 0 on/off (1.0 is on), 1 centre in Hz, 2 width in octaves,
    // 3 linear gain. Other bands and parameters are ignored.
    virtual void setEqParameter(unsigned band, unsigned parameter, double value) = 0;
    // Reads length and tags into an entry node. For a RADIO entry `path` names its
    // node-tree file (LibraryItem::entryPath) and `logName` is unused; for a song `path`
    // is its location with the folder and `logName` the one without, for "Error opening".
    // True when the entry changed.
    virtual bool readTags(Node& entry, std::string_view path, std::string_view logName) = 0;
    // A song's length and tags into `values` as readTags reads them into an entry, with
    // its errors on `board`. Safe on several threads at once without the lock while the
    // engine is open: it touches nothing of the engine but the file.
    virtual void readSongTags(Node& values, StatusBoard& board, std::string_view path,
                              std::string_view logName) const = 0;
    // A player on this engine's sound system; null after close.
    virtual std::unique_ptr<SongPlayer> createSongPlayer() = 0;
};

// An engine whose errors go to the board as error messages; it must outlive the engine.
// `configuredOutput` (serversettings.ini's AUDIO_OUTPUT) counts when VELMORANT_AUDIO is unset.
std::unique_ptr<AudioEngine> createAudioEngine(StatusBoard& board, std::string configuredOutput = {});
