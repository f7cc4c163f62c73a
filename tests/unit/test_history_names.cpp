// The text rules that name history rows, and the code page 949 byte helpers
// under them. Raw byte strings stand for double-byte characters: "\x81\x41"
// is a character whose trail byte is an ASCII 'A'.
#include <gtest/gtest.h>

#include "engine/core/Cp949.h"
#include "engine/history/HistoryNames.h"

namespace engine {
namespace {

TEST(HistoryNames, FileNameIsThePartAfterTheLastBackslash) {
    EXPECT_EQ("plan.docx", FileNameOf("[F00000000][T01D1A2B3C4D5E6F7]*C:\\Docs\\plan.docx"));
    EXPECT_EQ("plan.docx", FileNameOf("plan.docx"));  // no backslash: whole
    EXPECT_EQ("", FileNameOf("C:\\Docs\\"));          // ends in one: empty
    EXPECT_EQ("", FileNameOf(""));
    EXPECT_EQ("\xB0\xE8\xC8\xB9.hwp", FileNameOf("C:\\\xB9\xAE\xBC\xAD\\\xB0\xE8\xC8\xB9.hwp"));
}

TEST(HistoryNames, BackslashSearchStepsOverDoubleByteCharacters) {
    // A trail byte 0x5C is part of its character, not a separator.
    EXPECT_EQ("\x81\x5C.txt", FileNameOf("C:\\Docs\\\x81\x5C.txt"));
    EXPECT_EQ("a\x81\x5C", FileNameOf("C:\\Docs\\a\x81\x5C"));
    EXPECT_EQ(7u, FindLastChar949("C:\\Docs\\\x81\x5C", '\\'));
    EXPECT_EQ(std::string::npos, FindLastChar949("\x81\x5C\x82\x5C", '\\'));
    // A lead byte cut off at the end is a byte of its own.
    EXPECT_EQ("\x81", FileNameOf("C:\\x\\\x81"));
}

TEST(HistoryNames, MuiCacheNameIsCutAtTheFirstCommaAndStripped) {
    EXPECT_EQ("C:\\Windows\\system32\\shell32.dll", CleanMuiCachePath("@C:\\Windows\\system32\\shell32.dll,-123"));
    EXPECT_EQ("C:\\Program Files\\App\\app.exe", CleanMuiCachePath("\"@C:\\Program Files\\App\\app.exe\",0,1"));
    EXPECT_EQ("C:\\Old\\tool.exe", CleanMuiCachePath("C:\\Old\\tool.exe"));
    // Without a comma nothing is cut or removed.
    EXPECT_EQ("@C:\\Old\\\"tool\".exe", CleanMuiCachePath("@C:\\Old\\\"tool\".exe"));
    EXPECT_EQ("", CleanMuiCachePath(",C:\\x.exe"));
}

TEST(HistoryNames, AQuestionMarkIsACharacterThePathCannotSpell) {
    EXPECT_TRUE(HasUnspellableCharacter("C:\\Apps\\?\\tool.exe"));
    EXPECT_TRUE(HasUnspellableCharacter("\\\\?\\C:\\??.exe"));
    EXPECT_FALSE(HasUnspellableCharacter("\\\\?\\C:\\Apps\\tool.exe"));  // the long-path prefix
    EXPECT_FALSE(HasUnspellableCharacter("C:\\\xB9\xAE\xBC\xAD\\tool.exe"));
    EXPECT_FALSE(HasUnspellableCharacter(""));
}

TEST(HistoryNames, DriveCTestIsCaseSensitiveAndCharacterAligned) {
    EXPECT_TRUE(NamesDriveC("C:\\Old\\tool.exe"));
    EXPECT_TRUE(NamesDriveC("\"C:\\Old\\tool.exe\""));
    EXPECT_FALSE(NamesDriveC("c:\\old\\tool.exe"));
    EXPECT_FALSE(NamesDriveC("D:\\Old\\tool.exe"));
    EXPECT_FALSE(NamesDriveC("C:tool.exe"));
    // "\x81\x43" is one character whose trail byte is 'C'.
    EXPECT_FALSE(NamesDriveC("D:\\\x81\x43:\\x"));
    EXPECT_TRUE(NamesDriveC("\x81\x43" "C:\\x"));
}

TEST(HistoryNames, SingleValueNameKeepsAddressesAndFolders) {
    EXPECT_EQ("http://tv.example/live\\ch1", SingleValueName("http://tv.example/live\\ch1"));
    EXPECT_EQ("mms+http://a\\b", SingleValueName("mms+http://a\\b"));
    EXPECT_EQ("C:\\Movies\\", SingleValueName("C:\\Movies\\"));  // folder: whole path
    EXPECT_EQ("film.avi", SingleValueName("C:\\Movies\\film.avi"));
    EXPECT_EQ("film.avi", SingleValueName("film.avi"));
    EXPECT_EQ("a.avi", SingleValueName("HTTP://x\\a.avi"));  // case-sensitive "http://"
}

TEST(Cp949Text, LoweringTouchesOnlyAsciiLetters) {
    EXPECT_EQ("explorer.exe", LowerAscii949("EXPLORER.EXE"));
    EXPECT_EQ("q_1-z.exe", LowerAscii949("Q_1-Z.exe"));
    // Trail bytes 'A', 'C', 'Z' stay capitals; the ASCII around them is lowered.
    EXPECT_EQ("a\x81\x41" "b\x81\x43\x81\x5A.exe", LowerAscii949("A\x81\x41" "B\x81\x43\x81\x5A.EXE"));
    EXPECT_EQ("\x81", LowerAscii949("\x81"));
}

}  // namespace
}  // namespace engine
