// The usage-history scan over the fake registry: the source table, the
// source kinds, the data text rule and the analysed flag between values.
// Row order is taken from the registry's own enumeration order; sources are
// taken from the table by what they are (tests/fakes/HistoryTable.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/history/HistorySources.h"
#include "engine/history/KeyPattern.h"
#include "engine/history/RegKeyText.h"
#include "seam/Text.h"
#include "tests/fakes/EngineFixture.h"
#include "tests/fakes/HistoryTable.h"

namespace engine {
namespace {

using fakes::SourceLabelled;
using fakes::SourceOfKind;
using fakes::SourceReading;
using K = HistorySourceKind;

constexpr seam::RegRoot kHkcu = seam::RegRoot::CurrentUser;
constexpr seam::RegRoot kHklm = seam::RegRoot::LocalMachine;

const HistorySource& Typed() { return fakes::SourceLabelled("인터넷기록", K::PlainData); }
const HistorySource& RunMru() { return fakes::SourceLabelled("실행기록", K::PlainData); }
const HistorySource& WordMru() { return fakes::SourceLabelled("워드기록", K::FilePathData); }
const HistorySource& MuiCache() { return fakes::SourceOfKind(K::MuiCache); }
const HistorySource& Help() { return fakes::SourceOfKind(K::Help); }
const HistorySource& ALZip() { return fakes::SourceLabelled("알집기록", K::PlainData); }

const std::string kTyped = Typed().keyPath;
const std::string kRunMru = RunMru().keyPath;
const std::string kWordMru = WordMru().keyPath;
const std::string kMuiCache = MuiCache().keyPath;
const std::string kHelp = Help().keyPath;
const std::string kGom = fakes::SourceReading("sRecentFile").keyPath;
const std::string kALZip = ALZip().keyPath;

std::string Hkcu(const std::string& path) { return RegKeyText(kHkcu, path); }

// A key that a source's pattern names: every "*" level taken as "x".
std::string ConcreteKey(const HistorySource& source) {
    std::string path = source.keyPath;
    for (size_t star; (star = path.find('*')) != std::string::npos;) path[star] = 'x';
    return path;
}

class History : public fakes::EngineFixture {
protected:
    // The driver raises the flag before any scan runs.
    History() { m_state.m_bAnalysed.store(true); }

