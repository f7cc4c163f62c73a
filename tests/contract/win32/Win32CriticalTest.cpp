// Which of the two ways of asking whether a process is critical the real
// platform has. Wine implements neither (kernel32 lacks IsProcessCritical,
// ntdll refuses ProcessBreakOnTermination), so there the answer is Unknown
// and the engine falls back to the names; Windows must answer.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/contract/ContractPlatform.h"

namespace contract {
namespace {

using NtQueryInformationProcessFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

bool UnderWine() { return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

TEST(Win32Critical, WineAnswersNeitherQuerySoTheNamesDecide) {
    if (!UnderWine()) GTEST_SKIP() << "not running under Wine";
    EXPECT_EQ(nullptr, ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "IsProcessCritical"));
    auto query = reinterpret_cast<NtQueryInformationProcessFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    ASSERT_NE(nullptr, query);
    ULONG flag = 0;
    ULONG returned = 0;
    EXPECT_LT(query(::GetCurrentProcess(), 29, &flag, sizeof flag, &returned), 0);

    auto contract = MakeContractPlatform();
    seam::IProcesses& procs = contract->Get().processes;
    EXPECT_EQ(seam::Criticality::Unknown, procs.QueryCritical(procs.CurrentProcessId()));
    const uint32_t pid = contract->StartIdleProcess("wininit.exe");
    ASSERT_NE(0u, pid);
    EXPECT_EQ(seam::Criticality::Unknown, procs.QueryCritical(pid));
}

TEST(Win32Critical, WindowsAnswersForAnOrdinaryProcess) {
    if (UnderWine()) GTEST_SKIP() << "Wine answers neither query";
    auto contract = MakeContractPlatform();
    seam::IProcesses& procs = contract->Get().processes;
    EXPECT_EQ(seam::Criticality::NotCritical, procs.QueryCritical(procs.CurrentProcessId()));
}

}  // namespace
}  // namespace contract
