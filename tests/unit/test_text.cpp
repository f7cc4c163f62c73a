#include <gtest/gtest.h>

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

}  // namespace
