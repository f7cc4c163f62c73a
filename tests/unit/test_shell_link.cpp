// Shell links read from bytes: the real shortcuts of the shared test data,
// where the target list and the link info must agree, then links built here
// for each way a link can name its target, and links broken on purpose.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/ShellLink.h"
#include "seam/Text.h"
#include "tests/fakes/SharedTestData.h"
#include "tests/fakes/Utf16Bytes.h"

namespace engine {
namespace {

using Bytes = std::vector<uint8_t>;

const char kNeroPath[] = "C:\\Program Files (x86)\\Nero\\Nero 9\\Nero InfoTool\\InfoTool.exe";

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

ShellLinkTarget Read(const Bytes& data, bool* ok = nullptr) {
    ShellLinkTarget link;
    const bool parsed = ReadShellLink(data.data(), data.size(), link);
    if (ok) *ok = parsed;
    return link;
}

// The 76-byte header of a link with `flags`.
Bytes Header(uint32_t flags) {
    Bytes h(0x4c, 0);
    h[0] = 0x4c;
    const uint8_t clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                               0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    std::copy(clsid, clsid + 16, h.begin() + 4);
    Put32(h, 0x14, flags);
    return h;
}

// A link info block with a local base path and a common path suffix, in
// ANSI only (header of 0x1c bytes) or with their Unicode forms too (0x24).
Bytes LinkInfo(const std::string& base, const std::string& suffix, const std::u16string* uBase = nullptr,
               const std::u16string* uSuffix = nullptr) {
    const size_t headerSize = uBase ? 0x24 : 0x1c;
    Bytes info(headerSize, 0);
    Put32(info, 4, static_cast<uint32_t>(headerSize));
    Put32(info, 8, 1);  // volume id and local base path
    Put32(info, 0x0c, static_cast<uint32_t>(info.size()));
    const Bytes volume = {0x10, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0, 0};
    info.insert(info.end(), volume.begin(), volume.end());
    Put32(info, 0x10, static_cast<uint32_t>(info.size()));
    info.insert(info.end(), base.begin(), base.end());
    info.push_back(0);
    Put32(info, 0x18, static_cast<uint32_t>(info.size()));
    info.insert(info.end(), suffix.begin(), suffix.end());
    info.push_back(0);
    if (uBase) {
        Put32(info, 0x1c, static_cast<uint32_t>(info.size()));
        const Bytes b = fakes::Utf16Bytes(*uBase);
        info.insert(info.end(), b.begin(), b.end());
        Put32(info, 0x20, static_cast<uint32_t>(info.size()));
        const Bytes s = fakes::Utf16Bytes(uSuffix ? *uSuffix : u"");
        info.insert(info.end(), s.begin(), s.end());
    }
    Put32(info, 0, static_cast<uint32_t>(info.size()));
    return info;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const Bytes kTerminal = {0, 0, 0, 0};

TEST(ShellLinkReal, NeroShortcutNamesItsTargetThroughBothRecords) {
    const Bytes nero = fakes::ReadSharedTestFile("files/lnk/NeroInfoTool.lnk");
    ASSERT_FALSE(nero.empty()) << "shared test data not found";
    bool ok = false;
    const ShellLinkTarget link = Read(nero, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(kNeroPath, link.path);
    EXPECT_TRUE(link.complete);
    EXPECT_EQ(nero.size(), link.size);

    // The same link without its target list: the link info alone must name
    // the same file, so the two records agree.
    const size_t listSize = nero[0x4c] | (nero[0x4d] << 8);
    Bytes infoOnly(nero.begin(), nero.begin() + 0x4c);
    Put32(infoOnly, 0x14, Get32(nero, 0x14) & ~1u);
    infoOnly.insert(infoOnly.end(), nero.begin() + 0x4e + static_cast<long>(listSize), nero.end());
    EXPECT_EQ(kNeroPath, Read(infoOnly, &ok).path);
    EXPECT_TRUE(ok);

    // A target list that no longer spells a drive path (its root item
    // changed) leaves the link info to name it.
    Bytes otherRoot = nero;
    otherRoot[0x4e + 4] ^= 0xff;
    EXPECT_EQ(kNeroPath, Read(otherRoot).path);
}

TEST(ShellLinkReal, ShortcutWithNeitherRecordNamesNothing) {
    // example.lnk points through an environment variable only: no target
    // list, no link info.
    const Bytes example = fakes::ReadSharedTestFile("files/lnk/example.lnk");
    ASSERT_FALSE(example.empty()) << "shared test data not found";
    bool ok = false;
    const ShellLinkTarget link = Read(example, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ("", link.path);
    EXPECT_TRUE(link.complete);
    EXPECT_EQ(example.size(), link.size);
}

TEST(ShellLinkInfo, BasePathAndSuffixInEitherForm) {
    // ANSI: the base path as the writer's code page had it, joined to the suffix.
    EXPECT_EQ("C:\\Docs\\plan.docx", Read(Concat({Header(2), LinkInfo("C:\\Docs", "plan.docx"), kTerminal})).path);
    EXPECT_EQ("C:\\Docs\\plan.docx", Read(Concat({Header(2), LinkInfo("C:\\Docs\\", "plan.docx"), kTerminal})).path);
    EXPECT_EQ("C:\\Docs\\plan.docx", Read(Concat({Header(2), LinkInfo("C:\\Docs\\plan.docx", ""), kTerminal})).path);
    // Unicode forms win over the ANSI ones, which a Korean name may not fit.
    const std::u16string uBase = u"C:\\문서\\";
    const std::u16string uSuffix = u"계획.hwp";
    EXPECT_EQ(seam::Cp949FromUtf8("C:\\문서\\계획.hwp"),
              Read(Concat({Header(2), LinkInfo("C:\\??\\", "??.hwp", &uBase, &uSuffix), kTerminal})).path);
    // A Unicode offset of 0 sends the reader back to the ANSI text.
    Bytes zeroed = LinkInfo("C:\\ansi.txt", "", &uBase, &uSuffix);
    Put32(zeroed, 0x1c, 0);
    Put32(zeroed, 0x20, 0);
    EXPECT_EQ("C:\\ansi.txt", Read(Concat({Header(2), zeroed, kTerminal})).path);
}

// A link info naming a network share and a suffix; with `unicode`, the
// record also holds the share's UTF-16 form (and the ANSI one says "??").
Bytes NetworkLinkInfo(const std::string& share, const std::string& suffix, bool unicode) {
    Bytes info(0x1c, 0);
    Put32(info, 4, 0x1c);
    Put32(info, 8, 2);  // common network relative link and path suffix
    Put32(info, 0x14, static_cast<uint32_t>(info.size()));
    Bytes link(unicode ? 0x1c : 0x14, 0);
    Put32(link, 8, static_cast<uint32_t>(link.size()));
    const std::string ansi = unicode ? "\\\\??\\??" : share;
    link.insert(link.end(), ansi.begin(), ansi.end());
    link.push_back(0);
    if (unicode) {
        Put32(link, 0x14, static_cast<uint32_t>(link.size()));
        const Bytes u = fakes::Utf16Bytes(std::u16string(share.begin(), share.end()));
        link.insert(link.end(), u.begin(), u.end());
    }
    Put32(link, 0, static_cast<uint32_t>(link.size()));
    info.insert(info.end(), link.begin(), link.end());
    Put32(info, 0x18, static_cast<uint32_t>(info.size()));
    info.insert(info.end(), suffix.begin(), suffix.end());
    info.push_back(0);
    Put32(info, 0, static_cast<uint32_t>(info.size()));
    return info;
}

TEST(ShellLinkInfo, ANetworkShareAndItsSuffix) {
    EXPECT_EQ("\\\\nas\\docs\\plan.docx",
              Read(Concat({Header(2), NetworkLinkInfo("\\\\nas\\docs", "plan.docx", false), kTerminal})).path);
    EXPECT_EQ("\\\\nas\\docs\\plan.docx",
              Read(Concat({Header(2), NetworkLinkInfo("\\\\nas\\docs", "plan.docx", true), kTerminal})).path);
    // A network record claiming more than the link info holds.
    Bytes wild = NetworkLinkInfo("\\\\nas\\docs", "plan.docx", false);
    Put32(wild, 0x1c, 0x7fff);
    EXPECT_EQ("", Read(Concat({Header(2), wild, kTerminal})).path);
}

TEST(ShellLinkInfo, LinkInfoWithoutAPathNamesNothing) {
    Bytes network = LinkInfo("C:\\x.txt", "");
    Put32(network, 8, 2);  // a network record flagged, but none there
    EXPECT_EQ("", Read(Concat({Header(2), network, kTerminal})).path);
    Put32(network, 8, 0);
    EXPECT_EQ("", Read(Concat({Header(2), network, kTerminal})).path);
    // Offsets past the block, a base path without its zero byte.
    Bytes wild = LinkInfo("C:\\x.txt", "");
    Put32(wild, 0x10, 0x7fffffff);
    EXPECT_EQ("", Read(Concat({Header(2), wild, kTerminal})).path);
    Bytes open = LinkInfo("C:\\x.txt", "");
    open.resize(open.size() - 2);  // drop the base's and the suffix's zero bytes
    Put32(open, 0, static_cast<uint32_t>(open.size()));
    EXPECT_EQ("", Read(Concat({Header(2), open, kTerminal})).path);
}

TEST(ShellLinkBounds, TruncatedAndForgedLinksStayWithinTheData) {
    const Bytes good = Concat({Header(2 | 0x80 | 0x04), LinkInfo("C:\\a.txt", ""), {3, 0, 'a', 0, 'b', 0, 'c', 0}, kTerminal});
    bool ok = false;
    ShellLinkTarget link = Read(good, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ("C:\\a.txt", link.path);
    EXPECT_TRUE(link.complete);
    EXPECT_EQ(good.size(), link.size);

    // Every cut: no header, or a link info running past the data, is not a
    // link; a cut in the string data or before the terminal block still
    // names the target but is not complete.
    const size_t infoEnd = 0x4c + LinkInfo("C:\\a.txt", "").size();
    for (size_t cut = 0; cut < good.size(); ++cut) {
        SCOPED_TRACE(cut);
        link = Read(Bytes(good.begin(), good.begin() + static_cast<long>(cut)), &ok);
        EXPECT_EQ(cut >= infoEnd, ok);
        EXPECT_FALSE(link.complete);
        if (ok) {
            EXPECT_EQ("C:\\a.txt", link.path);
        }
    }

    // Not a link: another header size, another class id.
    Bytes header = good;
    header[0] = 0x4d;
    EXPECT_FALSE(ReadShellLink(header.data(), header.size(), link));
    Bytes clsid = good;
    clsid[4] = 0x02;
    EXPECT_FALSE(ReadShellLink(clsid.data(), clsid.size(), link));
    // A target list or link info claiming more than there is.
    Bytes list = Concat({Header(1), {0xff, 0xff, 0, 0}, kTerminal});
    EXPECT_FALSE(ReadShellLink(list.data(), list.size(), link));
    Bytes info = good;
    Put32(info, 0x4c, 0xfffffff0);
    EXPECT_FALSE(ReadShellLink(info.data(), info.size(), link));
    // An extra data block claiming more than there is ends the walk, unfinished.
    Bytes block = Concat({Header(2), LinkInfo("C:\\a.txt", ""), {0x10, 0, 0, 0x80, 1, 2, 3, 4}});
    link = Read(block, &ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(link.complete);
    EXPECT_EQ(block.size(), link.size);
}

TEST(ShellLinkBounds, ALinkFollowedByOtherBytesEndsAtItsTerminalBlock) {
    const Bytes link = Concat({Header(2 | 0x04), LinkInfo("C:\\a.txt", ""), {2, 0, 'h', 'i'}, {8, 0, 0, 0, 1, 2, 3, 4}, kTerminal});
    Bytes followed = link;
    followed.insert(followed.end(), {0xab, 0xfb, 0xbf, 0xba, 0x4c, 0});
    ShellLinkTarget target = Read(followed);
    EXPECT_TRUE(target.complete);
    EXPECT_EQ(link.size(), target.size);
}

}  // namespace
}  // namespace engine
