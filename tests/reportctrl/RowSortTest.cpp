// Row comparison and block sort of the report list, without a window.
#include <gtest/gtest.h>

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
using Texts = std::vector<std::string>;

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
  explicit Rows(Texts texts) : texts(std::move(texts)) {}
  int RowCount() const override { return static_cast<int>(texts.size()); }
  std::string RowText(int row) const override { return texts[static_cast<std::size_t>(row)]; }
  bool ParseDateTime(const char* text, double* value) const override {
    ++dateParses;
    return FakeDate(text, value);
  }
  Texts texts;
  mutable int dateParses = 0;
};

Texts Sorted(const Texts& texts, bool ascending = true, const char* separator = nullptr) {
  Texts out;
  for (int row : report::SortTextRows(texts, separator, ascending, FakeDate)) out.push_back(texts[static_cast<std::size_t>(row)]);
  return out;
}

TEST(RowCompare, NumberGrammars) {
  // Hexadecimal: whatever strtoul base 16 consumes whole, with its 32-bit range rules.
  const struct { const char* text; std::uint32_t value; } hex[] = {
      {"10", 0x10}, {"abc", 0xABC}, {"  0x1F", 0x1F}, {"+0XfF", 0xFF}, {"-1", 0xFFFFFFFF}, {"FFFFFFFF", 0xFFFFFFFF},
      {"100000000", 0xFFFFFFFF}, {"00000000000000000000001", 1}, {"-ffffffff", 1}, {" \t\n1a", 0x1A}};
  for (const auto& c : hex) {
    std::uint32_t v = 0;
    EXPECT_TRUE(ParseHexNumber(c.text, &v)) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  // Which texts are hexadecimal at all agrees with the C library's conversion.
  for (const char* text : {"", " ", "0x", "0xg", "1g", "12 ", "1.5", "12%", "-", "+", "x1", "\xb0\xa1", "1\xb0\xa1",
                           "0", "-0x10", "0x0", "00x1", "deadBEEF", "g", "0X7", "-80000000"}) {
    char* end = nullptr;
    std::strtoull(text, &end, 16);
    std::uint32_t v = 0;
    EXPECT_EQ(ParseHexNumber(text, &v), end != text && *end == '\0') << text;
  }
  EXPECT_FALSE(ParseHexNumber(nullptr, nullptr));

  // Decimal: what strtod consumes whole, or all but one final '%'.
  const struct { const char* text; double value; } dec[] = {{"1.5", 1.5}, {"12%", 12}, {" -2.5e1", -25}, {".5%", 0.5}};
  for (const auto& c : dec) {
    double v = 0;
    EXPECT_TRUE(ParseDecimalNumber(c.text, &v)) << c.text;
    EXPECT_DOUBLE_EQ(v, c.value) << c.text;
  }
  for (const char* no : {"", "%", " %", "12%%", "%12", "1.5 ", "1.5x", "abc", "12 %", "-", "."}) {
    double v = 0;
    EXPECT_FALSE(ParseDecimalNumber(no, &v)) << no;
  }
}

TEST(RowCompare, RulesApplyInOrderHexThenDecimalThenDateThenText) {
  const struct { const char* a; const char* b; int expected; } cases[] = {
      // Hexadecimal: 9 < 0x10 < 0xA; "abc" and "abd" are numbers too.
      {"9", "10", -1}, {"a", "10", -1}, {"abd", "abc", 1}, {"0x10", "16", -1}, {"0x1A", "1a", 0},
      // Decimal once one side is not hexadecimal.
      {"1.5", "3", -1}, {"12%", "3", 1}, {"12%", "12", 0}, {"-1.5", "1", -1},
      // Date-times once neither number rule holds for both.
      {"2024-01-05", "2023-12-31", 1}, {"2024-01-05 08:00", "2024-01-05 17:30", -1}, {"2024-01-05", "2024-01-05 00:00", 0},
      // Text for everything else: letters folded, bytes as the tie-break.
      {"xyz", "xya", 1}, {"axle", "Brake", -1}, {"Brake", "lift", -1}, {"Xyz", "xyz", -1}, {"xyz", "xyz", 0},
      {"1.5", "abc", -1}, {"2024-01-05", "9", -1}, {"", "0", -1}};
  const Rows rows({});
  for (const auto& c : cases) EXPECT_EQ(CompareCellTexts(c.a, c.b, rows), c.expected) << c.a << " vs " << c.b;
}

TEST(RowCompare, ParsedKeysCompareExactlyLikeTheTexts) {
  const Texts texts = {"",      "0",        "9",        "10",   "a",      "abc",   "ABC",     "0x1A",  "-1",
                       "1.5",   "12%",      "12",       "1e3",  "nan",    "inf",   "-inf",    "%",     " 7",
                       "11.5",  "f",        "2024-01-05", "2023-12-31", "2024-01-05 08:00", "xyz", "Xyz", "xya",
                       "\xb0\xa1", "100000000", "ffffffff", "1e999", "--", "0x", "12%%", "nan(1)", "0x1p3", "1,5"};
  const Rows rows(texts);
  std::vector<report::SortKey> keys(texts.begin(), texts.end());
  for (std::size_t i = 0; i < texts.size(); ++i)
    for (std::size_t j = 0; j < texts.size(); ++j)
      EXPECT_EQ(report::SortKey::Compare(keys[i], keys[j], rows), CompareCellTexts(texts[i].c_str(), texts[j].c_str(), rows))
          << "'" << texts[i] << "' vs '" << texts[j] << "'";
}

TEST(BlockSort, MixedTextsAndSeparatorBlocks) {
  EXPECT_EQ(Sorted({"10", "9", "a"}), (Texts{"9", "a", "10"}));
  EXPECT_EQ(Sorted({"10", "9", "a"}, false), (Texts{"10", "a", "9"}));
  EXPECT_EQ(Sorted({"1.5", "12%", "3"}), (Texts{"1.5", "3", "12%"}));
  EXPECT_EQ(Sorted({"2024-03-01", "2023-12-31", "2024-01-15"}), (Texts{"2023-12-31", "2024-01-15", "2024-03-01"}));
  EXPECT_TRUE(Sorted({}).empty());
  // Separator rows split the list into blocks and stay in place; only exact matches separate, and
  // without a separator the same text is an ordinary row.
  EXPECT_EQ(Sorted({"b", "a", "--", "d", "c"}, true, "--"), (Texts{"a", "b", "--", "c", "d"}));
  EXPECT_EQ(Sorted({"b", "a", "--", "d", "c"}, false, "--"), (Texts{"b", "a", "--", "d", "c"}));
  EXPECT_EQ(Sorted({"--", "z", "y", "--", "--", "x", "w", "--"}, true, "--"),
            (Texts{"--", "y", "z", "--", "--", "w", "x", "--"}));
  EXPECT_EQ(Sorted({"b", "a", "--", "d", "c"}), (Texts{"--", "a", "b", "c", "d"}));
  EXPECT_EQ(Sorted({"b", "-- ", "a"}, true, "--"), (Texts{"-- ", "a", "b"}));
  EXPECT_EQ(Sorted({"b", "a", "", "d", "c"}, true, ""), (Texts{"a", "b", "", "c", "d"}));
}

TEST(BlockSort, ParsesEachRowOnceAndMatchesTheTextComparingSort) {
  std::mt19937 random(12345);
  const char* pool[] = {"10", "11.5", "f", "9", "a", "12%", "2024-01-0", "2024-02-1", "x", "X", "--", "0x1f", "-3",
                        "2023-11-2", "1e2", "nan", "word", "Word", "abc", "", " "};
  for (int round = 0; round < 60; ++round) {
    Texts texts;
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
    EXPECT_LE(rows.dateParses, count);
    ASSERT_EQ(keyed, report::SortRowsComparingTexts(rows, separator, ascending));
    std::vector<int> seen(static_cast<std::size_t>(count), 0);
    for (std::size_t pos = 0; pos < keyed.size(); ++pos) {
      ++seen.at(static_cast<std::size_t>(keyed[pos]));
      if (separator != nullptr && texts[pos] == separator) {
        EXPECT_EQ(keyed[pos], static_cast<int>(pos));
      }
    }
    EXPECT_EQ(seen, std::vector<int>(static_cast<std::size_t>(count), 1));
  }
  // Rows of one rule come out ordered.
  for (int round = 0; round < 2; ++round) {
    Texts texts;
    for (int i = 0; i < 500; ++i) texts.push_back(std::to_string(static_cast<int>(random() % 1000) - 500) + ".5");
    const Texts out = Sorted(texts, round == 1);
    for (std::size_t i = 1; i < out.size(); ++i) {
      const double prev = std::strtod(out[i - 1].c_str(), nullptr), here = std::strtod(out[i].c_str(), nullptr);
      EXPECT_TRUE(round == 1 ? prev <= here : prev >= here) << prev << ", " << here;
    }
  }
}

// The mixed rules are not transitive ("10" < "11.5" < "f" < "10"); the sort must still stay inside
// the rows and end.
TEST(BlockSort, SurvivesComparisonsThatAreNotTransitive) {
  std::mt19937 random(7);
  const char* cycle[] = {"10", "11.5", "f", "nan", "2024-01-01", "1e999"};
  for (int round = 0; round < 40; ++round) {
    Texts texts;
    const int count = 2 + static_cast<int>(random() % 2000);
    for (int i = 0; i < count; ++i) texts.push_back(cycle[random() % 6]);
    ASSERT_EQ(report::SortTextRows(texts, nullptr, round % 2 == 0, FakeDate).size(), texts.size());
  }
  // Many equal rows and already sorted input keep the recursion shallow.
  const Texts same(200000, "x");
  EXPECT_EQ(report::SortTextRows(same, nullptr, true, nullptr).size(), same.size());
  Texts ascending;
  for (int i = 0; i < 100000; ++i) ascending.push_back(std::to_string(i) + ".0");
  const std::vector<int> order = report::SortTextRows(ascending, nullptr, true, nullptr);
  for (int i = 0; i < 100000; ++i) ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
}

}  // namespace
