// What a well-used machine and a careless server can hand the program: odd
// value names and data, huge keys, keys that change under a pass, runaway
// replies. The whole engine runs over the fakes; each case checks that what
// is cleaned is exactly what was listed and that the status tells the truth.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/history/IntelliFormsKeys.h"
#include "engine/core/StatusTexts.h"
#include "engine/kinds/TraceCategories.h"
#include "net/update/VersionCheck.h"
#include "registry/RegHelpers.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"
#include "tests/fakes/HistoryTable.h"

namespace engine {
namespace {

constexpr seam::RegRoot kHkcu = seam::RegRoot::CurrentUser;
using K = HistorySourceKind;
const std::string kTyped = fakes::SourceLabelled("인터넷기록", K::PlainData).keyPath;
const std::string kWordMru = fakes::SourceLabelled("워드기록", K::FilePathData).keyPath;
const std::string kMuiCache = fakes::SourceOfKind(K::MuiCache).keyPath;
const std::string kGom = fakes::SourceReading("sRecentFile").keyPath;

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

class BadInput : public ::testing::Test {
protected:
    BadInput() {
        m_view.List().SetBatching(true);
        m_fake.net.SetOnline(false);
    }
    void TearDown() override {
        EXPECT_EQ(0, m_fake.registry.OpenHandleCount());
        EXPECT_EQ(0, m_fake.registry.BadCloseCount());
        EXPECT_EQ(0, m_view.List().Pending());
    }
    void Pass() { m_engine.AnalyseOrClean(); }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> out;
        for (const auto& row : m_view.List().Rows()) out.push_back(row.text[column]);
        return out;
    }

    fakes::FakePlatform m_fake;
    fakes::FakeRegistry& m_reg = m_fake.registry;
    EngineState m_state;
    fakes::FakeView m_view{&m_state};
    CTraceCategories m_categories{m_fake.platform, m_state, m_view};
    CTraceEngine m_engine{m_fake.platform, m_state, m_view, m_categories};
};

TEST_F(BadInput, NamesAroundAndBeyondTheBufferSizeAreAllListedAndCleaned) {
    // Names of 259 bytes fit the 260-byte buffer with its terminator; longer
    // ones are read again into a larger buffer, so neither they nor the
    // values after them are lost.
    const std::string fits(259, 'a');
    const std::string kAfterFits = "ok";
    m_reg.SetString(kHkcu, kTyped, fits, "http://fits/");
    m_reg.SetString(kHkcu, kTyped, kAfterFits, "http://ok/");
    m_reg.SetString(kHkcu, kTyped, std::string(260, 'b'), "http://260/");
    m_reg.SetString(kHkcu, kTyped, std::string(300, 'c'), "http://300/");
    m_reg.SetString(kHkcu, kTyped, "late", "http://late/");
    m_reg.SetString(kHkcu, kWordMru, std::string(300, 'w'), "C:\\doc\\w.doc");

    Pass();
    // Word's list comes before TypedURLs in the table: its row is at the bottom.
    EXPECT_EQ((std::vector<std::string>{"late", std::string(300, 'c'), std::string(260, 'b'), kAfterFits, fits,
                                        std::string(300, 'w')}),
              Column(seam::kColValue));
    EXPECT_EQ(6, m_state.Count(seam::kRecent));

    Pass();
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_TRUE(m_reg.ValueNames(kHkcu, kTyped).empty());
    EXPECT_TRUE(m_reg.ValueNames(kHkcu, kWordMru).empty());
    EXPECT_EQ(6, m_reg.DeleteValueCalls());
}

TEST_F(BadInput, OddValuesAreListedAndCleanedExactly) {
    // Invalid code page 949: a lone lead byte at the end, a lead byte before a
    // byte that is no trail byte, 0xFF, and a "trail" backslash.
    const std::string badName = "bad\xFF\x81";
    const std::string badData = "C:\\x\\\x81\x5C\xB0";  // 0x81 0x5C is one character
    const std::string leadLast = "C:\\dir\\name\xB0";
    m_reg.SetString(kHkcu, kTyped, "", "http://default/");  // the unnamed default value
    m_reg.SetBytes(kHkcu, kTyped, badName, seam::kRegBinary, Bytes(badData));
    m_reg.SetBytes(kHkcu, kTyped, "nozero", seam::kRegBinary, std::vector<uint8_t>(300, 0xB0));
    m_reg.SetBytes(kHkcu, kTyped, "empty", seam::kRegBinary, {});
    m_reg.SetString(kHkcu, kTyped, "long", std::string(1000, 'L'));
    m_reg.SetBytes(kHkcu, kWordMru, "Item 1", seam::kRegBinary, Bytes(leadLast));
    m_reg.SetBytes(kHkcu, kWordMru, "Item 2", seam::kRegExpandSz, Bytes(badData));
    // A MUI-cache name that is nothing but invalid bytes before its comma.
    m_reg.SetString(kHkcu, kMuiCache, "@\"C:\\\xFF\xFE\x81,-1", "x");

    Pass();
    const auto rows = m_view.List().Rows();
    ASSERT_EQ(8u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"@\"C:\\\xFF\xFE\x81,-1", "long", "empty", "nozero", badName, "",
                                        "Item 2", "Item 1"}),
              Column(seam::kColValue));
    // Names: the file name after the last real backslash; 0x81 0x5C is no backslash.
    EXPECT_EQ("\xFF\xFE\x81", rows[0].text[seam::kColName]);
    EXPECT_EQ("\x81\x5C\xB0", rows[6].text[seam::kColName]);
    EXPECT_EQ("name\xB0", rows[7].text[seam::kColName]);
    EXPECT_EQ("http://default/", rows[5].text[seam::kColName]);
    // Data: every cell fits the list's 260-byte buffers, none splits a character.
    EXPECT_EQ(std::string(259, 'L'), rows[1].text[seam::kColData]);
    EXPECT_EQ("", rows[2].text[seam::kColData]);
    EXPECT_EQ(std::string(258, '\xB0'), rows[3].text[seam::kColData]);
    EXPECT_EQ(badData, rows[4].text[seam::kColData]);
    for (const auto& row : rows) EXPECT_LE(row.text[seam::kColData].size(), 260u);

    Pass();
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    EXPECT_TRUE(m_reg.ValueNames(kHkcu, kTyped).empty());
    EXPECT_TRUE(m_reg.ValueNames(kHkcu, kWordMru).empty());
    EXPECT_TRUE(m_reg.ValueNames(kHkcu, kMuiCache).empty());
    EXPECT_EQ(8, m_reg.DeleteValueCalls());
}

