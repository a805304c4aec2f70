#pragma once
// What a radio server sends a player that asks for titles: icy headers, then the audio with
// a title block after every 8192 bytes.

#include <cstddef>
#include <string>

// The whole answer; the station's name goes in icy-name, the title in every block.
inline std::string icyAnswer(const std::string& audio, const std::string& station, const std::string& title) {
    constexpr size_t interval = 8192;
    std::string block = "StreamTitle='" + title + "';";
    block.resize((block.size() + 15) / 16 * 16, '\0');
    std::string out = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: " + station +
                      "\r\nicy-metaint: " + std::to_string(interval) + "\r\n\r\n";
    for (size_t at = 0; at < audio.size(); at += interval) {
        out += audio.substr(at, interval);
        if (at + interval <= audio.size()) out += static_cast<char>(block.size() / 16) + block;
    }
    return out;
}
