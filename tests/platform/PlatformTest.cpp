#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/DiskFile.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
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

TEST(DiskFile, OnlyTemporariesOfInterruptedWritesFromBeforeTheStartAreRemoved) {
    TempFolder folder;
    const std::vector<std::string> leftovers{"repository.vmr.tmp4242.0", "7.dat.tmp17.12"};
    const std::vector<std::string> kept{"notes.tmp", "a.tmpx.1", "b.tmp12.", "mix.tmp3.4.txt", "young.vmr.tmp5.0"};
    for (const auto& name : leftovers) TempFolder::write(folder.path() + name, "half");
    for (const auto& name : kept) TempFolder::write(folder.path() + name, "keep");
    std::filesystem::create_directory(folder.path() + "old.tmp1.1");
    const auto startedAt = std::filesystem::file_time_type::clock::now();
    for (const auto& name : leftovers) std::filesystem::last_write_time(folder.path() + name, startedAt - std::chrono::seconds(5));
    std::filesystem::last_write_time(folder.path() + "young.vmr.tmp5.0", startedAt + std::chrono::seconds(5));
    timespec start{};
    clock_gettime(CLOCK_REALTIME, &start);

    std::vector<std::string> removed = removeLeftoverTemporaries(folder.path(), start);
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{folder.path() + leftovers[1], folder.path() + leftovers[0]}));
    for (const auto& name : kept) EXPECT_TRUE(diskFileExists(folder.path() + name)) << name;
    EXPECT_TRUE(folderExists(folder.path() + "old.tmp1.1"));
}

