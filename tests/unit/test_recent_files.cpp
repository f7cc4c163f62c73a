// RECENT's file sources: the shortcuts of the Recent folders and the custom
// jump lists, with real files from the shared test data in the fake profile.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "engine/recent/RecentFiles.h"
#include "seam/Text.h"
#include "tests/fakes/EngineFixture.h"
#include "tests/fakes/SharedTestData.h"

namespace {

using engine::RowFate;

const char kNeroTarget[] = "C:\\Program Files (x86)\\Nero\\Nero 9\\Nero InfoTool\\InfoTool.exe";
const char16_t kRoaming[] = u"C:\\Users\\김하늘\\AppData\\Roaming";
const char16_t kRecent[] = u"C:\\Users\\김하늘\\AppData\\Roaming\\Microsoft\\Windows\\Recent";
const char16_t kOffice[] = u"C:\\Users\\김하늘\\AppData\\Roaming\\Microsoft\\Office\\Recent";
const char16_t kHancom[] = u"C:\\Users\\김하늘\\AppData\\Roaming\\HNC\\Office\\Recent";
const char16_t kCustom[] = u"C:\\Users\\김하늘\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\CustomDestinations";

std::string Cp(const char* utf8) { return seam::Cp949FromUtf8(utf8); }
std::string Cp(const std::u16string& utf16) { return seam::Cp949FromUtf16(utf16); }

class RecentFiles : public fakes::EngineFixture {
protected:
    RecentFiles() {
        m_nero = Bytes("files/lnk/NeroInfoTool.lnk");
        m_example = Bytes("files/lnk/example.lnk");
        m_custom = Bytes("files/jumplists/5afe4de1b92fc382.customDestinations-ms");
        m_state.m_bAnalysed.store(true);
    }

    static std::string Bytes(const std::string& relative) {
        const std::vector<uint8_t> data = fakes::ReadSharedTestFile(relative);
        return std::string(data.begin(), data.end());
    }
    void Put(const std::u16string& folder, const std::u16string& name, const std::string& bytes) {
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(m_fake.files.WriteFile(folder + u"\\" + name, bytes));
    }
    void Scan() { m_categories.Scan(seam::kRecent); }

