// Character and string helpers, in a single-byte and in a double-byte code
// page (the native platform side can emulate one with lead bytes 0x81..0x9F
// and 0xE0..0xFC).
#include <gtest/gtest.h>

#include "platform/PlatformTesting.h"
#include "util/Path.h"
#include "util/Text.h"

namespace {

class DoubleByte : public ::testing::Test {
 protected:
  void SetUp() override { PlatformUseDoubleByteCodePage(true); }
  void TearDown() override { PlatformUseDoubleByteCodePage(false); }
};

TEST(CharSteps, SingleByteCodePageStepsOneByte) {
  const char text[] = "a\x82" "b";
  EXPECT_EQ(CharStep(text), text + 1);
  EXPECT_EQ(CharStep(text + 1), text + 2);
  EXPECT_EQ(CharIsDoubleByte(text + 1), 0);
  EXPECT_EQ(CharStep(text + 3), text + 3);  // the terminator stays put
}

TEST_F(DoubleByte, LeadAndTrailFormOneCharacter) {
  const char text[] = "a\x82\xA0" "b";
  EXPECT_EQ(CharStep(text + 1), text + 3);
  EXPECT_EQ(CharIsDoubleByte(text + 1), 1);
  EXPECT_EQ(CharIsDoubleByte(text), 0);
  EXPECT_EQ(CharStepBack(text, text + 3), text + 1);
  EXPECT_EQ(CharStepBack(text, text + 1), text);
  // A lead byte right before the terminator is a character of one byte.
  const char cut[] = "\x82";
  EXPECT_EQ(CharStep(cut), cut + 1);
}

TEST(FindText, SubstringAndCharacter) {
  EXPECT_EQ(FindSubstring("setup.qn", ".qn"), 5);
  EXPECT_EQ(FindSubstring("setup.qn", "Setup"), -1);  // case-sensitive
  EXPECT_EQ(FindSubstring("", "a"), -1);
  EXPECT_EQ(FindSubstring("a", ""), -1);
  EXPECT_EQ(FindSubstring("aaab", "aab"), 1);
  const char* name = "readme.txt";
  EXPECT_EQ(FindChar(name, '.'), name + 6);
  EXPECT_EQ(FindChar("readme", '.'), nullptr);
}

TEST_F(DoubleByte, PatternStartingWithATrailByteDoesNotMatchInsideACharacter) {
  // \x82\x41 is one character whose trail byte is 'A'.
  EXPECT_EQ(FindSubstring("\x82" "AB", "AB"), -1);
  EXPECT_EQ(FindSubstring("\x82" "AAB", "AB"), 2);
  EXPECT_EQ(FindChar("\x82" "A.", 'A'), nullptr);
}

TEST(CaseKeys, EqualIgnoringCase) {
  EXPECT_EQ(CharCaseKey('a'), CharCaseKey('A'));
  EXPECT_NE(CharCaseKey('a'), CharCaseKey('b'));
  EXPECT_EQ(CharCaseKey('a'), 'A');
  // A sign-extended byte is one byte, not two.
  EXPECT_EQ(CharCaseKey(static_cast<signed char>('\xE9')), CharCaseKey(0xE9));
  EXPECT_EQ(CharCaseKey(0), 0);
}

TEST(CaseChange, InPlace) {
  char text[] = "Setup.QN";
  StrUpper(text);
  EXPECT_STREQ(text, "SETUP.QN");
  EXPECT_STREQ(StrLower(text), "setup.qn");
  char empty[] = "";
  StrUpper(empty);
  EXPECT_STREQ(empty, "");
}

TEST(Numbers, LenientDecimalReading) {
  EXPECT_EQ(TextToNumber("  -42abc"), -42);
  EXPECT_EQ(TextToNumber("+7"), 7);
  EXPECT_EQ(TextToNumber("abc"), 0);
  EXPECT_EQ(TextToNumber(""), 0);
  EXPECT_EQ(TextToNumber("12 34"), 12);
  EXPECT_EQ(TextToNumber("16777215"), 16777215);
  EXPECT_EQ(TextToNumber("4294967295"), -1);  // wraps as a 32-bit register would
}

TEST(Copying, CutsNeverOverflows) {
  char out[4];
  EXPECT_STREQ(TextCopy(out, sizeof out, "abcdef"), "abc");
  EXPECT_STREQ(TextCopy(out, sizeof out, nullptr), "");
  char bytes[3] = {1, 2, 3};
  MemCopy(bytes, "xy", 2);
  EXPECT_EQ(bytes[0], 'x');
  EXPECT_EQ(bytes[2], 3);
  EXPECT_EQ(StrLength("abc"), 3u);
  EXPECT_EQ(StrLength(nullptr), 0u);
}

TEST(Paths, LastComponent) {
  char out[261];
  PathFileName("C:\\scripts\\setup.qn", out, sizeof out);
  EXPECT_STREQ(out, "setup.qn");
  PathFileName("setup.qn", out, sizeof out);
  EXPECT_STREQ(out, "setup.qn");
  PathFileName("C:", out, sizeof out);
  EXPECT_STREQ(out, "");
  PathFileName("C:setup.qn", out, sizeof out);
  EXPECT_STREQ(out, "setup.qn");
  PathFileName("C:\\scripts\\", out, sizeof out);
  EXPECT_STREQ(out, "");
  PathFileName("", out, sizeof out);
  EXPECT_STREQ(out, "");
  char small[4];
  PathFileName("C:\\setup.qn", small, sizeof small);
  EXPECT_STREQ(small, "set");
}

TEST_F(DoubleByte, TrailByteThatLooksLikeABackslashIsNoSeparator) {
  char out[32];
  PathFileName("C:\\\x82\\name", out, sizeof out);  // \x82\x5C is one character
  EXPECT_STREQ(out, "\x82\\name");
}

TEST(Paths, AddBackslash) {
  char path[8] = "C:\\dir";
  EXPECT_NE(PathAddBackslash(path, sizeof path), 0);
  EXPECT_STREQ(path, "C:\\dir\\");
  EXPECT_NE(PathAddBackslash(path, sizeof path), 0);
  EXPECT_STREQ(path, "C:\\dir\\");
  char empty[2] = "";
  EXPECT_NE(PathAddBackslash(empty, sizeof empty), 0);
  EXPECT_STREQ(empty, "\\");
  char full[4] = "abc";
  EXPECT_EQ(PathAddBackslash(full, sizeof full), 0);
  EXPECT_STREQ(full, "abc");
}

}  // namespace
