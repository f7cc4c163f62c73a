// Places analysis could not read are never silent: each is a note with why,
// the status line counts them and names the first, and the rows of what
// could be read are listed all the same.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/core/StatusTexts.h"
#include "tests/fakes/BrowserFixture.h"

namespace {

using engine::NoteKind;
using engine::RowFate;

const std::u16string kRecent = u"C:\\Users\\김하늘\\AppData\\Roaming\\Microsoft\\Windows\\Recent";
const std::u16string kLists = kRecent + u"\\AutomaticDestinations";
const std::u16string kChromeDefault = fakes::ProfileFolder(1, u"Default");

struct UnreadCase {
    const char* what;
    std::function<void(fakes::BrowserFixture&, fakes::FakeFileSystem&)> plant;
    std::u16string noted;  // the place the note names
    NoteKind kind;
    RowFate why;
};

class UnreadPlaces : public fakes::BrowserFixture, public ::testing::WithParamInterface<UnreadCase> {};

const UnreadCase kCases[] = {
    {"a jump list that is no compound file",
     [](fakes::BrowserFixture&, fakes::FakeFileSystem& files) {
         files.WriteFile(kLists + u"\\0123456789abcdef.automaticDestinations-ms", std::string(600, 'x'));
     },
     kLists + u"\\0123456789abcdef.automaticDestinations-ms", NoteKind::Unreadable, RowFate::StillThere},
    {"the jump lists' folder reached through a link",
     [](fakes::BrowserFixture&, fakes::FakeFileSystem& files) {
         files.MakeFolder(u"C:\\Elsewhere");
         files.MakeLink(kLists, u"C:\\Elsewhere");
     },
     kLists, NoteKind::Unreadable, RowFate::Linked},
    {"a History that is no database",
     [](fakes::BrowserFixture&, fakes::FakeFileSystem& files) {
         files.WriteFile(kChromeDefault + u"\\History", std::string(4096, 'h'));
     },
     kChromeDefault + u"\\History", NoteKind::Unreadable, RowFate::StillThere},
    {"Recent pointed out of the profile by the user's shell folders",
     [](fakes::BrowserFixture&, fakes::FakeFileSystem& files) {
         files.WriteFile(u"C:\\Windows\\System32\\중요.lnk", std::string(100, 'l'));
         files.RedirectKnownFolder(seam::KnownFolder::Recent, u"C:\\Windows\\System32");
     },
     u"C:\\Windows\\System32", NoteKind::Unreadable, RowFate::Linked},
};

TEST_P(UnreadPlaces, AnalysisSaysWhatItCouldNotRead) {
    const UnreadCase& c = GetParam();
    // Something that can be read, beside what cannot.
    PutShared(fakes::ProfileFolder(0, u"Default"), u"History", "files/chromium/History");
    c.plant(*this, m_fake.files);
    m_state.m_bAnalysed.store(false);
    m_state.SetEnabled(seam::kRecent, true);
    Pass();

    const std::vector<engine::PassNote> notes = m_state.Notes();
    ASSERT_EQ(1u, notes.size()) << c.what;
    EXPECT_EQ(c.kind, notes[0].kind) << c.what;
    EXPECT_EQ(c.noted, notes[0].path) << c.what;
    EXPECT_EQ(c.why, notes[0].why) << c.what;
    EXPECT_EQ(engine::StatusAnalysedUnread(1, c.noted), m_state.StatusText()) << c.what;
    EXPECT_GE(CountOf(seam::kRecent), 1) << c.what << ": what could be read is listed all the same";
    for (const auto& row : Rows())
        EXPECT_NE(0u, row.target.path.rfind(c.noted, 0)) << c.what << ": a row from the place not read";
}

INSTANTIATE_TEST_SUITE_P(Places, UnreadPlaces, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<UnreadCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST_F(UnreadPlaces, AMissingFolderOrFileIsNothingMissed) {
    m_state.m_bAnalysed.store(false);
    m_state.SetEnabled(seam::kRecent, true);
    Pass();
    EXPECT_TRUE(m_state.Notes().empty());
}

}  // namespace
