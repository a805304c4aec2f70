#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ServerHarness.h"
#include "server/ResponseFraming.h"
#include "support/TempFolder.h"

namespace {

constexpr std::string_view kNotFound = "HTTP/1.0 404 Not Found\r\nContent-Length: 15\r\n\r\n404 Not Found\r\n";

// A fixed clock, so the Date line is known.
ServerConfig configFor(const TempFolder& folder) {
    ServerConfig config = loopbackConfig(folder);
    config.now = [] { return std::time_t{1214495917}; };
    return config;
}

std::string contentTypeOf(const std::string& answer) {
    const size_t start = answer.find("Content-Type: ");
    return answer.substr(start, answer.find('\n', start) + 1 - start);
}

}  // namespace

TEST(Response, OkAnswersCarryTheExactHeader) {
    const TempFolder folder;
    const RunningServer running(configFor(folder));
    EXPECT_EQ(get(running.port(), "/test"),
              "HTTP/1.0 200 OK\r\n"
              "Date: Thu Jun 26 15:58:37 2008\n"
              "Content-Type: text/html; charset=utf-8;\r\n"
              "Content-Length: 2\r\n"
              "Expires: Mon, 26 Jul 1997 05:00:00 GMT\r\n"
              "Cache-Control: no-cache, must-revalidate\r\n"
              "Pragma: no-cache\r\n"
              "\r\n"
              "ok");
    // The day of the month is padded to two places with a blank.
    EXPECT_EQ(asctimeLine(1212728887), "Fri Jun  6 05:08:07 2008\n");
}

TEST(Response, MissingFilesAndUnsafePathsGiveTheExact404) {
    const TempFolder folder;
    TempFolder::write(folder.path() + "secret.html", "outside the web folder");
    TempFolder::write(folder.path() + "webinfo.html", "beside the web folder");
    TempFolder::write(folder.path() + "web/gfx/a..b.png", "dots");
    TempFolder::write(folder.path() + "web/index.html", "index");
    const RunningServer running(configFor(folder));
    for (const char* path : {"/missing.html", "/../secret.html", "/gfx/a..b.png", "/gfx/../index.html",
                             "info.html", "/gfx", "/gfx/"}) {
        EXPECT_EQ(get(running.port(), path), kNotFound) << path;
    }
    EXPECT_EQ(bodyOf(get(running.port(), "/index.html")), "index");
}

TEST(Response, StaticFilesAreTypedByTheFirstDotOfTheirName) {
    const TempFolder folder;
    const std::string web = folder.path() + "v1.0/web";  // a dot in a folder decides nothing
    TempFolder::write(web + "/gfx/x.PNG", std::string("\x89PNG\0\r\n", 7));
    TempFolder::write(web + "/noext", "plain");
    TempFolder::write(web + "/jquery.min.js", "js");
    TempFolder::write(web + "/style.css", "css");
    ServerConfig config = configFor(folder);
    config.webFolder = web;
    const RunningServer running(config);

    const std::string png = get(running.port(), "/gfx/x.PNG");
    EXPECT_EQ(contentTypeOf(png), "Content-Type: image/png; charset=utf-8;\r\n");
    EXPECT_NE(png.find("\r\nExpires: Mon, 26 Jul 2020 05:00:00 GMT\r\n\r\n"), std::string::npos);
    EXPECT_EQ(png.find("Pragma"), std::string::npos);
    EXPECT_EQ(bodyOf(png), std::string("\x89PNG\0\r\n", 7));
    EXPECT_EQ(contentTypeOf(get(running.port(), "/noext")), "Content-Type: ; charset=utf-8;\r\n");
    EXPECT_EQ(contentTypeOf(get(running.port(), "/jquery.min.js")), "Content-Type: ; charset=utf-8;\r\n");
    EXPECT_EQ(contentTypeOf(get(running.port(), "/style.css")), "Content-Type: text/css; charset=utf-8;\r\n");
}

TEST(Response, LongBinaryAnswersArriveWholeWithTheirLength) {
    const TempFolder folder;
    std::string file(300000, '\0');
    for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(i * 7);
    TempFolder::write(folder.path() + "web/blob.bmp", file);
    const RunningServer running(configFor(folder));
    const std::string blob = get(running.port(), "/blob.bmp");
    EXPECT_NE(blob.find("\r\nContent-Length: 300000\r\n"), std::string::npos);
    EXPECT_EQ(bodyOf(blob), file);
}

TEST(Response, CountersCountEveryAnswerButOnlyOkBytes) {
    const TempFolder folder;
    const RunningServer running(configFor(folder));
    const ServerCounters& counters = running.server().counters();

    const std::string ok = get(running.port(), "/test");
    EXPECT_EQ(counters.requestCount(), 1u);
    EXPECT_EQ(counters.bytesSent(), ok.size());
    get(running.port(), "/missing");
    get(running.port(), "/test", "127.0.0.2");  // refused
    EXPECT_EQ(counters.requestCount(), 3u);
    EXPECT_EQ(counters.bytesSent(), ok.size());

    // Only the first answer leaves; the second is neither sent nor counted.
    const std::string twice = get(running.port(), "/twice");
    EXPECT_EQ(bodyOf(twice), "first");
    EXPECT_EQ(counters.requestCount(), 4u);
    EXPECT_EQ(counters.bytesSent(), ok.size() + twice.size());
}
