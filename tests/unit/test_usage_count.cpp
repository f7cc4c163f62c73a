// The counter URLs, the server override and the silence of a failed request.
#include <gtest/gtest.h>

#include <cstdlib>

#include "net/Server.h"
#include "net/UsageCount.h"
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
    const std::string answered = ServerUrl(kCountRun);
    net.SetReply(answered, {"<html>404 Not Found</html>", "more"});

    EXPECT_TRUE(SendUsageCount(net, answered));
    EXPECT_TRUE(SendUsageCount(net, ServerUrl(kCountClean)));  // no reply: fails silently
    net.SetOnline(false);
    EXPECT_TRUE(SendUsageCount(net, answered));  // the online test is the caller's

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

}  // namespace
}  // namespace net
