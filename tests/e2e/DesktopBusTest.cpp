#include <gtest/gtest.h>


#include "support/PlayerInstance.h"
#include "support/Polling.h"
#include "support/SessionBus.h"
#include "support/SongFiles.h"
#include "support/TrayWatcher.h"
#include "support/WakeUps.h"

using namespace std::chrono_literals;

namespace {

// Two minutes of silence with a title and an artist in its RIFF INFO list.
std::string taggedSong(const std::string& title, const std::string& artist) {
    const std::string silence(8000 * 2 * 120, '\0');
    const std::string info = "INFO" + riffChunk("INAM", title) + riffChunk("IART", artist);
    return wavFile(8000, 1, riffChunk("data", silence) + riffChunk("LIST", info));
}

std::string feedValue(const PlayerInstance& player, const std::string& key) {
    return PlayerInstance::feedValue(player.body("/fetch"), key).value_or("none");
}

}  // namespace

// The media keys and the panel of one session: playerctl reads and drives the player and
// follows its songs; the tray icon registers with a watcher that starts after the player, as
// at login, and its menu drives the player; the tray's Exit ends the player.
TEST(DesktopBus, TrayIconAndMediaControlsDriveThePlayerAndFollowTheSong) {
    SessionBus bus;
    ASSERT_TRUE(bus.ready());
    PlayerInstance player;
    player.setSessionBus(bus.address());
    const std::string music = player.root() + "music";
    const std::string longTitle = "A Title Long Enough To Be Cut Where The Tray Stops Showing Any More Of It";
    TempFolder::write(music + "/a.wav", taggedSong("First Song", "The Band"));
    TempFolder::write(music + "/b.wav", taggedSong(longTitle, "Ünïcode Band"));
    TempFolder::write(music + "/c.wav", taggedSong("Third Song", "The Band"));
    player.fakeDesktopOpener();
    auto running = player.startRunning();
    ASSERT_TRUE(running);
    const std::vector<std::string> songs = player.scanSongs(music, 3);
    ASSERT_EQ(songs.size(), 3u);
    player.body("/set&" + songs[0]);

    const auto playerctl = [&](const std::string& arguments) { return bus.run("playerctl -p velmorant " + arguments); };
    const std::string format = "'{{xesam:title}}|{{xesam:artist}}|{{mpris:length}}|{{xesam:url}}|{{mpris:artUrl}}'";
    const std::string expected = "First Song|The Band|120000000|file://" + music + "/a.wav|http://127.0.0.1:" +
                                 std::to_string(player.port()) + "/gfx/missing_art.png\n";
    EXPECT_TRUE(waitUntil([&] { return playerctl("metadata --format " + format) == expected; }, 10s))
        << playerctl("metadata --format " + format);
    EXPECT_EQ(playerctl("status"), "Playing\n");

    ChildProcess follow("/usr/bin/playerctl", {"-p", "velmorant", "--follow", "metadata", "title"},
                        {"DBUS_SESSION_BUS_ADDRESS=" + bus.address()}, player.root() + "follow");
    ASSERT_TRUE(follow.waitForOutput("First Song", 10s));

    playerctl("play-pause");
    EXPECT_TRUE(waitUntil([&] { return feedValue(player, "PLAYSTATUS") == "2"; }, 5s));
    EXPECT_TRUE(waitUntil([&] { return playerctl("status") == "Paused\n"; }, 5s));
    // Paused, the bus thread reads the player only when something changed, and its
    // readings no longer wake the main loop.
    const long wakeUps = contextSwitches(running->pid(), "vm-desktop-bus") + contextSwitches(running->pid(), "velmorant");
    std::this_thread::sleep_for(2500ms);
    // Reading every second, as before, woke both each second.
    EXPECT_LT(contextSwitches(running->pid(), "vm-desktop-bus") + contextSwitches(running->pid(), "velmorant") - wakeUps,
              3);
    playerctl("play-pause");
    EXPECT_TRUE(waitUntil([&] { return feedValue(player, "PLAYSTATUS") == "1"; }, 5s));

    ChildProcess monitor("/usr/bin/gdbus", {"monitor", "--session", "--dest", "org.mpris.MediaPlayer2.velmorant"},
                         {"DBUS_SESSION_BUS_ADDRESS=" + bus.address()}, player.root() + "monitor");
    ASSERT_TRUE(monitor.waitForOutput("Monitoring signals", 5s));
    playerctl("position 30");
    EXPECT_TRUE(waitUntil([&] { return feedValue(player, "TIMEPLAYING").starts_with("00:3"); }, 5s))
        << feedValue(player, "TIMEPLAYING");
    EXPECT_TRUE(monitor.waitForOutput("org.mpris.MediaPlayer2.Player.Seeked (int64 30", 5s)) << monitor.output();
    playerctl("volume 0.5");
    EXPECT_TRUE(waitUntil([&] { return feedValue(player, "VOLUME") == "500"; }, 5s));
    EXPECT_TRUE(waitUntil([&] { return playerctl("volume") == "0.500000\n"; }, 5s)) << playerctl("volume");

    playerctl("next");
    EXPECT_TRUE(waitUntil([&] { return feedValue(player, "TITLE") == longTitle; }, 5s));
    EXPECT_TRUE(follow.waitForOutput(longTitle, 5s)) << follow.output();


    // The panel starts after the player, as when the player is started at login.
    TrayWatcher watcher(bus.address());
    ASSERT_TRUE(watcher.ready());
    ASSERT_TRUE(waitUntil([&] { return watcher.items().size() == 1; }, 10s));
    const std::string item = watcher.items()[0];
    EXPECT_TRUE(item.starts_with("org.kde.StatusNotifierItem-")) << item;
    const auto call = [&](const std::string& object, const std::string& method, const std::string& arguments) {
        return bus.run("gdbus call --session --dest " + item + " --object-path " + object + " --method " + method + " -- " +
                       arguments);
    };

    const std::string layout = call("/MenuBar", "com.canonical.dbusmenu.GetLayout", "0 -1 '[]'");
    EXPECT_EQ(layout,
              "(uint32 1, (0, {'children-display': <'submenu'>}, [<(1, {'label': <'Show web UI'>}, @av [])>, "
              "<(2, {'type': <'separator'>}, @av [])>, <(3, {'label': <'Play'>}, @av [])>, "
              "<(4, {'label': <'Stop'>}, @av [])>, <(5, {'label': <'Pause'>}, @av [])>, "
              "<(6, {'label': <'Previous'>}, @av [])>, <(7, {'label': <'Next'>}, @av [])>, "
              "<(8, {'type': <'separator'>}, @av [])>, <(9, {'label': <'Exit'>}, @av [])>]))\n");

    const auto title = [&] {
        return call("/StatusNotifierItem", "org.freedesktop.DBus.Properties.Get", "org.kde.StatusNotifierItem Title");
    };
    // 63 characters, the two accented letters among them.
    const std::string cut = std::string("Ünïcode Band - ") + longTitle.substr(0, 48);
    EXPECT_TRUE(waitUntil([&] { return title() == "(<'" + cut + "'>,)\n"; }, 5s)) << title();

    call("/MenuBar", "com.canonical.dbusmenu.Event", "7 clicked '<0>' 0");
    EXPECT_TRUE(waitUntil([&] { return feedValue(player, "TITLE") == "Third Song"; }, 5s));
    EXPECT_TRUE(waitUntil([&] { return title() == "(<'The Band - Third Song'>,)\n"; }, 5s)) << title();

    call("/StatusNotifierItem", "org.kde.StatusNotifierItem.Activate", "0 0");
    EXPECT_EQ(player.opened(), "http://127.0.0.1:" + std::to_string(player.port()) + "\n");

    call("/MenuBar", "com.canonical.dbusmenu.Event", "9 clicked '<0>' 0");
    EXPECT_EQ(running->waitForExit(10s), 0);
}
