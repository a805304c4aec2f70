#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ServerHarness.h"
#include "server/ResponseFraming.h"
#include "support/TempFolder.h"

namespace {

constexpr std::string_view kNotFound =
    "HTTP/1.0 404 Not Found\r\nContent-Length: 15\r\nX-Content-Type-Options: nosniff\r\n\r\n404 Not Found\r\n";

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
              "Date: Thu Jun 26 15:58:37 2008\r\n"
              "Content-Type: text/plain; charset=utf-8;\r\n"
              "Content-Length: 2\r\n"
              "X-Content-Type-Options: nosniff\r\n"
              "Expires: Mon, 26 Jul 1997 05:00:00 GMT\r\n"
              "Cache-Control: no-cache, must-revalidate\r\n"
              "Pragma: no-cache\r\n"
              "\r\n"
              "ok");
    // The day of the month is padded to two places with a blank.
    EXPECT_EQ(asctimeText(1212728887), "Fri Jun  6 05:08:07 2008");
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
    TempFolder::write(web + "/page.html", "<p>page</p>");
    ServerConfig config = configFor(folder);
    config.webFolder = web;
    const RunningServer running(config);

    const std::string png = get(running.port(), "/gfx/x.PNG");
    EXPECT_EQ(contentTypeOf(png), "Content-Type: image/png\r\n");
    EXPECT_NE(png.find("\r\nExpires: Mon, 26 Jul 2020 05:00:00 GMT\r\n"), std::string::npos);
    EXPECT_EQ(png.find("Pragma"), std::string::npos);
    EXPECT_EQ(bodyOf(png), std::string("\x89PNG\0\r\n", 7));
    EXPECT_EQ(contentTypeOf(get(running.port(), "/noext")), "Content-Type: ; charset=utf-8;\r\n");
    EXPECT_EQ(contentTypeOf(get(running.port(), "/jquery.min.js")), "Content-Type: ; charset=utf-8;\r\n");
    EXPECT_EQ(contentTypeOf(get(running.port(), "/style.css")), "Content-Type: text/css; charset=utf-8;\r\n");
    // Only pages carry the page policy.
    const std::string page = get(running.port(), "/page.html");
    EXPECT_NE(page.find("\r\nContent-Security-Policy: default-src 'self'; script-src 'self';"), std::string::npos);
    EXPECT_EQ(get(running.port(), "/style.css").find("Content-Security-Policy"), std::string::npos);
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
    get(running.port(), "/test", "127.0.0.2");  // refused
    EXPECT_EQ(counters.requestCount(), 2u);
    EXPECT_EQ(counters.bytesSent(), ok.size());

    // Only the first answer leaves; the second is neither sent nor counted.
    const std::string twice = get(running.port(), "/twice");
    EXPECT_EQ(bodyOf(twice), "first");
    EXPECT_EQ(counters.requestCount(), 3u);
    EXPECT_EQ(counters.bytesSent(), ok.size() + twice.size());
}

// Static files carry their validators; a browser holding the same version gets a bare 304.
TEST(Response, StaticFilesAnswerConditionalRequestsWith304) {
    const TempFolder folder;
    TempFolder::write(folder.path() + "web/app.js", "let a = 1;");
    const RunningServer running(configFor(folder));
    const std::string first = get(running.port(), "/app.js");
    EXPECT_NE(first.find("\r\nCache-Control: no-cache\r\n"), std::string::npos) << first;
    const auto header = [&](const std::string& name) {
        const size_t start = first.find("\r\n" + name + ": ") + name.size() + 4;
        return first.substr(start, first.find('\r', start) - start);
    };
    const std::string etag = header("ETag");
    const std::string lastModified = header("Last-Modified");
    EXPECT_TRUE(etag.starts_with('"') && etag.ends_with('"')) << etag;
    EXPECT_TRUE(lastModified.ends_with(" GMT")) << lastModified;

    const auto conditional = [&](const std::string& line) {
        return fetch(running.port(), "GET /app.js HTTP/1.1\r\n" + line + "\r\n\r\n");
    };
    const std::string notModified = conditional("If-None-Match: \"x\", W/" + etag);
    EXPECT_EQ(notModified.substr(0, 27), "HTTP/1.0 304 Not Modified\r\n");
    EXPECT_NE(notModified.find("\r\nETag: " + etag + "\r\n"), std::string::npos);
    EXPECT_TRUE(notModified.ends_with("\r\n\r\n"));
    EXPECT_EQ(conditional("If-Modified-Since: " + lastModified).substr(0, 27), "HTTP/1.0 304 Not Modified\r\n");
    // Another version, or a tag that wins over the date, gets the whole file.
    EXPECT_EQ(bodyOf(conditional("If-None-Match: \"other\"")), "let a = 1;");
    EXPECT_EQ(bodyOf(conditional("If-None-Match: \"other\"\r\nIf-Modified-Since: " + lastModified)), "let a = 1;");
}
