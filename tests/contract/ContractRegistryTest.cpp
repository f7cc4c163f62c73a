// The registry seam: the calls and error codes the engine relies on.
#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <utility>

#include "seam/Scoped.h"
#include "registry/RegHelpers.h"
#include "seam/Text.h"
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using ContractRegistry = ContractTest;

TEST_F(ContractRegistry, OpensCreatesAndReportsMissingKeys) {
    seam::RegKey key = 123;
    EXPECT_EQ(seam::kErrFileNotFound, Reg().OpenKey(seam::RegRoot::CurrentUser, Under("Missing"), seam::RegAccess::Read, key));
    EXPECT_EQ(0u, key);

    // CreateKey makes every missing parent on the way.
    {
        seam::ScopedRegKey deep(Reg());
        ASSERT_EQ(seam::kErrSuccess, Reg().CreateKey(seam::RegRoot::CurrentUser, Under("A\\B\\C"), seam::RegAccess::Write, deep.Out()));
        EXPECT_TRUE(deep);
    }
    EXPECT_TRUE(KeyExists(Under("A")));
    EXPECT_TRUE(KeyExists(Under("A\\B")));
    EXPECT_TRUE(KeyExists(Under("A\\B\\C")));

    // Creating an existing key opens it with its values intact.
    SetText(Under("A"), "kept", "yes");
    {
        seam::ScopedRegKey again(Reg());
        ASSERT_EQ(seam::kErrSuccess, Reg().CreateKey(seam::RegRoot::CurrentUser, Under("A"), seam::RegAccess::Read, again.Out()));
        std::vector<uint8_t> data;
        EXPECT_EQ(seam::kErrSuccess, Reg().QueryValue(again.Get(), "kept", data, 260, nullptr));
        EXPECT_EQ(TextBytes("yes"), data);
    }
}

TEST_F(ContractRegistry, ValuesKeepTheirTypeAndBytes) {
    struct Case {
        const char* name;
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const Case cases[] = {
        {"sz", seam::kRegSz, TextBytes("C:\\Docs\\plan.docx")},
        {"expand", seam::kRegExpandSz, TextBytes("%TEMP%\\x")},
        {"dword", seam::kRegDword, {0x78, 0x56, 0x34, 0x12}},
        {"binary", seam::kRegBinary, {0x00, 0xFF, 0x00, 0x41}},
        {"empty", seam::kRegBinary, {}},
    };
    for (const Case& c : cases) SetValue(m_strScratch, c.name, c.type, c.data);

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::Read, key.Out()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> data;
        uint32_t type = 999;
        EXPECT_EQ(seam::kErrSuccess, Reg().QueryValue(key.Get(), c.name, data, 260, &type));
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.data, data);
    }
    std::vector<uint8_t> data{1, 2};
    EXPECT_EQ(seam::kErrFileNotFound, Reg().QueryValue(key.Get(), "absent", data, 260, nullptr));
}

TEST_F(ContractRegistry, QueryIntoTooSmallABufferGivesMoreDataAndNoBytes) {
    const std::string longText(300, 'x');
    SetText(m_strScratch, "long", longText);

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::Read, key.Out()));
    std::vector<uint8_t> data{1, 2, 3};
    EXPECT_EQ(seam::kErrMoreData, Reg().QueryValue(key.Get(), "long", data, 260, nullptr));
    EXPECT_TRUE(data.empty());
    // Exactly the size of the data (terminator included) fits.
    EXPECT_EQ(seam::kErrSuccess, Reg().QueryValue(key.Get(), "long", data, 301, nullptr));
    EXPECT_EQ(TextBytes(longText), data);
}

TEST_F(ContractRegistry, EnumValueNameHonoursCapacityAndEnd) {
    SetText(m_strScratch, "abcdef", "1");

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::Read, key.Out()));
    std::string name;
    EXPECT_EQ(seam::kErrMoreData, Reg().EnumValueName(key.Get(), 0, name, 6));  // no room for the terminator
    EXPECT_EQ(seam::kErrSuccess, Reg().EnumValueName(key.Get(), 0, name, 7));
    EXPECT_EQ("abcdef", name);
    EXPECT_EQ(seam::kErrNoMoreItems, Reg().EnumValueName(key.Get(), 1, name, 260));
}

