#include "desktop/MprisService.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "desktop/ConstantProperty.h"

namespace {

constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr char kRoot[] = "org.mpris.MediaPlayer2";
constexpr char kPlayer[] = "org.mpris.MediaPlayer2.Player";
constexpr char kName[] = "org.mpris.MediaPlayer2.velmorant";
constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
// A reading further than this from where the last one should have got to was a seek.
constexpr int64_t kJumpUs = 1500000;

MprisService& serviceOf(void* userdata) { return *static_cast<MprisService*>(userdata); }

const char* statusName(PlayStatus status) {
    switch (status) {
        case PlayStatus::kPlaying: return "Playing";
        case PlayStatus::kPaused: return "Paused";
        case PlayStatus::kStopped: break;
    }
    return "Stopped";
}

int appendText(sd_bus_message* reply, const char* key, const std::string& value) {
    if (value.empty()) return 0;
    return sd_bus_message_append(reply, "{sv}", key, "s", value.c_str());
}

int getMetadata(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    const MprisService& service = serviceOf(userdata);
    const NowPlaying& now = service.now();
    int r = sd_bus_message_open_container(reply, 'a', "{sv}");
    if (r >= 0) r = sd_bus_message_append(reply, "{sv}", "mpris:trackid", "o", service.trackId().c_str());
    if (r >= 0 && now.hasTrack) {
        r = appendText(reply, "xesam:title", now.title);
        if (r >= 0 && !now.artist.empty()) {
            r = sd_bus_message_append(reply, "{sv}", "xesam:artist", "as", 1, now.artist.c_str());
        }
        if (r >= 0) r = appendText(reply, "xesam:album", now.album);
        if (r >= 0 && now.lengthUs > 0) r = sd_bus_message_append(reply, "{sv}", "mpris:length", "x", now.lengthUs);
        if (r >= 0) r = appendText(reply, "mpris:artUrl", now.artUrl);
        if (r >= 0) r = appendText(reply, "xesam:url", now.url);
    }
    if (r >= 0) r = sd_bus_message_close_container(reply);
    return r;
}

int getStatus(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "s", statusName(serviceOf(userdata).now().status));
}

int getPosition(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "x", serviceOf(userdata).positionUs());
}

int getVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "d", serviceOf(userdata).now().volume);
}

int setVolume(sd_bus*, const char*, const char*, const char*, sd_bus_message* value, void* userdata, sd_bus_error*) {
    double volume = 0.0;
    const int r = sd_bus_message_read(value, "d", &volume);
    if (r < 0) return r;
    if (std::isnan(volume)) return -EINVAL;
    const long thousandths = std::lround(std::clamp(volume, 0.0, 1.0) * 1000.0);
    serviceOf(userdata).send("setvolume&value=" + std::to_string(thousandths));
    return 0;
}

int getRate(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "d", serviceOf(userdata).now().rate);
}

// The speed is changed in steps from the web interface only, so the range is what it is now.
int getMinimumRate(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "d", std::min(1.0, serviceOf(userdata).now().rate));
}

int getMaximumRate(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "d", std::max(1.0, serviceOf(userdata).now().rate));
}

int getCanSeek(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void* userdata, sd_bus_error*) {
    return sd_bus_message_append(reply, "b", serviceOf(userdata).now().lengthUs > 0);
}

// A method that sends one command, and one that sends it unless the player is already so.
template <const char* command>
int sendCommand(sd_bus_message* call, void* userdata, sd_bus_error*) {
    serviceOf(userdata).send(command);
    return sd_bus_reply_method_return(call, "");
}

constexpr char kNext[] = "next";
constexpr char kPrev[] = "prev";
constexpr char kStop[] = "stop";
constexpr char kPlay[] = "play";
constexpr char kQuit[] = "quit";
constexpr char kIdentity[] = "VelmorantPlayer";
constexpr char kDesktopEntry[] = "velmorant";

int play(sd_bus_message* call, void* userdata, sd_bus_error*) {
    if (serviceOf(userdata).now().status != PlayStatus::kPlaying) serviceOf(userdata).send(kPlay);
    return sd_bus_reply_method_return(call, "");
}

int pause(sd_bus_message* call, void* userdata, sd_bus_error*) {
    if (serviceOf(userdata).now().status == PlayStatus::kPlaying) serviceOf(userdata).send("pause");
    return sd_bus_reply_method_return(call, "");
}

int seek(sd_bus_message* call, void* userdata, sd_bus_error*) {
    int64_t offset = 0;
    const int r = sd_bus_message_read(call, "x", &offset);
    if (r < 0) return r;
    MprisService& service = serviceOf(userdata);
    service.seekTo(service.positionUs() + offset);
    return sd_bus_reply_method_return(call, "");
}

// A position for another song, or beyond this one, is ignored.
int setPosition(sd_bus_message* call, void* userdata, sd_bus_error*) {
    const char* track = nullptr;
    int64_t position = 0;
    const int r = sd_bus_message_read(call, "ox", &track, &position);
    if (r < 0) return r;
    MprisService& service = serviceOf(userdata);
    if (service.trackId() == track && position >= 0 && position <= service.now().lengthUs) service.seekTo(position);
    return sd_bus_reply_method_return(call, "");
}

int openUri(sd_bus_message* call, void*, sd_bus_error*) {
    return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_NOT_SUPPORTED, "Songs are added through the web interface");
}

int raise(sd_bus_message* call, void* userdata, sd_bus_error*) {
    serviceOf(userdata).openWebInterface();
    return sd_bus_reply_method_return(call, "");
}

constexpr uint64_t kChanges = SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE;
constexpr uint64_t kConst = SD_BUS_VTABLE_PROPERTY_CONST;