    void ScanAll() { ScanHistory(m_fake.platform, m_state, m_view); }
    void ScanSource(const HistorySource& source) {
        ScanHistorySource(m_fake.platform, m_state, m_view, source);
    }
};

TEST_F(History, EverySourceIsScannedInTableOrder) {
    const auto& sources = HistorySources();
    // Labels are code page 949; the table's first source is its oldest.
    EXPECT_EQ("검색기록", seam::Utf8FromCp949(sources.front().label));
    EXPECT_NE("검색기록", sources.front().label);
    for (const auto& s : sources) {
        SCOPED_TRACE(s.keyPath + " " + s.valueName);
        // Only single-value sources name their value; only the help list is
        // the machine's.
        EXPECT_EQ(s.kind == K::SingleValue, s.valueName != kEveryValue);
        EXPECT_EQ(s.kind == K::Help, s.root == kHklm);
        EXPECT_FALSE(s.label.empty());
    }

    // One value in each key gives one row per source, the first source's row
    // at the bottom.
    for (const auto& s : sources) {
        const std::string value = s.kind == K::SingleValue ? s.valueName : "v";
        m_fake.registry.SetString(s.root, ConcreteKey(s), value, s.kind == K::SingleValue ? "C:\\x\\y.dat" : "");
    }
    // The MUI caches' value names are paths, which "v" is not (no "C:\"), so they add nothing.
    ScanAll();
    const auto rows = Rows();
    std::vector<std::string> regKeys;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) regKeys.push_back(it->text[seam::kColRegKey]);
    std::vector<std::string> want;
    for (const auto& s : sources) {
        if (s.kind != K::MuiCache && s.kind != K::MuiCacheCurrent) {
            want.push_back(RegKeyText(s.root, ConcreteKey(s)));
        }
    }
    EXPECT_EQ(want, regKeys);
    EXPECT_EQ(static_cast<int>(want.size()), m_state.Count(seam::kRecent));
    // The 23 lists of older Windows and Office, then the 59 of Windows 7 to 11
    // and Office 2013 to 365: a source dropped or doubled shows here.
    EXPECT_EQ(82u, sources.size());
}

TEST_F(History, KindIsTheSourcesOwnNotWorkedOutFromItsLabel) {
    // The MUI cache's label on a plain-data source: every value a row, by its data.
    HistorySource plain = MuiCache();
    plain.kind = K::PlainData;
    m_fake.registry.SetString(kHkcu, plain.keyPath, "v", "C:\\Apps\\live.exe");
    ScanSource(plain);
    ASSERT_EQ(1u, Rows().size());
    EXPECT_EQ("C:\\Apps\\live.exe", Rows()[0].Name());
    EXPECT_EQ(MuiCache().label, Rows()[0].text[seam::kColRead]);

    // A label no kind was ever chosen by, on a file-path source: named by the file.
    HistorySource files = RunMru();
    files.kind = K::FilePathData;
    files.label = "x";
    m_fake.registry.SetString(kHkcu, files.keyPath, "a", "C:\\Docs\\plan.docx");
    ScanSource(files);
    ASSERT_EQ(2u, Rows().size());
    EXPECT_EQ("plan.docx", Rows()[0].Name());
    EXPECT_EQ("x", Rows()[0].text[seam::kColRead]);
}

TEST_F(History, FilePathDataListsEveryValueByFileName) {
    m_fake.registry.SetString(kHkcu, kWordMru, "Item 1", "[F00000000][T01D1A2B3C4D5E6F7]*C:\\Docs\\plan.docx");
    m_fake.registry.SetString(kHkcu, kWordMru, "Item 2", "[F00000000][T01D0]*C:\\Docs\\");
    m_fake.registry.SetDword(kHkcu, kWordMru, "Max Display", 25);  // a setting: a row all the same
    ScanSource(WordMru());

    const auto rows = Rows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(TopDown(kHkcu, kWordMru), Column(seam::kColValue));
    EXPECT_EQ((std::vector<std::string>{"\x19", "", "plan.docx"}), Column(seam::kColName));
    const seam::TraceItem& plan = rows[2];
    EXPECT_EQ(seam::Cp949FromUtf8("워드기록"), plan.text[seam::kColRead]);
    EXPECT_EQ("RECENT", plan.text[seam::kColCode]);
    EXPECT_EQ(Hkcu(kWordMru), plan.text[seam::kColRegKey]);
    EXPECT_EQ("[F00000000][T01D1A2B3C4D5E6F7]*C:\\Docs\\plan.docx", plan.text[seam::kColData]);
    EXPECT_EQ("\x19", rows[0].text[seam::kColData]);  // DWORD 25: its bytes up to the first zero
    EXPECT_EQ(3, m_state.Count(seam::kRecent));
    EXPECT_EQ("3", m_state.CountText(seam::kRecent));
    EXPECT_EQ(std::vector<seam::Category>(3, seam::kRecent), m_view.CounterChanges());
}

TEST_F(History, PlainDataListsEveryValueByItsData) {
    // RunMRU: two entries and the list-order value.
    m_fake.registry.SetString(kHkcu, kRunMru, "a", "notepad\\1");
    m_fake.registry.SetString(kHkcu, kRunMru, "b", "cmd\\1");
    m_fake.registry.SetString(kHkcu, kRunMru, "MRUList", "ba");
    ScanSource(RunMru());
    EXPECT_EQ((std::vector<std::string>{"ba", "cmd\\1", "notepad\\1"}), Column(seam::kColName));
    EXPECT_EQ(Column(seam::kColName), Column(seam::kColData));
    EXPECT_EQ(TopDown(kHkcu, kRunMru), Column(seam::kColValue));

    // TypedURLs: three addresses, the last enumerated on top.
    m_view.List().Assign({});
    for (int i = 1; i <= 3; ++i) {
        m_fake.registry.SetString(kHkcu, kTyped, "url" + std::to_string(i),
                                  "http://site" + std::to_string(i) + ".example/");
    }
    ScanSource(Typed());
    const auto rows = Rows();
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ(TopDown(kHkcu, kTyped), Column(seam::kColValue));
    for (const auto& row : rows) {
        const std::string n = row.text[seam::kColValue].substr(3);
        EXPECT_EQ("http://site" + n + ".example/", row.Name());
        EXPECT_EQ(seam::Cp949FromUtf8("인터넷기록"), row.text[seam::kColRead]);
        EXPECT_EQ("HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs", row.text[seam::kColRegKey]);
    }
    EXPECT_EQ(6, m_state.Count(seam::kRecent));
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
    ScanSource(MuiCache());

    const auto rows = Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("lib.dll", rows[0].Name());
    EXPECT_EQ("\"@C:\\Gone\\lib.dll\",-5", rows[0].text[seam::kColValue]);  // as enumerated
    EXPECT_EQ("Lib", rows[0].text[seam::kColData]);
    EXPECT_EQ("tool.exe", rows[1].Name());
    EXPECT_EQ("C:\\Old\\tool.exe", rows[1].text[seam::kColValue]);
    EXPECT_EQ(seam::Cp949FromUtf8("MUI캐시"), rows[1].text[seam::kColRead]);
    EXPECT_EQ(2, m_state.Count(seam::kRecent));
}

TEST_F(History, NamesOutsideCodePage949AreListedAsEnumeratedWithTheirData) {
    const std::string thai = "\xE0\xB8\x81";  // U+0E01, which code page 949 lacks
    m_fake.registry.SetStringUnicodeName(kHkcu, kTyped, "url" + thai, "http://a.example/");
    ScanSource(Typed());
    ASSERT_EQ(1u, Rows().size());
    EXPECT_EQ("http://a.example/", Rows()[0].Name());
    EXPECT_EQ("url?", Rows()[0].text[seam::kColValue]);
    EXPECT_EQ("http://a.example/", Rows()[0].text[seam::kColData]);

    // A MUI-cache path that cannot be spelled cannot be looked at: whether
    // its program is gone is unknown, so it is not listed.
    m_fake.registry.SetStringUnicodeName(kHkcu, kMuiCache, "C:\\Apps\\" + thai + "\\tool.exe", "Tool");
    m_fake.registry.SetString(kHkcu, kMuiCache, "C:\\Old\\gone.exe", "Gone");
    ScanSource(MuiCache());
    ASSERT_EQ(2u, Rows().size());
    EXPECT_EQ("gone.exe", Rows()[0].Name());
    EXPECT_EQ(2, m_state.Count(seam::kRecent));
}

TEST_F(History, HelpListsValuesWithoutDataAndNeedsFullAccess) {
    m_fake.registry.SetString(kHklm, kHelp, "windows.hlp", "C:\\Windows\\Help\\");
    m_fake.registry.SetString(kHklm, kHelp, "old.hlp", "");
    m_fake.registry.SetBytes(kHklm, kHelp, "empty.hlp", seam::kRegSz, {});
    ScanSource(Help());
    const auto rows = Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"empty.hlp", "old.hlp"}), Column(seam::kColName));
    EXPECT_EQ(Column(seam::kColName), Column(seam::kColValue));
    EXPECT_EQ("", rows[1].text[seam::kColData]);
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\Help", rows[1].text[seam::kColRegKey]);
    EXPECT_EQ(seam::Cp949FromUtf8("도움말"), rows[1].text[seam::kColRead]);

    // Without the right to open it fully (readable, not writable, as HKLM is
    // for most users) the help key gives nothing, and the scan goes on to the
    // source after it.
    m_view.List().Assign({});
    m_state.SetCount(seam::kRecent, 0);
    ASSERT_EQ(fakes::IndexOfSource(Help()) + 1, fakes::IndexOfSource(ALZip()));
    m_fake.registry.Deny(kHklm, kHelp, fakes::kDenyFullAccess);
    m_fake.registry.SetString(kHkcu, kALZip, "0", "D:\\archive.alz");
    ScanAll();
    ASSERT_EQ(1u, Rows().size());
    EXPECT_EQ("D:\\archive.alz", Rows()[0].Name());
    EXPECT_EQ(Hkcu(kALZip), Rows()[0].text[seam::kColRegKey]);
    EXPECT_EQ(1, m_state.Count(seam::kRecent));
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
              Column(seam::kColName));
    EXPECT_EQ((std::vector<std::string>{"sRecentURL", "sRecentFolder", "sRecentFile"}), Column(seam::kColValue));
    EXPECT_EQ((std::vector<std::string>{"http://tv.example/live\\ch1", "C:\\Movies\\", "C:\\Movies\\film.avi"}),
              Column(seam::kColData));
    EXPECT_EQ(seam::Cp949FromUtf8("곰플레이어 주소기록"), rows[0].text[seam::kColRead]);
    EXPECT_EQ(seam::Cp949FromUtf8("곰플레이어 재생기록"), rows[2].text[seam::kColRead]);
    EXPECT_EQ(Hkcu(kGom), rows[0].text[seam::kColRegKey]);

    // "0", empty, and data too long for the 260-byte read give nothing.
    m_view.List().Assign({});
    m_fake.registry.SetString(kHkcu, kGom, "sRecentFile", "0");
    m_fake.registry.SetString(kHkcu, kGom, "sRecentFolder", "");
    m_fake.registry.SetString(kHkcu, kGom, "sRecentURL", "http://" + std::string(300, 'a'));
    ScanAll();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(3, m_state.Count(seam::kRecent));
    // A missing value gives nothing and the read creates no key.
    m_fake.registry.DeleteKey(kHkcu, kGom);
    ScanAll();
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(m_fake.registry.KeyExists(kHkcu, kGom));
}

