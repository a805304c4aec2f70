#include <gtest/gtest.h>

#include "LibraryFixture.h"
#include "library/CoverSearch.h"
#include "library/LibraryItem.h"
#include "library/Playlist.h"
#include "library/RadioSync.h"
#include "library/StatusBoard.h"
#include "net/HttpClient.h"
#include "support/CapturedOutput.h"
#include "support/TestHttpServer.h"

namespace {

TestHttpServer servingBody(std::string body) {
    return TestHttpServer([body = std::move(body)](TCPSocket& connection, const std::string&) {
        connection.send("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    });
}

std::string requestLine(const TestHttpServer& server) {
    const std::string request = server.requests().at(0);
    return request.substr(0, request.find("\r\n"));
}

}  // namespace

using RadioTest = LibraryFixture;

TEST(Playlists, PlsTakesFile1AndM3uTheFirstHttpLineCaseSensitively) {
    const std::string pls = "[playlist]\r\nNumberOfEntries=2\r\nFile1=http://a/stream\r\nFile2=http://b\r\n";
    EXPECT_EQ(parsePlaylist(pls, "http://host/list.PLS"), "http://a/stream");
    EXPECT_EQ(parsePlaylist("[playlist]\nfile1=http://a\n", "x.pls"), "error");
    const std::string m3u = "#EXTM3U\n#EXTINF:-1,Name\nC:\\music\\a.mp3\n  http://c:8000/live \nhttp://d\n";
    EXPECT_EQ(parsePlaylist(m3u, "list.m3u"), "http://c:8000/live");
    EXPECT_EQ(parsePlaylist("HTTP://upper\n", "list.m3u"), "error");
    EXPECT_EQ(parsePlaylist(pls, "list.asx"), "error");
    EXPECT_EQ(parsePlaylist(std::string("File1=http://a\0b\n", 17), "x.pls"), "http://a");
}

TEST_F(RadioTest, SongsPlaylistFilesAndStationsResolveToWhatThePlayerOpens) {
    RepositoryFolder songs;
    songs.load(music());
    const auto located = [&](std::string_view value) {
        return repository.items().create(*songs.content().appendChild("AUDIO", value), &songs)->location(true);
    };
    EXPECT_EQ(located("01.mp3"), music() + "/01.mp3");
    TempFolder::write(music() + "/list.M3U", "#EXTM3U\n/local/a.mp3\nhttp://stream/a\n");
    EXPECT_EQ(located(music() + "/list.M3U"), "http://stream/a");
    EXPECT_EQ(located(music() + "/gone.pls"), "error");

    TestHttpServer server = servingBody("[playlist]\nFile1=http://127.0.0.1:9/live\n");
    RadioList& radio = repository.radioList();
    Node& channels = *radio.tree().appendChild("CHANNELS", "Jazz");
    channels.appendChild("RADIO", "Good")->appendChild("PLAYLIST", server.url("/station.PLS"));
    channels.appendChild("RADIO", "Wrong kind")->appendChild("PLAYLIST", server.url("/station.asx"));
    channels.appendChild("RADIO", "No list");
    radio.index();
    ASSERT_EQ(radio.stations().size(), 3u);
    EXPECT_EQ(radio.stations()[0]->location(true), "http://127.0.0.1:9/live");
    EXPECT_EQ(requestLine(server), "GET /station.PLS HTTP/1.1");
    EXPECT_EQ(radio.stations()[1]->location(true), "error");
    EXPECT_EQ(radio.stations()[2]->location(true), "error");
}

TEST_F(RadioTest, ThePublishedListKeepsRatingsAddsStationsAndFailsWithoutHarm) {
    RadioList& radio = repository.radioList();
    TempFolder::write(folder / "radio2.vmr", "CHANNELS Jazz\n RADIO Blue\n  PLAYLIST http://old/blue.pls\n  RATE 4\n");
    ASSERT_TRUE(radio.load(folder / "radio2.vmr"));
    LibraryItem* blue = radio.stations().at(0);
    const int32_t before = radio.revision();

    StatusBoard board;
    TestHttpServer server = servingBody("CHANNELS Jazz\n RADIO Blue\n  PLAYLIST http://new/blue.pls\n"
                                        "  HOMEURL http://new/\n RADIO Red\n  PLAYLIST http://new/red.m3u\n");
    ASSERT_TRUE(mergeRadioList(radio, fetchRadioList(server.url("/radio/radio.vmr"), {}), board));
    EXPECT_EQ(requestLine(server), "GET /radio/radio.vmr HTTP/1.1");
    const std::string merged = "CHANNELS Jazz\n RADIO Blue\n  PLAYLIST http://new/blue.pls\n  RATE 4\n"
                               "  HOMEURL http://new/\n RADIO Red\n  PLAYLIST http://new/red.m3u\n";
    EXPECT_EQ(TempFolder::read(folder / "radio2.vmr"), merged);
    ASSERT_EQ(radio.stations().size(), 2u);
    EXPECT_EQ(radio.stations()[0], blue);
    EXPECT_EQ(repository.items().find(radio.stations()[1]->id)->folder, &radio);
    EXPECT_EQ(radio.revision(), before + 2);

    capturedOutput([&] {
        EXPECT_FALSE(mergeRadioList(radio, fetchRadioList("http://127.0.0.1:1/radio/radio.vmr", {}), board));
    });
    EXPECT_EQ(board.error()->text, "Connection error!");
    EXPECT_EQ(TempFolder::read(folder / "radio2.vmr"), merged);
    EXPECT_EQ(radio.stations().size(), 2u);
}

TEST(CoverSearch, AsksTheCatalogueWithTheTextsAsGiven) {
    TestHttpServer server = servingBody("<ItemSearchResponse/>");
    const auto answer = searchCover("", "Abbey%20Road", "127.0.0.1:" + std::to_string(server.port()), {});
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->view(), "<ItemSearchResponse/>");
    const std::string query = "/onca/xml?Service=AWSECommerceService&Version=2005-03-23&Operation=ItemSearch"
                              "&ContentType=text%2Fxml&SubscriptionId=0Q58XRTM2KD7HN4W9310&SearchIndex=Music";
    EXPECT_EQ(requestLine(server),
              "GET " + query + "&Keywords=Abbey%20Road&ResponseGroup=Images&Marketplace=uk HTTP/1.0");
    EXPECT_EQ(coverSearchUrl("The%20Beatles", "", "h").view(),
              "http://h" + query + "&Artist=The%20Beatles&ResponseGroup=Images&Marketplace=uk");
    capturedOutput([] { EXPECT_FALSE(searchCover("a", "b", "127.0.0.1:1", {}).has_value()); });
}
