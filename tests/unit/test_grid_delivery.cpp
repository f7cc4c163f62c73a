// Grid delivery over the fake processes, services and sleep: which agents are
// listed, and how stopping a row's service ends, with every wait bounded.
#include <gtest/gtest.h>

#include "engine/processes/GridDelivery.h"
#include "engine/processes/ProcessReset.h"
#include "seam/Text.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"

namespace engine {
namespace {

struct Agent {
    const char* exe;
    const char* service;
};

const Agent kAgents[] = {
    {"ExpressService.exe", "ExpressService"},       {"qdownservice.exe", "QuickDownload Service"},
    {"qdownupdate.exe", "QuickDownload Update"},    {"qdownagent.exe", "QuickDownload Agent"},
    {"XOcean.exe", "xOcean"},                       {"xOceanUpdate.exe", "xOceanUpdate"},
    {"NetAccelerator.exe", "NetAccelerator"},       {"WinCloud.exe", "wincloud"},
    {"GDownService.exe", "GDownService"},           {"SuperDownService.exe", "Superdownservice"},
    {"OnDiskDownService.exe", "OnDiskDownService"}, {"CloudManager.exe", "CloudManager"},
    {"MicroCloudEngine.exe", "MicroCloudEngine"},   {"KUploadService.exe", "KService"},
    {"natsvc.exe", "NATService"},                   {"QBrid_Service.exe", "QBrid_Service"},
};

class GridDelivery : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(0, m_fake.services.OpenHandleCount()) << "a service handle was left open";
        EXPECT_EQ(0, m_fake.services.BadCloseCount());
        EXPECT_EQ(0, m_fake.processes.OpenHandleCount());
    }
    bool Stop(const std::string& exe) { return IsGone(StopGridService(m_fake.platform, exe)); }
    // A running agent process with its service, which ends the process when it stops.
    uint32_t RunAgent(const std::string& exe, const std::string& service, int pendingPolls = 0) {
        const uint32_t pid = m_fake.processes.Add(exe);
        m_fake.services.Install(service, seam::kSvcRunning, pendingPolls, pid);
        return pid;
    }
    std::vector<seam::TraceItem> Rows() { return m_view.List().Rows(); }

    fakes::FakePlatform m_fake;
    EngineState m_state;
    fakes::FakeView m_view{&m_state};
};

TEST_F(GridDelivery, ListsTheSixteenAgentsByExactName) {
    for (const Agent& a : kAgents) m_fake.processes.Add(a.exe);
    m_fake.processes.Add("QDownAgent.exe");  // differs in case only
    m_fake.processes.Add("notepad.exe");
    ScanGridAgents(m_fake.processes, m_state, m_view);

    const auto rows = Rows();
    ASSERT_EQ(16u, rows.size());
    for (size_t i = 0; i < 16; ++i) {
        const seam::TraceItem& row = rows[15 - i];  // the first found is at the bottom
        EXPECT_EQ(kAgents[i].exe, row.Name());
        EXPECT_EQ(seam::Cp949FromUtf8("그리드딜리버리"), row.text[seam::kColRead]);
        EXPECT_EQ("GRID", row.text[seam::kColCode]);
        EXPECT_EQ("", row.text[seam::kColRegKey] + row.text[seam::kColValue] + row.text[seam::kColData]);
    }
    EXPECT_EQ(16, m_state.Count(seam::kGrid));
    EXPECT_EQ(0, m_state.Count(seam::kProcess));
}

TEST_F(GridDelivery, EachAgentStopsItsPairedService) {
    for (const Agent& a : kAgents) RunAgent(a.exe, a.service);
    for (const Agent& a : kAgents) {
        EXPECT_TRUE(Stop(a.exe)) << a.exe;
        EXPECT_EQ(seam::kSvcStopped, m_fake.services.State(a.service)) << a.service;
        EXPECT_EQ(1, m_fake.services.StopControls(a.service)) << a.service;
    }
    EXPECT_EQ(0u, m_fake.system.SleptMs());
}

TEST_F(GridDelivery, StopPollsWhileStopPendingWithinABound) {
    // Stops at once: no sleep.
    RunAgent("qdownagent.exe", "QuickDownload Agent");
    m_state.SetCount(seam::kGrid, 3);
    EXPECT_TRUE(Stop("qdownagent.exe"));
    EXPECT_EQ(0, m_fake.system.SleepCalls());
    EXPECT_EQ(0, m_fake.processes.RunningCount("qdownagent.exe"));

    // Three polls of stop-pending: three seconds.
    RunAgent("XOcean.exe", "xOcean", 3);
    EXPECT_TRUE(Stop("XOcean.exe"));
    EXPECT_EQ(3000u, m_fake.system.SleptMs());
    EXPECT_EQ(3, m_fake.system.SleepCalls());

    // Never leaves stop-pending: the bound ends the wait and the trace stays.
    const uint32_t pid = RunAgent("natsvc.exe", "NATService", -1);
    EXPECT_EQ(engine::RowFate::StillRunning, StopGridService(m_fake.platform, "natsvc.exe"));
    EXPECT_EQ(3 + 30, m_fake.system.SleepCalls());
    EXPECT_EQ(3000u + 30000u, m_fake.system.SleptMs());
    EXPECT_EQ(1 + 30, m_fake.services.Queries("NATService"));
    EXPECT_EQ(seam::kSvcStopPending, m_fake.services.State("NATService"));
    EXPECT_TRUE(m_fake.processes.IsRunning(pid));
    EXPECT_EQ(3, m_state.Count(seam::kGrid)) << "only the pass moves the counter";
}

