// The usage history that Windows 7 to 11 and current Office keep, over the
// fake registry: one case per kind of source, the keys that patterns name,
// and the engine around them. Sources are taken from the table by label and
// kind (tests/fakes/HistoryTable.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/history/HistorySources.h"
#include "engine/history/RegKeyText.h"
#include "seam/Text.h"
#include "tests/fakes/Utf16Bytes.h"
#include "tests/fakes/EngineFixture.h"
#include "tests/fakes/HistoryTable.h"

namespace engine {
namespace {

using fakes::SourceLabelled;
using fakes::SourceOfKind;
using fakes::SourceReading;
using K = HistorySourceKind;
using Bytes = std::vector<uint8_t>;

constexpr seam::RegRoot kHkcu = seam::RegRoot::CurrentUser;


// The parent of a "*" level in a source's key pattern, e.g. "...\UserAssist".
std::string Above(const HistorySource& source, const char* level = "\\*") {
    return source.keyPath.substr(0, source.keyPath.find(level));
}

class CurrentHistory : public fakes::EngineFixture {
protected:
    CurrentHistory() { m_state.m_bAnalysed.store(true); }
    void Scan(const HistorySource& source) { ScanHistorySource(m_fake.platform, m_state, m_view, source); }
    // Rows of one REGKEY, top first.
    std::vector<seam::TraceItem> RowsOf(const std::string& path) {
        std::vector<seam::TraceItem> out;
        for (const auto& row : Rows()) {
            if (row.text[seam::kColRegKey] == RegKeyText(kHkcu, path)) out.push_back(row);
        }
        return out;
    }
};

TEST_F(CurrentHistory, NewSourcesFollowTheOldOnesWithTheirOwnLabels) {
    const auto& sources = HistorySources();
    const HistorySource& recentDocs = fakes::SourceLabelled("최근 문서기록", K::UnicodeName);
    // After the 23 older sources, the first new one is Explorer's recent documents.
    EXPECT_EQ(23u, fakes::IndexOfSource(recentDocs));
    EXPECT_TRUE(recentDocs.withSubkeys);
    EXPECT_EQ(seam::Cp949FromUtf8("최근 문서기록"), recentDocs.label);
    // Office: every version, program and list is a file-path source of its own.
    int office16 = 0;
    for (const auto& s : sources) {
        if (s.keyPath.find("\\Office\\16.0\\") != std::string::npos) {
            ++office16;
            EXPECT_EQ(K::FilePathData, s.kind) << s.keyPath;
        }
    }
    EXPECT_EQ(20, office16);
    EXPECT_EQ(sources.back().valueName, "sRecentPLFolder");
    EXPECT_EQ(82u, sources.size());
}

TEST_F(CurrentHistory, RecentDocsListsTheKeyAndEachSubkeyByUnicodeName) {
    const HistorySource& docs = fakes::SourceLabelled("최근 문서기록", K::UnicodeName);
    const std::string key = docs.keyPath;
    const Bytes shellItem = {0x3c, 0x00, 0x32, 0x00};
    auto& reg = m_fake.registry;
    reg.SetBytes(kHkcu, key, "0", seam::kRegBinary, fakes::Utf16Bytes(u"회의록.docx", shellItem));
    reg.SetBytes(kHkcu, key, "1", seam::kRegBinary, fakes::Utf16Bytes(u"Photos", shellItem));
    reg.SetBytes(kHkcu, key, "MRUListEx", seam::kRegBinary, {1, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff});
    reg.SetBytes(kHkcu, key, "2", seam::kRegBinary, {0x01, 0x00, 0x41, 0x00, 0x00, 0x00});  // begins below 0x20
    reg.SetBytes(kHkcu, key + "\\.docx", "0", seam::kRegBinary, fakes::Utf16Bytes(u"회의록.docx", shellItem));
    reg.SetBytes(kHkcu, key + "\\.docx", "MRUListEx", seam::kRegBinary, {0, 0, 0, 0, 0xff, 0xff, 0xff, 0xff});
    reg.SetBytes(kHkcu, key + "\\Folder", "0", seam::kRegBinary, fakes::Utf16Bytes(u"Photos", shellItem));
    reg.SetBytes(kHkcu, key + "\\.docx\\deeper", "0", seam::kRegBinary, fakes::Utf16Bytes(u"not listed"));
    Scan(docs);

    EXPECT_EQ(7, m_state.Count(seam::kRecent));
    const auto top = RowsOf(key);
    ASSERT_EQ(4u, top.size());
    std::vector<std::string> names;
    for (const auto& row : top) {
        names.push_back(row.Name());
        EXPECT_EQ(docs.label, row.text[seam::kColRead]);
        EXPECT_EQ(row.Name() == row.text[seam::kColValue] ? "" : row.Name(), row.text[seam::kColData]);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"2", "MRUListEx", "Photos", seam::Cp949FromUtf8("회의록.docx")}), names);
    const auto docx = RowsOf(key + "\\.docx");
    ASSERT_EQ(2u, docx.size());
    for (const auto& row : docx) {
        if (row.text[seam::kColValue] == "MRUListEx") {
            EXPECT_EQ("MRUListEx", row.Name());
            EXPECT_EQ("", row.text[seam::kColData]);
        } else {
            EXPECT_EQ(seam::Cp949FromUtf8("회의록.docx"), row.Name());
        }
    }
    ASSERT_EQ(1u, RowsOf(key + "\\Folder").size());
    EXPECT_TRUE(RowsOf(key + "\\.docx\\deeper").empty());
    // The key itself is scanned first, so its rows are the lowest.
    EXPECT_EQ(RegKeyText(kHkcu, key), Rows().back().text[seam::kColRegKey]);
}

