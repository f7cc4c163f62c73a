// Shared set-up of the contract suite: a fresh side under test per test, and
// small helpers for registry bytes. Tests assert only what both Windows and
// Wine guarantee (no enumeration order, no offline state).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/contract/ContractPlatform.h"

namespace contract {

inline std::vector<uint8_t> TextBytes(const std::string& text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

class ContractTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_cp = MakeContractPlatform();
        ASSERT_TRUE(m_cp);
        m_strScratch = m_cp->ScratchKey();
    }

    seam::Platform& P() { return m_cp->Get(); }
    seam::IRegistry& Reg() { return m_cp->Get().registry; }
    // A path below the scratch key.
    std::string Under(const std::string& sub) const { return m_strScratch + "\\" + sub; }

    // Creates root\path (with parents) and sets one value through the seam.
    void SetValue(const std::string& path, const std::string& name, uint32_t type,
                  const std::vector<uint8_t>& data) {
        seam::RegKey key = 0;
        ASSERT_EQ(seam::kErrSuccess, Reg().CreateKey(seam::RegRoot::CurrentUser, path, seam::RegAccess::AllAccess, key));
        EXPECT_EQ(seam::kErrSuccess, Reg().SetValue(key, name, type, data));
        Reg().CloseKey(key);
    }
    void SetText(const std::string& path, const std::string& name, const std::string& text) {
        SetValue(path, name, seam::kRegSz, TextBytes(text));
    }
    bool KeyExists(const std::string& path) {
        seam::RegKey key = 0;
        long r = Reg().OpenKey(seam::RegRoot::CurrentUser, path, seam::RegAccess::Default, key);
        if (key) Reg().CloseKey(key);
        return r == seam::kErrSuccess;
    }
    bool ValueExists(const std::string& path, const std::string& name) {
        seam::RegKey key = 0;
        if (Reg().OpenKey(seam::RegRoot::CurrentUser, path, seam::RegAccess::Default, key) != seam::kErrSuccess) return false;
        std::vector<uint8_t> data;
        long r = Reg().QueryValue(key, name, data, 4096, nullptr);
        Reg().CloseKey(key);
        return r == seam::kErrSuccess;
    }

    std::unique_ptr<ContractPlatform> m_cp;
    std::string m_strScratch;
};

}  // namespace contract
