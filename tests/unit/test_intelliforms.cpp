// The autosaved-password scan over the fake registry.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/history/IntelliForms.h"
#include "engine/history/IntelliFormsKeys.h"
#include "seam/Text.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"

namespace engine {
namespace {

constexpr seam::RegRoot kHkcu = seam::RegRoot::CurrentUser;
const std::string kSpw = kIntelliFormsKeys[0];
const std::string kStorage1 = kIntelliFormsKeys[1];
const std::string kStorage2 = kIntelliFormsKeys[2];

class IntelliForms : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(0, m_reg.OpenHandleCount()) << "a scan left a key open";
        EXPECT_EQ(0, m_reg.BadCloseCount());
    }
    void Scan() { ScanIntelliForms(m_reg, m_state, m_view); }
    std::vector<seam::TraceItem> Rows() { return m_view.List().Rows(); }
    std::vector<std::string> Names() {
        std::vector<std::string> out;
        for (const auto& row : Rows()) out.push_back(row.Name());
        return out;
    }

    fakes::FakeRegistry m_reg;
    EngineState m_state;
    fakes::FakeView m_view{&m_state};
};

TEST(IntelliFormsKeys, TheThreeKeysInOrder) {
    EXPECT_STREQ("Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW", kIntelliFormsKeys[0]);
    EXPECT_STREQ("Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1", kIntelliFormsKeys[1]);
    EXPECT_STREQ("Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2", kIntelliFormsKeys[2]);
}

TEST_F(IntelliForms, MissingOrEmptyKeysGiveNoRows) {
    Scan();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(0, m_state.Count(seam::kRegistry));
    EXPECT_TRUE(m_view.CounterChanges().empty());
    for (const char* key : kIntelliFormsKeys) EXPECT_FALSE(m_reg.KeyExists(kHkcu, key)) << "scan created " << key;

    m_reg.AddKey(kHkcu, kSpw);                               // empty
    m_reg.AddKey(kHkcu, kStorage1 + "\\sub");                // only a subkey
    m_reg.SetString(kHkcu, kStorage2, "locked", "x");
    m_reg.Deny(kHkcu, kStorage2, fakes::kDenyFullAccess);    // readable, not writable
    Scan();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(0, m_state.Count(seam::kRegistry));

    // A key that refuses full access keeps none of the others from being listed.
    m_reg.SetString(kHkcu, kSpw, "spw1", "x");
    m_reg.Deny(kHkcu, kSpw, fakes::kDenyFullAccess);
    m_reg.Deny(kHkcu, kStorage2, fakes::kDenyNone);
    Scan();
    EXPECT_EQ((std::vector<std::string>{"locked"}), Names());
}

TEST_F(IntelliForms, EveryValueIsARowLaterKeysAndLaterValuesOnTop) {
    m_reg.SetBytes(kHkcu, kSpw, "spw1", seam::kRegBinary, {0x01, 0x00, 0x02});
    m_reg.SetString(kHkcu, kSpw, "spw2", "p");
    m_reg.SetString(kHkcu, kStorage2, "hash-a", "A");
    m_reg.SetBytes(kHkcu, kStorage2, "hash-b", seam::kRegBinary, {'b', 'b'});
    m_reg.SetDword(kHkcu, kStorage2, "hash-c", 0x00004443);
    // Not read: the flag belongs to the history scan.
    m_state.m_bAnalysed.store(false);
    Scan();

    std::vector<std::string> want = m_reg.ValueNames(kHkcu, kSpw);
    const auto storage2 = m_reg.ValueNames(kHkcu, kStorage2);
    want.insert(want.end(), storage2.begin(), storage2.end());
    std::reverse(want.begin(), want.end());
    EXPECT_EQ(want, Names());
    EXPECT_EQ(5, m_state.Count(seam::kRegistry));
    EXPECT_EQ("5", m_state.CountText(seam::kRegistry));
    EXPECT_EQ(std::vector<seam::Category>(5, seam::kRegistry), m_view.CounterChanges());

    const auto rows = Rows();
    ASSERT_EQ(5u, rows.size());
    const std::string label = seam::Cp949FromUtf8("자동저장된암호");
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(label, rows[i].text[seam::kColRead]);
        EXPECT_EQ("REGISTRY", rows[i].text[seam::kColCode]);
        EXPECT_EQ(rows[i].Name(), rows[i].text[seam::kColValue]);
        EXPECT_EQ("HKEY_CURRENT_USER\\" + (i < 3 ? kStorage2 : kSpw), rows[i].text[seam::kColRegKey]);
    }
    auto dataOf = [&](const std::string& name) {
        for (const auto& row : rows) {
            if (row.Name() == name) return row.text[seam::kColData];
        }
        return std::string("<none>");
    };
    EXPECT_EQ("\x01", dataOf("spw1"));
    EXPECT_EQ("p", dataOf("spw2"));
    EXPECT_EQ("CD", dataOf("hash-c"));  // DWORD bytes up to the first zero
    EXPECT_EQ("bb", dataOf("hash-b"));
}

TEST_F(IntelliForms, LongDataAndLongNames) {
    m_reg.SetBytes(kHkcu, kStorage1, "big", seam::kRegBinary, std::vector<uint8_t>(5000, 'q'));
    m_reg.SetBytes(kHkcu, kStorage1, "full", seam::kRegBinary, std::vector<uint8_t>(260, 'f'));
    m_reg.SetString(kHkcu, kStorage1, std::string(259, 'n'), "fits");
    m_reg.SetString(kHkcu, kStorage1, std::string(300, 'm'), "longer than the first buffer");
    m_reg.SetString(kHkcu, kStorage1, "after", "still reached");
    Scan();
    const auto rows = Rows();
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ("after", rows[0].Name());
    EXPECT_EQ(std::string(300, 'm'), rows[1].Name());
    EXPECT_EQ(std::string(300, 'm'), rows[1].text[seam::kColValue]);
    EXPECT_EQ(std::string(259, 'n'), rows[2].Name());
    EXPECT_EQ(std::string(260, 'f'), rows[3].text[seam::kColData]);
    EXPECT_EQ("big", rows[4].Name());
    EXPECT_EQ(std::string(259, 'q'), rows[4].text[seam::kColData]);
}

}  // namespace
}  // namespace engine
