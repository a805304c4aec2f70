#include "platform/ThreadName.h"

#include <pthread.h>

#include <string>

void nameThisThread(std::string_view name) {
    const std::string kept(name.substr(0, 15));
    pthread_setname_np(pthread_self(), kept.c_str());
}