TEST_F(History, DataTextIsCutAtZeroOrTheBufferAndLongDataStillMakesARow) {
    m_fake.registry.SetBytes(kHkcu, kTyped, "zero", seam::kRegBinary, {'a', 'b', 0, 'c'});
    m_fake.registry.SetBytes(kHkcu, kTyped, "fits", seam::kRegBinary, std::vector<uint8_t>(260, 'x'));
    m_fake.registry.SetBytes(kHkcu, kTyped, "binary", seam::kRegBinary, std::vector<uint8_t>(300, 'y'));
    m_fake.registry.SetString(kHkcu, kTyped, "long", "http://" + std::string(400, 'z'));
    // 258 ASCII bytes, then a double-byte character across the 259-byte cut.
    m_fake.registry.SetString(kHkcu, kTyped, "korean", std::string(258, 'k') + "\xB0\xA1\xB0\xA1");
    ScanSource(Typed());

    const auto rows = Rows();
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"korean", "long", "binary", "fits", "zero"}), Column(seam::kColValue));
    EXPECT_EQ(std::string(258, 'k'), rows[0].text[seam::kColData]);
    EXPECT_EQ("http://" + std::string(252, 'z'), rows[1].text[seam::kColData]);
    EXPECT_EQ(std::string(259, 'y'), rows[2].text[seam::kColData]);
    EXPECT_EQ(std::string(260, 'x'), rows[3].text[seam::kColData]);
    EXPECT_EQ("ab", rows[4].text[seam::kColData]);
    EXPECT_EQ(Column(seam::kColData), Column(seam::kColName));
}

