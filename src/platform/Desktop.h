#pragma once
// What the desktop offers the player: error display, opening URLs and folders, priority.

#include <string_view>

// The start-up error box of the desktop build: "Error: " + text on standard error.
void showErrorMessage(std::string_view text);
// Opens a URL or folder with xdg-open in a detached process; failures are ignored.
void openWithDesktop(std::string_view target);
// Best effort: a slightly higher scheduling priority for smooth audio.
void raiseProcessPriority();
