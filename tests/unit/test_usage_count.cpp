// The counter URLs, the server override and the silence of a failed request.
#include <gtest/gtest.h>

#include <cstdlib>

#include "net/Server.h"
#include "net/UsageCount.h"
#include "net/UsageSwitch.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeNet.h"

namespace net {
namespace {

class UsageCount : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("KESTRAVIN_SERVER"); }
    void TearDown() override { unsetenv("KESTRAVIN_SERVER"); }
};

TEST_F(UsageCount, ServerBaseComesFromTheEnvironmentWhenSet) {
    EXPECT_EQ("http://www.kestravin.com", ServerBase());

    setenv("KESTRAVIN_SERVER", "", 1);
    EXPECT_EQ("http://www.kestravin.com", ServerBase());

    setenv("KESTRAVIN_SERVER", "http://127.0.0.1:8765", 1);
    EXPECT_EQ("http://127.0.0.1:8765", ServerBase());

    setenv("KESTRAVIN_SERVER", "http://127.0.0.1:8765//", 1);
    EXPECT_EQ("http://127.0.0.1:8765", ServerBase());
    EXPECT_EQ("http://127.0.0.1:8765/request/count.php?mode=run&key=kestravin", ServerUrl(kCountRun));
}

TEST_F(UsageCount, TheFourCounterUrlsAreFixedTexts) {
    EXPECT_EQ("http://www.kestravin.com/request/count.php?mode=run&key=kestravin", ServerUrl(kCountRun));
    EXPECT_EQ("http://www.kestravin.com/request/count.php?mode=analysis&key=kestravin", ServerUrl(kCountAnalysis));
    EXPECT_EQ("http://www.kestravin.com/request/count.php?mode=clean&key=kestravin", ServerUrl(kCountClean));
    EXPECT_EQ("http://www.kestravin.com/request/count.php?mode=update_exe&key=kestravin",
              ServerUrl(kCountUpdateExe));
}

TEST_F(UsageCount, RequestIsBoundedAndAlwaysSucceeds) {
    fakes::FakeNet net;
    fakes::FakeRegistry reg;
    const std::string answered = ServerUrl(kCountRun);
    net.SetReply(answered, {"<html>404 Not Found</html>", "more"});

    EXPECT_TRUE(SendUsageCount(net, reg, answered));
    EXPECT_TRUE(SendUsageCount(net, reg, ServerUrl(kCountClean)));  // no reply: fails silently
    net.SetOnline(false);
    EXPECT_TRUE(SendUsageCount(net, reg, answered));  // the online test is the caller's

    const auto requests = net.Requests();
    ASSERT_EQ(3u, requests.size());
    EXPECT_EQ(answered, requests[0].url);
    EXPECT_EQ(ServerUrl(kCountClean), requests[1].url);
    for (const auto& r : requests) {
        EXPECT_EQ(seam::NetTimeouts{}.connectMs, r.timeouts.connectMs);
        EXPECT_EQ(seam::NetTimeouts{}.receiveMs, r.timeouts.receiveMs);
        EXPECT_GT(r.maxBytes, 0u);
        EXPECT_LE(r.maxBytes, 4096u);
    }
    EXPECT_EQ(0, net.OnlineTests());
}

TEST_F(UsageCount, SwitchIsOnUntilTheUserTurnsItOffAndNeverSendsWhileOff) {
    fakes::FakeNet net;
    fakes::FakeRegistry reg;
    const auto kHkcu = seam::RegRoot::CurrentUser;
    const std::string url = ServerUrl(kCountRun);

    // Never touched: on, and reading it leaves no key of ours behind.
    EXPECT_TRUE(IsUsageCountOn(reg));
    EXPECT_FALSE(reg.KeyExists(kHkcu, kSettingsKey));
    SendUsageCount(net, reg, url);
    EXPECT_EQ(1u, net.Requests().size());

    ASSERT_EQ(seam::kErrSuccess, SetUsageCountOn(reg, false));
    EXPECT_FALSE(IsUsageCountOn(reg));
    for (const char* query : {kCountRun, kCountAnalysis, kCountClean, kCountUpdateExe})
        EXPECT_TRUE(SendUsageCount(net, reg, ServerUrl(query)));
    EXPECT_EQ(1u, net.Requests().size()) << "a request went out with the switch off";

    ASSERT_EQ(seam::kErrSuccess, SetUsageCountOn(reg, true));
    EXPECT_TRUE(IsUsageCountOn(reg));
    SendUsageCount(net, reg, url);
    EXPECT_EQ(2u, net.Requests().size());
    EXPECT_EQ(0, reg.OpenHandleCount());
}

TEST_F(UsageCount, OnlyADwordZeroSwitchesTheCountsOff) {
    fakes::FakeRegistry reg;
    const auto kHkcu = seam::RegRoot::CurrentUser;
    reg.SetDword(kHkcu, kSettingsKey, kSendUsageValue, 0);
    EXPECT_FALSE(IsUsageCountOn(reg));
    reg.SetDword(kHkcu, kSettingsKey, kSendUsageValue, 7);
    EXPECT_TRUE(IsUsageCountOn(reg));
    // Not the switch's type or size: a value someone else put there.
    reg.SetString(kHkcu, kSettingsKey, kSendUsageValue, "0");
    EXPECT_TRUE(IsUsageCountOn(reg));
    reg.SetBytes(kHkcu, kSettingsKey, kSendUsageValue, seam::kRegDword, {0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(IsUsageCountOn(reg));
    reg.SetBytes(kHkcu, kSettingsKey, kSendUsageValue, seam::kRegDword, {0, 0, 0, 0});
    EXPECT_FALSE(IsUsageCountOn(reg));
    // A key we may not read: the default holds.
    reg.Deny(kHkcu, kSettingsKey, fakes::kDenyOpen);
    EXPECT_TRUE(IsUsageCountOn(reg));
    // Nor write: the switch stays as it was, and the caller hears why.
    EXPECT_EQ(seam::kErrAccessDenied, SetUsageCountOn(reg, false));
    EXPECT_EQ(0, reg.OpenHandleCount());
}

}  // namespace
}  // namespace net