// A Korean folder of 150 characters is 300 bytes in code page 949 before its
// file name: longer than the first name buffer. The value is listed like
// any other, the values after it are not lost, and cleaning removes all.
TEST_F(History, ANameLongerThanTheFirstBufferIsListedAndTheWalkGoesOn) {
    std::string korean;
    for (int i = 0; i < 150; ++i) korean += "\xED\x95\x9C";  // U+D55C, two bytes in code page 949
    const std::string longName = "C:\\" + seam::Cp949FromUtf8(korean) + "\\tool.exe";
    ASSERT_GT(longName.size(), 300u);
    m_fake.registry.SetString(kHkcu, kTyped, "url1", "http://a/");
    m_fake.registry.SetString(kHkcu, kTyped, longName, "http://b/");
    m_fake.registry.SetString(kHkcu, kTyped, "url3", "http://c/");
    m_fake.registry.SetString(kHkcu, kALZip, "0", "D:\\a.alz");
    ScanAll();
    EXPECT_EQ((std::vector<std::string>{"D:\\a.alz", "http://c/", "http://b/", "http://a/"}), Column(seam::kColName));
    EXPECT_EQ(longName, Rows()[2].text[seam::kColValue]);

    for (const auto& row : Rows()) EXPECT_EQ(engine::RowFate::Removed, RemoveAlone(row));
    EXPECT_TRUE(m_fake.registry.ValueNames(kHkcu, kTyped).empty());
}

