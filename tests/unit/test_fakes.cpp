// What the fakes add beyond the contract suite, which the category and
// driver tests lean on: access masks, deleted keys, refusals, services that
// stop late or never, and the batching list.
#include <gtest/gtest.h>

#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"
#include "tests/fakes/FoldCase.h"

namespace fakes {
namespace {

TEST(FakeRegistryExtras, AccessMasksAndDeletedKeysAnswerAsWindowsDoes) {
    FakeRegistry reg;
    reg.SetString(seam::RegRoot::CurrentUser, "K", "v", "1");

    seam::RegKey readOnly = 0, writeOnly = 0, deleted = 0;
    ASSERT_EQ(seam::kErrSuccess, reg.OpenKey(seam::RegRoot::CurrentUser, "K", seam::RegAccess::Read, readOnly));
    ASSERT_EQ(seam::kErrSuccess, reg.OpenKey(seam::RegRoot::CurrentUser, "K", seam::RegAccess::Write, writeOnly));
    std::vector<uint8_t> data;
    std::string name;
    EXPECT_EQ(seam::kErrAccessDenied, reg.DeleteValue(readOnly, "v"));
    EXPECT_EQ(seam::kErrAccessDenied, reg.SetValue(readOnly, "w", seam::kRegSz, {0}));
    EXPECT_EQ(seam::kErrAccessDenied, reg.QueryValue(writeOnly, "v", data, 260, nullptr));
    EXPECT_EQ(seam::kErrAccessDenied, reg.EnumValueName(writeOnly, 0, name, 260));

    ASSERT_EQ(seam::kErrSuccess, reg.OpenKey(seam::RegRoot::CurrentUser, "K", seam::RegAccess::Default, deleted));
    ASSERT_EQ(seam::kErrSuccess, reg.DeleteKey(seam::RegRoot::CurrentUser, "K"));
    EXPECT_EQ(kErrKeyDeleted, reg.QueryValue(deleted, "v", data, 260, nullptr));
    EXPECT_EQ(kErrKeyDeleted, reg.EnumSubkey(deleted, 0, name, 260));
    EXPECT_EQ(kErrKeyDeleted, reg.SetValue(deleted, "v", seam::kRegSz, {0}));
    EXPECT_FALSE(reg.KeyExists(seam::RegRoot::CurrentUser, "K"));

    EXPECT_EQ(3, reg.OpenHandleCount());
    for (seam::RegKey k : {readOnly, writeOnly, deleted}) reg.CloseKey(k);
    reg.CloseKey(deleted);
    EXPECT_EQ(0, reg.OpenHandleCount());
    EXPECT_EQ(1, reg.BadCloseCount());
}

TEST(FakeRegistryExtras, FoldingLeavesDoubleByteCharactersAlone) {
    // 0xB0 0x41 is one code page 949 character whose trail byte reads as 'A'.
    const std::string korean = "\xB0\x41" "ABC";
    EXPECT_EQ("\xB0\x41" "abc", FoldCase(korean));
    EXPECT_FALSE(SameName("\xB0\x41", "\xB0\x61"));

    FakeRegistry reg;
    reg.SetString(seam::RegRoot::CurrentUser, "K", "\xB0\x41", "1");
    EXPECT_FALSE(reg.ValueExists(seam::RegRoot::CurrentUser, "K", "\xB0\x61"));
    EXPECT_TRUE(reg.ValueExists(seam::RegRoot::CurrentUser, "k", "\xB0\x41"));
}

TEST(FakeProcessesExtras, RefusalsAndIgnoredTerminations) {
    FakeProcesses procs;
    const uint32_t refuses = procs.Add("a.exe");
    const uint32_t ignores = procs.Add("b.exe");
    const uint32_t closed = procs.Add("c.exe");
    procs.SetTerminateMode(refuses, TerminateMode::Refuses);
    procs.SetTerminateMode(ignores, TerminateMode::Ignores);
    procs.SetOpenFails(closed, true);

    EXPECT_EQ(0u, procs.Open(closed));
    seam::ProcHandle a = procs.Open(refuses);
    seam::ProcHandle b = procs.Open(ignores);
    EXPECT_FALSE(procs.Terminate(a, 0));
    EXPECT_TRUE(procs.Terminate(b, 0));
    EXPECT_EQ(seam::WaitResult::TimedOut, procs.Wait(b, 5000));
    EXPECT_TRUE(procs.IsRunning(refuses));
    EXPECT_TRUE(procs.IsRunning(ignores));
    EXPECT_TRUE(procs.Terminated().empty());
    procs.Close(a);
    procs.Close(b);
    EXPECT_EQ(0, procs.OpenHandleCount());

    procs.SetSnapshotFails(true);
    std::vector<seam::ProcessEntry> entries;
    EXPECT_FALSE(procs.Snapshot(entries));
}

TEST(FakeServicesExtras, LateNeverAndLinkedStops) {
    FakePlatform fake;
    const uint32_t agent = fake.processes.Add("qdownagent.exe");
    fake.services.Install("QuickDownload Agent", seam::kSvcRunning, 3, agent);
    fake.services.Install("Stuck", seam::kSvcRunning, -1);

    seam::SvcHandle manager = fake.services.OpenManager();
    seam::SvcHandle late = fake.services.OpenService(manager, "quickdownload agent");
    seam::SvcHandle stuck = fake.services.OpenService(manager, "Stuck");
    ASSERT_NE(0u, late);
    ASSERT_NE(0u, stuck);

    EXPECT_TRUE(fake.services.ControlStop(late));
    uint32_t state = 0;
    for (int poll = 0; poll < 3; ++poll) {
        ASSERT_TRUE(fake.services.QueryState(late, state));
        EXPECT_EQ(seam::kSvcStopPending, state);
        EXPECT_TRUE(fake.processes.IsRunning(agent));
    }
    ASSERT_TRUE(fake.services.QueryState(late, state));
    EXPECT_EQ(seam::kSvcStopped, state);
    EXPECT_FALSE(fake.processes.IsRunning(agent));

    EXPECT_TRUE(fake.services.ControlStop(stuck));
    for (int poll = 0; poll < 100; ++poll) ASSERT_TRUE(fake.services.QueryState(stuck, state));
    EXPECT_EQ(seam::kSvcStopPending, state);

    for (seam::SvcHandle h : {late, stuck, manager}) fake.services.Close(h);
    EXPECT_EQ(0, fake.services.OpenHandleCount());
    EXPECT_EQ(0, fake.services.BadCloseCount());
}

TEST(FakeTraceListExtras, BatchedRowsAppearInOrderOnFlush) {
    FakeTraceList list;
    list.SetBatching(true);
    seam::TraceItem a, b;
    a.text[seam::kColName] = "a";
    b.text[seam::kColName] = "b";
    list.InsertTop(a);
    list.InsertTop(b);
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(2, list.Pending());
    list.Flush();
    ASSERT_EQ(2, list.Count());
    EXPECT_EQ("b", list.Read(0).Name());  // the last inserted is on top
    EXPECT_EQ("a", list.Read(1).Name());
}

}  // namespace
}  // namespace fakes
