#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "audio/AudioEngine.h"
#include "audio/CandidateTags.h"
#include "audio/TagMapping.h"
#include "audio/sound/EmbeddedPicture.h"
#include "library/StatusBoard.h"
#include "storage/Node.h"
#include "support/CoverPicture.h"
#include "support/MakeLibrary.h"
#include "support/SongFiles.h"
#include "support/TempFolder.h"

namespace {

using Keys = std::map<std::string, std::string>;

// Tags need no output; an engine that was never initialised reads them.
class TagReading : public testing::Test {
protected:
    // The entry's keys after reading `name` in the folder.
    Keys read(const std::string& name, bool* changed = nullptr) {
        Node root;
        Node* entry = root.appendChild("AUDIO", name);
        const bool result = engine->readTags(*entry, folder / name, name);
        if (changed) *changed = result;
        Keys keys;
        digested = entry->findChild("DIGEST") != nullptr;
        // SIZE and DIGEST recognise a moved file; the test of moves covers them.
        for (const Node& child : entry->children()) {
            if (!child.hasName("SIZE") && !child.hasName("DIGEST")) keys[child.name()] = child.value();
        }
        return keys;
    }
    bool make(const std::string& name, const std::string& options) { return encodeTone(folder / name, 1, options); }

    TempFolder folder;
    bool digested = false;  // by the last read
    StatusBoard board;
    std::unique_ptr<AudioEngine> engine = createAudioEngine(board);
};

std::string padded(std::string text, size_t size) {
    text.resize(size, '\0');
    return text;
}

// A four-channel module with one pattern of 64 rows that plays one note: 7.68 s at the
// default speed, a length that only playing it through tells.
std::string trackerModule() {
    std::string module = padded("tiny tune", 20);
    for (int sample = 0; sample < 31; ++sample) {
        module += padded(sample == 0 ? "square" : "", 22);
        module += sample == 0 ? std::string("\0\x20\0\x40\0\0\0\1", 8) : std::string("\0\0\0\0\0\0\0\1", 8);
    }
    module += std::string("\x01\x7f", 2) + std::string(128, '\0') + "M.K.";
    std::string pattern(1024, '\0');
    pattern.replace(0, 4, "\x01\xac\x10\x00", 4);  // sample 1 at period 428
    return module + pattern + std::string(32, 'd') + std::string(32, '\x9c');
}

}  // namespace

// What the generated library below does not write: frames beyond the seven keys, blanks
// at the end, genres no list names, and ASF.
TEST_F(TagReading, FramesTheGeneratorDoesNotWrite) {
    ASSERT_TRUE(make("extra.mp3", "-id3v2_version 3 -metadata title=Été -metadata album='Abbey Road   ' "
                                  "-metadata genre='(17)' -metadata TBPM=120 -metadata comment=dropped"));
    bool changed = false;
    EXPECT_EQ(read("extra.mp3", &changed), (Keys{{"TIME", "00:01"}, {"TITLE", "Été"}, {"ALBUM", "Abbey Road"},
                                                 {"GENRE", "Rock"}, {"BPM", "120"}}));
    EXPECT_TRUE(changed);
    ASSERT_TRUE(make("utf8.mp3", "-id3v2_version 4 -metadata title=日本の歌 -metadata genre='(200)'"));
    EXPECT_EQ(read("utf8.mp3"), (Keys{{"TIME", "00:01"}, {"TITLE", "日本の歌"}}));
    ASSERT_TRUE(make("song.wma", "-metadata title=Tïtle -metadata date=2001 -metadata track=4 -metadata genre=Jazz"));
    EXPECT_EQ(read("song.wma"), (Keys{{"TIME", "00:01"}, {"TITLE", "Tïtle"}, {"YEAR", "2001"}, {"TRACK", "4"},
                                      {"GENRE", "Jazz"}}));
    TempFolder::write(folder / "long.wav", silentWav(185000, 8000));
    EXPECT_EQ(read("long.wav"), (Keys{{"TIME", "03:05"}}));
}

// A cover inside an MP3 or a FLAC file is marked PICTURE and comes back byte for byte (the
// process test of formats does so for the newer formats).
TEST_F(TagReading, Mp3AndFlacCoversComeBackWhole) {
    const std::string png = folder / "cover.png";
    ASSERT_TRUE(makeCoverPng(png));
    const std::string tags = "-metadata title=Blue -metadata artist=Coltrane -metadata album=Train "
                             "-metadata track=3 -metadata date=1957 -metadata genre=Jazz ";
    for (const std::string name : {"song.mp3", "song.flac"}) {
        const std::string options = (name == "song.mp3" ? "-id3v2_version 3 " : "") + tags;
        ASSERT_TRUE(encodeToneWithCover(folder / name, png, options)) << name;
        EXPECT_EQ(read(name), (Keys{{"TIME", "00:01"}, {"TITLE", "Blue"}, {"ARTIST", "Coltrane"}, {"ALBUM", "Train"},
                                    {"TRACK", "3"}, {"YEAR", "1957"}, {"GENRE", "Jazz"}, {"PICTURE", "1"}}))
            << name;
        const std::optional<EmbeddedPicture> cover = readEmbeddedPicture(folder / name);
        ASSERT_TRUE(cover.has_value()) << name;
        EXPECT_EQ(cover->mimeType, "image/png") << name;
        EXPECT_EQ(cover->bytes, TempFolder::read(png)) << name;
    }
}

