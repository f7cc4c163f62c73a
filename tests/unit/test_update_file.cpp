// Which announced update names may be saved, and under which names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/update/UpdateFile.h"
#include "seam/Platform.h"
#include "seam/Text.h"

namespace net {
namespace {

TEST(UpdateFile, LastUrlSegmentIsTheTextAfterTheLastSlash) {
    EXPECT_EQ("KestravinSetup.exe", LastUrlSegment("http://127.0.0.1:8765/files/KestravinSetup.exe"));
    EXPECT_EQ("", LastUrlSegment("http://host/files/"));
    EXPECT_EQ("get.php?f=a.exe", LastUrlSegment("http://host/get.php?f=a.exe"));
    EXPECT_EQ("..\\..\\evil.exe", LastUrlSegment("..\\..\\evil.exe"));  // no slash: all of it
    EXPECT_EQ("", LastUrlSegment(""));
}

TEST(UpdateFile, PlainNamesPass) {
    EXPECT_TRUE(IsPlainFileName("KestravinSetup.exe"));
    EXPECT_TRUE(IsPlainFileName("setup v2 (final).exe"));
    EXPECT_TRUE(IsPlainFileName("a.b.c"));
    EXPECT_TRUE(IsPlainFileName(".setup"));
    EXPECT_TRUE(IsPlainFileName("x"));
    EXPECT_TRUE(IsPlainFileName(seam::Cp949FromUtf8("케스트라빈설치.exe")));
    // Trail bytes in the ASCII letter range are part of the character.
    EXPECT_TRUE(IsPlainFileName(seam::Cp949FromUtf8("갂.exe")));  // 0x81 0x41
    // Names that merely contain or resemble a device name.
    for (const char* name : {"CONSOLE.exe", "xCON", "AUXILIARY.txt", "COM10.exe", "LPT.exe", "COM0",
                             "NULL", "PRN_setup.exe", "con-setup.exe"})
        EXPECT_TRUE(IsPlainFileName(name)) << name;

    EXPECT_TRUE(IsPlainFileName(std::string(kMaxFileNameBytes, 'a')));
    EXPECT_FALSE(IsPlainFileName(std::string(kMaxFileNameBytes + 1, 'a')));
}

TEST(UpdateFile, NamesThatLeaveTheDirectoryOrNameSomethingElseAreRefused) {
    // Separators, escapes and parent references.
    for (const char* name : {"..%5C..%5Cevil.exe", "..%2F..%2Fevil.exe", "%2e%2e", "evil%00.exe",
                             "..\\evil.exe", "a\\b.exe", "a/b.exe", "..", ".", "..evil.exe",
                             "evil..exe", "\\\\server\\share\\evil.exe"})
        EXPECT_FALSE(IsPlainFileName(name)) << name;

    // Drives and alternate data streams.
    for (const char* name : {"a:b.exe", "C:evil.exe", "setup.exe:stream", ":"})
        EXPECT_FALSE(IsPlainFileName(name)) << name;

    // Characters Windows does not take in a name, and trailing dots or spaces
    // it would strip (giving another file than the one tested).
    for (const char* name : {"a<b", "a>b", "a\"b", "a|b", "a?b", "a*b", "setup.exe.", "setup.exe ",
                             "setup. ", " "})
        EXPECT_FALSE(IsPlainFileName(name)) << name;

    // Control characters, the terminator included.
    for (char c : {'\x01', '\x09', '\x0A', '\x0D', '\x1F', '\x7F'})
        EXPECT_FALSE(IsPlainFileName(std::string("a") + c + "b.exe")) << int(c);
    EXPECT_FALSE(IsPlainFileName(std::string("setup.exe\0.txt", 14)));

    EXPECT_FALSE(IsPlainFileName(""));
}

TEST(UpdateFile, DeviceNamesAreRefusedInAnyCaseAndWithAnyExtension) {
    for (const char* name : {"CON", "con", "Prn", "AUX", "aux.txt", "NUL", "nul.tar.gz", "nul .txt",
                             "COM1", "com9.exe", "LPT1", "lpt9.log", "CONIN$", "conout$.txt"})
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    // COM and LPT with a superscript digit are ports too.
    EXPECT_FALSE(IsPlainFileName(seam::Cp949FromUtf8("COM¹")));
    EXPECT_FALSE(IsPlainFileName(seam::Cp949FromUtf8("lpt³.exe")));
}

TEST(UpdateFile, BrokenDoubleByteSequencesAreRefused) {
    // A lead byte swallowing the separator after it, a lead byte at the end,
    // and bytes that start no character in code page 949.
    for (const std::string& name : {std::string("\xB0\\evil.exe"), std::string("\xB0."),
                                   std::string("setup\xB0"), std::string("\x80setup"),
                                   std::string("\xFFsetup"), std::string("\xB0\x30.exe")})
        EXPECT_FALSE(IsPlainFileName(name));
}

TEST(UpdateFile, OnlyHttpUrlsAreUpdateSources) {
    EXPECT_TRUE(IsHttpUrl("http://127.0.0.1:8765/files/KestravinSetup.exe"));
    EXPECT_TRUE(IsHttpUrl("HTTPS://www.kestravin.com/a.exe"));
    for (const char* url : {"file:///C:/Windows/evil.exe", "file://server/share/evil.exe",
                            "res://shell32.dll/a.exe", "ftp://host/a.exe", "http:/host/a.exe",
                            "http://", "//host/a.exe", "KestravinSetup.exe", ""})
        EXPECT_FALSE(IsHttpUrl(url)) << url;
}

// The name the reply announces, as the last segment of its URL: only an
// installer's plain name is taken.
TEST(UpdateFile, OnlyAnInstallersPlainNameIsTakenFromTheReply) {
    struct Case {
        const char* url;
        const char* name;  // "" when refused
    };
    const Case cases[] = {
        {"http://127.0.0.1:8765/files/KestravinSetup.exe", "KestravinSetup.exe"},
        {"https://www.kestravin.com/a/KestravinSetup.MSI", "KestravinSetup.MSI"},
        {"http://h/setup v2 (final).Exe", "setup v2 (final).Exe"},
        {"http://h/Kestravin.exe", "Kestravin.exe"},  // named like the program: it goes elsewhere all the same
        // Files a user keeps beside the program, and other kinds of file.
        {"http://h/notes.txt", ""},
        {"http://h/Kestravin.exe.debug", ""},
        {"http://h/setup.dll", ""},
        {"http://h/setup.bat", ""},
        {"http://h/setup.exe.txt", ""},
        {"http://h/setupexe", ""},
        {"http://h/.exe", ""},
        {"http://h/setup.ex", ""},
        {"http://h/setup.exee", ""},
        // Separators, escapes, parents, streams and trailing characters.
        {"http://h/..%5Csetup.exe", ""},
        {"http://h/..\\setup.exe", ""},
        {"http://h/sub\\setup.exe", ""},
        {"http://h/..", ""},
        {"http://h/a..exe", ""},
        {"http://h/notes.txt:setup.exe", ""},
        {"http://h/setup.exe:stream", ""},
        {"http://h/setup.exe::$DATA", ""},
        {"http://h/setup.exe.", ""},
        {"http://h/setup.exe ", ""},
        {"http://h/con.exe", ""},
        {"http://h/", ""},
        // Not from a web server.
        {"file:///C:/Kestravin/setup.exe", ""},
        {"setup.exe", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.name, UpdateFileName(c.url)) << c.url;

    EXPECT_TRUE(IsUpdateFileName(seam::Cp949FromUtf8("케스트라빈설치.exe")));
    // Well formed, but a pair code page 949 assigns no character (the fuzz
    // target's find): the file would be created under another name.
    EXPECT_TRUE(IsPlainFileName("travin\xCC\x93up.exe"));
    EXPECT_FALSE(IsUpdateFileName("travin\xCC\x93up.exe"));
    EXPECT_TRUE(IsUpdateFileName(std::string(kMaxUpdateNameBytes - 4, 'a') + ".exe"));
    EXPECT_FALSE(IsUpdateFileName(std::string(kMaxUpdateNameBytes - 3, 'a') + ".exe"));
}

TEST(UpdateFile, CandidatesNumberTheNameBeforeItsExtension) {
    const std::vector<std::string> names = UpdateFileCandidates("KestravinSetup.exe");
    ASSERT_EQ(static_cast<size_t>(kUpdateNameTries), names.size());
    EXPECT_EQ("KestravinSetup.exe", names[0]);
    EXPECT_EQ("KestravinSetup-1.exe", names[1]);
    EXPECT_EQ("KestravinSetup-19.exe", names.back());
    for (const std::string& name : names) EXPECT_TRUE(IsUpdateFileName(name)) << name;
    EXPECT_EQ("a.b-1.msi", UpdateFileCandidates("a.b.msi")[1]);

    // The longest name taken still leaves room for the longest number.
    const std::string longest = std::string(kMaxUpdateNameBytes - 4, 'a') + ".exe";
    for (const std::string& name : UpdateFileCandidates(longest)) EXPECT_TRUE(IsPlainFileName(name)) << name;
}

}  // namespace
}  // namespace net