// A name of 130 Korean characters is 260 bytes in code page 949: a 260-byte
// buffer has no room for its terminator, and a larger one takes it whole.
TEST_F(ContractRegistry, AKoreanNameLongerThanTheBufferGivesMoreDataThenFitsALargerOne) {
    std::string korean;
    for (int i = 0; i < 130; ++i) korean += "\xED\x95\x9C";  // U+D55C
    const std::string longName = seam::Cp949FromUtf8(korean);
    ASSERT_EQ(260u, longName.size());
    SetText(m_strScratch, longName, "long");

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::AllAccess, key.Out()));
    std::string name;
    EXPECT_EQ(seam::kErrMoreData, Reg().EnumValueName(key.Get(), 0, name, 260));
    EXPECT_EQ(seam::kErrSuccess, Reg().EnumValueName(key.Get(), 0, name, 261));
    EXPECT_EQ(longName, name);
    EXPECT_EQ(seam::kErrSuccess, registry::EnumWholeValueName(Reg(), key.Get(), 0, name));
    EXPECT_EQ(longName, name);
    EXPECT_EQ(seam::kErrNoMoreItems, registry::EnumWholeValueName(Reg(), key.Get(), 1, name));
    std::vector<uint8_t> data;
    EXPECT_EQ(seam::kErrSuccess, Reg().QueryValue(key.Get(), longName, data, 260, nullptr));
    EXPECT_EQ(TextBytes("long"), data);
    EXPECT_EQ(seam::kErrSuccess, Reg().DeleteValue(key.Get(), longName));
    EXPECT_EQ(seam::kErrNoMoreItems, Reg().EnumValueName(key.Get(), 0, name, 32767));
}

// One call gives what EnumValueName and QueryValue give between them.
TEST_F(ContractRegistry, EnumValueGivesEachValuesNameTypeAndDataAtOnce) {
    std::string korean;
    for (int i = 0; i < 20; ++i) korean += "\xED\x95\x9C";  // U+D55C
    struct Case {
        std::string name;
        uint32_t type;
        std::vector<uint8_t> data;
    };
    const Case cases[] = {
        {"sz", seam::kRegSz, TextBytes("C:\\Docs\\plan.docx")},
        {"expand", seam::kRegExpandSz, TextBytes("%TEMP%\\x")},
        {"dword", seam::kRegDword, {0x78, 0x56, 0x34, 0x12}},
        {"binary", seam::kRegBinary, {0x00, 0xFF, 0x00, 0x41}},
        {"empty", seam::kRegBinary, {}},
        {"emptySz", seam::kRegSz, {}},
        {seam::Cp949FromUtf8(korean), seam::kRegSz, TextBytes(seam::Cp949FromUtf8(korean))},
    };
    for (const Case& c : cases) SetValue(m_strScratch, c.name, c.type, c.data);

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess,
              Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::Read, key.Out()));
    std::set<std::string> seen;
    std::string name;
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < std::size(cases); ++i) {
        uint32_t type = 999;
        ASSERT_EQ(seam::kErrSuccess, Reg().EnumValue(key.Get(), i, name, 260, data, 260, &type));
        // Windows lists in creation order, Wine by name: found by name.
        const auto c = std::find_if(std::begin(cases), std::end(cases), [&](const Case& k) { return k.name == name; });
        ASSERT_NE(std::end(cases), c) << name;
        SCOPED_TRACE(name);
        EXPECT_EQ(c->type, type);
        EXPECT_EQ(c->data, data);
        std::string alone;
        ASSERT_EQ(seam::kErrSuccess, Reg().EnumValueName(key.Get(), i, alone, 260));
        EXPECT_EQ(alone, name);
        seen.insert(name);
    }
    EXPECT_EQ(std::size(cases), seen.size());
    data.assign(3, 1);
    const auto end = static_cast<uint32_t>(std::size(cases));
    EXPECT_EQ(seam::kErrNoMoreItems, Reg().EnumValue(key.Get(), end, name, 260, data, 260, nullptr));
}