    // Every file and folder below the roaming profile, sorted, through the seam.
    std::vector<std::u16string> Tree(const std::u16string& folder = kRoaming) {
        std::vector<std::u16string> out;
        std::vector<seam::FileEntry> entries;
        m_fake.files.ListFolder(folder, entries);
        for (const auto& entry : entries) {
            const std::u16string path = folder + u"\\" + entry.name;
            out.push_back(path);
            if (entry.attributes & seam::kAttrDirectory) {
                for (auto& below : Tree(path)) out.push_back(below);
            }
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    // The profile as a user leaves it: the traces, and what must never go.
    void FillProfile() {
        Put(kRecent, u"InfoTool.exe.lnk", m_nero);
        Put(kRecent, u"계획서.hwp.lnk", m_example);  // no target path: named after itself
        Put(kRecent, u"desktop.ini", "[.ShellClassInfo]\r\n");
        Put(kRecent, u"notes.txt", m_nero);
        Put(kRecent + std::u16string(u"\\Sub"), u"inner.lnk", m_nero);
        Put(kRecent + std::u16string(u"\\AutomaticDestinations"), u"1b4dd67f29cb1962.automaticDestinations-ms",
            "compound");
        Put(kOffice, u"Report.docx.LNK", m_nero);
        Put(kOffice, u"index.dat", "x");
        Put(kHancom, u"한글.lnk", m_example);
        Put(kCustom, u"5afe4de1b92fc382.customDestinations-ms", m_custom);
        Put(kCustom, u"1b4dd67f29cb1962.customDestinations-ms", m_custom);
        Put(kCustom, u"readme.txt", "x");
    }
    const seam::TraceItem* RowOf(const std::u16string& path) {
        m_rows = Rows();
        for (const auto& row : m_rows) {
            if (row.target.path == path) return &row;
        }
        return nullptr;
    }

    std::string m_nero, m_example, m_custom;
    std::vector<seam::TraceItem> m_rows;
};

// Analysis lists each shortcut and custom list with the texts the user reads,
// each row aimed at its file's exact UTF-16 path, and nothing else.
TEST_F(RecentFiles, ListsShortcutsAndCustomListsByTheirTargets) {
    FillProfile();
    Scan();
    std::vector<std::u16string> paths;
    for (const auto& row : Rows()) {
        EXPECT_EQ(seam::TargetKind::File, row.target.kind);
        EXPECT_EQ("RECENT", row.Code());
        paths.push_back(row.target.path);
    }
    std::sort(paths.begin(), paths.end());
    const std::u16string recent = kRecent, office = kOffice, hancom = kHancom, custom = kCustom;
    std::vector<std::u16string> expected = {
        recent + u"\\InfoTool.exe.lnk", recent + u"\\계획서.hwp.lnk", office + u"\\Report.docx.LNK",
        hancom + u"\\한글.lnk", custom + u"\\5afe4de1b92fc382.customDestinations-ms",
        custom + u"\\1b4dd67f29cb1962.customDestinations-ms"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, paths);
    EXPECT_EQ(6, m_state.Count(seam::kRecent));

    const seam::TraceItem* nero = RowOf(recent + u"\\InfoTool.exe.lnk");
    ASSERT_NE(nullptr, nero);
    EXPECT_EQ("InfoTool.exe", nero->text[seam::kColName]);
    EXPECT_EQ(kNeroTarget, nero->text[seam::kColData]);
    EXPECT_EQ(Cp(recent), nero->text[seam::kColRegKey]);
    EXPECT_EQ("InfoTool.exe.lnk", nero->text[seam::kColValue]);
    EXPECT_EQ(Cp("최근 항목"), nero->text[seam::kColRead]);

    const seam::TraceItem* plan = RowOf(recent + u"\\계획서.hwp.lnk");
    ASSERT_NE(nullptr, plan);
    EXPECT_EQ(Cp("계획서.hwp"), plan->text[seam::kColName]);
    EXPECT_EQ(Cp("계획서.hwp.lnk"), plan->text[seam::kColValue]);
    EXPECT_EQ("", plan->text[seam::kColData]);

    const seam::TraceItem* word = RowOf(office + u"\\Report.docx.LNK");
    ASSERT_NE(nullptr, word);
    EXPECT_EQ("InfoTool.exe", word->text[seam::kColName]);
    EXPECT_EQ(Cp("오피스 최근 문서"), word->text[seam::kColRead]);

    const seam::TraceItem* hwp = RowOf(hancom + u"\\한글.lnk");
    ASSERT_NE(nullptr, hwp);
    EXPECT_EQ(Cp("한글"), hwp->text[seam::kColName]);
    EXPECT_EQ(Cp("한컴오피스 최근 문서"), hwp->text[seam::kColRead]);

    // A custom list is read as its program's where the id is known, else as the id.
    const seam::TraceItem* known = RowOf(custom + u"\\1b4dd67f29cb1962.customDestinations-ms");
    ASSERT_NE(nullptr, known);
    EXPECT_EQ("Windows Explorer", known->text[seam::kColRead]);
    EXPECT_EQ("1b4dd67f29cb1962.customDestinations-ms", known->text[seam::kColName]);
    EXPECT_EQ(Cp(custom + u"\\1b4dd67f29cb1962.customDestinations-ms"), known->text[seam::kColData]);
    const seam::TraceItem* unknown = RowOf(custom + u"\\5afe4de1b92fc382.customDestinations-ms");
    ASSERT_NE(nullptr, unknown);
    EXPECT_EQ("5afe4de1b92fc382", unknown->text[seam::kColRead]);
}

// Missing folders list nothing and are not made.
TEST_F(RecentFiles, MissingFoldersListNothing) {
    Scan();
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(m_fake.files.Exists(kOffice));
    EXPECT_FALSE(m_fake.files.Exists(kCustom));
}

// Cleaning removes exactly the listed files; everything else in the
// profile (desktop.ini, subfolders, other files, automatic jump lists)
// is left as it was.
TEST_F(RecentFiles, CleaningRemovesExactlyTheListedFiles) {
    FillProfile();
    const std::vector<std::u16string> before = Tree();
    Scan();
    std::vector<std::u16string> listed;
    for (const auto& row : Rows()) listed.push_back(row.target.path);
    Pass();
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_EQ(0, m_state.Count(seam::kRecent));

    std::vector<std::u16string> expected;
    for (const auto& path : before) {
        if (std::find(listed.begin(), listed.end(), path) == listed.end()) expected.push_back(path);
    }
    EXPECT_EQ(before.size() - 6, expected.size());
    EXPECT_EQ(expected, Tree());
}

// A file its program holds open, or one the user may not delete, stays
// listed and counted; one that is already gone counts as cleaned.
TEST_F(RecentFiles, HeldOrDeniedFilesStayAndCount) {
    const std::u16string recent = kRecent;
    Put(kRecent, u"held.lnk", m_nero);
    Put(kRecent, u"locked.lnk", m_nero);
    Put(kRecent, u"gone.lnk", m_nero);
    Put(kRecent, u"plain.lnk", m_nero);
    Scan();
    ASSERT_EQ(4, m_view.List().Count());
    m_fake.files.HoldOpen(recent + u"\\held.lnk");
    m_fake.files.SetAttributes(recent + u"\\locked.lnk", seam::kAttrReadOnly);
    ASSERT_EQ(seam::kErrSuccess, m_fake.files.DeleteFile(recent + u"\\gone.lnk"));

    const std::map<std::string, RowFate> expected = {
        {"held.lnk", RowFate::InUse},
        {"locked.lnk", RowFate::Denied},
        {"gone.lnk", RowFate::AlreadyGone},
        {"plain.lnk", RowFate::Removed},
    };
    for (const auto& row : Rows()) {
        EXPECT_EQ(expected.at(row.text[seam::kColValue]), RemoveAlone(row)) << row.text[seam::kColValue];
    }
    EXPECT_TRUE(m_fake.files.Exists(recent + u"\\held.lnk"));
    EXPECT_TRUE(m_fake.files.Exists(recent + u"\\locked.lnk"));
    EXPECT_FALSE(m_fake.files.Exists(recent + u"\\plain.lnk"));

    // Through the cleaning pass: the held rows stay in the list.
    Pass();
    std::vector<std::string> left = Column(seam::kColValue);
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{"held.lnk", "locked.lnk"}), left);
    m_fake.files.Release(recent + u"\\held.lnk");
}

// Each shortcut is its own container, whatever folder holds it; a row of
// no kind has none and is never handed to a remover.
TEST_F(RecentFiles, EachFileIsAContainerAndUnknownTargetsHaveNone) {
    seam::TraceTarget a, b, none;
    a.kind = b.kind = seam::TargetKind::File;
    a.path = u"C:\\r\\x.lnk";
    b.path = u"C:\\r\\y.lnk";
    none.path = a.path;
    EXPECT_FALSE(m_categories.ContainerOf(a) == m_categories.ContainerOf(b));
    EXPECT_TRUE(m_categories.ContainerOf(a) == m_categories.ContainerOf(a));
    EXPECT_EQ(seam::TargetKind::None, m_categories.ContainerOf(none).kind);
}

}  // namespace
