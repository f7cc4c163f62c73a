// Which announced update names may be saved in the program's directory.
#include <gtest/gtest.h>

#include <string>

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

TEST(UpdateFile, UpdatePathStaysInTheProgramDirectory) {
    const std::string dir = "C:\\Program Files\\Kestravin\\";
    EXPECT_EQ(dir + "KestravinSetup.exe",
              UpdateFilePath(dir, "http://127.0.0.1:8765/files/KestravinSetup.exe"));

    EXPECT_EQ("", UpdateFilePath(dir, "http://h/files/..%5C..%5Cevil.exe"));
    EXPECT_EQ("", UpdateFilePath(dir, "http://h/files/"));
    EXPECT_EQ("", UpdateFilePath(dir, "file:///C:/evil.exe"));
    // Without the trailing backslash the name would join the directory's own name.
    EXPECT_EQ("", UpdateFilePath("C:\\Program Files\\Kestravin", "http://h/a.exe"));
    EXPECT_EQ("", UpdateFilePath("", "http://h/a.exe"));

    // The whole path must fit MAX_PATH with its terminator, and so must the
    // partial download's "<path>.part" written beside it first.
    const std::string name = "a.exe";
    const size_t part = std::string(seam::kPartFileSuffix).size();
    const std::string longDir = "C:\\" + std::string(kMaxPathBytes - 1 - part - name.size() - 4, 'd') + "\\";
    ASSERT_EQ(kMaxPathBytes - 1, longDir.size() + name.size() + part);
    EXPECT_EQ(longDir + name, UpdateFilePath(longDir, "http://h/" + name));
    EXPECT_EQ("", UpdateFilePath(longDir, "http://h/b" + name));

    // A name that fits only without ".part" cannot be downloaded either.
    const std::string longest(kMaxFileNameBytes - part, 'n');
    EXPECT_EQ("C:\\" + longest, UpdateFilePath("C:\\", "http://h/" + longest));
    EXPECT_EQ("", UpdateFilePath("C:\\", "http://h/" + longest + "n"));
    EXPECT_TRUE(IsPlainFileName(longest + "n"));
}

}  // namespace
}  // namespace net