TEST_F(BadInput, EmptySingleValueReadsAsNothing) {
    // A GOM value of zero bytes: no text, so no row, and the read is clean
    // under the sanitizers (the empty data has no buffer to copy from).
    m_reg.SetBytes(kHkcu, kGom, "sRecentFile", seam::kRegBinary, {});
    m_reg.SetBytes(kHkcu, kGom, "sRecentURL", seam::kRegSz, Bytes("http://film/"));
    char buffer[8] = "garbage";
    EXPECT_EQ(seam::kErrSuccess, registry::ReadRegString(m_reg, kHkcu, kGom, "sRecentFile", "0", buffer, sizeof buffer));
    EXPECT_STREQ("", buffer);

    Pass();
    EXPECT_EQ((std::vector<std::string>{"sRecentURL"}), Column(seam::kColValue));
    Pass();
    EXPECT_EQ((std::vector<std::string>{"sRecentFile"}), m_reg.ValueNames(kHkcu, kGom));
}

TEST_F(BadInput, ThirtyThousandValuesInOneKeyAreAllListedAndCleaned) {
    constexpr int kValues = 30000;
    for (int i = 0; i < kValues; ++i) {
        m_reg.SetString(kHkcu, kTyped, "url" + std::to_string(i), "http://h" + std::to_string(i) + "/");
    }
    m_reg.SetString(kHkcu, kGom, "nVolume", "50");  // not a trace: stays

    Pass();
    EXPECT_EQ(kValues, m_state.Count(seam::kRecent));
    ASSERT_EQ(kValues, m_view.List().Count());
    EXPECT_EQ("url29999", m_view.List().Rows().front().text[seam::kColValue]);
    EXPECT_EQ("url0", m_view.List().Rows().back().text[seam::kColValue]);

    Pass();
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
    EXPECT_TRUE(m_reg.ValueNames(kHkcu, kTyped).empty());
    EXPECT_EQ(kValues, m_reg.DeleteValueCalls());
    EXPECT_EQ((std::vector<std::string>{"nVolume"}), m_reg.ValueNames(kHkcu, kGom));
}

