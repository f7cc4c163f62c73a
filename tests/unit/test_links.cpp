// Links out of the profile. An ordinary program of the user can turn a file
// or folder of the profile into a link to what it could not touch itself,
// between an elevated analysis and its cleaning: what the link points at
// must come out of the cleaning byte for byte, and a new analysis must not
// list it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/fakes/BrowserFixture.h"

namespace {

namespace fs = std::filesystem;
using engine::RowFate;

const std::u16string kRecent = u"C:\\Users\\김하늘\\AppData\\Roaming\\Microsoft\\Windows\\Recent";
const std::u16string kOutside = u"C:\\Windows\\System32\\config";
constexpr size_t kChrome = 1;

struct LinkCase {
    const char* what;
    seam::Category category;
    std::u16string folder;  // where the real file is put
    std::u16string name;
    const char* shared;       // its bytes, from the shared test data
    std::u16string swapped;   // what becomes a link: the file, its folder, or a file beside it
    bool bStillListed;        // the file itself stays plain, so its rows are still found
};

const LinkCase kCases[] = {
    {"a shortcut", seam::kRecent, kRecent, u"보고서.lnk", "files/lnk/example.lnk", kRecent + u"\\보고서.lnk", false},
    {"a custom jump list", seam::kRecent, kRecent + u"\\CustomDestinations",
     u"5afe4de1b92fc382.customDestinations-ms", "files/jumplists/5afe4de1b92fc382.customDestinations-ms",
     kRecent + u"\\CustomDestinations\\5afe4de1b92fc382.customDestinations-ms", false},
    {"the folder of the jump lists", seam::kRecent, kRecent + u"\\AutomaticDestinations",
     u"1b4dd67f29cb1962.automaticDestinations-ms", "files/jumplists/1b4dd67f29cb1962.automaticDestinations-ms",
     kRecent + u"\\AutomaticDestinations", false},
    {"a browser's History", seam::kRecent, fakes::ProfileFolder(kChrome, u"Default"), u"History",
     "files/chromium/History", fakes::ProfileFolder(kChrome, u"Default") + u"\\History", false},
    {"a browser's profile folder", seam::kRecent, fakes::ProfileFolder(kChrome, u"Profile 1"), u"History",
     "files/chromium/History", fakes::ProfileFolder(kChrome, u"Profile 1"), false},
    {"the journal SQLite would write beside History", seam::kRecent, fakes::ProfileFolder(kChrome, u"Default"),
     u"History", "files/chromium/History", fakes::ProfileFolder(kChrome, u"Default") + u"\\History-journal", true},
};

class Links : public fakes::BrowserFixture, public ::testing::WithParamInterface<LinkCase> {
protected:
    bool Below(const seam::TraceItem& row, const std::u16string& path) {
        return row.target.path.compare(0, path.size(), path) == 0;
    }
    size_t CountBelow(const std::u16string& path) {
        size_t n = 0;
        for (const auto& row : Rows()) n += Below(row, path);
        return n;
    }
    std::string Host(const std::u16string& path) { return m_fake.files.Utf8Path(path); }
    // Every file below the folder outside the profile, with its bytes.
    std::map<std::string, std::string> Outside() {
        std::map<std::string, std::string> files;
        std::error_code ec;
        for (fs::recursive_directory_iterator it(Host(kOutside), ec), end; !ec && it != end; it.increment(ec)) {
            if (!it->is_regular_file()) continue;
            std::ifstream in(it->path(), std::ios::binary);
            files[it->path().string()].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return files;
    }
};

TEST_P(Links, WhatALinkPointsAtIsNeitherListedNorTouched) {
    const LinkCase& c = GetParam();
    const std::u16string file = c.folder + u"\\" + c.name;
    PutShared(c.folder, c.name, c.shared);
    m_categories.Scan(c.category);
    std::vector<seam::TraceItem> listed;
    for (const auto& row : Rows()) {
        if (Below(row, file)) listed.push_back(row);
    }
    ASSERT_FALSE(listed.empty()) << c.what << ": the plain file gave no rows";

    // The swap: what was analysed moves out of the profile, a link takes its place.
    const std::u16string target = kOutside + u"\\" + c.swapped.substr(c.swapped.find_last_of(u'\\') + 1);
    std::error_code ec;
    if (c.bStillListed) {
        Put(target, "a file SQLite must never write over");
    } else {
        ASSERT_TRUE(m_fake.files.MakeFolder(kOutside));
        fs::rename(Host(c.swapped), Host(target), ec);
        ASSERT_FALSE(ec) << ec.message();
    }
    ASSERT_TRUE(m_fake.files.MakeLink(c.swapped, target)) << c.what;
    const auto before = Outside();
    ASSERT_FALSE(before.empty());
    const std::string fileBytes = FileBytes(file);

    for (const auto& row : listed) EXPECT_EQ(RowFate::Linked, RemoveAlone(row)) << c.what;

    EXPECT_EQ(before, Outside()) << c.what << ": what the link points at, or a file beside it, changed";
    EXPECT_EQ(fileBytes, FileBytes(file)) << c.what;

    // A new analysis finds nothing through the link.
    const size_t had = CountBelow(file);
    m_categories.Scan(c.category);
    EXPECT_EQ(c.bStillListed ? 2 * had : had, CountBelow(file)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Everywhere, Links, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<LinkCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

}  // namespace
