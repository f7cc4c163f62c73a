// Which processes a PROCESS pass may end, case by case over the fake process
// table: each case builds one machine, analyses it, cleans the row of the
// process in question (the listed row, or for one never listed a row made
// as analysis would have made it) and checks what became of the process.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "engine/processes/ProcessChoice.h"
#include "engine/processes/ProcessReset.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"

namespace engine {
namespace {

using fakes::FakeProcesses;
using fakes::WindowMode;

constexpr uint64_t kSecond = 10000000;  // FILETIME ticks

struct World {
    fakes::FakePlatform fakes;
    FakeProcesses& procs = fakes.processes;
    EngineState state;
    fakes::FakeView view{&state};
    uint32_t self = procs.CurrentProcessId();

    // A process started `secondsBeforeUs` before Kestravin (negative: after).
    uint32_t Started(const std::string& exeName, int secondsBeforeUs) {
        const uint32_t pid = procs.Add(exeName);
        procs.SetStartTime(pid, procs.StartedAt(self) - secondsBeforeUs * static_cast<int64_t>(kSecond));
        return pid;
    }
    std::optional<seam::TraceItem> Row(uint32_t pid) {
        for (const auto& row : view.List().Rows()) {
            if (row.target.id == pid) return row;
        }
        return std::nullopt;
    }
};

enum class After { Runs, Terminated, ClosedByWindow, GoneWithoutUs };

struct Case {
    const char* what;
    // Sets the machine up; returns the process in question.
    std::function<uint32_t(World&)> arrange;
    bool bListed;
    RowFate fate;
    After after;
    // Between analysis and cleaning, if anything.
    std::function<void(World&, uint32_t)> meanwhile = nullptr;
};

const Case kCases[] = {
    {"an ordinary program of our session", [](World& w) { return w.procs.Add("Game.exe"); }, true,
     RowFate::Removed, After::Terminated},
    {"a program that closes when its window is asked to",
     [](World& w) {
         const uint32_t pid = w.procs.Add("Editor.exe");
         w.procs.SetWindowMode(pid, WindowMode::Closes);
         return pid;
     },
     true, RowFate::Removed, After::ClosedByWindow},
    {"a program whose window stays open is ended after the wait",
     [](World& w) {
         const uint32_t pid = w.procs.Add("Editor.exe");
         w.procs.SetWindowMode(pid, WindowMode::Ignores);
         return pid;
     },
     true, RowFate::Removed, After::Terminated},
    {"another signed-in user's program",
     [](World& w) {
         const uint32_t pid = w.procs.Add("Game.exe");
         w.procs.SetSession(pid, fakes::kUserSession + 1);
         return pid;
     },
     false, RowFate::Denied, After::Runs},
    {"a process of session 0",
     [](World& w) {
         const uint32_t pid = w.procs.Add("vendorsvc.exe");
         w.procs.SetSession(pid, 0);
         return pid;
     },
     false, RowFate::Denied, After::Runs},
    {"a running service's process, even in our session",
     [](World& w) {
         const uint32_t pid = w.procs.Add("vendorsvc.exe");
         w.fakes.services.Install("VendorSvc", seam::kSvcRunning, 0, pid);
         return pid;
     },
     false, RowFate::Denied, After::Runs},
    {"the process of a stopped service is no service's",
     [](World& w) {
         const uint32_t pid = w.procs.Add("leftover.exe");
         w.fakes.services.Install("Leftover", seam::kSvcStopped, 0, pid);
         return pid;
     },
     true, RowFate::Removed, After::Terminated},
    {"the console that started us",
     [](World& w) {
         const uint32_t pid = w.Started("cmd.exe", 5);
         w.procs.SetParent(w.self, pid);
         return pid;
     },
     false, RowFate::Denied, After::Runs},
    {"the script host that started that console",
     [](World& w) {
         const uint32_t console = w.Started("cmd.exe", 5);
         const uint32_t script = w.Started("wscript.exe", 9);
         w.procs.SetParent(w.self, console);
         w.procs.SetParent(console, script);
         return script;
     },
     false, RowFate::Denied, After::Runs},
    {"a later process that reused our ended parent's id",
     [](World& w) {
         const uint32_t pid = w.Started("Game.exe", -5);
         w.procs.SetParent(w.self, pid);
         return pid;
     },
     true, RowFate::Removed, After::Terminated},
    {"a later process that reused our grandparent's id, beyond a true parent",
     [](World& w) {
         const uint32_t console = w.Started("cmd.exe", 5);
         const uint32_t reused = w.Started("Game.exe", 2);  // after the console
         w.procs.SetParent(w.self, console);
         w.procs.SetParent(console, reused);
         return reused;
     },
     true, RowFate::Removed, After::Terminated},
    {"parents that name each other end the walk",
     [](World& w) {
         const uint32_t a = w.Started("a.exe", 5);
         const uint32_t b = w.Started("b.exe", 5);
         w.procs.SetParent(w.self, a);
         w.procs.SetParent(a, b);
         w.procs.SetParent(b, a);
         return b;
     },
     false, RowFate::Denied, After::Runs},
    {"an id that now names another program",
     [](World& w) { return w.procs.Add("Game.exe"); }, true, RowFate::AlreadyGone, After::Runs,
     [](World& w, uint32_t pid) { w.procs.Reuse(pid, "Other.exe", w.procs.StartedAt(pid) + kSecond); }},
    {"an id that now names a later copy of the same program",
     [](World& w) { return w.procs.Add("Game.exe"); }, true, RowFate::AlreadyGone, After::Runs,
     [](World& w, uint32_t pid) { w.procs.Reuse(pid, "GAME.EXE", w.procs.StartedAt(pid) + kSecond); }},
    {"a program that ended by itself", [](World& w) { return w.procs.Add("Game.exe"); }, true,
     RowFate::AlreadyGone, After::GoneWithoutUs, [](World& w, uint32_t pid) { w.procs.End(pid); }},
    {"a program we may not open is shown, and stays",
     [](World& w) {
         const uint32_t pid = w.procs.Add("Elevated.exe");
         w.procs.SetOpenFails(pid, true);
         return pid;
     },
     true, RowFate::Denied, After::Runs},
    {"Windows XP: the console user's program shares session 0 with the services",
     [](World& w) {
         w.procs.SetSession(w.self, 0);
         const uint32_t pid = w.procs.Add("Game.exe");
         w.procs.SetSession(pid, 0);
         return pid;
     },
     true, RowFate::Removed, After::Terminated},
    {"Windows XP: a service's process in that session 0 stays",
     [](World& w) {
         w.procs.SetSession(w.self, 0);
         const uint32_t pid = w.procs.Add("vendorsvc.exe");
         w.procs.SetSession(pid, 0);
         w.fakes.services.Install("VendorSvc", seam::kSvcRunning, 0, pid);
         return pid;
     },
     false, RowFate::Denied, After::Runs},
    {"Windows XP: no image name from a handle, the start time still names the process",
     [](World& w) {
         w.procs.SetNoImageNames(true);
         return w.procs.Add("Game.exe");
     },
     true, RowFate::Removed, After::Terminated},
    {"Windows XP: no image name, and the id now names a later process",
     [](World& w) {
         w.procs.SetNoImageNames(true);
         return w.procs.Add("Game.exe");
     },
     true, RowFate::AlreadyGone, After::Runs,
     [](World& w, uint32_t pid) { w.procs.Reuse(pid, "Game.exe", w.procs.StartedAt(pid) + kSecond); }},
    {"an install in progress", [](World& w) { return w.procs.Add("msiexec.exe"); }, false, RowFate::Denied,
     After::Runs},
    {"Windows' servicing worker", [](World& w) { return w.procs.Add("TiWorker.exe"); }, false, RowFate::Denied,
     After::Runs},
    {"Windows' servicing installer", [](World& w) { return w.procs.Add("TrustedInstaller.exe"); }, false,
     RowFate::Denied, After::Runs},
};

TEST(ProcessChoice, EachCaseIsListedAndEndedOnlyWhenItIsTheUsersOwn) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        World w;
        const uint32_t pid = c.arrange(w);
        seam::TraceTarget target;
        target.kind = seam::TargetKind::Process;
        ScanProcesses(w.fakes.platform, w.state, w.view);
        const std::optional<seam::TraceItem> listed = w.Row(pid);
        EXPECT_EQ(c.bListed, listed.has_value());
        EXPECT_EQ(c.bListed ? 1 : 0, w.state.Count(seam::kProcess));
        if (listed) {
            target = listed->target;
        } else {
            std::vector<seam::ProcessEntry> entries;
            ASSERT_TRUE(w.procs.Snapshot(entries));
            for (const auto& entry : entries) {
                if (entry.pid == pid) target.name = entry.exeName;
            }
            target.id = pid;
            target.started = w.procs.StartedAt(pid);
        }
        if (c.meanwhile) c.meanwhile(w, pid);

