#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/ChildProcess.h"
#include "support/PlayerInstance.h"
#include "support/Polling.h"
#include "support/TempFolder.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(Install, TheInstalledProgramFindsItsFilesAndServesTheWebInterface) {
    TempFolder prefix;
    const std::string build = fs::path(VELMORANT_EXE).parent_path();
    ASSERT_EQ(std::system(("cmake --install '" + build + "' --prefix '" + prefix.path() + "' >/dev/null").c_str()), 0);
    for (const char* file : {"bin/velmorant", "share/velmorant/web/index.html", "share/velmorant/filters.vmr",
                             "share/applications/velmorant.desktop", "share/icons/hicolor/scalable/apps/velmorant.svg",
                             "lib/systemd/user/velmorant.service"}) {
        EXPECT_TRUE(fs::exists(prefix / file)) << file;
    }
    for (const char* size : {"16x16", "22x22", "24x24", "32x32", "48x48", "64x64", "128x128", "256x256"}) {
        EXPECT_TRUE(fs::exists(prefix / ("share/icons/hicolor/" + std::string(size) + "/apps/velmorant.png"))) << size;
    }
    // The prefix of the install, not the one configured, names the program.
    const std::string unit = TempFolder::read(prefix / "lib/systemd/user/velmorant.service");
    EXPECT_NE(unit.find("\nExecStart=" + prefix / "bin/velmorant" + "\n"), std::string::npos) << unit;
    EXPECT_NE(unit.find("\nRestart=on-failure\n"), std::string::npos);

    PlayerInstance player;  // for a free port, private folders and its requests
    TempFolder::write(prefix / "share/velmorant/serversettings.ini", "PORT=" + std::to_string(player.port()) + "\n");
    ChildProcess installed(prefix / "bin/velmorant", {},
                           {"HOME=" + player.root(), "XDG_DATA_HOME=" + player.root() + "data",
                            "XDG_RUNTIME_DIR=" + player.root() + "run", "VELMORANT_AUDIO=null",
                            "DBUS_SESSION_BUS_ADDRESS="},
                           player.root() + "installed");
    ASSERT_TRUE(installed.waitForOutput("Server started.", 10s)) << installed.output() << installed.errors();
    EXPECT_EQ(player.body("/"), TempFolder::read(std::string(VELMORANT_SOURCE_DIR) + "/web/index.html"));
    EXPECT_EQ(TempFolder::read(player.userSettings() + "filters.vmr"),
              TempFolder::read(std::string(VELMORANT_SOURCE_DIR) + "/data/filters.vmr"));

    // The desktop file's command, while the player runs, opens its web interface.
    ChildProcess show(prefix / "bin/velmorant", {"show"},
                      {"HOME=" + player.root(), "XDG_DATA_HOME=" + player.root() + "data",
                       "XDG_RUNTIME_DIR=" + player.root() + "run", player.fakeDesktopOpener()},
                      player.root() + "show");
    EXPECT_EQ(show.waitForExit(10s), 0);
    EXPECT_EQ(player.opened(), "http://127.0.0.1:" + std::to_string(player.port()) + "\n");
    EXPECT_EQ(PlayerInstance::stop(installed), 0);
}