// Either buffer too small fails the whole call and gives nothing. How much
// room would do is not compared: Wine counts string data as code page 949
// bytes (exactly what fits), Windows may count more. Only raw bytes are
// held to an exact fit.
TEST_F(ContractRegistry, EnumValueIntoTooSmallABufferGivesMoreDataAndNothing) {
    struct Case {
        const char* what;
        std::string name;
        uint32_t type;
        std::vector<uint8_t> data;
        uint32_t nameCapacity;  // too small
        uint32_t dataCapacity;
        uint32_t fitsName;  // room enough: exactly so for a name and for raw bytes
        uint32_t fitsData;
    };
    std::string korean;
    for (int i = 0; i < 150; ++i) korean += "\xED\x95\x9C";  // 300 bytes in code page 949
    const Case cases[] = {
        {"name with no room for its terminator", "abcdef", seam::kRegSz, TextBytes("1"), 6, 260, 7, 260},
        {"binary data a byte too long", "bin", seam::kRegBinary, std::vector<uint8_t>(300, 0x5A), 260, 299, 260, 300},
        {"text of 300 letters", "text", seam::kRegSz, TextBytes(std::string(300, 'x')), 260, 260, 260, 4096},
        {"Korean text of 300 bytes", "korean", seam::kRegSz, TextBytes(seam::Cp949FromUtf8(korean)), 260, 260,
         260, 4096},
        {"both too small", std::string(300, 'n'), seam::kRegBinary, std::vector<uint8_t>(300, 1), 260, 260, 301,
         300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = Under(c.what);
        SetValue(path, c.name, c.type, c.data);
        seam::ScopedRegKey key(Reg());
        ASSERT_EQ(seam::kErrSuccess,
                  Reg().OpenKey(seam::RegRoot::CurrentUser, path, seam::RegAccess::Read, key.Out()));
        std::string name = "stale";
        std::vector<uint8_t> data{1, 2, 3};
        EXPECT_EQ(seam::kErrMoreData, Reg().EnumValue(key.Get(), 0, name, c.nameCapacity, data,
                                                      c.dataCapacity, nullptr));
        EXPECT_TRUE(name.empty());
        EXPECT_TRUE(data.empty());
        uint32_t type = 999;
        ASSERT_EQ(seam::kErrSuccess, Reg().EnumValue(key.Get(), 0, name, c.fitsName, data, c.fitsData, &type));
        EXPECT_EQ(c.name, name);
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.data, data);
    }
}

// The helper grows both buffers until each value fits: a long Korean name
// and long data come back whole beside a value that fits at once.
TEST_F(ContractRegistry, EnumWholeValueReadsLongNamesAndDataWhole) {
    std::string korean;
    for (int i = 0; i < 130; ++i) korean += "\xED\x95\x9C";
    const std::string longName = seam::Cp949FromUtf8(korean);  // 260 bytes: no room for the terminator
    const std::vector<uint8_t> longData(5000, 0xA5);
    SetValue(m_strScratch, longName, seam::kRegBinary, longData);
    SetText(m_strScratch, "short", "fits");
    SetValue(m_strScratch, "big", seam::kRegBinary, std::vector<uint8_t>(70000, 7));

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess,
              Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::Read, key.Out()));
    std::map<std::string, std::pair<uint32_t, std::vector<uint8_t>>> found;
    std::string name;
    std::vector<uint8_t> data;
    for (uint32_t index = 0; index < 3; ++index) {
        uint32_t type = 0;
        ASSERT_EQ(seam::kErrSuccess, registry::EnumWholeValue(Reg(), key.Get(), index, name, data, &type));
        found[name] = {type, data};
    }
    EXPECT_EQ(seam::kErrNoMoreItems, registry::EnumWholeValue(Reg(), key.Get(), 3, name, data, nullptr));
    ASSERT_EQ(3u, found.size());
    EXPECT_EQ(std::make_pair(uint32_t{seam::kRegBinary}, longData), found[longName]);
    EXPECT_EQ(std::make_pair(uint32_t{seam::kRegSz}, TextBytes("fits")), found["short"]);
    EXPECT_EQ(std::vector<uint8_t>(70000, 7), found["big"].second);
}

