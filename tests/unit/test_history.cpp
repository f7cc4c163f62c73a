// The usage-history scan over the fake registry: the source table, the five
// source kinds, the data text rule and the analysed flag between values.
// Row order is taken from the registry's own enumeration order.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/HistorySources.h"
#include "seam/Text.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"

namespace kv {
namespace {

constexpr RegRoot kHkcu = RegRoot::CurrentUser;
constexpr RegRoot kHklm = RegRoot::LocalMachine;
constexpr const char* kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr const char* kRunMru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr const char* kWordMru = "Software\\Microsoft\\Office\\12.0\\Word\\File MRU";
constexpr const char* kMuiCache = "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache";
constexpr const char* kHelp = "SOFTWARE\\Microsoft\\Windows\\Help";
constexpr const char* kGom = "Software\\GRETECH\\GomPlayer\\OPTION";
constexpr const char* kALZip = "Software\\ESTsoft\\ALZip\\MRUOpen";

std::string Hkcu(const std::string& path) { return "HKEY_CURRENT_USER\\" + path; }

class History : public ::testing::Test {
protected:
    // The driver raises the flag before any scan runs.
    History() { m_state.m_nAnalysed.store(1); }
    void TearDown() override {
        EXPECT_EQ(0, m_fake.registry.OpenHandleCount()) << "a scan left a key open";
        EXPECT_EQ(0, m_fake.registry.BadCloseCount());
    }

    void ScanAll() { ScanHistory(m_fake.platform, m_state, m_view); }
    void ScanSource(size_t index) {
        ScanHistorySource(m_fake.platform, m_state, m_view, HistorySources().at(index));
    }
    std::vector<TraceItem> Rows() { return m_view.List().Rows(); }
    std::vector<std::string> Column(int column) {
        std::vector<std::string> out;
        for (const auto& row : Rows()) out.push_back(row.text[column]);
        return out;
    }
    // Value names as the registry enumerates them, last first: the order rows end up in.
    std::vector<std::string> TopDown(RegRoot root, const std::string& path) {
        auto names = m_fake.registry.ValueNames(root, path);
        std::reverse(names.begin(), names.end());
        return names;
    }

