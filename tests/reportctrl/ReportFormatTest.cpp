// Column header layouts and number texts of the report list.
#include <gtest/gtest.h>

#include <limits>

#include "cfgmgr/ReportFormat.h"

namespace {

using report::ColumnAlign;
using report::FormatNumber;
using report::ParseColumnHeader;

TEST(ColumnHeader, SegmentsGiveHeadingWidthAndAlignment) {
  // Empty fields are dropped before they are numbered: "2" is the width here.
  const auto one = ParseColumnHeader("Name,,2");
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].heading, "Name");
  EXPECT_EQ(one[0].width, 2);
  EXPECT_EQ(one[0].align, ColumnAlign::Left);

  const auto columns = ParseColumnHeader(";ID,50,1;;\xc9\xe8\xb1\xb8,160,2;Note;Wide,80,7;");
  ASSERT_EQ(columns.size(), 4u);
  EXPECT_EQ(columns[0].heading, "ID");
  EXPECT_EQ(columns[0].width, 50);
  EXPECT_EQ(columns[0].align, ColumnAlign::Centre);
  EXPECT_EQ(columns[1].heading, "\xc9\xe8\xb1\xb8");  // GBK text passes untouched
  EXPECT_EQ(columns[1].align, ColumnAlign::Right);
  EXPECT_EQ(columns[2].heading, "Note");
  EXPECT_EQ(columns[2].width, 100);
  EXPECT_EQ(columns[3].align, ColumnAlign::Left);

  for (const char* nothing : {static_cast<const char*>(nullptr), "", ";;,,;"}) EXPECT_TRUE(ParseColumnHeader(nothing).empty());
}

TEST(ColumnHeader, WidthsReadLikeAtoiWithoutOverflow) {
  const auto columns = ParseColumnHeader("a,12px;b,abc;c,99999999999999;d,-99999999999999; e , 7 ");
  ASSERT_EQ(columns.size(), 5u);
  EXPECT_EQ(columns[0].width, 12);
  EXPECT_EQ(columns[1].width, 0);
  EXPECT_EQ(columns[2].width, std::numeric_limits<int>::max());
  EXPECT_EQ(columns[3].width, std::numeric_limits<int>::min());
  EXPECT_EQ(columns[4].heading, " e ");
  EXPECT_EQ(columns[4].width, 7);
}

TEST(NumberText, PrecisionOrStrippedZeros) {
  const struct { double value; int precision; const char* text; } cases[] = {
      {12.5, -1, "12.5"}, {3, -1, "3"}, {100, -1, "100"}, {0, -1, "0"}, {-0.25, -1, "-0.25"},
      {1.0000004, -1, "1"},  // "%f" keeps six decimals
      {1e20, -1, "100000000000000000000"},
      {3, 2, "3.00"}, {12.5, 0, "12"}, {2.675, 1, "2.7"}};  // rounding as printf does
  for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.value, c.precision), c.text) << c.value << " " << c.precision;
  EXPECT_EQ(FormatNumber(1, 1074).size(), 1076u);
  EXPECT_EQ(FormatNumber(1, 1 << 30).size(), 1076u);  // clamped, not a gigabyte
}

}  // namespace
