// Which registry view the seam reaches below HKEY_LOCAL_MACHINE. A 32-bit
// process on 64-bit Windows would otherwise be redirected to Wow6432Node, and
// read and clean other keys than the 64-bit build that the tests run; here
// the key is made in the 64-bit view by the wide calls, bypassing the seam.
#include <windows.h>

#include <gtest/gtest.h>

#include "seam/Scoped.h"
#include "tests/contract/ContractPlatform.h"

namespace contract {
namespace {

constexpr wchar_t kWidePath[] = L"Software\\KestravinViewContract";
constexpr char kPath[] = "Software\\KestravinViewContract";

bool ExistsIn64BitView() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWidePath, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

TEST(Win32RegistryView, LocalMachineKeysAreTheMachinesOwnView) {
    HKEY made = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWidePath, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                                nullptr, &made, nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    ::RegSetValueExW(made, L"marker", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    ::RegCloseKey(made);

    auto contract = MakeContractPlatform();
    seam::IRegistry& reg = contract->Get().registry;
    {
        seam::ScopedRegKey key(reg);
        ASSERT_EQ(reg.OpenKey(seam::RegRoot::LocalMachine, kPath, seam::RegAccess::AllAccess, key.Out()), seam::kErrSuccess);
        std::vector<uint8_t> data;
        EXPECT_EQ(reg.QueryValue(key.Get(), "marker", data, 16, nullptr), seam::kErrSuccess);
        EXPECT_EQ(data.size(), sizeof one);
        EXPECT_EQ(reg.DeleteValue(key.Get(), "marker"), seam::kErrSuccess);
    }
    {
        seam::ScopedRegKey key(reg);
        EXPECT_EQ(reg.OpenKey(seam::RegRoot::LocalMachine, kPath, seam::RegAccess::Default, key.Out()), seam::kErrSuccess);
    }
    EXPECT_EQ(reg.DeleteKey(seam::RegRoot::LocalMachine, kPath), seam::kErrSuccess);
    EXPECT_FALSE(ExistsIn64BitView());
    if (ExistsIn64BitView()) ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kWidePath);
}

}  // namespace
}  // namespace contract