    fakes::FakePlatform m_fake;
    EngineState m_state;
    fakes::FakeView m_view{&m_state};
};

TEST_F(History, SourceTableRootsPathsValuesAndKinds) {
    using K = HistorySourceKind;
    struct Expected {
        const char* root;
        const char* path;
        const char* value;
        const char* label;
        K kind;
    };
    const Expected expected[] = {
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Search Assistant\\ACMru\\5603", "0", "검색기록", K::PlainData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Search Assistant\\ACMru\\5604", "0", "검색기록", K::PlainData},
        {"HKEY_CURRENT_USER", kRunMru, "0", "실행기록", K::PlainData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU", "0", "문서기록", K::FilePathData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU", "0", "탐색기기록", K::FilePathData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List", "0", "그림판기록", K::FilePathData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Office\\12.0\\Excel\\File MRU", "0", "엑셀 문서기록", K::FilePathData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Office\\14.0\\Excel\\File MRU", "0", "엑셀 문서기록", K::FilePathData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Office\\12.0\\PowerPoint\\File MRU", "0", "파워포인트 문서기록", K::FilePathData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Office\\14.0\\PowerPoint\\File MRU", "0", "파워포인트 문서기록", K::FilePathData},
        {"HKEY_CURRENT_USER", kWordMru, "0", "워드기록", K::FilePathData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\Office\\14.0\\Word\\File MRU", "0", "워드기록", K::FilePathData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", "0", "미디어플레이어 기록", K::FilePathData},
        {"HKEY_CURRENT_USER", "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList", "0", "미디어플레이어 기록", K::FilePathData},
        {"HKEY_CURRENT_USER", kGom, "sRecentFile", "곰플레이어 재생기록", K::SingleValue},
        {"HKEY_CURRENT_USER", kGom, "sRecentFolder", "곰플레이어 재생기록", K::SingleValue},
        {"HKEY_CURRENT_USER", kGom, "sRecentURL", "곰플레이어 주소기록", K::SingleValue},
        {"HKEY_CURRENT_USER", "Software\\ESTsoft\\ALSong\\Param\\RecentURL", "0", "알송재생기록", K::PlainData},
        {"HKEY_CURRENT_USER", "Software\\DAUM\\PotPlayerMini\\BMList", "0", "다음팟플레이어 재생기록", K::PlainData},
        {"HKEY_CURRENT_USER", kTyped, "0", "인터넷기록", K::PlainData},
        {"HKEY_CURRENT_USER", kMuiCache, "0", "MUI캐시", K::MuiCache},
        {"HKEY_LOCAL_MACHINE", kHelp, "0", "도움말", K::Help},
        {"HKEY_CURRENT_USER", kALZip, "0", "알집기록", K::PlainData},
    };
    const auto& sources = HistorySources();
    ASSERT_EQ(23u, sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE("source " + std::to_string(i + 1));
        EXPECT_EQ(expected[i].root, sources[i].rootName);
        EXPECT_EQ(expected[i].path, sources[i].keyPath);
        EXPECT_EQ(expected[i].value, sources[i].valueName);
        EXPECT_EQ(Cp949FromUtf8(expected[i].label), sources[i].label);
        EXPECT_EQ(expected[i].kind, KindOfSource(sources[i].valueName, sources[i].label));
    }
    // The kind follows the label exactly: a UTF-8 or altered label is plain data.
    EXPECT_EQ(K::PlainData, KindOfSource("0", "MUI캐시"));
    EXPECT_EQ(K::PlainData, KindOfSource("0", Cp949FromUtf8("워드 기록")));
    EXPECT_EQ(K::SingleValue, KindOfSource("x", Cp949FromUtf8("도움말")));

    // Every source is scanned, in table order: one value in each key gives
    // one row per source, the first source's row at the bottom.
    for (const auto& s : sources) {
        const RegRoot root = s.rootName == "HKEY_LOCAL_MACHINE" ? kHklm : kHkcu;
        const std::string value = s.valueName == "0" ? "v" : s.valueName;
        m_fake.registry.SetString(root, s.keyPath, value, s.valueName == "0" ? "" : "C:\\x\\y.dat");
    }
    m_fake.registry.SetString(kHkcu, kMuiCache, "v", "");  // MUI cache: names a path...
    ScanAll();
    // ...which "v" is not (no "C:\"), so the MUI cache adds nothing.
    const auto rows = Rows();
    ASSERT_EQ(22u, rows.size());
    std::vector<std::string> regKeys;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) regKeys.push_back(it->text[kColRegKey]);
    std::vector<std::string> want;
    for (const auto& e : expected) {
        if (e.kind != K::MuiCache) want.push_back(std::string(e.root) + "\\" + e.path);
    }
    EXPECT_EQ(want, regKeys);
    EXPECT_EQ(22, m_state.Count(kRecent));
}

TEST_F(History, FilePathDataListsEveryValueByFileName) {
    m_fake.registry.SetString(kHkcu, kWordMru, "Item 1", "[F00000000][T01D1A2B3C4D5E6F7]*C:\\Docs\\plan.docx");
    m_fake.registry.SetString(kHkcu, kWordMru, "Item 2", "[F00000000][T01D0]*C:\\Docs\\");
    m_fake.registry.SetDword(kHkcu, kWordMru, "Max Display", 25);  // a setting: a row all the same
    ScanSource(10);

    const auto rows = Rows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(TopDown(kHkcu, kWordMru), Column(kColValue));
    EXPECT_EQ((std::vector<std::string>{"\x19", "", "plan.docx"}), Column(kColName));
    const TraceItem& plan = rows[2];
    EXPECT_EQ(Cp949FromUtf8("워드기록"), plan.text[kColRead]);
    EXPECT_EQ("RECENT", plan.text[kColCode]);
    EXPECT_EQ(Hkcu(kWordMru), plan.text[kColRegKey]);
    EXPECT_EQ("[F00000000][T01D1A2B3C4D5E6F7]*C:\\Docs\\plan.docx", plan.text[kColData]);
    EXPECT_EQ("\x19", rows[0].text[kColData]);  // DWORD 25: its bytes up to the first zero
    EXPECT_EQ(3, m_state.Count(kRecent));
    EXPECT_EQ("3", m_state.CountText(kRecent));
    EXPECT_EQ(std::vector<Category>(3, kRecent), m_view.CounterChanges());
}

TEST_F(History, PlainDataListsEveryValueByItsData) {
    // RunMRU: two entries and the list-order value.
    m_fake.registry.SetString(kHkcu, kRunMru, "a", "notepad\\1");
    m_fake.registry.SetString(kHkcu, kRunMru, "b", "cmd\\1");
    m_fake.registry.SetString(kHkcu, kRunMru, "MRUList", "ba");
    ScanSource(2);
    EXPECT_EQ((std::vector<std::string>{"ba", "cmd\\1", "notepad\\1"}), Column(kColName));
    EXPECT_EQ(Column(kColName), Column(kColData));
    EXPECT_EQ(TopDown(kHkcu, kRunMru), Column(kColValue));

    // TypedURLs: three addresses, the last enumerated on top.
    m_view.List().Assign({});
    for (int i = 1; i <= 3; ++i) {
        m_fake.registry.SetString(kHkcu, kTyped, "url" + std::to_string(i),
                                  "http://site" + std::to_string(i) + ".example/");
    }
    ScanSource(19);
    const auto rows = Rows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(TopDown(kHkcu, kTyped), Column(kColValue));
    for (const auto& row : rows) {
        const std::string n = row.text[kColValue].substr(3);
        EXPECT_EQ("http://site" + n + ".example/", row.Name());
        EXPECT_EQ(Cp949FromUtf8("인터넷기록"), row.text[kColRead]);
        EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs", row.text[kColRegKey]);
    }
    EXPECT_EQ(6, m_state.Count(kRecent));
}

TEST_F(History, MuiCacheListsOnlyMissingProgramsOnDriveC) {
    m_fake.system.AddFile("C:\\Apps\\live.exe");
    m_fake.system.AddFile("C:\\Windows\\system32\\shell32.dll");
    m_fake.registry.SetString(kHkcu, kMuiCache, "C:\\Old\\tool.exe", "Tool");
    m_fake.registry.SetString(kHkcu, kMuiCache, "C:\\Apps\\live.exe", "Live");           // exists
    m_fake.registry.SetString(kHkcu, kMuiCache, "D:\\Old\\gone.exe", "Gone");            // other drive
    m_fake.registry.SetString(kHkcu, kMuiCache, "c:\\old\\lower.exe", "Lower");          // not "C:\"
    m_fake.registry.SetString(kHkcu, kMuiCache, "@C:\\Windows\\system32\\shell32.dll,-123", "Shell");
    m_fake.registry.SetString(kHkcu, kMuiCache, "\"@C:\\Gone\\lib.dll\",-5", "Lib");     // quoted
    m_fake.registry.SetString(kHkcu, kMuiCache, "LangID", "");
    ScanSource(20);

    const auto rows = Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("lib.dll", rows[0].Name());
    EXPECT_EQ("\"@C:\\Gone\\lib.dll\",-5", rows[0].text[kColValue]);  // as enumerated
    EXPECT_EQ("Lib", rows[0].text[kColData]);
    EXPECT_EQ("tool.exe", rows[1].Name());
    EXPECT_EQ("C:\\Old\\tool.exe", rows[1].text[kColValue]);
    EXPECT_EQ(Cp949FromUtf8("MUI캐시"), rows[1].text[kColRead]);
    EXPECT_EQ(2, m_state.Count(kRecent));
}

TEST_F(History, NamesOutsideCodePage949AreListedAsEnumeratedWithTheirData) {
    const std::string thai = "\xE0\xB8\x81";  // U+0E01, which code page 949 lacks
    m_fake.registry.SetStringUnicodeName(kHkcu, kTyped, "url" + thai, "http://a.example/");
    ScanSource(19);
    ASSERT_EQ(1u, Rows().size());
    EXPECT_EQ("http://a.example/", Rows()[0].Name());
    EXPECT_EQ("url?", Rows()[0].text[kColValue]);
    EXPECT_EQ("http://a.example/", Rows()[0].text[kColData]);

    // A MUI-cache path that cannot be spelled cannot be looked at: whether
    // its program is gone is unknown, so it is not listed.
    m_fake.registry.SetStringUnicodeName(kHkcu, kMuiCache, "C:\\Apps\\" + thai + "\\tool.exe", "Tool");
    m_fake.registry.SetString(kHkcu, kMuiCache, "C:\\Old\\gone.exe", "Gone");
    ScanSource(20);
    ASSERT_EQ(2u, Rows().size());
    EXPECT_EQ("gone.exe", Rows()[0].Name());
    EXPECT_EQ(2, m_state.Count(kRecent));
}

TEST_F(History, HelpListsValuesWithoutDataAndNeedsFullAccess) {
    m_fake.registry.SetString(kHklm, kHelp, "windows.hlp", "C:\\Windows\\Help\\");
    m_fake.registry.SetString(kHklm, kHelp, "old.hlp", "");
    m_fake.registry.SetBytes(kHklm, kHelp, "empty.hlp", kRegSz, {});
    ScanSource(21);
    const auto rows = Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"empty.hlp", "old.hlp"}), Column(kColName));
    EXPECT_EQ(Column(kColName), Column(kColValue));
    EXPECT_EQ("", rows[1].text[kColData]);
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\Help", rows[1].text[kColRegKey]);
    EXPECT_EQ(Cp949FromUtf8("도움말"), rows[1].text[kColRead]);

    // Without the right to open it fully (readable, not writable, as HKLM is
    // for most users) the help key gives nothing, and the scan goes on to the
    // source after it.
    m_view.List().Assign({});
    m_state.SetCount(kRecent, 0);
    m_fake.registry.Deny(kHklm, kHelp, fakes::kDenyFullAccess);
    m_fake.registry.SetString(kHkcu, kALZip, "0", "D:\\archive.alz");
    ScanAll();
    ASSERT_EQ(1u, Rows().size());
    EXPECT_EQ("D:\\archive.alz", Rows()[0].Name());
    EXPECT_EQ(Hkcu(kALZip), Rows()[0].text[kColRegKey]);
    EXPECT_EQ(1, m_state.Count(kRecent));
}

