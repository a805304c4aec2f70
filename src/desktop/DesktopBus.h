#pragma once
// The player's presence on the desktop session bus, on a thread of its own: the media
// player interface for media keys and media controls, and the tray icon with its menu.
// Without a session bus it logs one line and does nothing else.

#include <thread>

#include "desktop/DesktopHooks.h"
#include "platform/FileDescriptor.h"

class DesktopBus {
public:
    // Starts the thread; the hooks are called on it, the state at most once a second: every
    // second while a song plays, otherwise only after the state may have changed.
    explicit DesktopBus(DesktopHooks hooks);
    // Leaves the bus and joins the thread.
    ~DesktopBus();
    DesktopBus(const DesktopBus&) = delete;
    DesktopBus& operator=(const DesktopBus&) = delete;

private:
    void run();

    DesktopHooks hooks_;
    FileDescriptor stop_;  // an eventfd the destructor writes
    std::thread thread_;
};