TEST_F(CurrentHistory, OpenSaveListsAreNamedByTheirLastFile) {
    const HistorySource& pidl = fakes::SourceLabelled("파일 열기/저장 기록", K::ShellItemList);
    const std::string docx = Above(pidl) + "\\docx";
    // A Windows 11 value: a file entry whose short name is NTUSER~1.DAT.
    const Bytes real = {
        0x6a, 0x00, 0x32, 0x00, 0x00, 0x20, 0x00, 0x00, 0x7a, 0x59, 0xf8, 0xb9, 0x20, 0x00, 0x4e, 0x54, 0x55, 0x53,
        0x45, 0x52, 0x7e, 0x31, 0x2e, 0x44, 0x41, 0x54, 0x00, 0x00, 0x4e, 0x00, 0x09, 0x00, 0x04, 0x00, 0xef, 0xbe,
        0x7a, 0x59, 0xf8, 0xb9, 0x7a, 0x59, 0xf8, 0xb9, 0x2e, 0x00, 0x00, 0x00, 0x87, 0x68, 0x03, 0x00, 0x00, 0x00,
        0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xa9, 0xe6,
        0xb1, 0x00, 0x4e, 0x00, 0x54, 0x00, 0x55, 0x00, 0x53, 0x00, 0x45, 0x00, 0x52, 0x00, 0x2d, 0x00, 0x57, 0x00,
        0x53, 0x00, 0x4c, 0x00, 0x2e, 0x00, 0x44, 0x00, 0x41, 0x00, 0x54, 0x00, 0x00, 0x00, 0x1c, 0x00, 0x00, 0x00};
    Bytes shortOnly = {0x14, 0x00, 0x32, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x00, 'P', 'L', 'A', 'N', 0, 0, 0, 0};
    const Bytes truncated(real.begin(), real.begin() + 50);
    auto& reg = m_fake.registry;
    reg.SetBytes(kHkcu, docx, "0", seam::kRegBinary, real);
    reg.SetBytes(kHkcu, docx, "1", seam::kRegBinary, shortOnly);
    reg.SetBytes(kHkcu, docx, "2", seam::kRegBinary, truncated);
    reg.SetBytes(kHkcu, docx, "MRUListEx", seam::kRegBinary, {0, 0, 0, 0, 1, 0, 0, 0, 0xff, 0xff, 0xff, 0xff});
    reg.SetBytes(kHkcu, Above(pidl) + "\\*", "0", seam::kRegBinary, real);  // Windows' own key named "*"
    reg.SetBytes(kHkcu, Above(pidl), "0", seam::kRegBinary, real);           // the parent: not a list
    Scan(pidl);

    const auto rows = RowsOf(docx);
    ASSERT_EQ(4u, rows.size());
    for (const auto& row : rows) {
        const std::string& v = row.text[seam::kColValue];
        const std::string want = v == "0" ? "NTUSER-WSL.DAT" : v == "1" ? "PLAN" : v;
        EXPECT_EQ(want, row.Name()) << v;
        EXPECT_EQ(want == v ? "" : want, row.text[seam::kColData]) << v;
    }
    ASSERT_EQ(1u, RowsOf(Above(pidl) + "\\*").size());
    EXPECT_TRUE(RowsOf(Above(pidl)).empty());
    EXPECT_EQ(5, m_state.Count(seam::kRecent));
}