TEST_F(ContractRegistry, DeletingAtIndexZeroWalksEveryValue) {
    const std::set<std::string> written{"url1", "url2", "MRUList", "Zed"};
    for (const auto& name : written) SetText(m_strScratch, name, "data of " + name);

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::AllAccess, key.Out()));
    std::set<std::string> seen;
    long r = seam::kErrSuccess;
    for (int step = 0; step < 10; ++step) {
        std::string name;
        r = Reg().EnumValueName(key.Get(), 0, name, 260);
        if (r != seam::kErrSuccess) break;
        EXPECT_TRUE(seen.insert(name).second) << name << " came back after its deletion";
        ASSERT_EQ(seam::kErrSuccess, Reg().DeleteValue(key.Get(), name));
    }
    EXPECT_EQ(seam::kErrNoMoreItems, r);
    EXPECT_EQ(written, seen);
    EXPECT_EQ(seam::kErrFileNotFound, Reg().DeleteValue(key.Get(), "url1"));
}

TEST_F(ContractRegistry, NamesCompareWithoutCaseAndKeepTheirSpelling) {
    SetText(Under("CamelKey"), "MixedCase", "first");

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, Under("cAMELkEY"), seam::RegAccess::AllAccess, key.Out()));
    std::vector<uint8_t> data;
    EXPECT_EQ(seam::kErrSuccess, Reg().QueryValue(key.Get(), "MIXEDCASE", data, 260, nullptr));
    EXPECT_EQ(TextBytes("first"), data);

    // Setting under another spelling replaces the one value.
    EXPECT_EQ(seam::kErrSuccess, Reg().SetValue(key.Get(), "mixedcase", seam::kRegSz, TextBytes("second")));
    std::string name;
    EXPECT_EQ(seam::kErrSuccess, Reg().EnumValueName(key.Get(), 0, name, 260));
    EXPECT_TRUE(name == "MixedCase" || name == "mixedcase") << name;
    EXPECT_EQ(seam::kErrNoMoreItems, Reg().EnumValueName(key.Get(), 1, name, 260));
    EXPECT_EQ(seam::kErrSuccess, Reg().QueryValue(key.Get(), "Mixedcase", data, 260, nullptr));
    EXPECT_EQ(TextBytes("second"), data);

    seam::ScopedRegKey parent(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::Read, parent.Out()));
    EXPECT_EQ(seam::kErrSuccess, Reg().EnumSubkey(parent.Get(), 0, name, 260));
    EXPECT_EQ("CamelKey", name);
}

// Thai letters: code page 949 has no spelling for either.
constexpr const char* kThaiKo = "\xE0\xB8\x81";   // U+0E01
constexpr const char* kThaiKho = "\xE0\xB8\x82";  // U+0E02

// Every value name of root\path as the enumeration spells it.
std::vector<std::string> EnumeratedNames(seam::IRegistry& reg, const std::string& path) {
    std::vector<std::string> names;
    seam::ScopedRegKey key(reg);
    if (reg.OpenKey(seam::RegRoot::CurrentUser, path, seam::RegAccess::Read, key.Out()) != seam::kErrSuccess) return names;
    std::string name;
    for (uint32_t i = 0; reg.EnumValueName(key.Get(), i, name, 260) == seam::kErrSuccess; ++i) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ContractRegistry, ANameOutsideCodePage949IsReachedUnderItsEnumeratedSpelling) {
    // "C:\앱\<Thai>\tool.exe": the Korean survives, the Thai letter cannot.
    const std::string realName = "C:\\\xEC\x95\xB1\\" + std::string(kThaiKo) + "\\tool.exe";
    m_cp->SetUnicodeNamedText(m_strScratch, realName, "Tool");
    SetText(m_strScratch, "plain", "kept");

    const std::vector<std::string> names = EnumeratedNames(Reg(), m_strScratch);
    ASSERT_EQ(2u, names.size());
    const std::string spelled = names[0];
    EXPECT_EQ("C:\\" + seam::Cp949FromUtf8("\xEC\x95\xB1") + "\\?\\tool.exe", spelled);
    ASSERT_NE(realName, seam::Utf8FromCp949(spelled)) << "the name should not survive code page 949";

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::AllAccess, key.Out()));
    std::vector<uint8_t> data;
    uint32_t type = 0;
    EXPECT_EQ(seam::kErrSuccess, Reg().QueryValue(key.Get(), spelled, data, 260, &type));
    EXPECT_EQ(TextBytes("Tool"), data);
    EXPECT_EQ(seam::kRegSz, type);
    EXPECT_EQ(seam::kErrMoreData, Reg().QueryValue(key.Get(), spelled, data, 2, nullptr));
    EXPECT_TRUE(data.empty());

    EXPECT_EQ(seam::kErrSuccess, Reg().DeleteValue(key.Get(), spelled));
    EXPECT_FALSE(m_cp->UnicodeNamedValueExists(m_strScratch, realName));
    EXPECT_TRUE(ValueExists(m_strScratch, "plain"));
    EXPECT_EQ(seam::kErrFileNotFound, Reg().DeleteValue(key.Get(), spelled));
    EXPECT_EQ(seam::kErrFileNotFound, Reg().QueryValue(key.Get(), spelled, data, 260, nullptr));
}

