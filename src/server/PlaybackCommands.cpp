#include <cstdint>
#include <string>

#include "audio/ApplyVolume.h"
#include "audio/SongPlayer.h"
#include "library/Repository.h"
#include "server/CommandServices.h"
#include "server/Commands.h"
#include "server/HttpConnection.h"
#include "server/PlayStarter.h"
#include "server/Request.h"
#include "text/Decimal.h"
#include "text/StrList.h"
#include "views/PlayNumbers.h"
#include "views/PlayPosition.h"
#include "views/PlayQueue.h"

namespace {

// The single-precision value nearest to 1.2, as the speed factor has always been.
constexpr double kSpeedFactor = 1.2000000476837158;
constexpr unsigned kRestartAfterMs = 3000;

SongPlayer& playerOf(CommandCall& call) { return *call.services.player; }

void startCurrentItem(CommandCall& call) { call.services.playStarter.startCurrentItem(); }

void changeSpeed(CommandCall& call, bool faster) {
    SongPlayer& player = playerOf(call);
    const double frequency = player.frequency();
    player.setFrequency(static_cast<float>(faster ? frequency * kSpeedFactor : frequency / kSpeedFactor));
    answerOk(call.connection);
}

int32_t queueIndexOf(int32_t rowId) {
    return static_cast<int32_t>(static_cast<int64_t>(rowId) - play::kQueueBase);
}

}  // namespace

// On a playing song "/play" pauses it; on a paused one it resumes.
void commandPlay(CommandCall& call) {
    SongPlayer& player = playerOf(call);
    if (player.isPaused()) {
        player.setPaused(false);
    } else if (player.isPlaying()) {
        player.setPaused(true);
    } else {
        player.play();
    }
    answerOk(call.connection);
}

// A stream cannot wait paused: it is stopped instead.
void commandPause(CommandCall& call) {
    SongPlayer& player = playerOf(call);
    if (player.isPlaying()) {
        if (player.isEndless() && !player.isPaused()) {
            player.stop();
        } else {
            player.setPaused(!player.isPaused());
        }
    }
    answerOk(call.connection);
}

void commandStop(CommandCall& call) {
    call.services.playStarter.dropPending();
    playerOf(call).stop();
    answerOk(call.connection);
}

// The song that is already the play position is not restarted.
void commandSet(CommandCall& call) {
    if (call.services.position.setPlayPosition(rowId(call.request.argument))) startCurrentItem(call);
    answerOk(call.connection);
}

// After three seconds of a song, "/prev" starts it again instead.
void commandPrev(CommandCall& call) {
    SongPlayer& player = playerOf(call);
    if (!player.isEndless() && player.positionMs() > kRestartAfterMs) {
        player.setPositionPermille(0);
    } else if (call.services.position.step(false)) {
        startCurrentItem(call);
    }
    answerOk(call.connection);
}

void commandNext(CommandCall& call) {
    if (call.services.position.step(true)) startCurrentItem(call);
    answerOk(call.connection);
}

void commandSetPosition(CommandCall& call) {
    playerOf(call).setPositionPermille(static_cast<unsigned>(decimalValue(call.request.argument)));
    answerOk(call.connection);
}

void commandSetVolume(CommandCall& call) {
    Repository& repository = call.services.repository;
    const SettingWriter save = [&repository](std::string_view name, std::string_view value) {
        repository.setSetting(name, value);
    };
    const auto volume = static_cast<float>(decimalValue(getParam("value", call.request.params)) / 1000.0);
    applyVolume(playerOf(call), volume, &save);
    answerOk(call.connection);
}

void commandSpeedUp(CommandCall& call) { changeSpeed(call, true); }

void commandSpeedDown(CommandCall& call) { changeSpeed(call, false); }

// Row ids separated by "&", as in "s12&s15"; empty pieces are dropped.
void commandQueueAdd(CommandCall& call) {
    StrList pieces;
    pieces.split(call.request.argument, '&', false);
    for (const Str& piece : pieces) call.services.queue.add(rowId(piece.view()));
    call.services.queue.save();
    answerOk(call.connection);
}

void commandQueueDel(CommandCall& call) {
    call.services.position.queueRemove(queueIndexOf(rowId(call.request.argument)));
    call.services.queue.save();
    answerOk(call.connection);
}

void commandQueueClear(CommandCall& call) {
    call.services.position.queueClear();
    call.services.queue.save();
    answerOk(call.connection);
}

void commandQueueShuffle(CommandCall& call) {
    call.services.queue.shuffleRest();
    call.services.queue.save();
    answerOk(call.connection);
}