TEST_F(CurrentHistory, UserAssistNamesAreDecodedFromRot13) {
    const HistorySource& assist = fakes::SourceLabelled("프로그램 실행기록", K::Rot13Name);
    const std::string a = Above(assist) + "\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}\\Count";
    const std::string b = Above(assist) + "\\{F4E57C4B-2036-45F0-A9AB-443BCFE33D9F}\\Count";
    auto& reg = m_fake.registry;
    reg.SetBytes(kHkcu, a, "HRZR_PGYFRFFVBA", seam::kRegBinary, Bytes(72, 0));
    reg.SetBytes(kHkcu, a, "{1NP14R77-02R7-4R5Q-O744-2RO1NR5198O7}\\abgrcnq.rkr", seam::kRegBinary, Bytes(72, 1));
    reg.SetBytes(kHkcu, b, "P:\\Cebtenz Svyrf\\\xB0\xA1\\ncc.rkr", seam::kRegBinary, Bytes(16, 0));
    reg.SetBytes(kHkcu, Above(assist) + "\\{CEBFF5CD-ACE2-4F4F-9178-9926F41749EA}", "Version", seam::kRegDword,
                 {5, 0, 0, 0});
    Scan(assist);

    const auto ra = RowsOf(a);
    ASSERT_EQ(2u, ra.size());
    for (const auto& row : ra) {
        if (row.text[seam::kColValue] == "HRZR_PGYFRFFVBA") {
            EXPECT_EQ("UEME_CTLSESSION", row.Name());
            EXPECT_EQ("UEME_CTLSESSION", row.text[seam::kColData]);
        } else {
            EXPECT_EQ("notepad.exe", row.Name());
            EXPECT_EQ("{1AC14E77-02E7-4E5D-B744-2EB1AE5198B7}\\notepad.exe", row.text[seam::kColData]);
        }
    }
    // A double-byte character's trail byte that looks like a letter stays as it is.
    const auto rb = RowsOf(b);
    ASSERT_EQ(1u, rb.size());
    EXPECT_EQ("C:\\Program Files\\\xB0\xA1\\app.exe", rb[0].text[seam::kColData]);
    EXPECT_EQ("app.exe", rb[0].Name());
    EXPECT_EQ(3, m_state.Count(seam::kRecent));
}

TEST_F(CurrentHistory, CurrentMuiCacheListsMissingProgramsOnDriveC) {
    const HistorySource& mui = fakes::SourceOfKind(K::MuiCacheCurrent);
    EXPECT_EQ(fakes::SourceOfKind(K::MuiCache).label, mui.label);
    m_fake.system.AddFile("C:\\Apps\\live.exe");
    m_fake.system.AddFile("C:\\Windows\\system32\\shell32.dll");
    auto& reg = m_fake.registry;
    reg.SetString(kHkcu, mui.keyPath, "C:\\Old\\tool.exe.FriendlyAppName", "Tool");
    reg.SetString(kHkcu, mui.keyPath, "C:\\Old\\tool.exe.ApplicationCompany", "Maker");
    reg.SetString(kHkcu, mui.keyPath, "C:\\Apps\\live.exe.FriendlyAppName", "Live");  // exists
    reg.SetString(kHkcu, mui.keyPath, "D:\\Games\\play.exe.FriendlyAppName", "Play");  // other drive
    reg.SetString(kHkcu, mui.keyPath, "@C:\\Windows\\system32\\shell32.dll,-22", "Panel");  // exists
    reg.SetString(kHkcu, mui.keyPath, "LangID", "");
    Scan(mui);

    const auto rows = Rows();
    ASSERT_EQ(2u, rows.size());
    for (const auto& row : rows) {
        EXPECT_EQ("tool.exe", row.Name());
        EXPECT_EQ(mui.label, row.text[seam::kColRead]);
    }
    EXPECT_EQ("C:\\Old\\tool.exe.ApplicationCompany", rows[0].text[seam::kColValue]);
    EXPECT_EQ("Maker", rows[0].text[seam::kColData]);
}