// A value's name and data come in one read when both fit the first
// buffers, however many values the key holds; only a larger one costs more.
TEST_F(History, EachValueThatFitsCostsOneRead) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> values;
        int reads;  // the last one finds the end
    };
    const Case cases[] = {
        {"an empty key", {}, 1},
        {"three that fit", {{"url1", "http://a/"}, {"url2", "http://b/"}, {"url3", "http://c/"}}, 4},
        {"one with longer data", {{"url1", "http://a/"}, {"url2", "http://" + std::string(300, 'b')}}, 4},
        {"one with a longer name", {{std::string(300, 'n'), "http://a/"}, {"url2", "http://b/"}}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_fake.registry.DeleteKey(kHkcu, kTyped);
        m_fake.registry.AddKey(kHkcu, kTyped);
        for (const auto& [name, data] : c.values) m_fake.registry.SetString(kHkcu, kTyped, name, data);
        m_view.List().Assign({});
        const int before = m_fake.registry.ValueReadCalls();
        ScanSource(Typed());
        EXPECT_EQ(c.reads, m_fake.registry.ValueReadCalls() - before);
        EXPECT_EQ(c.values.size(), Rows().size());
    }
}

// Data past the largest read buffer is not read, as before; its value is
// still listed, by name and without data, and the values after it too.
TEST_F(History, AValueWhoseDataIsTooLargeToReadIsListedWithoutIt) {
    m_fake.registry.SetString(kHkcu, kTyped, "url1", "http://a/");
    m_fake.registry.SetBytes(kHkcu, kTyped, "huge", seam::kRegBinary, std::vector<uint8_t>((1u << 20) + 1, 'h'));
    m_fake.registry.SetString(kHkcu, kTyped, "url3", "http://c/");
    ScanSource(Typed());
    EXPECT_EQ((std::vector<std::string>{"url3", "huge", "url1"}), Column(seam::kColValue));
    EXPECT_EQ((std::vector<std::string>{"http://c/", "", "http://a/"}), Column(seam::kColData));
    EXPECT_EQ(3, m_state.Count(seam::kRecent));
}

// Two values code page 949 spells alike: each row shows its own value's
// data and keeps its own real name, read by place rather than by the
// spelling that stands for both.
TEST_F(History, NamesSpelledAlikeEachShowTheirOwnData) {
    m_fake.registry.SetStringUnicodeName(kHkcu, kTyped, "url\xE0\xB8\x81", "http://c.example/");  // U+0E01
    m_fake.registry.SetStringUnicodeName(kHkcu, kTyped, "url\xE0\xB8\x82", "http://d.example/");  // U+0E02
    ScanSource(Typed());
    const auto rows = Rows();
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"url?", "url?"}), Column(seam::kColValue));
    EXPECT_EQ("http://d.example/", rows[0].Name());
    EXPECT_EQ(u"url\u0E02", rows[0].target.wideName);
    EXPECT_EQ("http://c.example/", rows[1].Name());
    EXPECT_EQ(u"url\u0E01", rows[1].target.wideName);
}