TEST_F(BadInput, DeepIntelliFormsTreesBeyondMaxPathAreRemovedWhole) {
    // 40 levels of 150-byte names under each key: paths of some 6,000 bytes.
    std::vector<std::string> leaves;
    for (const char* key : kIntelliFormsKeys) {
        std::string path = key;
        for (int level = 0; level < 40; ++level) path += "\\" + std::string(149, 'k') + std::to_string(level % 10);
        ASSERT_GT(path.size(), 6000u);
        m_reg.SetString(kHkcu, path, "secret", "x");
        m_reg.SetString(kHkcu, key, "site", "y");  // what the row shows
        leaves.push_back(path);
    }
    m_reg.SetString(kHkcu, "Software\\Microsoft\\Internet Explorer\\IntelliForms", "keep", "1");

    Pass();
    EXPECT_EQ(StatusCleanPrompt(), m_state.StatusText());
    ASSERT_EQ(3, m_state.Count(seam::kRegistry));
    Pass();
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    EXPECT_EQ(0, m_view.List().Count());
    for (const auto& leaf : leaves) EXPECT_FALSE(m_reg.KeyExists(kHkcu, leaf));
    for (const char* key : kIntelliFormsKeys) EXPECT_FALSE(m_reg.KeyExists(kHkcu, key)) << key;
    EXPECT_TRUE(m_reg.ValueExists(kHkcu, "Software\\Microsoft\\Internet Explorer\\IntelliForms", "keep"));
}

TEST_F(BadInput, RegistryChangingBetweenPassesIsReportedHonestly) {
    m_reg.SetString(kHkcu, kTyped, "url1", "http://a/");
    m_reg.SetString(kHkcu, kTyped, "url2", "http://b/");
    m_reg.SetString(kHkcu, kWordMru, "Item 1", "C:\\a.doc");

    // Analysis lists three rows; then another program removes one key whole
    // and one value of the other.
    Pass();
    ASSERT_EQ(3, m_view.List().Count());
    ASSERT_EQ(seam::kErrSuccess, m_reg.DeleteKey(kHkcu, kWordMru));
    ASSERT_EQ(seam::kErrSuccess, registry::DeleteRegValue(m_reg, kHkcu, kTyped, "url2"));

    // What is already gone counts as cleaned: every row leaves, nothing failed,
    // and the vanished key is not brought back.
    Pass();
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    EXPECT_FALSE(m_reg.KeyExists(kHkcu, kWordMru));
    EXPECT_TRUE(m_reg.ValueNames(kHkcu, kTyped).empty());

    // A value written again after cleaning is a trace again.
    m_reg.SetString(kHkcu, kTyped, "url1", "http://a-again/");
    Pass();
    EXPECT_EQ((std::vector<std::string>{"url1"}), Column(seam::kColValue));
    EXPECT_EQ((std::vector<std::string>{"http://a-again/"}), Column(seam::kColData));
    EXPECT_EQ(StatusCleanPrompt(), m_state.StatusText());
}

class SilentPrompts : public net::IUpdatePrompts {
public:
    void ShowConnectionError() override { ++m_nErrors; }
    void ShowAlreadyLatest() override { ++m_nLatest; }
    void ShowConnectionFailed() override {}
    void ShowDownloadFailed() override {}
    void ShowUpdateUnsigned() override {}
    int m_nErrors = 0;
    int m_nLatest = 0;
};

TEST(BadReply, TenMegabytesOfShortLinesAreCutToTheCap) {
    setenv("KESTRAVIN_SERVER", "http://127.0.0.1:1", 1);
    fakes::FakeFileSystem files;
    fakes::FakeNet net{&files};
    fakes::FakeTrust trust{&files};
    const net::MakerPins pins{u"Kestravin", {}};
    SilentPrompts prompts;
    net::CUpdateChecker checker(net, net::UpdateParts{trust, files, pins}, prompts);
    const std::string query = std::string("http://127.0.0.1:1") + net::kVersionQuery;

    // A million lines: the announcement's URL would only end far past the cap.
    std::vector<std::string> lines = {"2#http://h/"};
    lines.resize(1 + 10 * 1024 * 1024 / 10, std::string(9, 'x'));
    lines.push_back("evil.exe");
    net.SetReply(query, lines);
    checker.CheckForUpdate(1, 1);
    EXPECT_LE(checker.ServerReply().size(), net::kVersionReplyCap);
    EXPECT_EQ("2", checker.LatestVersion());
    EXPECT_EQ(std::string::npos, checker.UpdateUrl().find("evil"));
    // The cut name is far longer than any file name: nothing is fetched.
    EXPECT_TRUE(net.Downloads().empty());
    EXPECT_TRUE(trust.Started().empty());

    // A reply of nothing but line ends is an empty announcement.
    net.SetReply(query, std::vector<std::string>(100000, ""));
    checker.CheckForUpdate(1, 1);
    EXPECT_EQ("", checker.ServerReply());
    EXPECT_EQ(1, prompts.m_nLatest);
    EXPECT_EQ(0, prompts.m_nErrors);
    unsetenv("KESTRAVIN_SERVER");
}

}  // namespace
}  // namespace engine
