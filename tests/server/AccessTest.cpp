#include <gtest/gtest.h>

#include "ServerHarness.h"
#include "net/HostInfo.h"
#include "server/AccessRule.h"
#include "support/TempFolder.h"

namespace {

StrList listOf(std::initializer_list<const char*> entries) {
    StrList list;
    for (const char* entry : entries) list.add(entry);
    return list;
}

}  // namespace

TEST(Access, OnlyThisMachineUnlessTheListAdmitsThePeer) {
    EXPECT_TRUE(isAllowed("127.0.0.1", {}));
    const HostInfo local = lookupLocalHost();
    ASSERT_TRUE(local.found());
    EXPECT_TRUE(isAllowed(local.addressText(), {}));
    EXPECT_FALSE(isAllowed("127.0.0.2", {}));
    EXPECT_FALSE(isAllowed("127.0.0.2", listOf({"127.0.0.20", "127.0.0", "127.0.0.2 ", "10.*"})));
    EXPECT_TRUE(isAllowed("127.0.0.2", listOf({"10.0.0.1", "127.0.0.2"})));
    EXPECT_TRUE(isAllowed("192.168.1.9", listOf({"*"})));
}

TEST(Access, ARefusedPeerGetsTheExact403) {
    const TempFolder folder;
    ServerConfig config = loopbackConfig(folder);
    const RunningServer closed(config);
    EXPECT_EQ(get(closed.port(), "/test", "127.0.0.2"),
              "HTTP/1.0 403 Forbidden\r\nContent-Length: 15\r\n\r\n403 Forbidden\r\n");
    EXPECT_EQ(bodyOf(get(closed.port(), "/test")), "ok");

    config.access = listOf({"127.0.0.2"});
    const RunningServer listed(config);
    EXPECT_EQ(bodyOf(get(listed.port(), "/test", "127.0.0.2")), "ok");
}