TEST_F(CurrentHistory, ValueNameAndRememberedFileKinds) {
    const HistorySource& times = fakes::SourceLabelled("인터넷기록", K::ValueName);
    m_fake.registry.SetBytes(kHkcu, times.keyPath, "url1", seam::kRegBinary, {0x80, 0x1a, 0x2b, 0x3c, 0, 0, 0, 0});
    Scan(times);
    ASSERT_EQ(1u, Rows().size());
    EXPECT_EQ("url1", Rows()[0].Name());
    EXPECT_EQ("url1", Rows()[0].text[seam::kColValue]);
    EXPECT_EQ("", Rows()[0].text[seam::kColData]);

    // PotPlayer: a value named by the file, or one whose data holds it.
    for (size_t n = 0; n < 2; ++n) {
        m_view.List().Assign({});
        const HistorySource& pot = fakes::SourceLabelled("다음팟플레이어 재생기록", K::RememberedFile, n);
        m_fake.registry.SetString(kHkcu, pot.keyPath, "C:\\Movies\\\xBF\xB5\xC8\xAD.mkv", "1234");
        m_fake.registry.SetString(kHkcu, pot.keyPath, "0", "D:\\Clips\\clip.mp4");
        Scan(pot);
        ASSERT_EQ(2u, Rows().size());
        EXPECT_EQ("clip.mp4", Rows()[0].Name());
        EXPECT_EQ("D:\\Clips\\clip.mp4", Rows()[0].text[seam::kColData]);
        EXPECT_EQ("\xBF\xB5\xC8\xAD.mkv", Rows()[1].Name());
        EXPECT_EQ("1234", Rows()[1].text[seam::kColData]);
    }
    EXPECT_NE(fakes::SourceLabelled("다음팟플레이어 재생기록", K::RememberedFile, 0).keyPath,
              fakes::SourceLabelled("다음팟플레이어 재생기록", K::RememberedFile, 1).keyPath);
}

TEST_F(CurrentHistory, PlainAndSingleValueSourcesOfCurrentPrograms) {
    const HistorySource& paths = fakes::SourceLabelled("탐색기 주소기록", K::PlainData);
    const HistorySource& remote = fakes::SourceLabelled("원격데스크톱기록", K::PlainData);
    m_fake.registry.SetString(kHkcu, paths.keyPath, "url1", "C:\\Users\\kim\\Documents");
    m_fake.registry.SetString(kHkcu, remote.keyPath, "MRU0", "192.168.0.10");
    Scan(paths);
    Scan(remote);
    EXPECT_EQ((std::vector<std::string>{"192.168.0.10", "C:\\Users\\kim\\Documents"}), Column(seam::kColName));

    m_view.List().Assign({});
    const HistorySource& regedit = fakes::SourceReading("LastKey");
    const HistorySource& playlist = fakes::SourceReading("sRecentPLFolder");
    EXPECT_EQ(fakes::SourceReading("sRecentFile").keyPath, playlist.keyPath);
    m_fake.registry.SetString(kHkcu, regedit.keyPath, "LastKey", "Computer\\HKEY_CURRENT_USER\\Software");
    m_fake.registry.SetString(kHkcu, playlist.keyPath, "sRecentPLFolder", "C:\\Lists\\");
    Scan(regedit);
    Scan(playlist);
    EXPECT_EQ((std::vector<std::string>{"C:\\Lists\\", "Software"}), Column(seam::kColName));
    EXPECT_EQ((std::vector<std::string>{"sRecentPLFolder", "LastKey"}), Column(seam::kColValue));
}

