#include "platform/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, ConcatJoinsPiecesAndTreatsMissingAsEmpty)
{
    EXPECT_EQ(text::concat({"cd ", "", "C:\\a"}), "cd C:\\a");
    EXPECT_EQ(text::concat({}), "");
}

struct LowerCase {
    const char* input;
    const char* expected;
};

class TextToLower : public ::testing::TestWithParam<LowerCase> {};

TEST_P(TextToLower, FoldsOnlySingleByteLetters)
{
    EXPECT_EQ(text::toLower(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextToLower,
    ::testing::Values(LowerCase{"CMD.EXE", "cmd.exe"}, LowerCase{"Cmd.Exe", "cmd.exe"},
                      LowerCase{"cmd.exe", "cmd.exe"}, LowerCase{"", ""},
                      // 0xB0 0x41: the trail byte is 'A' and must stay.
                      LowerCase{"\xB0\x41X", "\xB0\x41x"},
                      // A trail byte 'Z' right before a real 'Z'.
                      LowerCase{"Z\xC4\x5AZ", "z\xC4\x5Az"},
                      // A lone lead byte at the end is kept as it is.
                      LowerCase{"AB\xB0", "ab\xB0"}));

struct TrimCase {
    const char* input;
    const char* expected;
};

class TextTrim : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TextTrim, RemovesHalfAndFullWidthSpacesAtBothEnds)
{
    EXPECT_EQ(text::trimSpaces(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextTrim,
    ::testing::Values(TrimCase{"  a b  ", "a b"}, TrimCase{"\xA1\xA1 a\xA1\xA1 ", "a"},
                      TrimCase{"\xA1\xA1\xA1\xA1", ""}, TrimCase{"   ", ""}, TrimCase{"", ""},
                      // Inner spaces of both widths stay.
                      TrimCase{" a\xA1\xA1 b ", "a\xA1\xA1 b"},
                      // 0xB0 0xA1 is one character; the 0xA1 0xA1 after it is a space.
                      TrimCase{"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
                      // 0xA1 0xA1 0xA1 0xB0: a full-width space, then 0xA1 0xB0.
                      TrimCase{"\xA1\xA1\xA1\xB0", "\xA1\xB0"},
                      // A trail byte 0x20 is part of its character, not a space.
                      TrimCase{"x\x81\x20", "x\x81\x20"}));

TEST(Text, FindCharStepsOverDoubleByteCharacters)
{
    EXPECT_EQ(text::findChar("a?b", '?'), 1u);
    EXPECT_EQ(text::findChar("abc", '?'), text::npos);
    EXPECT_EQ(text::findChar("", '?'), text::npos);
    // The '?' right after a lead byte belongs to that character.
    EXPECT_EQ(text::findChar("\x81?", '?'), text::npos);
    EXPECT_EQ(text::findChar("\x81??", '?'), 2u);
    EXPECT_EQ(text::findChar("\xCF\xC2\xD4\xD8?", '?'), 4u);
}

} // namespace
