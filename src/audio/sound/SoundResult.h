#pragma once
// Result codes of the sound layer: every operation returns one; 0 is success.

#include <string_view>

enum SoundResult : int {
    kSoundOk = 0,
    kSoundErrFileNotFound,
    kSoundErrFormat,
    kSoundErrNotAStream,
    kSoundErrStreamOnly,
    kSoundErrInvalidHandle,
    kSoundErrInvalidParam,
    kSoundErrUninitialized,
    kSoundErrInitialized,
    kSoundErrOutputCreateBuffer,
    kSoundErrOutputInit,
    kSoundErrOutputUnknown,
    kSoundErrFileWrite,
    kSoundErrUnsupported,
    kSoundErrTagNotFound,
    kSoundErrMemory,
    kSoundErrPipe,
    kSoundResultCount
};

// The text for a result; "Unknown error." for any code outside the table.
std::string_view soundResultText(int result);
