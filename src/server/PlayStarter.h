#pragma once
// Starts the play position's item on the player. A song opens at once. A station's
// playlist is fetched on the fetch worker first, the player silent meanwhile; the station
// opens under the lock once the playlist is in, unless another item was started since
// (the latest start wins). A station that cannot be fetched fails as a file that cannot
// be opened does.

#include <cstdint>
#include <memory>

class FetchWorker;
class PlayPosition;
class SongPlayer;
class Str;
class WakingMutex;

class PlayStarter {
public:
    // Everything must outlive the worker's jobs.
    PlayStarter(WakingMutex& lock, PlayPosition& position, std::unique_ptr<SongPlayer>& player,
                FetchWorker& fetches);

    // Under the application lock. Does nothing without a current item.
    void startCurrentItem();
    // Under the application lock: a station still being fetched will not open.
    void dropPending() { ++starts_; }

private:
    void openFetched(uint64_t start, const Str& stream);

    WakingMutex& lock_;
    PlayPosition& position_;
    std::unique_ptr<SongPlayer>& player_;
    FetchWorker& fetches_;
    uint64_t starts_ = 0;  // under the lock
};
