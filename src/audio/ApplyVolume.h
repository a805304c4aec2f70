#pragma once
// The application's volume: the player plays at it from now on (songs started later too),
// and when a writer is given it is stored as the user setting VOLUME in "%f" form.

#include <functional>
#include <string_view>

class SongPlayer;

using SettingWriter = std::function<void(std::string_view name, std::string_view value)>;

void applyVolume(SongPlayer& player, float volume, const SettingWriter* saveSetting);
