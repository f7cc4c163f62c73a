// The service seam: a stop control, then STOP_PENDING until STOPPED.
#include "seam/Scoped.h"
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using ContractServices = ContractTest;

// Upper bound of status polls, about one second apart on the real side.
constexpr int kMaxPolls = 30;

// Stops `name` and returns every state seen until STOPPED or the bound.
std::vector<uint32_t> StopAndWatch(seam::Platform& p, const std::string& name) {
    std::vector<uint32_t> seen;
    seam::ScopedService manager(p.services, p.services.OpenManager());
    EXPECT_TRUE(manager);
    if (!manager) return seen;
    seam::ScopedService service(p.services, p.services.OpenService(manager.Get(), name));
    EXPECT_TRUE(service);
    if (!service) return seen;

    uint32_t state = 0;
    for (int poll = 0; poll < kMaxPolls; ++poll) {
        if (!p.services.QueryState(service.Get(), state) || state == seam::kSvcRunning) break;
        p.system.Sleep(1000);
    }
    EXPECT_EQ(seam::kSvcRunning, state) << "the installed service is not running";

    EXPECT_TRUE(p.services.ControlStop(service.Get()));
    for (int poll = 0; poll < kMaxPolls; ++poll) {
        if (!p.services.QueryState(service.Get(), state)) {
            ADD_FAILURE() << "QueryState failed";
            break;
        }
        seen.push_back(state);
        if (state == seam::kSvcStopped) break;
        p.system.Sleep(1000);
    }
    // A stopped service refuses another stop control.
    EXPECT_FALSE(p.services.ControlStop(service.Get()));
    return seen;
}

TEST_F(ContractServices, StopReportsPendingThenStopped) {
    for (int pendingPolls : {0, 2}) {
        SCOPED_TRACE(pendingPolls);
        const std::string name = "KvContractSvc" + std::to_string(pendingPolls);
        ASSERT_TRUE(m_cp->InstallService(name, pendingPolls));

        std::vector<uint32_t> seen = StopAndWatch(P(), name);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seam::kSvcStopped, seen.back());
        for (size_t i = 0; i + 1 < seen.size(); ++i) EXPECT_EQ(seam::kSvcStopPending, seen[i]);
        if (pendingPolls > 0) {
            EXPECT_EQ(seam::kSvcStopPending, seen.front());
        }
    }
}

TEST_F(ContractServices, AServiceThatRefusesOrIgnoresTheStopStaysRunning) {
    for (bool acceptsStop : {false, true}) {
        SCOPED_TRACE(acceptsStop ? "accepts the control" : "refuses the control");
        const std::string name = acceptsStop ? "KvContractSvcIgnores" : "KvContractSvcRefuses";
        ASSERT_TRUE(m_cp->InstallUnstoppableService(name, acceptsStop));
        seam::ScopedService manager(P().services, P().services.OpenManager());
        ASSERT_TRUE(manager);
        seam::ScopedService service(P().services, P().services.OpenService(manager.Get(), name));
        ASSERT_TRUE(service);

        EXPECT_EQ(acceptsStop, P().services.ControlStop(service.Get()));
        for (int poll = 0; poll < 3; ++poll) {
            uint32_t state = 0;
            ASSERT_TRUE(P().services.QueryState(service.Get(), state));
            EXPECT_EQ(seam::kSvcRunning, state) << "poll " << poll;
            P().system.Sleep(1000);
        }
    }
}

TEST_F(ContractServices, MissingServiceDoesNotOpen) {
    seam::ScopedService manager(P().services, P().services.OpenManager());
    ASSERT_TRUE(manager);
    EXPECT_EQ(0u, P().services.OpenService(manager.Get(), "KvContractNoSuchService"));
}

}  // namespace
}  // namespace contract
