#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "LibraryFixture.h"

namespace fs = std::filesystem;

class SettingsTest : public LibraryFixture {
protected:
    SettingsTest() {
        EXPECT_EQ(reopen(repository), "Opening repository...\n");
    }
    // Opens the repository on the test's file; the log.
    std::string reopen(Repository& target) const {
        return capturedOutput([&] { target.open(file(), folder / "radio2.vmr"); });
    }
    std::string file() const { return folder / "repository.vmr"; }
    bool writes(std::string_view name, std::string_view value) {
        fs::remove(file());
        repository.setSetting(name, value);
        return fs::exists(file());
    }
};

TEST_F(SettingsTest, UnstoredSettingsReadAsTheirDefaultsAndChangesAloneAreWritten) {
    EXPECT_EQ(repository.getSetting("EQ_1_CENTER"), "2767");
    EXPECT_EQ(repository.getSetting("eq_1_center"), "2767");
    EXPECT_EQ(repository.getSetting("EQ_7_GAIN"), "1");
    EXPECT_EQ(repository.getSetting("EQ_ACTIVE"), "0");
    EXPECT_EQ(repository.getSetting("eq_active"), "");
    EXPECT_EQ(repository.getSetting("page_max_matches"), "");
    EXPECT_EQ(repository.getSetting("SHUFFLE"), "");
    EXPECT_EQ(repository.getSetting("REPOSITORY_PATHS"), folder / "home/Music/");

    EXPECT_TRUE(writes("VOLUME", "0.7"));
    EXPECT_FALSE(writes("VOLUME", "0.7"));
    EXPECT_TRUE(writes("SEARCH", ""));
    EXPECT_EQ(TempFolder::read(file()), "USER username\n VOLUME 0.7\n SEARCH \n");
    EXPECT_FALSE(writes("SEARCH", ""));
    EXPECT_EQ(repository.getSetting("SEARCH"), "");

    for (const auto& [given, stored] : {std::pair{"5", "10"}, {"abc", "10"}, {"25", "25"}, {"-3", "10"},
                                        {"99999999999999999999", "99999999999999999999"}}) {
        repository.setSetting("PAGE_MAX_MATCHES", given);
        EXPECT_EQ(repository.getSetting("PAGE_MAX_MATCHES"), stored) << given;
    }
}

// The settings file cannot keep such a name: it would cut or reshape the settings after it.
TEST_F(SettingsTest, NamesWithBlanksOrLineBreaksAreRefusedAndTheOthersKept) {
    EXPECT_NE(capturedOutput([&] {
        for (const char* name : {"EVIL\n   X", "A B", "", "TAB\tBED"}) EXPECT_FALSE(writes(name, "1")) << name;
    }).find("Refusing the setting name \"A B\": it is empty or holds "
                                                          "a blank or line break\n"),
              std::string::npos);
    EXPECT_TRUE(writes("VOLUME", "0.5"));
    Repository reopened;
    reopen(reopened);
    EXPECT_EQ(reopened.getSetting("VOLUME"), "0.5");
    EXPECT_EQ(TempFolder::read(file()), "USER username\n VOLUME 0.5\n");
}

TEST_F(SettingsTest, EqualiserSettingsReachTheHookEveryTime) {
    using Call = std::tuple<unsigned, unsigned, double>;
    std::vector<Call> calls;
    repository.setEqualiserHook([&calls](unsigned band, unsigned parameter, double value) {
        calls.emplace_back(band, parameter, value);
    });
    const int32_t start = repository.eqRevision.value();
    repository.setSetting("EQ_2_GAIN", "1.5");
    EXPECT_FALSE(writes("EQ_2_GAIN", "1.5"));
    for (const char* name : {"EQ_ACTIVE", "eq_active", "VOLUME"}) repository.setSetting(name, "1");
    repository.setSetting("EQ_0_CENTER", "440");
    repository.setSetting("EQ_1_BANDWIDTH", "0.5");
    EXPECT_EQ(calls, (std::vector<Call>{{2, 3, 1.5}, {2, 3, 1.5}, {0, 0, 1.0}, {1, 0, 1.0}, {2, 0, 1.0},
                                        {0, 1, 440.0}, {1, 2, 0.5}}));
    EXPECT_EQ(repository.eqRevision.value(), start + 6);
}

TEST_F(SettingsTest, AnOlderFileWithFolderListsBecomesRepositoryPathsOnce) {
    TempFolder::write(file(), "LIST " + music() + "\nUSER username\n VOLUME 0.2\nLIST /second\n");
    Repository reopened;
    EXPECT_EQ(reopen(reopened), "Opening repository...\n");
    EXPECT_EQ(TempFolder::read(file()), "USER username\n VOLUME 0.2\n REPOSITORY_PATHS " + music() + "\n");
    ASSERT_EQ(reopened.folders().size(), 1u);
    EXPECT_EQ(reopened.folders().front()->path(), music());

    const auto before = fs::last_write_time(file());
    Repository again;
    reopen(again);
    EXPECT_EQ(fs::last_write_time(file()), before);
}
