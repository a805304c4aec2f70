#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/InstanceLock.h"
#include "platform/LocalChannel.h"
#include "support/TempFolder.h"

namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(Folders, FollowTheXdgVariables) {
    TempFolder home;
    const ScopedEnv homeVar("HOME", home.path());
    {
        const ScopedEnv data("XDG_DATA_HOME", home.path() + "data");
        EXPECT_EQ(applicationDataFolder(), home.path() + "data/");
    }
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(applicationDataFolder(), home.path() + ".local/share/");

    EXPECT_EQ(userMusicFolder(), home.path() + "Music/");
    EXPECT_TRUE(folderExists(home.path() + "Music"));
    createFolder(home.path() + ".config");
    createFolder(home.path() + "Songs");
    TempFolder::write(home.path() + ".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Songs\"\n");
    EXPECT_EQ(userMusicFolder(), home.path() + "Songs/");

    const std::string program = programFolder();
    EXPECT_EQ(program.back(), '/');
    EXPECT_TRUE(folderExists(program));
}

TEST(FileSystem, ExclusiveCopyNeverOverwrites) {
    TempFolder folder;
    const std::string nested = folder.path() + "a/b/c";
    EXPECT_TRUE(createFolder(nested));
    TempFolder::write(folder.path() + "source", "seed");
    TempFolder::write(folder.path() + "target", "user data");
    EXPECT_FALSE(copyFileExclusive(folder.path() + "source", folder.path() + "target"));
    EXPECT_EQ(TempFolder::read(folder.path() + "target"), "user data");
    EXPECT_TRUE(copyFileExclusive(folder.path() + "source", nested + "/copy"));
    EXPECT_EQ(TempFolder::read(nested + "/copy"), "seed");
    EXPECT_FALSE(copyFileExclusive(folder.path() + "missing", nested + "/other"));
    EXPECT_FALSE(std::ifstream(nested + "/other").good());
}

TEST(InstanceLock, OnlyOneHolderUntilReleased) {
    TempFolder folder;
    InstanceLock first(folder.path() + "lock");
    InstanceLock second(folder.path() + "lock");
    EXPECT_TRUE(first.tryAcquire());
    EXPECT_FALSE(second.tryAcquire());
    first.release();
    EXPECT_TRUE(second.tryAcquire());
}

TEST(LocalChannel, DeliversOneMessagePerReceive) {
    TempFolder folder;
    const std::string path = folder.path() + "channel.sock";
    EXPECT_FALSE(sendToLocalChannel("/music/a.mp3", path));
    LocalChannel channel(path);
    ASSERT_TRUE(channel.listening());
    EXPECT_FALSE(channel.receive().has_value());
    EXPECT_TRUE(sendToLocalChannel("\"/music/a b.mp3\"", path));
    EXPECT_TRUE(sendToLocalChannel("/music/c.mp3", path));
    EXPECT_EQ(channel.receive(), "\"/music/a b.mp3\"");
    EXPECT_EQ(channel.receive(), "/music/c.mp3");
    EXPECT_FALSE(channel.receive().has_value());
}
