// Row comparison and block sort of the report list, without a window.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cfgmgr/RowSort.h"

namespace {

using report::CompareCellTexts;
using report::ParseDecimalNumber;
using report::ParseHexNumber;

// A small date parser standing for the platform's: "YYYY-MM-DD" with an optional " HH:MM".
bool FakeDate(const char* text, double* value) {
  int y = 0, m = 0, d = 0, hh = 0, mm = 0, used = 0;
  if (std::sscanf(text, "%4d-%2d-%2d%n", &y, &m, &d, &used) != 3) return false;
  const char* rest = text + used;
  if (*rest == ' ') {
    int more = 0;
    if (std::sscanf(rest, " %2d:%2d%n", &hh, &mm, &more) != 2) return false;
    rest += more;
  }
  if (*rest != '\0' || m < 1 || m > 12 || d < 1 || d > 31) return false;
  *value = ((y * 12.0 + m) * 31 + d) + (hh * 60 + mm) / 1440.0;
  return true;
}

class Rows : public report::RowAccessor {
 public:
  explicit Rows(std::vector<std::string> texts) : texts(std::move(texts)) {}
  int RowCount() const override { return static_cast<int>(texts.size()); }
  std::string RowText(int row) const override { return texts[static_cast<std::size_t>(row)]; }
  bool ParseDateTime(const char* text, double* value) const override {
    ++dateParses;
    return FakeDate(text, value);
  }
  std::vector<std::string> texts;
  mutable int dateParses = 0;
};

std::vector<std::string> Sorted(const std::vector<std::string>& texts, bool ascending = true,
                                const char* separator = nullptr) {
  const std::vector<int> order = report::SortTextRows(texts, separator, ascending, FakeDate);
  std::vector<std::string> out;
  for (int row : order) out.push_back(texts[static_cast<std::size_t>(row)]);
  return out;
}

int Cmp(const char* a, const char* b) {
  const Rows rows({});
  return CompareCellTexts(a, b, rows);
}

TEST(RowCompare, HexadecimalIsWhatStrtoulBase16ConsumesWhole) {
  std::uint32_t v = 0;
  EXPECT_TRUE(ParseHexNumber("10", &v));
  EXPECT_EQ(v, 0x10u);
  EXPECT_TRUE(ParseHexNumber("abc", &v));
  EXPECT_EQ(v, 0xABCu);
  EXPECT_TRUE(ParseHexNumber("  0x1F", &v));
  EXPECT_EQ(v, 0x1Fu);
  EXPECT_TRUE(ParseHexNumber("+0XfF", &v));
  EXPECT_EQ(v, 0xFFu);
  EXPECT_TRUE(ParseHexNumber("-1", &v));  // negated modulo 2^32, as the conversion does
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(ParseHexNumber("FFFFFFFF", &v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(ParseHexNumber("100000000", &v));  // beyond 32 bits: the largest value
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(ParseHexNumber("00000000000000000000001", &v));  // leading zeros are no overflow
  EXPECT_EQ(v, 1u);

  for (const char* no : {"", " ", "0x", "0xg", "1g", "12 ", "1.5", "12%", "-", "+", "x1", "\xb0\xa1", "1\xb0\xa1"}) {
    EXPECT_FALSE(ParseHexNumber(no, &v)) << no;
  }
  EXPECT_FALSE(ParseHexNumber(nullptr, &v));
}

TEST(RowCompare, DecimalIsWhatStrtodConsumesWithAnOptionalFinalPercent) {
  double v = 0;
  EXPECT_TRUE(ParseDecimalNumber("1.5", &v));
  EXPECT_DOUBLE_EQ(v, 1.5);
  EXPECT_TRUE(ParseDecimalNumber("12%", &v));
  EXPECT_DOUBLE_EQ(v, 12);
  EXPECT_TRUE(ParseDecimalNumber(" -2.5e1", &v));
  EXPECT_DOUBLE_EQ(v, -25);
  EXPECT_TRUE(ParseDecimalNumber(".5%", &v));
  EXPECT_DOUBLE_EQ(v, 0.5);
  for (const char* no : {"", "%", " %", "12%%", "%12", "1.5 ", "1.5x", "abc", "12 %", "-", "."}) {
    EXPECT_FALSE(ParseDecimalNumber(no, &v)) << no;
  }
}

// Our hexadecimal grammar must be the C library's (where unsigned long has 32 bits, as on the
// stations; elsewhere the 64-bit conversion with the same 32-bit rules applied).
TEST(RowCompare, HexadecimalAgreesWithTheLibraryConversion) {
  const char* texts[] = {"0",  "7fffffff", " \t\n1a", "-0x10", "+7", "0x", "0x0", "00x1", "deadBEEF",
                         "ffffffff", "-80000000", "g", "1 ", " ", "0X7", "-ffffffff", "123456789"};
  for (const char* text : texts) {
    std::uint32_t ours = 0;
    const bool isHex = ParseHexNumber(text, &ours);
    char* end = nullptr;
    errno = 0;
    const unsigned long long lib = std::strtoull(text, &end, 16);
    const bool libHex = end != text && *end == '\0';
    EXPECT_EQ(isHex, libHex) << text;
    if (!isHex || !libHex) continue;
    std::uint32_t expected = 0;
    if (sizeof(unsigned long) == 4) {
      expected = static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16));
    } else {
      // 64-bit host: apply the 32-bit range rule to the magnitude.
      const bool negative = std::string(text).find('-') != std::string::npos;
      const unsigned long long magnitude = negative ? 0ull - lib : lib;
      expected = magnitude > 0xFFFFFFFFull ? 0xFFFFFFFFu
                                           : static_cast<std::uint32_t>(negative ? 0u - static_cast<std::uint32_t>(magnitude)
                                                                                 : static_cast<std::uint32_t>(magnitude));
    }
    EXPECT_EQ(ours, expected) << text;
  }
}

TEST(RowCompare, RulesApplyInOrderHexThenDecimalThenDateThenText) {
  // Hexadecimal: 9 < 0x10 < 0xA; "abc" and "abd" are numbers too.
  EXPECT_EQ(Cmp("9", "10"), -1);
  EXPECT_EQ(Cmp("a", "10"), -1);
  EXPECT_EQ(Cmp("abd", "abc"), 1);
  EXPECT_EQ(Cmp("0x10", "16"), -1);  // 0x10 vs 0x16
  EXPECT_EQ(Cmp("0x1A", "1a"), 0);
  // Decimal once one side is not hexadecimal.
  EXPECT_EQ(Cmp("1.5", "3"), -1);
  EXPECT_EQ(Cmp("12%", "3"), 1);
  EXPECT_EQ(Cmp("12%", "12"), 0);
  EXPECT_EQ(Cmp("-1.5", "1"), -1);
  // Date-times once neither number rule holds for both.
  EXPECT_EQ(Cmp("2024-01-05", "2023-12-31"), 1);
  EXPECT_EQ(Cmp("2024-01-05 08:00", "2024-01-05 17:30"), -1);
  EXPECT_EQ(Cmp("2024-01-05", "2024-01-05 00:00"), 0);
  // Text for everything else: letters folded, bytes as the tie-break.
  EXPECT_EQ(Cmp("xyz", "xya"), 1);
  EXPECT_EQ(Cmp("axle", "Brake"), -1);
  EXPECT_EQ(Cmp("Brake", "lift"), -1);
  EXPECT_EQ(Cmp("Xyz", "xyz"), -1);
  EXPECT_EQ(Cmp("xyz", "xyz"), 0);
  EXPECT_EQ(Cmp("1.5", "abc"), -1);    // decimal vs hexadecimal only: text
  EXPECT_EQ(Cmp("2024-01-05", "9"), -1);  // not both dates: text ('2' < '9')
  EXPECT_EQ(Cmp("", "0"), -1);
}

TEST(RowCompare, ParsedKeysCompareExactlyLikeTheTexts) {
  const std::vector<std::string> texts = {
      "",      "0",       "9",          "10",        "a",          "abc",   "ABC",     "0x1A",   "-1",
      "1.5",   "12%",     "12",         "1e3",       "nan",        "inf",   "-inf",    "%",      " 7",
      "11.5",  "f",       "2024-01-05", "2023-12-31", "2024-01-05 08:00", "xyz", "Xyz", "xya",  "\xb0\xa1",
      "100000000", "ffffffff", "1e999", "--",   "0x",      "12%%",   "nan(1)", "0x1p3", "1,5"};
  const Rows rows(texts);
  std::vector<report::SortKey> keys;
  for (const std::string& text : texts) keys.emplace_back(text);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    for (std::size_t j = 0; j < texts.size(); ++j) {
      EXPECT_EQ(report::SortKey::Compare(keys[i], keys[j], rows),
                CompareCellTexts(texts[i].c_str(), texts[j].c_str(), rows))
          << "'" << texts[i] << "' vs '" << texts[j] << "'";
    }
  }
}