TEST_F(History, GomPlayerValuesAreNamedByTheirText) {
    m_fake.registry.SetString(kHkcu, kGom, "sRecentFile", "C:\\Movies\\film.avi");
    m_fake.registry.SetString(kHkcu, kGom, "sRecentFolder", "C:\\Movies\\");
    m_fake.registry.SetString(kHkcu, kGom, "sRecentURL", "http://tv.example/live\\ch1");
    m_fake.registry.SetString(kHkcu, kGom, "sOther", "C:\\ignored.avi");
    ScanAll();
    const auto rows = Rows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"http://tv.example/live\\ch1", "C:\\Movies\\", "film.avi"}),
              Column(kColName));
    EXPECT_EQ((std::vector<std::string>{"sRecentURL", "sRecentFolder", "sRecentFile"}), Column(kColValue));
    EXPECT_EQ((std::vector<std::string>{"http://tv.example/live\\ch1", "C:\\Movies\\", "C:\\Movies\\film.avi"}),
              Column(kColData));
    EXPECT_EQ(Cp949FromUtf8("곰플레이어 주소기록"), rows[0].text[kColRead]);
    EXPECT_EQ(Cp949FromUtf8("곰플레이어 재생기록"), rows[2].text[kColRead]);
    EXPECT_EQ(Hkcu(kGom), rows[0].text[kColRegKey]);

    // "0", empty, and data too long for the 260-byte read give nothing.
    m_view.List().Assign({});
    m_fake.registry.SetString(kHkcu, kGom, "sRecentFile", "0");
    m_fake.registry.SetString(kHkcu, kGom, "sRecentFolder", "");
    m_fake.registry.SetString(kHkcu, kGom, "sRecentURL", "http://" + std::string(300, 'a'));
    ScanAll();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(3, m_state.Count(kRecent));
    // A missing value gives nothing and the read creates no key.
    m_fake.registry.DeleteKey(kHkcu, kGom);
    ScanAll();
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(m_fake.registry.KeyExists(kHkcu, kGom));
}