// What the generator writes is what the library reads: every tagging it knows, MPEG-1 and
// MPEG-2, CBR and VBR, WAV with and without INFO, and files that cannot be opened.
TEST_F(TagReading, AGeneratedLibraryReadsBackAsTheManifestSays) {
    const std::string manifest = folder / "manifest.tsv";
    ASSERT_TRUE(makeLibrary("--files 160 --images --formats mp3,wav --wav-share 0.3 --broken 5 --seed 3 --out '" +
                            (folder / "music") + "' --manifest '" + manifest + "'"));
    const std::vector<GeneratedSong> songs = readManifest(manifest);
    ASSERT_EQ(songs.size(), 169u);
    const auto trimmed = [](std::string text) { return text.erase(text.find_last_not_of(' ') + 1); };
    std::set<std::string> taggings;
    for (const GeneratedSong& song : songs) {
        taggings.insert(song.tagging);
        Keys expected{{"TIME", ""}};
        if (song.format != "broken") {
            const int seconds = std::stoi(song.ms) / 1000;
            expected["TIME"] = (seconds < 10 ? "00:0" : "00:") + std::to_string(seconds);
            const std::pair<const char*, std::string> values[] = {
                {"TITLE", song.title}, {"ARTIST", song.artist}, {"ALBUM", song.album}, {"GENRE", song.genreName},
                {"TRACK", song.track}, {"YEAR", song.year}};
            for (const auto& [key, value] : values) {
                if (!trimmed(value).empty()) expected[key] = trimmed(value);
            }
            if (!song.picture.empty()) expected["PICTURE"] = "1";
        }
        testing::internal::CaptureStdout();  // the log of the files that cannot be opened
        const Keys keys = read("music/" + song.path);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(keys, expected) << song.path << " " << song.tagging;
        if (song.format == "broken") continue;
        // What a scan's merge reads of a new file to know a moved song again, the same keys
        // cheaply; a song no tag names is known by its content instead.
        EXPECT_EQ(digested, !keys.contains("TITLE") && !keys.contains("ARTIST") && !keys.contains("ALBUM"));
        Node candidate;
        uint32_t ms = 0;
        ASSERT_TRUE(readCandidateTags(folder / ("music/" + song.path), candidate, ms)) << song.path;
        for (const std::string key : {"TITLE", "ARTIST", "ALBUM", "TRACK"}) {
            EXPECT_EQ(candidate.childValue(key, ""), keys.contains(key) ? keys.at(key) : "") << song.path << key;
        }
        EXPECT_EQ(ms / 1000, static_cast<uint32_t>(std::stoi(song.ms) / 1000)) << song.path;
    }
    EXPECT_EQ(taggings.size(), 13u) << testing::PrintToString(taggings);
}

TEST_F(TagReading, TrackerModulesTakeTheirLengthFromTheDecoder) {
    TempFolder::write(folder / "tiny.MOD", trackerModule());
    EXPECT_EQ(read("tiny.MOD"), (Keys{{"TIME", "00:07"}, {"TITLE", "tiny tune"}}));
}

TEST_F(TagReading, UnreadableFilesGetAnEmptyTimeAndKeepTheirKeys) {
    TempFolder::write(folder / "notes.mp3", "not audio");
    Node root;
    Node* entry = root.appendChild("AUDIO", "notes.mp3");
    entry->appendChild("RATE", "4");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(engine->readTags(*entry, folder / "notes.mp3", "notes.mp3"));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Error opening notes.mp3\n"), std::string::npos);
    EXPECT_STREQ(entry->childValue("TIME", nullptr), "");
    EXPECT_STREQ(entry->childValue("RATE", nullptr), "4");
}

TEST_F(TagReading, RadioEntriesCopyTheirStationFile) {
    TempFolder::write(folder / "station.vmr", "PLAYLIST http://127.0.0.1/x.pls\nHOMEURL http://127.0.0.1/\n");
    Node root;
    Node* radio = root.appendChild("RADIO", "Station");
    EXPECT_TRUE(engine->readTags(*radio, folder / "station.vmr", ""));
    EXPECT_STREQ(radio->childValue("TIME", nullptr), "");
    EXPECT_STREQ(radio->childValue("PLAYLIST", nullptr), "http://127.0.0.1/x.pls");
    EXPECT_STREQ(radio->childValue("HOMEURL", nullptr), "http://127.0.0.1/");
}

TEST(TagMapping, GenresNamesAndBlanks) {
    EXPECT_EQ(genreValue("17"), "Rock");
    EXPECT_EQ(genreValue("(147)"), "SynthPop");
    EXPECT_EQ(genreValue("(0)Blues"), "Blues");
    EXPECT_EQ(genreValue("(200)"), std::nullopt);
    EXPECT_EQ(genreValue("99999999999999999999"), std::nullopt);
    EXPECT_EQ(genreValue("("), "(");

    EXPECT_EQ(entryKeyForTag("TIT2"), "TITLE");
    EXPECT_EQ(entryKeyForTag("icy-name"), "ALBUM");
    EXPECT_EQ(entryKeyForTag("TPE1"), "TPE1");
    EXPECT_FALSE(isStoredTagKey(entryKeyForTag("TLEN")));
    EXPECT_FALSE(isStoredTagKey("URL"));

    for (const auto& [value, trimmed] : std::map<std::string, std::string>{
             {"Abbey Road   ", "Abbey Road"}, {" ", " "}, {"   ", " "}, {"a b", "a b"}}) {
        std::string text = value;
        trimTrailingBlanks(text);
        EXPECT_EQ(text, trimmed);
    }
}
