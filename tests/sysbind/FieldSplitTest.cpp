#include "sim/sysenv/FieldSplit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Field through a 64-byte buffer pre-filled with marks, so both result and terminator are checked.
struct Got {
  std::size_t length;
  std::string text;
};

Got Comma(const char* text, int index, std::size_t size = 64) {
  char out[64];
  std::memset(out, 'X', sizeof out);
  const std::size_t n = sim::CommaField(text, index, out, size);
  EXPECT_EQ(out[n], '\0');
  EXPECT_EQ(std::strlen(out), n);
  return {n, out};
}

Got Separated(const char* text, int index, char separator, std::size_t size = 64) {
  char out[64];
  std::memset(out, 'X', sizeof out);
  const std::size_t n = sim::SeparatedField(text, index, separator, out, size);
  EXPECT_EQ(out[n], '\0');
  EXPECT_EQ(std::strlen(out), n);
  return {n, out};
}

TEST(CommaField, FirstMiddleAndLastFieldsWithBlanksDropped) {
  const char* text = " 10, 20 ,\t30\t,40 ";
  EXPECT_EQ(Comma(text, 0).text, "10");
  EXPECT_EQ(Comma(text, 1).text, "20");
  EXPECT_EQ(Comma(text, 2).text, "30");
  EXPECT_EQ(Comma(text, 3).text, "40");
  EXPECT_EQ(Comma(text, 3).length, 2u);
  // Blanks inside a field stay.
  EXPECT_EQ(Comma("  light barrier 1 , lift up", 0).text, "light barrier 1");
  EXPECT_EQ(Comma("  light barrier 1 , lift up", 1).text, "lift up");
  EXPECT_EQ(Comma("single", 0).text, "single");
}

TEST(CommaField, MissingAndEmptyFieldsGiveZeroAndAnEmptyBuffer) {
  EXPECT_EQ(Comma("a,b", 2).length, 0u);
  EXPECT_EQ(Comma("a,b", 2).text, "");
  EXPECT_EQ(Comma("a,b", 100).length, 0u);
  EXPECT_EQ(Comma("a,b", -1).length, 0u);
  EXPECT_EQ(Comma("", 0).length, 0u);
  EXPECT_EQ(Comma("a,,b", 1).length, 0u);
  EXPECT_EQ(Comma("a,,b", 2).text, "b");
  EXPECT_EQ(Comma(" \t ,x", 0).length, 0u);  // only blanks
  EXPECT_EQ(Comma("a,b,", 2).length, 0u);    // empty last field
  EXPECT_EQ(Comma("a,b,", 3).length, 0u);    // beyond it
  EXPECT_EQ(Comma(",", 0).length, 0u);
  EXPECT_EQ(Comma(",", 1).length, 0u);
  EXPECT_EQ(Comma(nullptr, 0).length, 0u);
  EXPECT_EQ(Comma(nullptr, 0).text, "");
}

TEST(SeparatedField, KeepsThePartAsItIs) {
  EXPECT_EQ(Separated("Lift up (left)", 0, '(').text, "Lift up ");
  EXPECT_EQ(Separated("Lift up (left)", 1, '(').text, "left)");
  EXPECT_EQ(Separated("Lift up (left)", 0, ' ').text, "Lift");
  EXPECT_EQ(Separated("Lift up (left)", 2, ' ').text, "(left)");
  EXPECT_EQ(Separated("no separator", 0, '(').text, "no separator");
  EXPECT_EQ(Separated("no separator", 1, '(').length, 0u);
  EXPECT_EQ(Separated("(leading", 0, '(').length, 0u);
  EXPECT_EQ(Separated(" a , b ", 1, ',').text, " b ");
  EXPECT_EQ(Separated("", 0, ' ').length, 0u);
  EXPECT_EQ(Separated("a  b", 1, ' ').length, 0u);
  EXPECT_EQ(Separated("a  b", 2, ' ').text, "b");
  // A NUL separator cannot split: the whole text is the first field.
  EXPECT_EQ(Separated("a,b c", 0, '\0').text, "a,b c");
  EXPECT_EQ(Separated("a,b c", 1, '\0').length, 0u);
  EXPECT_EQ(Separated(nullptr, 0, ' ').length, 0u);
}

TEST(FieldSplit, GbkCharactersAreNeverSplit) {
  // 0x81 0x5C is one GBK character whose second byte is a backslash.
  EXPECT_EQ(Separated("a\\b\x81\x5C" "c\\d", 1, '\\').text, "b\x81\x5C" "c");
  EXPECT_EQ(Separated("a\\b\x81\x5C" "c\\d", 2, '\\').text, "d");
  // "设备,通道": a comma is never a second byte, the fields are whole characters.
  EXPECT_EQ(Comma("\xC9\xE8\xB1\xB8,\xCD\xA8\xB5\xC0", 1).text, "\xCD\xA8\xB5\xC0");
  // A stray lead byte does not swallow the separator after it.
  EXPECT_EQ(Comma("\x81,x", 0).text, "\x81");
  EXPECT_EQ(Comma("\x81,x", 1).text, "x");
  EXPECT_EQ(Comma("x\x81", 0).text, "x\x81");
}

TEST(FieldSplit, LongFieldsAreCutToTheBufferOnACharacterBoundary) {
  EXPECT_EQ(Comma("abcdef,g", 0, 4).text, "abc");
  EXPECT_EQ(Comma("abcdef,g", 0, 4).length, 3u);
  // Four bytes would fit "设" and half of "备": only the whole character is copied.
  EXPECT_EQ(Comma("\xC9\xE8\xB1\xB8", 0, 4).text, "\xC9\xE8");
  EXPECT_EQ(Separated("\xC9\xE8\xB1\xB8 x", 0, ' ', 4).length, 2u);
  EXPECT_EQ(Comma("abc", 0, 1).length, 0u);
  char untouched = 'Z';
  EXPECT_EQ(sim::CommaField("abc", 0, &untouched, 0), 0u);
  EXPECT_EQ(untouched, 'Z');
  EXPECT_EQ(sim::CommaField("abc", 0, nullptr, 16), 0u);
}

// Hostile input: whatever the bytes, the result is terminated, as long as reported, within the
// buffer, and a piece of the input.
TEST(FieldSplit, ArbitraryBytesKeepTheContract) {
  std::uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<unsigned char>(state >> 16);
  };
  const char alphabet[] = {',', ' ', '\t', '(', '\\', 'a', 'b', '\x81', '\xC9', '\xE8', '\x5C', '\x7F', '\xFF'};
  for (int round = 0; round < 3000; ++round) {
    char text[40];
    const int length = next() % 39;
    for (int i = 0; i < length; ++i) text[i] = alphabet[next() % sizeof alphabet];
    text[length] = '\0';
    const int index = next() % 6 - 1;
    const std::size_t size = 1 + next() % 12;
    const char separator = alphabet[next() % sizeof alphabet];
    char out[16];
    std::memset(out, 'X', sizeof out);
    const std::size_t n = (round % 2 == 0) ? sim::CommaField(text, index, out, size)
                                           : sim::SeparatedField(text, index, separator, out, size);
    ASSERT_LT(n, size);
    ASSERT_EQ(out[n], '\0');
    ASSERT_EQ(std::strlen(out), n);
    ASSERT_EQ(out[size], 'X') << "wrote beyond the buffer";
    if (n > 0) {
      ASSERT_NE(std::strstr(text, out), nullptr);
    }
  }
}

}  // namespace
