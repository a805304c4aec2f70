#pragma once
// What the command bodies work on. The application owns all of it and hands the request
// dispatcher references; commands run under the application lock.

#include <atomic>

class FileStore;

struct CommandServices {
    FileStore& store;
    std::atomic<bool>& quitRequested;
};
