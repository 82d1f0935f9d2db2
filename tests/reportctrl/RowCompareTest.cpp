// The order the configuration manager's list shows after a click on a column heading: the first
// rule both texts meet decides (hexadecimal, decimal, date-time, then text).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cfgmgr/RowSort.h"

namespace {

// Stands for the platform's date parser; day first, so that date order and text order differ.
class DayFirstDates final : public report::RowAccessor {
 public:
  int RowCount() const override { return 0; }
  std::string RowText(int) const override { return {}; }
  bool ParseDateTime(const char* text, double* value) const override {
    int d = 0, m = 0, y = 0, used = 0;
    if (std::sscanf(text, "%2d.%2d.%4d%n", &d, &m, &y, &used) != 3 || text[used] != '\0') return false;
    *value = (y * 13.0 + m) * 32 + d;
    return true;
  }
};

TEST(RowCompare, FirstRuleBothTextsMeetDecides) {
  const struct { const char* a; const char* b; int order; } cases[] = {
      // Hexadecimal as strtoul base 16 reads it into 32 bits: 9 < 0x10 < 0xA, too large saturates,
      // a minus sign negates modulo 2^32.
      {"9", "10", -1}, {"a", "10", -1}, {"FF", "100", -1}, {"0x10", "16", -1}, {"+0XfF", "ff", 0},
      {" \t1a", "1A", 0}, {"-1", "FFFFFFFF", 0}, {"100000000", "ffffffff", 0}, {"-ffffffff", "1", 0},
      {"00000000000000000000001", "1", 0},
      // Not hexadecimal as a whole: compared as text, not as equal numbers.
      {"0x", "0", 1}, {"12 ", "12", 1}, {"1g", "1", 1},
      // Decimal once one side is not hexadecimal: strtod of the whole text, or of all but a last '%'.
      {"1.5", "3", -1}, {"12%", "3", 1}, {"12%", "12", 0}, {"-1.5", "1", -1}, {".5%", "0.5", 0}, {" -2.5e1", "-25", 0},
      // Not decimal: text order, the opposite of the numbers' order.
      {"12%%", "3", -1}, {"9.5 ", "10", 1}, {"%12", "3", -1}, {"%", "0", -1},
      // Date-times once neither number rule holds for both.
      {"05.01.2024", "31.12.2023", 1}, {"01.02.2024", "15.01.2024", 1}, {"05.01.2024", "05.01.2024", 0},
      // Text: ASCII letters folded, bytes as the tie-break; the second byte of a GBK character is
      // not a letter.
      {"axle", "Brake", -1}, {"Brake", "lift", -1}, {"Xyz", "xyz", -1}, {"1.5", "abc", -1}, {"05.01.2024", "9", -1},
      {"", "0", -1}, {"\x81\x61", "\x81\x42", 1}};
  const DayFirstDates rows;
  for (const auto& c : cases) {
    EXPECT_EQ(report::CompareCellTexts(c.a, c.b, rows), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(report::CompareCellTexts(c.b, c.a, rows), -c.order) << c.b << " vs " << c.a;
    EXPECT_EQ(report::SortKey::Compare(report::SortKey(c.a), report::SortKey(c.b), rows), c.order)
        << "parsed keys, " << c.a << " vs " << c.b;
  }
}

}  // namespace