TEST(BlockSort, SortsMixedTextsByTheRules) {
  EXPECT_EQ(Sorted({"10", "9", "a"}), (std::vector<std::string>{"9", "a", "10"}));
  EXPECT_EQ(Sorted({"1.5", "12%", "3"}), (std::vector<std::string>{"1.5", "3", "12%"}));
  EXPECT_EQ(Sorted({"10", "9", "a"}, false), (std::vector<std::string>{"10", "a", "9"}));
  EXPECT_EQ(Sorted({"2024-03-01", "2023-12-31", "2024-01-15"}),
            (std::vector<std::string>{"2023-12-31", "2024-01-15", "2024-03-01"}));
  EXPECT_EQ(Sorted({"lift", "Brake", "axle"}), (std::vector<std::string>{"axle", "Brake", "lift"}));
  EXPECT_TRUE(Sorted({}).empty());
  EXPECT_EQ(Sorted({"only"}), (std::vector<std::string>{"only"}));
}

TEST(BlockSort, SeparatorRowsSplitTheListIntoBlocksAndStayInPlace) {
  EXPECT_EQ(Sorted({"b", "a", "--", "d", "c"}, true, "--"), (std::vector<std::string>{"a", "b", "--", "c", "d"}));
  EXPECT_EQ(Sorted({"b", "a", "--", "d", "c"}, false, "--"), (std::vector<std::string>{"b", "a", "--", "d", "c"}));
  EXPECT_EQ(Sorted({"--", "z", "y", "--", "--", "x", "w", "--"}, true, "--"),
            (std::vector<std::string>{"--", "y", "z", "--", "--", "w", "x", "--"}));
  EXPECT_EQ(Sorted({"--", "--"}, true, "--"), (std::vector<std::string>{"--", "--"}));
  // Without a separator the same text is an ordinary row.
  EXPECT_EQ(Sorted({"b", "a", "--", "d", "c"}), (std::vector<std::string>{"--", "a", "b", "c", "d"}));
  // Only exact matches separate.
  EXPECT_EQ(Sorted({"b", "-- ", "a"}, true, "--"), (std::vector<std::string>{"-- ", "a", "b"}));
  // An empty separator text makes empty rows separators.
  EXPECT_EQ(Sorted({"b", "a", "", "d", "c"}, true, ""), (std::vector<std::string>{"a", "b", "", "c", "d"}));
}

