#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "library/StatusBoard.h"
#include "storage/Node.h"
#include "storage/NodeFile.h"
#include "support/CapturedOutput.h"
#include "support/TempFolder.h"
#include "views/Expression.h"
#include "views/FilterSet.h"
#include "views/LibraryContext.h"

namespace {

constexpr int64_t kNow = 1700000000;
constexpr std::string_view kAll = "rock.mp3 hard.mp3 roll.mp3 pop.mp3 my_song.ogg ";

std::string stamp(int64_t daysAgo) { return std::to_string(kNow - daysAgo * 86400 - 5); }

// A few songs with known tags in one folder, and the default filters.
class SmallLibrary : public testing::Test {
protected:
    SmallLibrary() {
        song("rock.mp3", {{"GENRE", "Rock"}, {"RATE", "5"}, {"YEAR", "1985"}, {"TITLE", "9"}, {"ADDED", stamp(1)}});
        song("hard.mp3", {{"GENRE", "Hard rock"}, {"RATE", "4"}, {"YEAR", "1999"}, {"ADDED", stamp(10)}});
        song("roll.mp3", {{"GENRE", "ROCK'N'ROLL"}, {"RATE", "3"}, {"ARTIST", "The Big_Band"}, {"ADDED", stamp(20)}});
        song("pop.mp3", {{"GENRE", "Pop"}, {"YEAR", "2005"}, {"ADDED", stamp(28)}});
        song("my_song.ogg", {{"GENRE", "Jazz"}, {"RATE", "1"}, {"YEAR", "1980"}, {"ADDED", stamp(29)}});
        filters.load(folder / "filters.vmr");
    }

    void song(std::string_view file, std::vector<std::pair<std::string_view, std::string>> tags) {
        Node* entry = library.appendChild("AUDIO", file);
        for (const auto& [key, value] : tags) entry->appendChild(key, value);
    }

    // The file names of the songs that pass, in library order.
    std::string shown() {
        std::string names;
        for (const Node& entry : library.children()) {
            if (filters.matches(entry, "/music/My Mix")) names += std::string(entry.value()) + " ";
        }
        return names;
    }

    std::string shownFor(std::string_view query) {
        filters.setFilter(0, "Test", query);
        filters.selectFilter(1, true);
        return shown();
    }

    TempFolder folder;
    Node library;
    StatusBoard board;
    FilterSet filters{board, [] { return kNow; }};
};

}  // namespace

TEST_F(SmallLibrary, DefaultFiltersPickTheExpectedSongs) {
    const std::vector<std::string> expected{
        "rock.mp3 ",                            // Rate 5
        "rock.mp3 hard.mp3 ",                   // Rate 4-5
        "rock.mp3 hard.mp3 roll.mp3 ",          // Rate 3-5
        "pop.mp3 ",                             // Unrated: no RATE at all
        "rock.mp3 hard.mp3 roll.mp3 pop.mp3 ",  // Unrated or 3-5
        "rock.mp3 hard.mp3 roll.mp3 ",          // Genre *rock*
        "", "",                                 // Genre *metal*, *funk*
        "my_song.ogg ",                         // Genre *jazz*
        "pop.mp3 ",                             // Genre *pop*
        "",                                     // Genre *classical*
        "rock.mp3 my_song.ogg ",                // Year 1980-89: roll.mp3 has no YEAR
        "hard.mp3 ",                            // Year 1990-99
        "pop.mp3 ",                             // Year > 2000
        "rock.mp3 ",                            // Recently added (4 days)
        "rock.mp3 hard.mp3 ",                   // Recently added (2 weeks)
        "rock.mp3 hard.mp3 roll.mp3 pop.mp3 ",  // Recently added (1 month)
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        filters.selectFilter(static_cast<int>(i) + 1, false);
        EXPECT_EQ(shown(), expected[i]) << "filter " << i + 1;
    }
    filters.selectFilter(0, false);
    EXPECT_EQ(shown(), kAll);
    EXPECT_FALSE(board.error().has_value());
}