TEST_F(ContractRegistry, NamesSpelledAlikeAreNeitherReadNorDeleted) {
    const std::string first = "C:\\Apps\\" + std::string(kThaiKo) + ".exe";
    const std::string second = "C:\\Apps\\" + std::string(kThaiKho) + ".exe";
    m_cp->SetUnicodeNamedText(m_strScratch, first, "one");
    m_cp->SetUnicodeNamedText(m_strScratch, second, "two");
    const std::vector<std::string> names = EnumeratedNames(Reg(), m_strScratch);
    ASSERT_EQ(2u, names.size());
    ASSERT_EQ(names[0], names[1]) << "both names should have the one ANSI spelling";
    const std::string spelled = names[0];

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::AllAccess, key.Out()));
    std::vector<uint8_t> data;
    EXPECT_EQ(seam::kErrAmbiguousName, Reg().QueryValue(key.Get(), spelled, data, 260, nullptr));
    EXPECT_EQ(seam::kErrAmbiguousName, Reg().QueryValue(key.Get(), spelled, data, 0, nullptr));
    EXPECT_EQ(seam::kErrAmbiguousName, Reg().DeleteValue(key.Get(), spelled));
    EXPECT_TRUE(m_cp->UnicodeNamedValueExists(m_strScratch, first));
    EXPECT_TRUE(m_cp->UnicodeNamedValueExists(m_strScratch, second));

    // A value really named with that spelling is what the name reaches first.
    SetText(m_strScratch, spelled, "literal");
    EXPECT_EQ(seam::kErrSuccess, Reg().QueryValue(key.Get(), spelled, data, 260, nullptr));
    EXPECT_EQ(TextBytes("literal"), data);
    EXPECT_EQ(seam::kErrSuccess, Reg().DeleteValue(key.Get(), spelled));
    EXPECT_TRUE(m_cp->UnicodeNamedValueExists(m_strScratch, first));
    EXPECT_TRUE(m_cp->UnicodeNamedValueExists(m_strScratch, second));
    EXPECT_EQ(seam::kErrAmbiguousName, Reg().DeleteValue(key.Get(), spelled));
}