// Cleaning keeps a key open from one of its values to the next, and lets it
// go when the walk moves on to another key and when the pass is over.
TEST_F(History, CleaningOpensEachKeyOnceForItsValuesInARow) {
    for (const char* name : {"url1", "url2", "url3"}) m_fake.registry.SetString(kHkcu, kTyped, name, name);
    for (const char* name : {"a", "b"}) m_fake.registry.SetString(kHkcu, kRunMru, name, name);
    ScanAll();
    ASSERT_EQ(5, m_view.List().Count());
    const int opensBefore = m_fake.registry.OpenKeyCalls();
    Pass();
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_TRUE(m_fake.registry.ValueNames(kHkcu, kTyped).empty());
    EXPECT_TRUE(m_fake.registry.ValueNames(kHkcu, kRunMru).empty());
    EXPECT_EQ(2, m_fake.registry.OpenKeyCalls() - opensBefore);
    EXPECT_EQ(0, m_fake.registry.OpenHandleCount());
}

// Forwards to the fake registry and drops the analysed flag once a chosen
// number of values have been read, as a driver calling the scan off would.
class FlagDroppingRegistry : public seam::IRegistry {
public:
    FlagDroppingRegistry(fakes::FakeRegistry& inner, EngineState& state, int readsBeforeDrop)
        : m_inner(inner), m_state(state), m_nReadsLeft(readsBeforeDrop) {}

    long OpenKey(seam::RegRoot root, const std::string& path, seam::RegAccess access, seam::RegKey& out) override {
        m_opened.push_back(path);
        return m_inner.OpenKey(root, path, access, out);
    }
    long CreateKey(seam::RegRoot root, const std::string& path, seam::RegAccess access, seam::RegKey& out) override {
        return m_inner.CreateKey(root, path, access, out);
    }
    void CloseKey(seam::RegKey key) override { m_inner.CloseKey(key); }
    long EnumValueName(seam::RegKey key, uint32_t index, std::string& name, uint32_t capacity) override {
        if (!m_state.m_bAnalysed.load()) ++m_nEnumsAfterDrop;
        return m_inner.EnumValueName(key, index, name, capacity);
    }
    long EnumValue(seam::RegKey key, uint32_t index, std::string& name, uint32_t nameCapacity,
                   std::vector<uint8_t>& data, uint32_t dataCapacity, uint32_t* type) override {
        if (!m_state.m_bAnalysed.load()) ++m_nEnumsAfterDrop;
        if (--m_nReadsLeft == 0) m_state.m_bAnalysed.store(false);
        return m_inner.EnumValue(key, index, name, nameCapacity, data, dataCapacity, type);
    }
    long QueryValue(seam::RegKey key, const std::string& name, std::vector<uint8_t>& data, uint32_t capacity,
                    uint32_t* type) override {
        if (--m_nReadsLeft == 0) m_state.m_bAnalysed.store(false);
        return m_inner.QueryValue(key, name, data, capacity, type);
    }
    long SetValue(seam::RegKey key, const std::string& name, uint32_t type, const std::vector<uint8_t>& data) override {
        return m_inner.SetValue(key, name, type, data);
    }
    long DeleteValue(seam::RegKey key, const std::string& name) override { return m_inner.DeleteValue(key, name); }
    long EnumValueNameWide(seam::RegKey key, uint32_t index, std::u16string& name) override {
        return m_inner.EnumValueNameWide(key, index, name);
    }
    long DeleteValueWide(seam::RegKey key, const std::u16string& name) override {
        return m_inner.DeleteValueWide(key, name);
    }
    long EnumSubkey(seam::RegKey key, uint32_t index, std::string& name, uint32_t capacity) override {
        return m_inner.EnumSubkey(key, index, name, capacity);
    }
    long DeleteKey(seam::RegRoot root, const std::string& path) override { return m_inner.DeleteKey(root, path); }

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
    seam::Platform platform{reg, m_fake.processes, m_fake.services, m_fake.net, m_fake.system, m_fake.files,
                            m_fake.shell, m_fake.trust, m_fake.compoundFiles};
    ScanHistory(platform, m_state, m_view);