TEST_F(SmallLibrary, QueriesReadTheEntryTheWayTheyAreWritten) {
    EXPECT_EQ(shownFor("$genre == \"rock\""), "rock.mp3 ");
    EXPECT_EQ(shownFor("$Rate >= 4"), "rock.mp3 hard.mp3 ");
    EXPECT_EQ(shownFor("$title < 10"), "hard.mp3 roll.mp3 pop.mp3 my_song.ogg ");  // "9" sorts after "10.000000"
    EXPECT_EQ(shownFor("$track == \"\""), kAll);
    EXPECT_EQ(shownFor("$file == \"*.ogg\" || $path == \"/MUSIC/*\" && $playcount == 0"), kAll);
    EXPECT_EQ(shownFor("RANDOM(0) || RANDOM(1, 2) || Days() || Nothing(1)"), "");
    EXPECT_EQ(shownFor("(CONTAINS_ALL($title) == 1) && (CONTAINS_ANY($title) == 0)"), kAll);
    EXPECT_EQ(shownFor("CONTAINS_ANY($genre, 'jazz', 'funk')"), "my_song.ogg ");
    EXPECT_EQ(shownFor("CONTAINS_ALL($genre, 'rock', 'roll')"), "roll.mp3 ");
    EXPECT_EQ(shownFor("Days(\"PLAYTIME\") == 19675"), kAll);

    // Once per rebuild, not once per entry.
    EXPECT_EQ(capturedOutput([&] { EXPECT_EQ(shownFor("$rate >="), "rock.mp3 hard.mp3 roll.mp3 my_song.ogg "); }),
              "Unexpected end at position 6\n");
    ASSERT_TRUE(board.error().has_value());
    EXPECT_EQ(board.error()->text, "Unexpected end at position 6\n");
}

TEST(LibraryContext, RandomStaysInItsRangeAndUnderOneGivesNothing) {
    Node entry;
    StatusBoard board;
    LibraryContext context(board, [] { return kNow; });
    context.setEntry(entry, "");
    Expression expression(context);
    expression.compile("RANDOM(3)");
    std::set<float> seen;
    for (int i = 0; i < 200; ++i) seen.insert(expression.evaluate().number());
    EXPECT_EQ(seen, (std::set<float>{0, 1, 2}));
    expression.compile("RANDOM(0.5)");
    EXPECT_EQ(expression.evaluate().type(), ValueType::Unset);
    expression.compile("RANDOM(99999999999) >= 0");
    EXPECT_EQ(expression.evaluate().number(), 1.0f);
}

TEST_F(SmallLibrary, SearchWordsLookAtNameTitleArtistAndFolder) {
    const auto shownWhenSearching = [this](std::string_view text) {
        filters.setSearch(text);
        return shown();
    };
    EXPECT_EQ(shownWhenSearching("\"my song\""), "my_song.ogg ");
    EXPECT_EQ(shownWhenSearching("big band"), "roll.mp3 ");
    EXPECT_EQ(shownWhenSearching("mix .mp3"), "rock.mp3 hard.mp3 roll.mp3 pop.mp3 ");
    EXPECT_EQ(shownWhenSearching("9"), kAll);  // a number is not a word
    EXPECT_EQ(shownWhenSearching("   "), "");
    EXPECT_EQ(shownWhenSearching(":"), "");

    filters.selectFilter(6, false);  // Genre *rock*
    EXPECT_EQ(shownWhenSearching(":ROLL"), "roll.mp3 ");
    EXPECT_EQ(filters.searchText(), ":ROLL");
    EXPECT_FALSE(filters.setSearch(":ROLL"));
    EXPECT_TRUE(filters.setSearch("roll"));
    EXPECT_EQ(shownWhenSearching(""), "rock.mp3 hard.mp3 roll.mp3 ");
}

