#include <gtest/gtest.h>

#include <filesystem>

#include "server/ResponseFraming.h"
#include "support/PlayerInstance.h"
#include "support/SongFiles.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A player with one scanned song in music/sub, and a folder outside the music folders that a
// link inside them leads to.
class SecurityTest : public testing::Test {
protected:
    void SetUp() override {
        player_.writeServerSettings("HOSTNAMES=music.home.lan, Other.Example\n");
        TempFolder::write(music_ + "/sub/one.wav", silentWav(1000, 8000, 1));
        TempFolder::write(outside_ + "/two.wav", silentWav(1000, 8000, 1));
        fs::create_directory_symlink(outside_, music_ + "/link");
        running_ = player_.startRunning();
        ASSERT_TRUE(running_);
        const auto ids = player_.scanSongs(music_, 2);
        ASSERT_EQ(ids.size(), 2u);
        songId_ = ids[0].substr(1);
    }
    void TearDown() override {
        if (running_) {
            EXPECT_EQ(PlayerInstance::stop(*running_), 0);
        }
    }

    std::string request(const std::string& path, const std::string& headers) const {
        return player_.send("GET " + path + " HTTP/1.1\r\n" + headers + "\r\n");
    }
    std::string rating() const { return player_.body("/getdata&id=" + songId_ + "&token=RATE"); }
    std::string own() const { return "Host: 127.0.0.1:" + std::to_string(player_.port()) + "\r\n"; }

    PlayerInstance player_;
    std::unique_ptr<ChildProcess> running_;
    const std::string music_ = player_.root() + "music";
    const std::string outside_ = player_.root() + "outside";
    const std::string profile_ = player_.root() + ".profile";
    std::string songId_;
};

}  // namespace