TEST_F(History, DataTextIsCutAtZeroOrTheBufferAndLongDataStillMakesARow) {
    m_fake.registry.SetBytes(kHkcu, kTyped, "zero", kRegBinary, {'a', 'b', 0, 'c'});
    m_fake.registry.SetBytes(kHkcu, kTyped, "fits", kRegBinary, std::vector<uint8_t>(260, 'x'));
    m_fake.registry.SetBytes(kHkcu, kTyped, "binary", kRegBinary, std::vector<uint8_t>(300, 'y'));
    m_fake.registry.SetString(kHkcu, kTyped, "long", "http://" + std::string(400, 'z'));
    // 258 ASCII bytes, then a double-byte character across the 259-byte cut.
    m_fake.registry.SetString(kHkcu, kTyped, "korean", std::string(258, 'k') + "\xB0\xA1\xB0\xA1");
    ScanSource(19);

    const auto rows = Rows();
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"korean", "long", "binary", "fits", "zero"}), Column(kColValue));
    EXPECT_EQ(std::string(258, 'k'), rows[0].text[kColData]);
    EXPECT_EQ("http://" + std::string(252, 'z'), rows[1].text[kColData]);
    EXPECT_EQ(std::string(259, 'y'), rows[2].text[kColData]);
    EXPECT_EQ(std::string(260, 'x'), rows[3].text[kColData]);
    EXPECT_EQ("ab", rows[4].text[kColData]);
    EXPECT_EQ(Column(kColData), Column(kColName));
}