TEST(BlockSort, ParsesEachRowOnceAndKeepsTheOrderOfTextComparisons) {
  std::mt19937 random(12345);
  const char* pool[] = {"10", "11.5", "f", "9", "a", "12%", "2024-01-0", "2024-02-1", "x", "X", "--", "0x1f", "-3",
                        "2023-11-2", "1e2", "nan", "word", "Word", "abc", "", " "};
  for (int round = 0; round < 60; ++round) {
    std::vector<std::string> texts;
    const int count = 1 + static_cast<int>(random() % 300);
    for (int i = 0; i < count; ++i) {
      std::string text = pool[random() % (sizeof(pool) / sizeof(pool[0]))];
      if (text.size() == 9) text += static_cast<char>('1' + random() % 9);  // a date
      texts.push_back(text);
    }
    const bool ascending = round % 2 == 0;
    const char* separator = round % 3 == 0 ? "--" : nullptr;
    Rows rows(texts);
    const std::vector<int> keyed = report::SortRows(rows, separator, ascending);
    EXPECT_LE(rows.dateParses, count);  // each row's date-time parsed at most once
    EXPECT_EQ(keyed, report::SortRowsComparingTexts(rows, separator, ascending));
    // A permutation, with separator rows in place.
    std::vector<int> seen(static_cast<std::size_t>(count), 0);
    for (std::size_t pos = 0; pos < keyed.size(); ++pos) {
      ASSERT_GE(keyed[pos], 0);
      ASSERT_LT(keyed[pos], count);
      ++seen[static_cast<std::size_t>(keyed[pos])];
      if (separator != nullptr && texts[pos] == separator) {
        EXPECT_EQ(keyed[pos], static_cast<int>(pos));
      }
    }
    for (int n : seen) EXPECT_EQ(n, 1);
  }
}

TEST(BlockSort, ConsistentRowsComeOutOrdered) {
  std::mt19937 random(99);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::string> texts;
    for (int i = 0; i < 500; ++i) texts.push_back(std::to_string(static_cast<int>(random() % 1000) - 500) + ".5");
    const bool ascending = round % 2 == 1;
    const std::vector<std::string> out = Sorted(texts, ascending);
    for (std::size_t i = 1; i < out.size(); ++i) {
      const double prev = std::strtod(out[i - 1].c_str(), nullptr);
      const double here = std::strtod(out[i].c_str(), nullptr);
      if (ascending) {
        EXPECT_LE(prev, here);
      } else {
        EXPECT_GE(prev, here);
      }
    }
  }
}

// The mixed rules are not transitive ("10" < "11.5" < "f" < "10"); the sort must still stay inside
// the rows and end (the sanitizers watch the first, the test's finishing the second).
TEST(BlockSort, SurvivesComparisonsThatAreNotTransitive) {
  std::mt19937 random(7);
  const char* cycle[] = {"10", "11.5", "f", "nan", "2024-01-01", "1e999"};
  for (int round = 0; round < 40; ++round) {
    std::vector<std::string> texts;
    const int count = 2 + static_cast<int>(random() % 2000);
    for (int i = 0; i < count; ++i) texts.push_back(cycle[random() % 6]);
    const std::vector<int> order = report::SortTextRows(texts, nullptr, round % 2 == 0, FakeDate);
    ASSERT_EQ(order.size(), texts.size());
  }
  // Many equal rows and already sorted input keep the recursion shallow.
  std::vector<std::string> same(200000, "x");
  EXPECT_EQ(report::SortTextRows(same, nullptr, true, nullptr).size(), same.size());
  std::vector<std::string> ascending;
  for (int i = 0; i < 100000; ++i) ascending.push_back(std::to_string(i) + ".0");
  const std::vector<int> order = report::SortTextRows(ascending, nullptr, true, nullptr);
  for (int i = 0; i < 100000; ++i) ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
}

}  // namespace
