#include "audio/ApplyVolume.h"

#include "audio/SongPlayer.h"
#include "text/Str.h"

void applyVolume(SongPlayer& player, float volume, const SettingWriter* saveSetting) {
    player.setVolume(volume);
    if (saveSetting) (*saveSetting)("VOLUME", Str().appendFloat(volume).view());
}