// A page of another site, or of another name for 127.0.0.1, replays the chain that once wrote
// a login script: each step is refused, and nothing outside the music folders is written.
// The player's own hosts pass, and stored values are checked and repeated as plain text.
TEST_F(SecurityTest, OtherSitesCannotDriveThePlayerAndNothingLeavesTheMusicFolders) {
    const std::string setRate = "/setrate&id=" + songId_ + "&value=%24%28touch%20%2Ftmp%2FPWNED%29";
    const std::string moveDir = "/move_dir&source=" + music_ + "/sub/playlist.vmr&dest=" + profile_;
    const std::string kinds[] = {"Host: evil.example:" + std::to_string(player_.port()) + "\r\n",
                                 own() + "Sec-Fetch-Site: same-site\r\n", own() + "Origin: http://127.0.0.1:1\r\n"};
    for (const std::string& headers : kinds) {
        for (const std::string& path : {setRate, moveDir, std::string("/flush")}) {
            EXPECT_EQ(request(path, headers), kForbiddenAnswer) << headers << path;
        }
    }
    EXPECT_TRUE(running_->waitForOutput(
        "Refused [127.0.0.1] GET /setrate: the Host \"evil.example:" + std::to_string(player_.port()), 5s));
    EXPECT_EQ(request("/", "Host: evil.example\r\n"), kForbiddenAnswer);

    // A program sends no browser headers: it passes, and the checks of the values stop it.
    EXPECT_EQ(PlayerInstance::bodyOf(player_.send("GET " + setRate + " HTTP/1.0\r\n\r\n")), "Error");
    EXPECT_EQ(PlayerInstance::bodyOf(player_.send("GET " + moveDir + " HTTP/1.0\r\n\r\n")), "Error");
    EXPECT_EQ(player_.body("/move_dir&source=" + music_ + "/sub/../../x&dest=" + music_ + "/y"), "Error");
    EXPECT_EQ(PlayerInstance::bodyOf(player_.send("GET /flush HTTP/1.0\r\n\r\n")), "ok");
    EXPECT_FALSE(fs::exists(profile_));
    EXPECT_FALSE(fs::exists(outside_ + "/playlist.vmr"));  // the link leads out of the music folder
    EXPECT_TRUE(fs::exists(music_ + "/sub/playlist.vmr"));
    EXPECT_EQ(rating(), "\n");

    // Inside the music folders both still do their job: a folder renamed on disk keeps its list.
    fs::rename(music_ + "/sub", music_ + "/renamed");
    EXPECT_EQ(player_.body("/move_dir&source=" + music_ + "//sub&dest=" + music_ + "/./renamed"), "ok");
    fs::remove(music_ + "/renamed/playlist.vmr");
    EXPECT_EQ(player_.body("/flush"), "ok");
    EXPECT_NE(TempFolder::read(music_ + "/renamed/playlist.vmr").find("one.wav"), std::string::npos);

    // These hosts and origins are the player's own.
    for (const std::string& host : {std::string("localhost"), std::string("LOCALHOST:1"), std::string("[::1]:80"),
                                    std::string("music.home.lan:8080"), std::string("other.example")}) {
        EXPECT_EQ(PlayerInstance::bodyOf(request("/test", "Host: " + host + "\r\n")), "ok") << host;
    }
    const std::string origin = "Origin: http://127.0.0.1:" + std::to_string(player_.port()) + "\r\n";
    EXPECT_EQ(PlayerInstance::bodyOf(request("/test", own() + origin + "Sec-Fetch-Site: Same-Origin\r\n")), "ok");
    EXPECT_EQ(PlayerInstance::bodyOf(request("/test", own() + "Sec-Fetch-Site: none\r\n")), "ok");
    // A request line longer than one read is answered, its headers all read.
    const std::string search = "/search&" + std::string(9000, 'x');
    const std::string padding = "X-Pad: " + std::string(50000, 'p') + "\r\n";
    EXPECT_EQ(PlayerInstance::bodyOf(request(search, own() + padding + "Sec-Fetch-Site: same-origin\r\n")), "ok");
    EXPECT_EQ(request(search, own() + "Sec-Fetch-Site: cross-site\r\n"), kForbiddenAnswer);

    // Values enter the library only in the forms it stores; answers that repeat stored text
    // are plain text, so no stored text runs as a page.
    for (const char* bad : {"6", "-1", "3.5", "", "33", " 3"}) {
        EXPECT_EQ(player_.body("/setrate&id=" + songId_ + "&value=" + bad), "Error") << bad;
    }
    EXPECT_EQ(player_.body("/setrate&id=" + songId_ + "&value=4"), "ok");
    EXPECT_EQ(rating(), "4\n");
    EXPECT_EQ(player_.body("/setrate&id=" + songId_ + "&value=0"), "ok");
    EXPECT_EQ(rating(), "0\n");

    EXPECT_EQ(player_.body("/setuserpref&name=A&value=1&name=B&value=x%0Ay"), "Error");
    EXPECT_EQ(player_.body("/getuserpref&A"), "");
    EXPECT_EQ(player_.body("/setuserpref&name=X&value=%3Cscript%3Ealert(1)%3C%2Fscript%3E"), "ok");
    const std::string answer = player_.get("/getuserpref&X");
    EXPECT_NE(answer.find("\r\nContent-Type: text/plain; charset=utf-8;\r\n"), std::string::npos) << answer;
    EXPECT_NE(answer.find("\r\nX-Content-Type-Options: nosniff\r\n"), std::string::npos);
    EXPECT_EQ(answer.find("Content-Security-Policy"), std::string::npos);
    EXPECT_EQ(PlayerInstance::bodyOf(answer), "<script>alert(1)</script>");
    const std::string list = player_.get("/list");
    EXPECT_NE(list.find("\r\nContent-Type: text/html; charset=utf-8;\r\n"), std::string::npos);
    EXPECT_NE(list.find("\r\nContent-Security-Policy: default-src 'self'"), std::string::npos);
}
