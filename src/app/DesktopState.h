#pragma once
// What the desktop side (tray icon, media controls) sees of the running instance, and the
// way it acts on it: web commands to the instance's own port.

#include <string>

#include "desktop/DesktopHooks.h"
#include "desktop/NowPlaying.h"

class Application;

// The song as the tray icon names it: "artist - title", or the title alone. Under the lock.
std::string trayTooltipText(Application& application);
// One reading of the player; takes the lock.
NowPlaying readNowPlaying(Application& application, int port);
// Hooks for the D-Bus thread; the application must outlive them.
DesktopHooks desktopHooks(Application& application, int port);
