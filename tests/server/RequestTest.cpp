#include <gtest/gtest.h>

#include "server/Request.h"
#include "server/RequestDispatch.h"
#include "text/TextSearch.h"

TEST(Request, SplitsMethodPathAndParameters) {
    const Request plain = parseRequest("GET /next HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(plain.method, "GET");
    EXPECT_EQ(plain.path, "/next");
    EXPECT_EQ(plain.argument, "");

    const Request withParams = parseRequest("GET /setfilterdata&name=a%26b&index=2 HTTP/1.0");
    EXPECT_EQ(withParams.path, "/setfilterdata");
    EXPECT_EQ(withParams.rawParams, "&name=a%26b&index=2");
    EXPECT_EQ(withParams.params, "&name=a&b&index=2");
    EXPECT_EQ(withParams.argument, "name=a&b&index=2");
    EXPECT_EQ(getParam("name", withParams.params), "a");
    EXPECT_EQ(percentDecode(getParam("name", withParams.rawParams)), "a&b");

    EXPECT_EQ(parseRequest("GET / HTTP/1.0").path, "/index.html");
    EXPECT_EQ(parseRequest("GET /play?x HTTP/1.0").path, "/play?x");
    EXPECT_EQ(parseRequest("GET /getsonginfo?id=5").argument, "");
    EXPECT_EQ(parseRequest("GET /quit").path, "/quit");
    EXPECT_EQ(parseRequest("NOSPACE").path, "");
    EXPECT_EQ(parseRequest("").method, "");
}

TEST(Request, NamedParametersAndNumbers) {
    const std::string source = "&id=7&token=TITLE&token=ARTIST&empty=";
    bool found = false;
    EXPECT_EQ(getParam("token", source, 0, found), "TITLE");
    EXPECT_TRUE(found);
    EXPECT_EQ(getParam("token", source, 1, found), "ARTIST");
    EXPECT_EQ(getParam("token", source, 2, found), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(getParam("empty", source, 0, found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(getParam("d", source), "");

    EXPECT_EQ(rowId("s42"), 42);
    EXPECT_EQ(rowId("42"), 2);
    EXPECT_EQ(rowId(""), 0);
}

TEST(Request, CommandsFromOtherSitesOrCutRequestsAreRefused) {
    EXPECT_FALSE(isCrossSiteRequest("GET /next"));
    EXPECT_FALSE(isCrossSiteRequest("GET /next HTTP/1.1\r\nHost: a\r\n\r\n"));
    EXPECT_FALSE(isCrossSiteRequest("GET /next HTTP/1.1\r\nSec-Fetch-Site: same-origin\r\n\r\n"));
    EXPECT_TRUE(isCrossSiteRequest("GET /next HTTP/1.1\r\nsec-fetch-site:  cross-site \r\n\r\n"));
    EXPECT_TRUE(isCrossSiteRequest("GET /next HTTP/1.1\r\nHost: a\r\n"));
    EXPECT_TRUE(isCrossSiteRequest("GET /quit&" + std::string(9000, 'x')));
}