TEST_F(GridDelivery, AServiceThatDoesNotStopKeepsItsTraceAndItsCount) {
    // Refuses the control (it does not accept stop) and stays RUNNING.
    const uint32_t refuses = RunAgent("SuperDownService.exe", "Superdownservice");
    m_fake.services.SetStopMode("Superdownservice", fakes::StopMode::Refuses);
    // Accepts the control, then goes on reporting RUNNING.
    const uint32_t ignores = RunAgent("MicroCloudEngine.exe", "MicroCloudEngine");
    m_fake.services.SetStopMode("MicroCloudEngine", fakes::StopMode::Ignores);
    m_state.SetCount(seam::kGrid, 2);

    EXPECT_FALSE(Stop("SuperDownService.exe"));
    EXPECT_FALSE(Stop("MicroCloudEngine.exe"));
    EXPECT_EQ(1, m_fake.services.StopControls("Superdownservice"));
    EXPECT_EQ(1, m_fake.services.StopControls("MicroCloudEngine"));
    EXPECT_EQ(seam::kSvcRunning, m_fake.services.State("Superdownservice"));
    EXPECT_EQ(seam::kSvcRunning, m_fake.services.State("MicroCloudEngine"));
    EXPECT_TRUE(m_fake.processes.IsRunning(refuses));
    EXPECT_TRUE(m_fake.processes.IsRunning(ignores));
    EXPECT_EQ(2, m_state.Count(seam::kGrid));
    EXPECT_TRUE(m_view.CounterChanges().empty());
    EXPECT_EQ(0, m_fake.system.SleepCalls());
}

TEST_F(GridDelivery, AlreadyStoppedServiceIsGone) {
    m_fake.services.Install("GDownService", seam::kSvcStopped);
    EXPECT_EQ(engine::RowFate::Removed, StopGridService(m_fake.platform, "GDownService.exe"));
    EXPECT_EQ(0, m_fake.system.SleepCalls());
}

TEST_F(GridDelivery, AgentWithoutItsServiceIsGoneOnlyWhenNotRunning) {
    const uint32_t pid = m_fake.processes.Add("WinCloud.exe");
    EXPECT_FALSE(Stop("WinCloud.exe"));
    EXPECT_TRUE(m_fake.processes.IsRunning(pid));
    EXPECT_EQ(0, m_state.Count(seam::kGrid));

    m_fake.processes.End(pid);
    EXPECT_EQ(engine::RowFate::AlreadyGone, StopGridService(m_fake.platform, "WinCloud.exe"));
    EXPECT_EQ(0, m_state.Count(seam::kGrid));
    EXPECT_TRUE(m_view.CounterChanges().empty());

    // A name outside the table opens no service at all.
    m_fake.services.Install("QuickDownload Agent");
    m_fake.processes.Add("QDownAgent.exe");
    EXPECT_FALSE(Stop("QDownAgent.exe"));
    EXPECT_EQ(0, m_fake.services.StopControls("QuickDownload Agent"));
}

TEST_F(GridDelivery, ManagerOrStatusFailuresLeaveTheTrace) {
    const uint32_t pid = RunAgent("CloudManager.exe", "CloudManager");
    m_fake.services.SetManagerFails(true);
    EXPECT_FALSE(Stop("CloudManager.exe"));
    EXPECT_EQ(0, m_fake.services.StopControls("CloudManager"));

    m_fake.services.SetManagerFails(false);
    m_fake.services.Install("CloudManager", seam::kSvcRunning, 2, pid);
    m_fake.services.SetQueryFails("CloudManager", true);
    EXPECT_FALSE(Stop("CloudManager.exe"));
    EXPECT_EQ(1, m_fake.services.StopControls("CloudManager"));
    EXPECT_EQ(0, m_state.Count(seam::kGrid));  // status never read: count unchanged
    EXPECT_TRUE(m_view.CounterChanges().empty());
}

TEST_F(GridDelivery, AnAgentRunByItsServiceIsAGridTraceOnly) {
    // Its process is a running service's: PROCESS leaves it to GRID, which
    // stops the service. Without its service it is a program like any other.
    RunAgent("KUploadService.exe", "KService");
    m_fake.processes.Add("qdownagent.exe");
    ScanGridAgents(m_fake.processes, m_state, m_view);
    ScanProcesses(m_fake.platform, m_state, m_view);
    const auto rows = Rows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("PROCESS", rows[0].Code());
    EXPECT_EQ("qdownagent.exe", rows[0].Name());
    EXPECT_EQ("GRID", rows[1].Code());
    EXPECT_EQ("GRID", rows[2].Code());
    EXPECT_EQ(2, m_state.Count(seam::kGrid));
    EXPECT_EQ(1, m_state.Count(seam::kProcess));
}

}  // namespace
}  // namespace engine