TEST_F(History, NameTooLongForTheBufferEndsTheSource) {
    m_fake.registry.SetString(kHkcu, kTyped, "url1", "http://a/");
    m_fake.registry.SetString(kHkcu, kTyped, std::string(260, 'n'), "http://b/");
    m_fake.registry.SetString(kHkcu, kTyped, "url3", "http://c/");
    m_fake.registry.SetString(kHkcu, kALZip, "0", "D:\\a.alz");
    ScanAll();
    EXPECT_EQ((std::vector<std::string>{"D:\\a.alz", "http://a/"}), Column(kColName));
}

// Forwards to the fake registry and drops the analysed flag once a chosen
// number of values have been read, as a driver calling the scan off would.
class FlagDroppingRegistry : public IRegistry {
public:
    FlagDroppingRegistry(fakes::FakeRegistry& inner, EngineState& state, int readsBeforeDrop)
        : m_inner(inner), m_state(state), m_nReadsLeft(readsBeforeDrop) {}

    long OpenKey(RegRoot root, const std::string& path, RegAccess access, RegKey& out) override {
        m_opened.push_back(path);
        return m_inner.OpenKey(root, path, access, out);
    }
    long CreateKey(RegRoot root, const std::string& path, RegAccess access, RegKey& out) override {
        return m_inner.CreateKey(root, path, access, out);
    }
    void CloseKey(RegKey key) override { m_inner.CloseKey(key); }
    long EnumValueName(RegKey key, uint32_t index, std::string& name, uint32_t capacity) override {
        if (m_state.m_nAnalysed.load() == 0) ++m_nEnumsAfterDrop;
        return m_inner.EnumValueName(key, index, name, capacity);
    }
    long QueryValue(RegKey key, const std::string& name, std::vector<uint8_t>& data, uint32_t capacity,
                    uint32_t* type) override {
        if (--m_nReadsLeft == 0) m_state.m_nAnalysed.store(0);
        return m_inner.QueryValue(key, name, data, capacity, type);
    }
    long SetValue(RegKey key, const std::string& name, uint32_t type, const std::vector<uint8_t>& data) override {
        return m_inner.SetValue(key, name, type, data);
    }
    long DeleteValue(RegKey key, const std::string& name) override { return m_inner.DeleteValue(key, name); }
    long EnumSubkey(RegKey key, uint32_t index, std::string& name, uint32_t capacity) override {
        return m_inner.EnumSubkey(key, index, name, capacity);
    }
    long DeleteKey(RegRoot root, const std::string& path) override { return m_inner.DeleteKey(root, path); }

    std::vector<std::string> m_opened;
    int m_nEnumsAfterDrop = 0;

private:
    fakes::FakeRegistry& m_inner;
    EngineState& m_state;
    int m_nReadsLeft;
};

TEST_F(History, AnalysedFlagAtZeroStopsEnumeratingButNotOpening) {
    for (const char* name : {"a", "b", "c", "d"}) m_fake.registry.SetString(kHkcu, kRunMru, name, name);
    m_fake.registry.SetString(kHkcu, kTyped, "url1", "http://a/");
    m_fake.registry.SetString(kHkcu, kGom, "sRecentFile", "C:\\film.avi");
    FlagDroppingRegistry reg(m_fake.registry, m_state, 2);  // dropped while reading RunMRU's "b"
    Platform platform{reg, m_fake.processes, m_fake.services, m_fake.net, m_fake.system};
    ScanHistory(platform, m_state, m_view);

    // "b" was read before the flag was seen; the single-value source does not look at it.
    EXPECT_EQ((std::vector<std::string>{"film.avi", "b", "a"}), Column(kColName));
    EXPECT_EQ(3, m_state.Count(kRecent));
    EXPECT_EQ(0, reg.m_nEnumsAfterDrop);
    // Every later source was still opened.
    EXPECT_NE(reg.m_opened.end(), std::find(reg.m_opened.begin(), reg.m_opened.end(), kALZip));
    EXPECT_NE(reg.m_opened.end(), std::find(reg.m_opened.begin(), reg.m_opened.end(), kTyped));
}

}  // namespace
}  // namespace kv
