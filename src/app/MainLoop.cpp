#include "app/MainLoop.h"

#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

#include "app/Application.h"
#include "app/ProcessFlags.h"
#include "platform/LocalChannel.h"
#include "storage/FileStore.h"

namespace {

constexpr int kPassSleepMs = 10;
constexpr int64_t kFlushIntervalSeconds = 10;

}  // namespace

MainLoop::MainLoop(Application& application, FileStore& store, LocalChannel& mailbox)
    : application_(application), store_(store), mailbox_(mailbox), lastFlushTime_(std::time(nullptr)) {}

void MainLoop::run() {
    while (!quitRequested) {
        const int sleepMs = runPass();
        if (auto path = mailbox_.receive()) application_.queueHandedPath(*path);
        std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    }
}

int MainLoop::runPass() {
    const std::lock_guard guard(application_);
    application_.view.tickView();
    application_.currentTime = std::time(nullptr);
    application_.statusBoard.expire(application_.currentTime);
    if (application_.currentTime >= lastFlushTime_ + kFlushIntervalSeconds) {
        lastFlushTime_ = application_.currentTime;
        store_.storeFlush();
    }
    store_.storeUnloadIdle();
    return kPassSleepMs;
}
