#include "audio/AudioErrorReport.h"

#include <string>

#include "audio/sound/SoundResult.h"
#include "library/StatusBoard.h"

bool reportAudioError(StatusBoard& board, int result) {
    if (result == kSoundOk) return false;
    board.postError(std::string(soundResultText(result)) + "\n");
    return true;
}
