#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "seam/Text.h"

namespace {

// Broken code page 949 input, as registry data can hold it, converts without
// reading past its end: what is valid survives, the rest becomes '?'.
TEST(Text, BrokenCp949ConvertsWithinItsInput) {
    EXPECT_EQ(seam::Utf8FromCp949(std::string("a\xa2\xe8", 3)), "a?");
    EXPECT_EQ(seam::Utf8FromCp949(std::string("ok\xb0", 3)), "ok?");
    const std::string korean = seam::Cp949FromUtf8("검색기록");
    EXPECT_EQ(korean.size(), 8u);
    EXPECT_EQ(seam::Utf8FromCp949(korean), "검색기록");
}

// A character code page 949 lacks is one '?', however many bytes it took:
// "?" per byte would make a Hebrew name twice as long on screen.
TEST(Text, UnspellableCharactersBecomeOneQuestionMarkEach) {
    EXPECT_EQ("a??b", seam::Cp949FromUtf8("a\xd7\xa9\xd7\x9c" "b"));  // two Hebrew letters
    EXPECT_EQ("?.txt", seam::Cp949FromUtf8("\xf0\x9f\x98\x80.txt"));  // an emoji
    EXPECT_EQ("??.txt", seam::Cp949FromUtf16(u"\u05E9\U0001F600.txt"));
    EXPECT_EQ(seam::Cp949FromUtf8("기록?"), seam::Cp949FromUtf16(u"기록\U0001F600"));
    EXPECT_EQ("?x", seam::Cp949FromUtf16(std::u16string(1, char16_t(0xD800)) + u"x"));  // a lone surrogate
}

TEST(Text, Utf8AndUtf16RoundTripAndMarkBrokenInput) {
    const std::u16string names[] = {u"", u"검색기록", u"\u05E9\u05DC\u05D5\u05DD", u"\U0001F600 a", u"\u00E9\u4E2D"};
    for (const auto& name : names) EXPECT_EQ(name, seam::Utf16FromUtf8(seam::Utf8FromUtf16(name)));
    EXPECT_EQ(u"a\uFFFDb", seam::Utf16FromUtf8("a\xff" "b"));
    EXPECT_EQ(u"\uFFFD\uFFFD", seam::Utf16FromUtf8("\xc0\xaf"));              // overlong '/'
    EXPECT_EQ(u"\uFFFD\uFFFD\uFFFD", seam::Utf16FromUtf8("\xed\xa0\x80"));   // an encoded surrogate
    EXPECT_EQ(u"x\uFFFD\uFFFDy", seam::Utf16FromUtf8("x\xe2\x82" "y"));       // cut short
    EXPECT_EQ("\xef\xbf\xbd", seam::Utf8FromUtf16(std::u16string(1, char16_t(0xDC00))));
    EXPECT_EQ(u"검색", seam::Utf16FromCp949(seam::Cp949FromUtf8("검색")));
}

TEST(Text, FixedTextIsConvertedOnceAndKept) {
    static const char kText[] = "정리시작";
    const std::string& first = seam::FixedCp949(kText);
    EXPECT_EQ(seam::Cp949FromUtf8(kText), first);
    EXPECT_EQ(&first, &seam::FixedCp949(kText));
}

// Each thread converts with a descriptor of its own, kept from one call to
// the next: a conversion that stopped on broken input leaves nothing behind
// for the next one, in any direction, while another thread converts too.
TEST(Text, ConversionsOnTwoThreadsLeaveNothingForTheNext) {
    const std::string cut("\xea\xb2", 2);  // the first two bytes of "검"
    const std::vector<std::pair<std::function<std::string()>, std::string>> cases = {
        {[&] { return seam::Cp949FromUtf8("검색기록 " + cut); }, seam::Cp949FromUtf8("검색기록 ") + "?"},
        {[] { return seam::Utf8FromCp949(seam::Cp949FromUtf8("기록") + "\xb0"); }, "기록?"},
        {[] { return seam::Cp949FromUtf16(u"정리\U0001F600"); }, seam::Cp949FromUtf8("정리") + "?"},
        {[] { return seam::Utf8FromCp949(seam::Cp949FromUtf8("검색")); }, "검색"},
    };
    auto run = [&](size_t seed, std::vector<std::string>& failures) {
        for (size_t i = 0; i < 400; ++i) {
            const auto& [convert, want] = cases[(i + seed) % cases.size()];
            const std::string got = convert();
            if (got != want) failures.push_back(want + " -> " + got);
        }
    };
    std::vector<std::string> first;
    std::vector<std::string> second;
    std::thread other(run, size_t{1}, std::ref(second));
    run(0, first);
    other.join();
    EXPECT_EQ(std::vector<std::string>{}, first);
    EXPECT_EQ(std::vector<std::string>{}, second);
}

}  // namespace