// The wide calls tell apart what the ANSI names cannot: each index gives its
// value's real name, and deleting by a real name removes that value alone.
TEST_F(ContractRegistry, TheWideCallsReachEachOfTwoNamesSpelledAlike) {
    const std::string first = "C:\\Apps\\" + std::string(kThaiKo) + ".exe";
    const std::string second = "C:\\Apps\\" + std::string(kThaiKho) + ".exe";
    m_cp->SetUnicodeNamedText(m_strScratch, first, "one");
    m_cp->SetUnicodeNamedText(m_strScratch, second, "two");

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::AllAccess, key.Out()));
    std::set<std::u16string> wide;
    std::u16string name;
    for (uint32_t i = 0; i < 2; ++i) {
        std::string ansi;
        ASSERT_EQ(seam::kErrSuccess, Reg().EnumValueName(key.Get(), i, ansi, 260));
        EXPECT_EQ("C:\\Apps\\?.exe", ansi);
        ASSERT_EQ(seam::kErrSuccess, Reg().EnumValueNameWide(key.Get(), i, name));
        wide.insert(name);
    }
    EXPECT_EQ(seam::kErrNoMoreItems, Reg().EnumValueNameWide(key.Get(), 2, name));
    const std::u16string realFirst = u"C:\\Apps\\\u0E01.exe";
    EXPECT_EQ((std::set<std::u16string>{realFirst, u"C:\\Apps\\\u0E02.exe"}), wide);

    EXPECT_EQ(seam::kErrSuccess, Reg().DeleteValueWide(key.Get(), realFirst));
    EXPECT_FALSE(m_cp->UnicodeNamedValueExists(m_strScratch, first));
    EXPECT_TRUE(m_cp->UnicodeNamedValueExists(m_strScratch, second));
    EXPECT_EQ(seam::kErrFileNotFound, Reg().DeleteValueWide(key.Get(), realFirst));
}

// The enumeration reaches a value by its place, not its name: two values
// that code page 949 spells alike each give their own data.
TEST_F(ContractRegistry, EnumValueGivesTheOwnDataOfNamesSpelledAlike) {
    m_cp->SetUnicodeNamedText(m_strScratch, "C:\\Apps\\" + std::string(kThaiKo) + ".exe", "one");
    m_cp->SetUnicodeNamedText(m_strScratch, "C:\\Apps\\" + std::string(kThaiKho) + ".exe", "two");

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess,
              Reg().OpenKey(seam::RegRoot::CurrentUser, m_strScratch, seam::RegAccess::Read, key.Out()));
    std::set<std::vector<uint8_t>> datas;
    for (uint32_t i = 0; i < 2; ++i) {
        std::string name;
        std::vector<uint8_t> data;
        ASSERT_EQ(seam::kErrSuccess, Reg().EnumValue(key.Get(), i, name, 260, data, 260, nullptr));
        EXPECT_EQ("C:\\Apps\\?.exe", name);
        datas.insert(data);
    }
    EXPECT_EQ((std::set<std::vector<uint8_t>>{TextBytes("one"), TextBytes("two")}), datas);
}

TEST_F(ContractRegistry, SubkeysEnumerateAndOnlyEmptyKeysDelete) {
    SetText(Under("Parent\\Child"), "v", "1");
    SetText(Under("Parent"), "own", "1");

    // A key with a subkey refuses RegDeleteKeyA (ERROR_ACCESS_DENIED on Windows).
    EXPECT_NE(seam::kErrSuccess, Reg().DeleteKey(seam::RegRoot::CurrentUser, Under("Parent")));
    EXPECT_TRUE(KeyExists(Under("Parent\\Child")));

    {
        seam::ScopedRegKey parent(Reg());
        ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(seam::RegRoot::CurrentUser, Under("Parent"), seam::RegAccess::Read, parent.Out()));
        std::string name;
        EXPECT_EQ(seam::kErrMoreData, Reg().EnumSubkey(parent.Get(), 0, name, 5));
        EXPECT_EQ(seam::kErrSuccess, Reg().EnumSubkey(parent.Get(), 0, name, 6));
        EXPECT_EQ("Child", name);
        EXPECT_EQ(seam::kErrNoMoreItems, Reg().EnumSubkey(parent.Get(), 1, name, 260));
    }

    // A key with values but no subkeys goes, values and all.
    EXPECT_EQ(seam::kErrSuccess, Reg().DeleteKey(seam::RegRoot::CurrentUser, Under("Parent\\Child")));
    EXPECT_EQ(seam::kErrSuccess, Reg().DeleteKey(seam::RegRoot::CurrentUser, Under("Parent")));
    EXPECT_FALSE(KeyExists(Under("Parent")));
    EXPECT_EQ(seam::kErrFileNotFound, Reg().DeleteKey(seam::RegRoot::CurrentUser, Under("Parent")));
}

}  // namespace
}  // namespace contract