TEST_F(SmallLibrary, NumberingWhenSelectingEditingAndRemoving) {
    const int32_t revision = filters.revision();
    EXPECT_TRUE(filters.selectFilter(40, false));
    EXPECT_EQ(filters.activeFilter(), 17);
    EXPECT_FALSE(filters.selectFilter(17, false));
    EXPECT_FALSE(filters.setFilter(0, "Rate 5", "$rate == 5"));
    EXPECT_FALSE(filters.setFilter(17, "x", "y"));
    EXPECT_EQ(filters.revision(), revision);

    filters.selectFilter(3, false);  // Rate 3-5
    EXPECT_TRUE(filters.setFilter(2, "Rate 1", "$rate == 1"));
    EXPECT_EQ(shown(), "my_song.ogg ");
    EXPECT_TRUE(filters.setFilter(2, "Rate 3-5", "$rate >= 3 && $rate <= 5"));
    filters.removeFilter(0);
    EXPECT_EQ(filters.activeFilter(), 2);
    EXPECT_EQ(shown(), "rock.mp3 hard.mp3 roll.mp3 ");
    filters.removeFilter(5);
    EXPECT_EQ(filters.activeFilter(), 2);
    filters.removeFilter(1);  // the active one: the one before it takes over
    EXPECT_EQ(filters.activeFilter(), 1);
    EXPECT_EQ(shown(), "rock.mp3 hard.mp3 ");
    filters.removeFilter(0);
    EXPECT_EQ(filters.activeFilter(), 0);
    EXPECT_EQ(shown(), kAll);
    filters.removeFilter(99);
    filters.removeFilter(-1);
    EXPECT_EQ(filters.revision(), revision + 6);

    EXPECT_TRUE(filters.selectFilter(INT32_MIN, false));
    filters.removeFilter(0);
    EXPECT_EQ(shown(), kAll);
}

TEST(FilterSetFile, WrittenOnTheFirstChangeAndReadBack) {
    TempFolder folder;
    const std::string path = folder / "filters.vmr";
    StatusBoard board;
    FilterSet filters(board, [] { return kNow; });
    const int32_t before = filters.revision();
    filters.load(path);
    const Node* added = filters.addFilter();
    ASSERT_NE(added, nullptr);
    EXPECT_STREQ(added->value(), "Unnamed");
    EXPECT_STREQ(added->childValue("QUERY", nullptr), "");
    EXPECT_EQ(filters.revision(), before + 2);
    EXPECT_FALSE(std::filesystem::exists(path));

    EXPECT_TRUE(filters.setFilter(17, "Long", "$time > \"4:00\""));
    const std::string written = TempFolder::read(path);
    EXPECT_TRUE(written.starts_with("SEARCH Rate 5\n QUERY $rate == 5\nSEARCH Rate 4-5\n"));
    EXPECT_TRUE(written.ends_with("SEARCH Long\n QUERY $time > \"4:00\"\n"));
    FilterSet reloaded(board, [] { return kNow; });
    reloaded.load(path);
    EXPECT_EQ(formatNodeTree(reloaded.filters()), written);
}

TEST(FilterSetFile, AnUnreadableFileGivesTheDefaultsAndSavesFailLoudly) {
    TempFolder folder;
    const std::string path = folder / "filters.vmr";
    std::filesystem::create_directory(path);
    StatusBoard board;
    FilterSet filters(board, [] { return kNow; });
    filters.load(path);
    EXPECT_STREQ(filters.filters().findChild("SEARCH", 16)->childValue("QUERY", nullptr), "Days(\"ADDED\") <= 28");
    EXPECT_EQ(filters.filters().findChild("SEARCH", 17), nullptr);

    EXPECT_EQ(capturedOutput([&] { EXPECT_TRUE(filters.setFilter(0, "Kept", "$rate == 2")); }),
              "Error saving " + path + "\n");
    EXPECT_STREQ(filters.filters().firstChild()->value(), "Kept");
}
