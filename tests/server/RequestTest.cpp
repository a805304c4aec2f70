#include <gtest/gtest.h>

#include "server/Request.h"
#include "server/RequestOrigin.h"
#include "text/TextSearch.h"

// The process tests send plain, percent-encoded and repeated parameters; these are the
// forms between them.
TEST(Request, SplitsMethodPathAndParameters) {
    const Request withParams = parseRequest("GET /setfilterdata&name=a%26b&index=2 HTTP/1.0");
    EXPECT_EQ(withParams.path, "/setfilterdata");
    EXPECT_EQ(withParams.rawParams, "&name=a%26b&index=2");
    EXPECT_EQ(withParams.params, "&name=a&b&index=2");
    EXPECT_EQ(withParams.argument, "name=a&b&index=2");
    EXPECT_EQ(getParam("name", withParams.params), "a");
    EXPECT_EQ(percentDecode(getParam("name", withParams.rawParams)), "a&b");

    EXPECT_EQ(parseRequest("GET /getsonginfo?id=5").argument, "");
    EXPECT_EQ(parseRequest("GET /quit").path, "/quit");
    EXPECT_EQ(parseRequest("NOSPACE").path, "");
    EXPECT_EQ(parseRequest("").method, "");
}

TEST(Request, NamedParametersAndNumbers) {
    const std::string source = "&id=7&token=TITLE&token=ARTIST&empty=";
    bool found = false;
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
    const auto refused = [](std::string_view headers) { return crossSiteReason(headers).has_value(); };
    // Programs, the player's own pages and the address bar.
    EXPECT_FALSE(refused("GET /next"));
    EXPECT_FALSE(refused("GET /next HTTP/1.1\r\nHost: a\r\n\r\n"));
    EXPECT_FALSE(refused("GET /next HTTP/1.1\r\nSec-Fetch-Site: same-origin\r\n\r\n"));
    EXPECT_FALSE(refused("GET /next HTTP/1.1\r\nSec-Fetch-Site: NONE\r\n\r\n"));
    EXPECT_FALSE(refused("POST /next HTTP/1.1\r\nHost: Player:1200\r\nOrigin: http://player:1200\r\n\r\n"));
    EXPECT_FALSE(refused("POST /next HTTP/1.1\r\nHost: [::1]\r\nOrigin: http://[::1]:80\r\n\r\n"));
    // Other sites' pages, whatever the case of the mark.
    EXPECT_TRUE(refused("GET /next HTTP/1.1\r\nsec-fetch-site:  cross-site \r\n\r\n"));
    EXPECT_TRUE(refused("GET /next HTTP/1.1\r\nSec-Fetch-Site: Same-Site\r\n\r\n"));
    EXPECT_TRUE(refused("GET /next HTTP/1.1\r\nSec-Fetch-Site: CROSS-SITE\r\n\r\n"));
    EXPECT_TRUE(refused("POST /next HTTP/1.1\r\nHost: 127.0.0.1:1200\r\nOrigin: http://127.0.0.1:1\r\n\r\n"));
    EXPECT_TRUE(refused("POST /next HTTP/1.1\r\nHost: 127.0.0.1\r\nOrigin: https://127.0.0.1\r\n\r\n"));
    EXPECT_TRUE(refused("POST /next HTTP/1.1\r\nHost: 127.0.0.1\r\nOrigin: null\r\n\r\n"));
    EXPECT_TRUE(refused("POST /next HTTP/1.1\r\nOrigin: http://127.0.0.1\r\n\r\n"));
    // Cut short: the mark may be in what never came.
    EXPECT_TRUE(refused("GET /next HTTP/1.1\r\nHost: a\r\n"));
    EXPECT_TRUE(refused("GET /quit&" + std::string(9000, 'x')));
    // A long request line still has all its headers read.
    EXPECT_FALSE(refused("GET /search&" + std::string(20000, 'x') + " HTTP/1.1\r\nHost: a\r\n\r\n"));
    EXPECT_TRUE(refused("GET /search&" + std::string(20000, 'x') + " HTTP/1.1\r\nSec-Fetch-Site: same-site\r\n\r\n"));
}

TEST(Request, OnlyHostsOfThisMachinePass) {
    const auto own = [](std::string_view host) { return host == "127.0.0.1" || host == "::1" || host == "player"; };
    const auto refused = [&](std::string_view headers) { return foreignHostReason(headers, own).has_value(); };
    EXPECT_FALSE(refused("GET /next"));
    EXPECT_FALSE(refused("GET /next HTTP/1.1\r\nHost: 127.0.0.1:1200\r\n\r\n"));
    EXPECT_FALSE(refused("GET /next HTTP/1.1\r\nhost: [::1]:1200\r\n\r\n"));
    EXPECT_FALSE(refused("GET /next HTTP/1.1\r\nHost: player\r\n\r\n"));
    EXPECT_TRUE(refused("GET /next HTTP/1.1\r\nHost: evil.example:1200\r\n\r\n"));
    EXPECT_TRUE(refused("GET /next HTTP/1.1\r\nHost: \r\n\r\n"));
    // Only the first Host counts, and a header's value is not a header.
    EXPECT_TRUE(refused("GET /next HTTP/1.1\r\nHost: evil.example\r\nHost: player\r\n\r\n"));
    EXPECT_TRUE(refused("GET /next HTTP/1.1\r\nX-Note: Host: player\r\nHost: evil\r\n\r\n"));
    EXPECT_EQ(foreignHostReason("GET / HTTP/1.1\r\nHost: evil.example\r\n\r\n", own),
              "the Host \"evil.example\" does not name this machine");
}
