#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
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

// The 128-byte tag at the end of a file.
std::string id3v1(const std::string& title, const std::string& artist, const std::string& album,
                  const std::string& year, uint8_t track, uint8_t genre) {
    return "TAG" + padded(title, 30) + padded(artist, 30) + padded(album, 30) + padded(year, 4) + padded("", 28) +
           '\0' + static_cast<char>(track) + static_cast<char>(genre);
}

// A WAV file with a RIFF INFO list of the fields given, their bytes as they are.
std::string wavWithInfo(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::string info = "INFO";
    for (const auto& [id, value] : fields) {
        std::string text = value + '\0';
        if (text.size() % 2) text += '\0';  // counted in the size, as some writers do
        info += riffChunk(id, text);
    }
    return wavFile(8000, 1, riffChunk("LIST", info) + riffChunk("data", std::string(8000, '\0')));
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

TEST_F(TagReading, Id3v2FramesGiveTheSevenKeysWhateverTheirEncoding) {
    ASSERT_TRUE(make("latin1.mp3", "-id3v2_version 3 -metadata title=Été -metadata artist=Artiste "
                                   "-metadata album='Abbey Road   ' -metadata date=1969 -metadata track=7/12 "
                                   "-metadata genre='(17)' -metadata TBPM=120 -metadata comment=dropped"));
    bool changed = false;
    EXPECT_EQ(read("latin1.mp3", &changed), (Keys{{"TIME", "00:01"}, {"TITLE", "Été"}, {"ARTIST", "Artiste"},
                                                 {"ALBUM", "Abbey Road"}, {"YEAR", "1969"}, {"TRACK", "7/12"},
                                                 {"GENRE", "Rock"}, {"BPM", "120"}}));
    EXPECT_TRUE(changed);

    // Non-Latin text goes into ID3v2.3 as UTF-16 and into ID3v2.4 as UTF-8.
    ASSERT_TRUE(make("utf16.mp3", "-id3v2_version 3 -metadata title=Тест -metadata artist=Ψ"));
    const Keys utf16 = read("utf16.mp3");
    EXPECT_EQ(utf16.at("TITLE"), "Тест");
    EXPECT_EQ(utf16.at("ARTIST"), "Ψ");
    ASSERT_TRUE(make("utf8.mp3", "-id3v2_version 4 -metadata title=日本の歌 -metadata genre='(200)'"));
    EXPECT_EQ(read("utf8.mp3"), (Keys{{"TIME", "00:01"}, {"TITLE", "日本の歌"}}));
}

TEST_F(TagReading, Id3v1AloneOrBehindId3v2) {
    ASSERT_TRUE(make("plain.mp3", kBareMp3));
    const std::string audio = TempFolder::read(folder / "plain.mp3");
    TempFolder::write(folder / "v1.mp3", audio + id3v1("Old Title", "Old Artist", "Old Album", "1987", 5, 17));
    EXPECT_EQ(read("v1.mp3"), (Keys{{"TIME", "00:01"}, {"TITLE", "Old Title"}, {"ARTIST", "Old Artist"},
                                    {"ALBUM", "Old Album"}, {"YEAR", "1987"}, {"TRACK", "5"}, {"GENRE", "Rock"}}));

    ASSERT_TRUE(make("v2.mp3", "-id3v2_version 3 -metadata title=New"));
    TempFolder::write(folder / "both.mp3",
                      TempFolder::read(folder / "v2.mp3") + id3v1("Old", "Old Artist", "", "", 0, 67));
    const Keys both = read("both.mp3");
    EXPECT_EQ(both.at("TITLE"), "New");
    EXPECT_EQ(both.at("ARTIST"), "Old Artist");
    EXPECT_EQ(both.at("GENRE"), "Psychadelic");
}

TEST_F(TagReading, VorbisCommentsRiffInfoAndAsf) {
    const std::string fields = "-metadata title=Tïtle -metadata artist=A -metadata album=B -metadata date=2001 "
                               "-metadata track=4 -metadata genre=Jazz";
    const Keys expected{{"TIME", "00:01"}, {"TITLE", "Tïtle"}, {"ARTIST", "A"}, {"ALBUM", "B"},
                        {"YEAR", "2001"},  {"TRACK", "4"},     {"GENRE", "Jazz"}};
    for (const std::string name : {"song.flac", "song.ogg", "song.wav", "song.wma"}) {
        ASSERT_TRUE(make(name, fields)) << name;
        EXPECT_EQ(read(name), expected) << name;
    }
    // RIFF INFO names no encoding: UTF-8 when valid, else ISO-8859-1. Tracks may be ITRK.
    TempFolder::write(folder / "latin1.wav", wavWithInfo({{"INAM", "Caf\xe9"}, {"ITRK", "12"}}));
    TempFolder::write(folder / "utf8.wav", wavWithInfo({{"INAM", "Café"}, {"IART", "Zoë"}}));
    EXPECT_EQ(read("latin1.wav"), (Keys{{"TIME", "00:00"}, {"TITLE", "Café"}, {"TRACK", "12"}}));
    EXPECT_EQ(read("utf8.wav"), (Keys{{"TIME", "00:00"}, {"TITLE", "Café"}, {"ARTIST", "Zoë"}}));
}

// What the generator writes is what the library reads: every tagging it knows, MPEG-1 and
// MPEG-2, CBR and VBR, WAV with and without INFO, and files that cannot be opened.
// MP4 atoms, Vorbis comments in Opus and Ogg, ID3v2 in AIFF, APEv2 in WavPack and the
// Matroska tags FFmpeg reads all give the same keys; a cover inside is marked PICTURE and
// comes back byte for byte. (ffmpeg writes no Monkey's Audio or DSF files, and no picture
// TagLib reads into WavPack or Matroska.)
TEST_F(TagReading, ModernFormatsGiveTheirTagsLengthAndCover) {
    const std::string png = folder / "cover.png";
    ASSERT_TRUE(makeCoverPng(png));
    const std::string tags = "-metadata title=Blue -metadata artist=Coltrane -metadata album=Train "
                             "-metadata track=3 -metadata date=1957 -metadata genre=Jazz ";
    // Name, whether ffmpeg attaches the cover as a picture stream, options.
    const std::vector<std::tuple<std::string, bool, std::string>> formats = {
        {"song.m4a", true, "-c:a aac"},
        {"song.m4b", true, "-c:a aac -f ipod"},
        {"song.alac", true, "-c:a alac -f ipod"},
        {"song.aif", true, "-write_id3v2 1"},
        {"song.mp3", true, "-id3v2_version 3"},
        {"song.flac", true, ""},
        {"song.opus", false, vorbisCommentCover(png) + " -c:a libopus -ar 48000"},
        {"song.oga", false, vorbisCommentCover(png) + " -c:a libvorbis -f oga"},
        {"song.wv", false, "-c:a wavpack -f wv"},
        {"song.mka", false, "-c:a flac"},
        {"song.webm", false, "-c:a libopus -ar 48000"},
    };
    for (const auto& [name, attached, options] : formats) {
        ASSERT_TRUE(encodeToneWithCover(folder / name, attached ? png : "", options + " " + tags)) << name;
        Keys expected{{"TIME", "00:01"}, {"TITLE", "Blue"}, {"ARTIST", "Coltrane"}, {"ALBUM", "Train"},
                      {"TRACK", "3"},    {"YEAR", "1957"},  {"GENRE", "Jazz"}};
        const bool withCover = attached || options.starts_with("-metadata METADATA_BLOCK_PICTURE");
        if (withCover) expected["PICTURE"] = "1";
        EXPECT_EQ(read(name), expected) << name;
        const std::optional<EmbeddedPicture> cover = readEmbeddedPicture(folder / name);
        ASSERT_EQ(cover.has_value(), withCover) << name;
        if (!cover) continue;
        EXPECT_EQ(cover->mimeType, "image/png") << name;
        EXPECT_EQ(cover->bytes, TempFolder::read(png)) << name;
    }
}

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

TEST_F(TagReading, TimeComesFromTheLength) {
    TempFolder::write(folder / "long.wav", silentWav(185000, 8000));
    EXPECT_EQ(read("long.wav"), (Keys{{"TIME", "03:05"}}));
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
    EXPECT_EQ(genreValue("(17)"), "Rock");
    EXPECT_EQ(genreValue("17"), "Rock");
    EXPECT_EQ(genreValue("Rock"), "Rock");
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
