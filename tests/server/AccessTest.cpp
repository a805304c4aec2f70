#include <gtest/gtest.h>

#include "ServerHarness.h"
#include <unistd.h>

#include <array>

#include "net/HostInfo.h"
#include "net/MachineIdentity.h"
#include "net/MachineNames.h"
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
    const MachineIdentity machine;
    EXPECT_TRUE(isAllowed("127.0.0.1", {}, machine));
    // Every interface's address counts as this machine, not only the host name's.
    for (const std::string& address : readMachineNames().addresses) {
        if (address.find(':') != std::string::npos) continue;
        EXPECT_TRUE(isAllowed(address, {}, machine)) << address;
    }
    const HostInfo local = lookupLocalHost();
    ASSERT_TRUE(local.found());
    EXPECT_TRUE(isAllowed(local.addressText(), {}, machine));
    EXPECT_FALSE(isAllowed("127.0.0.2", {}, machine));
    EXPECT_FALSE(isAllowed("127.0.0.2", listOf({"127.0.0.20", "127.0.0", "127.0.0.2 ", "10.*"}), machine));
    EXPECT_TRUE(isAllowed("127.0.0.2", listOf({"10.0.0.1", "127.0.0.2"}), machine));
    EXPECT_TRUE(isAllowed("192.168.1.9", listOf({"*"}), machine));
}

TEST(Access, TheMachinesNamesAndAddressesInAnySpelling) {
    const MachineIdentity machine;
    EXPECT_TRUE(machine.isOwnName("LocalHost."));
    EXPECT_TRUE(machine.isOwnAddress("0:0:0:0:0:0:0:1"));
    EXPECT_TRUE(machine.isOwnAddress("127.0.0.1"));
    EXPECT_FALSE(machine.isOwnAddress("127.0.0.2"));
    EXPECT_FALSE(machine.isOwnName("evil.example"));
    EXPECT_FALSE(machine.isOwnName(""));
    std::array<char, 256> host{};
    ASSERT_EQ(gethostname(host.data(), host.size() - 1), 0);
    const std::string name = host.data();
    EXPECT_TRUE(machine.isOwnName(name));
    EXPECT_TRUE(machine.isOwnName(name.substr(0, name.find('.'))));
}

TEST(Access, ARefusedPeerGetsTheExact403) {
    const TempFolder folder;
    ServerConfig config = loopbackConfig(folder);
    const RunningServer closed(config);
    EXPECT_EQ(get(closed.port(), "/test", "127.0.0.2"),
              "HTTP/1.0 403 Forbidden\r\nContent-Length: 15\r\nX-Content-Type-Options: nosniff\r\n\r\n"
              "403 Forbidden\r\n");
    EXPECT_EQ(bodyOf(get(closed.port(), "/test")), "ok");

    config.access = listOf({"127.0.0.2"});
    const RunningServer listed(config);
    EXPECT_EQ(bodyOf(get(listed.port(), "/test", "127.0.0.2")), "ok");
}
