#include <gtest/gtest.h>

#include <vector>

#include "net/Dechunk.h"
#include "net/HttpResponseReader.h"

namespace {

using Kind = HttpOutcome::Kind;

HttpOutcome readAll(bool version11, const std::vector<std::string>& pieces,
                    size_t maxBytes = 1024) {
    HttpResponseReader reader(version11, maxBytes);
    for (const std::string& piece : pieces) {
        if (!reader.add(piece)) break;
    }
    return reader.finish();
}

std::string dechunked(std::string_view chunked) {
    ByteBuffer body;
    body.append(chunked);
    return dechunk(body) ? std::string(body.view()) : "<refused>";
}

}  // namespace

TEST(Dechunk, DecodesCompleteBodiesAndRefusesCutOrAbsurdChunks) {
    EXPECT_EQ(dechunked("4\r\nWiki\r\n5\r\npedia\r\n0\r\n\r\n"), "Wikipedia");
    EXPECT_EQ(dechunked("0004;x=y\r\nWiki\r\n0\r\nTrailer: 1\r\n\r\n"), "Wiki");
    EXPECT_EQ(dechunked("0\r\n\r\n"), "");
    EXPECT_EQ(dechunked("4\r\nWiki\r\n"), "Wiki");  // the last chunk never came
    EXPECT_EQ(dechunked("4\r\nWiki"), "Wiki");
    EXPECT_EQ(dechunked("5\r\nWiki"), "<refused>");
    EXPECT_EQ(dechunked("4\r\nWiki\r\n1f"), "<refused>");  // size line without end or data
    EXPECT_EQ(dechunked("FFFFFFFFFFFFFFFF\r\nWiki\r\n"), "<refused>");
    EXPECT_EQ(dechunked("7fffffff\r\nWiki\r\n"), "<refused>");
}

TEST(HttpResponseReader, RefusesMalformedOrShortResponses) {
    for (const std::string first :
         {"HTTP/1.1 200 OK\r\n", "HTTPS/1.1 200 OK\r\n\r\n", "ICY 200 OK\r\nicy-name: x\r\n\r\n",
          "HTTP/1.1 200 OK\r\nX: no header end", "HTTP/1.1 200 OK\r\nContent-Length: -4\r\n\r\nab",
          "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n",
          "HTTP/1.1 200 OK\r\nContent-Length: 2000\r\n\r\n",
          "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n9\r\nWiki\r\n",
          "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"}) {
        EXPECT_EQ(readAll(true, {first}).kind, Kind::Failed) << first;
    }
    // The header must come in the first piece; the whole response within the limit.
    EXPECT_EQ(readAll(false, {"HTTP/1.0 200 OK\r\nX: y", "\r\n\r\nbody"}).kind, Kind::Failed);
    EXPECT_EQ(readAll(false, {"HTTP/1.0 200 OK\r\n\r\n", std::string(2000, 'x')}).kind,
              Kind::Failed);
    // Without a length the response ends with its first piece.
    EXPECT_EQ(readAll(true, {"HTTP/1.1 200 OK\r\nX: y\r\n\r\nab", "cd"}).body.view(), "ab");
}