TEST_F(CurrentHistory, OfficeUserListsCarryTheirConcreteKeyAndCleanOnlyThem) {
    m_state.m_bAnalysed.store(false);
    // Word's files of one signed-in account in Office 16.0 (2016 to 365).
    const HistorySource& userFiles = fakes::NthSource([](const HistorySource& h) {
        return h.keyPath.find("16.0\\Word\\User MRU\\*\\File MRU") != std::string::npos;
    });
    EXPECT_EQ(fakes::SourceLabelled("워드기록", K::FilePathData).label, userFiles.label);
    const std::string adal = Above(userFiles, "\\*") + "\\ADAL_5F2C8B1E-0D4A-4E0B-9B51-0B7C7F3D8A11";
    const std::string files = adal + "\\File MRU";
    auto& reg = m_fake.registry;
    reg.SetString(kHkcu, files, "Item 1", "[F00000000][T01D9C0A1B2C3D4E5][O00000000]*C:\\Docs\\\xB0\xE8\xC8\xB9.docx");
    reg.SetString(kHkcu, files, "Item Metadata 1", "<Metadata />");
    reg.SetString(kHkcu, adal, "Settings", "kept");
    reg.SetString(kHkcu, adal + "\\Place MRU", "Item 1", "[F00000000][T01D9][O00000000]*C:\\Docs\\");
    for (int c = 0; c < seam::kCategoryCount; ++c) m_state.SetEnabled(static_cast<seam::Category>(c), c == seam::kRecent);
    Pass();

    const auto rows = RowsOf(files);
    ASSERT_EQ(2u, rows.size());
    for (const auto& row : rows) EXPECT_EQ(seam::Cp949FromUtf8("워드기록"), row.text[seam::kColRead]);
    EXPECT_EQ(1u, RowsOf(adal + "\\Place MRU").size());
    EXPECT_EQ(3, m_state.Count(seam::kRecent));
    Pass();  // cleaning
    EXPECT_TRUE(reg.ValueNames(kHkcu, files).empty());
    EXPECT_TRUE(reg.ValueNames(kHkcu, adal + "\\Place MRU").empty());
    EXPECT_EQ((std::vector<std::string>{"Settings"}), reg.ValueNames(kHkcu, adal));
    EXPECT_TRUE(reg.KeyExists(kHkcu, files));
}

TEST_F(CurrentHistory, SecondAnalysisWhileRecentRowsAreListedScansNoSource) {
    m_state.m_bAnalysed.store(false);
    const HistorySource& typed = fakes::SourceLabelled("인터넷기록", K::PlainData);
    const HistorySource& words = fakes::SourceLabelled("탐색기 검색기록", K::UnicodeName);
    m_fake.registry.SetString(kHkcu, typed.keyPath, "url1", "http://a.example/");
    m_fake.registry.SetBytes(kHkcu, words.keyPath, "0", seam::kRegBinary, fakes::Utf16Bytes(u"budget"));
    Pass();
    ASSERT_EQ(2, m_state.Count(seam::kRecent));

    m_state.SetEnabled(seam::kRecent, false);
    Pass();  // cleaning leaves the RECENT rows: the category is off
    ASSERT_EQ(2u, Rows().size());
    m_state.SetEnabled(seam::kRecent, true);
    m_fake.registry.SetString(kHkcu, typed.keyPath, "url2", "http://b.example/");
    m_fake.registry.SetBytes(kHkcu, words.keyPath, "1", seam::kRegBinary, fakes::Utf16Bytes(u"taxes"));
    Pass();  // analysis: RECENT still has rows, so no source is read
    EXPECT_EQ(2u, Rows().size());
    EXPECT_EQ(2, m_state.Count(seam::kRecent));
    EXPECT_EQ((std::vector<std::string>{"budget", "http://a.example/"}), Column(seam::kColName));
}

}  // namespace
}  // namespace engine