    // "b" was read before the flag was seen; the single-value source does not look at it.
    EXPECT_EQ((std::vector<std::string>{"film.avi", "b", "a"}), Column(seam::kColName));
    EXPECT_EQ(3, m_state.Count(seam::kRecent));
    EXPECT_EQ(0, reg.m_nEnumsAfterDrop);
    // Every later source was still opened.
    EXPECT_NE(reg.m_opened.end(), std::find(reg.m_opened.begin(), reg.m_opened.end(), kALZip));
    EXPECT_NE(reg.m_opened.end(), std::find(reg.m_opened.begin(), reg.m_opened.end(), kTyped));
}

TEST_F(History, KeyPatternsNameEachConcreteKeyInEnumerationOrder) {
    auto& reg = m_fake.registry;
    reg.SetString(kHkcu, "P\\b\\Count", "v1", "x");
    reg.SetString(kHkcu, "P\\a\\Count", "v2", "y");
    reg.AddKey(kHkcu, "P\\c");               // no Count below it: names nothing
    reg.SetString(kHkcu, "P\\a\\Other", "v3", "z");
    std::vector<std::string> seen;
    ForEachKeyOfPattern(reg, kHkcu, "P\\*\\Count", false, [&](const std::string& p) { seen.push_back(p); });
    std::vector<std::string> want;
    for (const auto& name : reg.SubkeyNames(kHkcu, "P")) want.push_back("P\\" + name + "\\Count");
    EXPECT_EQ(want, seen);

    // "and its subkeys": the key first, then each direct subkey (not deeper).
    reg.SetString(kHkcu, "R\\.docx\\deep", "v", "x");
    reg.AddKey(kHkcu, "R\\Folder");
    seen.clear();
    ForEachKeyOfPattern(reg, kHkcu, "R", true, [&](const std::string& p) { seen.push_back(p); });
    want = {"R"};
    for (const auto& name : reg.SubkeyNames(kHkcu, "R")) want.push_back("R\\" + name);
    EXPECT_EQ(want, seen);
    EXPECT_EQ(3u, seen.size());

    // A missing level names nothing; a plain path is named as it is.
    seen.clear();
    ForEachKeyOfPattern(reg, kHkcu, "Missing\\*", true, [&](const std::string& p) { seen.push_back(p); });
    EXPECT_TRUE(seen.empty());
    ForEachKeyOfPattern(reg, kHkcu, "Missing\\Key", false, [&](const std::string& p) { seen.push_back(p); });
    EXPECT_EQ((std::vector<std::string>{"Missing\\Key"}), seen);
}

TEST_F(History, PatternSourceRowsCarryTheConcreteKey) {
    const HistorySource source{kHkcu, "P\\*\\Count", false, kEveryValue, "label", K::PlainData};
    m_fake.registry.SetString(kHkcu, "P\\one\\Count", "a", "first");
    m_fake.registry.SetString(kHkcu, "P\\two\\Count", "b", "second");
    m_fake.registry.SetString(kHkcu, "P\\two", "c", "not listed");
    ScanSource(source);
    std::vector<std::string> keys = Column(seam::kColRegKey);
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ((std::vector<std::string>{Hkcu("P\\one\\Count"), Hkcu("P\\two\\Count")}), keys);
    EXPECT_EQ(2, m_state.Count(seam::kRecent));

    // Cleaning deletes the listed values in their own keys, nothing else.
    for (const auto& row : Rows()) {
        EXPECT_EQ(engine::RowFate::Removed, RemoveAlone(row));
    }
    EXPECT_TRUE(m_fake.registry.ValueNames(kHkcu, "P\\one\\Count").empty());
    EXPECT_TRUE(m_fake.registry.ValueNames(kHkcu, "P\\two\\Count").empty());
    EXPECT_TRUE(m_fake.registry.ValueExists(kHkcu, "P\\two", "c"));
    // Two keys, two containers: each row's own key was opened for it.
    EXPECT_FALSE(m_categories.ContainerOf(Rows()[0].target) == m_categories.ContainerOf(Rows()[1].target));
}

}  // namespace
}  // namespace engine