        EXPECT_EQ(c.fate, EndListedProcess(w.fakes.platform, target));
        const bool bTerminated = !w.procs.Terminated().empty();
        const bool bClosed = !w.procs.ClosedByWindow().empty();
        EXPECT_EQ(c.after == After::Terminated, bTerminated);
        EXPECT_EQ(c.after == After::ClosedByWindow, bClosed);
        if (c.after == After::Runs) {
            EXPECT_TRUE(w.procs.IsRunning(pid));
        } else {
            EXPECT_FALSE(w.procs.IsRunning(pid));
        }
        if (bTerminated) {
            EXPECT_EQ(std::vector<uint32_t>{pid}, w.procs.Terminated());
            EXPECT_EQ(std::vector<uint32_t>{kEndedExitCode}, w.procs.TerminateCodes());
        }
        EXPECT_TRUE(w.procs.IsRunning(w.self));
        EXPECT_EQ(0, w.procs.OpenHandleCount()) << "a process handle was left open";
        EXPECT_EQ(0, w.procs.BadCloseCount());
    }
}

TEST(ProcessChoice, TheParentChainStopsAtAnIdThatRunsNothing) {
    World w;
    const uint32_t console = w.Started("cmd.exe", 5);
    w.procs.SetParent(w.self, console);
    w.procs.SetParent(console, 0xFFF0);  // its own parent has ended, and no one has the id
    std::vector<seam::ProcessEntry> entries;
    ASSERT_TRUE(w.procs.Snapshot(entries));
    EXPECT_EQ(std::vector<uint32_t>{console}, ParentChain(w.procs, entries, w.self));

    // A parent whose start cannot be read is kept, and the walk ends there.
    const uint32_t shell = w.Started("powershell.exe", 9);
    w.procs.SetParent(console, shell);
    w.procs.SetParent(shell, w.Started("wscript.exe", 12));
    w.procs.SetOpenFails(console, true);
    ASSERT_TRUE(w.procs.Snapshot(entries));
    EXPECT_EQ(std::vector<uint32_t>{console}, ParentChain(w.procs, entries, w.self));
}

TEST(ProcessChoice, WithoutTheServiceManagerSessionsStillKeepServicesOut) {
    World w;
    const uint32_t service = w.procs.Add("vendorsvc.exe");
    w.procs.SetSession(service, 0);
    const uint32_t game = w.procs.Add("Game.exe");
    w.fakes.services.SetManagerFails(true);
    ScanProcesses(w.fakes.platform, w.state, w.view);
    EXPECT_FALSE(w.Row(service).has_value());
    EXPECT_TRUE(w.Row(game).has_value());
}

}  // namespace
}  // namespace engine