const sd_bus_vtable kRootTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("CanQuit", "b", constantFlag<true>, 0, kConst),
    SD_BUS_PROPERTY("CanRaise", "b", constantFlag<true>, 0, kConst),
    SD_BUS_PROPERTY("HasTrackList", "b", constantFlag<false>, 0, kConst),
    SD_BUS_PROPERTY("Identity", "s", constantText<kIdentity>, 0, kConst),
    SD_BUS_PROPERTY("DesktopEntry", "s", constantText<kDesktopEntry>, 0, kConst),
    SD_BUS_PROPERTY("SupportedUriSchemes", "as", noTexts, 0, kConst),
    SD_BUS_PROPERTY("SupportedMimeTypes", "as", noTexts, 0, kConst),
    SD_BUS_METHOD("Raise", "", "", raise, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Quit", "", "", sendCommand<kQuit>, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

const sd_bus_vtable kPlayerTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY("PlaybackStatus", "s", getStatus, 0, kChanges),
    SD_BUS_PROPERTY("Rate", "d", getRate, 0, kChanges),
    SD_BUS_PROPERTY("MinimumRate", "d", getMinimumRate, 0, kChanges),
    SD_BUS_PROPERTY("MaximumRate", "d", getMaximumRate, 0, kChanges),
    SD_BUS_PROPERTY("Metadata", "a{sv}", getMetadata, 0, kChanges),
    SD_BUS_WRITABLE_PROPERTY("Volume", "d", getVolume, setVolume, 0, kChanges),
    SD_BUS_PROPERTY("Position", "x", getPosition, 0, 0),
    SD_BUS_PROPERTY("CanGoNext", "b", constantFlag<true>, 0, kConst),
    SD_BUS_PROPERTY("CanGoPrevious", "b", constantFlag<true>, 0, kConst),
    SD_BUS_PROPERTY("CanPlay", "b", constantFlag<true>, 0, kConst),
    SD_BUS_PROPERTY("CanPause", "b", constantFlag<true>, 0, kConst),
    SD_BUS_PROPERTY("CanSeek", "b", getCanSeek, 0, kChanges),
    SD_BUS_PROPERTY("CanControl", "b", constantFlag<true>, 0, kConst),
    SD_BUS_METHOD("Next", "", "", sendCommand<kNext>, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Previous", "", "", sendCommand<kPrev>, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Pause", "", "", pause, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("PlayPause", "", "", sendCommand<kPlay>, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Stop", "", "", sendCommand<kStop>, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Play", "", "", play, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("Seek", "x", "", seek, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("SetPosition", "ox", "", setPosition, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("OpenUri", "s", "", openUri, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_SIGNAL("Seeked", "x", 0),
    SD_BUS_VTABLE_END};

bool sameSong(const NowPlaying& a, const NowPlaying& b) {
    return a.hasTrack == b.hasTrack && a.playPosition == b.playPosition && a.title == b.title &&
           a.artist == b.artist && a.album == b.album && a.url == b.url && a.artUrl == b.artUrl &&
           a.lengthUs == b.lengthUs;
}

}  // namespace

int MprisService::publish(sd_bus* bus) {
    sd_bus_slot* slot = nullptr;
    int r = sd_bus_add_object_vtable(bus, &slot, kPath, kRoot, kRootTable, this);
    if (r < 0) return r;
    rootSlot_.reset(slot);
    r = sd_bus_add_object_vtable(bus, &slot, kPath, kPlayer, kPlayerTable, this);
    if (r < 0) return r;
    playerSlot_.reset(slot);
    return sd_bus_request_name(bus, kName, 0);
}

void MprisService::update(sd_bus* bus, const NowPlaying& next) {
    std::vector<const char*> changed;
    if (next.status != now_.status) changed.push_back("PlaybackStatus");
    const bool songChanged = !sameSong(next, now_);
    if (songChanged) changed.push_back("Metadata");
    if ((next.lengthUs > 0) != (now_.lengthUs > 0)) changed.push_back("CanSeek");
    if (next.volume != now_.volume) changed.push_back("Volume");
    if (next.rate != now_.rate) changed.insert(changed.end(), {"Rate", "MinimumRate", "MaximumRate"});
    const bool seeked = !songChanged && jumped(next);
    now_ = next;
    readAt_ = std::chrono::steady_clock::now();
    if (!changed.empty()) {
        changed.push_back(nullptr);
        sd_bus_emit_properties_changed_strv(bus, kPath, kPlayer, const_cast<char**>(changed.data()));
    }
    if (seeked) sd_bus_emit_signal(bus, kPath, kPlayer, "Seeked", "x", now_.positionUs);
}

std::string MprisService::trackId() const {
    if (!now_.hasTrack) return kNoTrack;
    return "/org/velmorant/track/" + std::to_string(static_cast<uint32_t>(now_.playPosition));
}

int64_t MprisService::positionUs() const {
    if (now_.status != PlayStatus::kPlaying) return now_.positionUs;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - readAt_);
    const auto position = now_.positionUs + static_cast<int64_t>(static_cast<double>(elapsed.count()) * now_.rate);
    return now_.lengthUs > 0 ? std::min(position, now_.lengthUs) : position;
}

// Past the end is the next song; the player takes positions in thousandths of the song.
void MprisService::seekTo(int64_t positionUs) {
    if (now_.lengthUs <= 0) return;
    if (positionUs > now_.lengthUs) return send("next");
    const int64_t permille = std::max<int64_t>(positionUs, 0) * 1000 / now_.lengthUs;
    send("setposition&" + std::to_string(permille));
}

// Stopping rewinds, which is no seek.
bool MprisService::jumped(const NowPlaying& next) const {
    if (next.status == PlayStatus::kStopped || now_.status == PlayStatus::kStopped) return false;
    return std::llabs(next.positionUs - positionUs()) > kJumpUs;
}
