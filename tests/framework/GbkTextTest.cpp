#include "framework/GbkText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// GBK bytes written out so the test does not depend on the compiler's execution character set.
const char kLight[] = "\xB9\xE2\xB5\xE7";         // 光电
const char kFrontSwitch[] = "\xC7\xB0\xB9\xE2\xB5\xE7\xBF\xAA\xB9\xD8";  // 前光电开关

TEST(GbkText, BoundariesNeverSplitADoubleByteCharacter) {
  EXPECT_EQ(fw::GbkBoundaryAtOrBefore(kFrontSwitch, 3), 2u);
  EXPECT_EQ(fw::GbkBoundaryAtOrBefore(kFrontSwitch, 4), 4u);
  EXPECT_EQ(fw::GbkBoundaryAtOrBefore("ab", 10), 2u);
  // A lead byte just before the terminator is a (broken) single byte, never swallowing the NUL.
  EXPECT_EQ(fw::GbkBoundaryAtOrBefore("a\xB9", 10), 2u);

  char small[4];
  EXPECT_EQ(fw::GbkCopyBounded(small, sizeof small, kFrontSwitch), 2u);
  EXPECT_STREQ(small, "\xC7\xB0");
  char one[1];
  EXPECT_EQ(fw::GbkCopyBounded(one, sizeof one, "abc"), 0u);
  EXPECT_STREQ(one, "");
}

TEST(GbkText, AppendStopsOnACharacterBoundary) {
  char buf[8] = "ab/";
  EXPECT_FALSE(fw::GbkAppendBounded(buf, sizeof buf, kFrontSwitch));
  EXPECT_STREQ(buf, "ab/\xC7\xB0\xB9\xE2");  // two characters fit; half of the third would not
  char odd[7] = "ab/";
  EXPECT_FALSE(fw::GbkAppendBounded(odd, sizeof odd, kFrontSwitch));
  EXPECT_STREQ(odd, "ab/\xC7\xB0");
  char full[4] = "abc";
  EXPECT_FALSE(fw::GbkAppendBounded(full, sizeof full, "d"));
  EXPECT_TRUE(fw::GbkAppendBounded(full, sizeof full, ""));
}

TEST(GbkText, KeywordsMatchWholeCharactersOnly) {
  // "\xB0\xB9" + "\xE2\xB5" + "\xE7\xC1": the keyword's bytes B9 E2 B5 E7 sit across boundaries.
  char across[] = "\xB0\xB9\xE2\xB5\xE7\xC1";
  EXPECT_EQ(fw::GbkFind(across, kLight), nullptr);
  EXPECT_EQ(fw::GbkRemoveAll(across, kLight), 0);
  EXPECT_STREQ(across, "\xB0\xB9\xE2\xB5\xE7\xC1");

  char text[] = "\xC7\xB0\xB9\xE2\xB5\xE7\xBF\xAA\xB9\xD8\xB9\xE2\xB5\xE7";
  EXPECT_EQ(fw::GbkRemoveAll(text, kLight), 2);
  EXPECT_STREQ(text, "\xC7\xB0\xBF\xAA\xB9\xD8");  // 前开关

  // An ASCII keyword never matches the trail byte of a character ('@' is 0x40, a valid trail byte).
  char trail[] = "\x81\x40@";
  EXPECT_EQ(fw::GbkRemoveAll(trail, "@"), 1);
  EXPECT_STREQ(trail, "\x81\x40");
  EXPECT_EQ(fw::GbkRemoveAll(trail, ""), 0);
}

TEST(GbkText, CaseFoldingTouchesOnlyAsciiLetters) {
  EXPECT_EQ(fw::GbkCompareNoCase("Lift A", "lift a"), 0);
  EXPECT_NE(fw::GbkCompareNoCase("lift a", "lift b"), 0);
  // 0x81 0x41 and 0x81 0x61 are different characters even though the trail bytes are 'A' and 'a'.
  EXPECT_NE(fw::GbkCompareNoCase("\x81\x41", "\x81\x61"), 0);
  EXPECT_EQ(fw::GbkCompareNoCase(kFrontSwitch, kFrontSwitch), 0);
  EXPECT_LT(fw::GbkCompareNoCase("a", "ab"), 0);
  EXPECT_GT(fw::GbkCompareNoCase("b", "A"), 0);
}

}  // namespace
