// The seam's handle owners: whoever holds a handle last closes it, once.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "seam/Scoped.h"
#include "tests/fakes/FakeProcesses.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"

namespace {

TEST(Scoped, AMovedKeyIsClosedOnceByItsLastOwner) {
    fakes::FakeRegistry reg;
    {
        seam::ScopedRegKey first(reg);
        ASSERT_EQ(seam::kErrSuccess, reg.CreateKey(seam::RegRoot::CurrentUser, "Software\\A", seam::RegAccess::AllAccess, first.Out()));
        ASSERT_TRUE(first);
        seam::ScopedRegKey second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_TRUE(second);
        EXPECT_EQ(1, reg.OpenHandleCount());

        // Assigning over a held key closes the one it held.
        seam::ScopedRegKey third(reg);
        ASSERT_EQ(seam::kErrSuccess, reg.CreateKey(seam::RegRoot::CurrentUser, "Software\\B", seam::RegAccess::AllAccess, third.Out()));
        EXPECT_EQ(2, reg.OpenHandleCount());
        third = std::move(second);
        EXPECT_EQ(1, reg.OpenHandleCount());

        // Out() closes what is held before handing out the slot.
        ASSERT_EQ(seam::kErrSuccess, reg.OpenKey(seam::RegRoot::CurrentUser, "Software\\B", seam::RegAccess::Read, third.Out()));
        EXPECT_EQ(1, reg.OpenHandleCount());
    }
    EXPECT_EQ(0, reg.OpenHandleCount());
    EXPECT_EQ(0, reg.BadCloseCount());
}

TEST(Scoped, OwnersKeptInAContainerCloseEachHandleOnce) {
    fakes::FakeProcesses procs;
    fakes::FakeServices services{&procs};
    {
        std::vector<seam::ScopedProcess> processes;
        for (int i = 0; i < 5; ++i) processes.emplace_back(procs, procs.Open(procs.Add("a.exe")));
        EXPECT_EQ(5, procs.OpenHandleCount());

        seam::ScopedService manager(services, services.OpenManager());
        ASSERT_TRUE(manager);
        const seam::SvcHandle detached = manager.Detach();
        EXPECT_FALSE(manager);
        EXPECT_EQ(1, services.OpenHandleCount());
        manager.Reset(detached);
    }
    EXPECT_EQ(0, procs.OpenHandleCount());
    EXPECT_EQ(0, procs.BadCloseCount());
    EXPECT_EQ(0, services.OpenHandleCount());
    EXPECT_EQ(0, services.BadCloseCount());
}

}  // namespace
