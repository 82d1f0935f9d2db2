// Cells, masks, outlines and layout of the segment display, without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "widgets/DotCell.h"
#include "widgets/FourteenSegmentCell.h"
#include "widgets/SegmentDisplay.h"
#include "widgets/SevenSegmentCell.h"

namespace {

std::vector<DesignPoint> Points(const CSegmentPath& path) { return path.GetPoints(); }

std::vector<DesignPoint> Listed(std::initializer_list<DesignPoint> points) { return points; }

// Smallest and largest x over the outlines of the lit segments.
void LitExtent(const CSegmentCell& cell, int& minX, int& maxX) {
  minX = 1000;
  maxX = -1;
  for (int i = 0; i < static_cast<int>(cell.GetSegments().size()); ++i) {
    if (!cell.IsLit(i)) continue;
    for (const DesignPoint& p : cell.GetSegments()[static_cast<std::size_t>(i)].GetPoints()) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
    }
  }
}

TEST(SegmentCells, DefaultStyleReadingOfZeroHasFiveCells) {
  const std::vector<CSegmentCell> cells = BuildCells("0.000", SEGSTYLE_KEEPASPECT);
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(TotalWidth(cells), 214);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    // The point cell lights only the decimal point; a zero is everything but the middle bar.
    const bool point = i == 1;
    EXPECT_EQ(cells[i].GetWidth(), point ? 18 : 49);
    EXPECT_EQ(cells[i].GetSegmentCount(), point ? 3 : 7);
    ASSERT_EQ(static_cast<int>(cells[i].GetSegments().size()), cells[i].GetSegmentCount());
    for (int s = 0; s < cells[i].GetSegmentCount(); ++s) {
      EXPECT_EQ(cells[i].IsLit(s), point ? s == 2 : s != 3) << "cell " << i << " segment " << s;
    }
  }
}

TEST(SegmentCells, CharacterSelection) {
  // Outside the table: no cell, no width; the rest is still shown.
  EXPECT_EQ(BuildCells("1%2", 0).size(), 2u);
  EXPECT_TRUE(BuildCells("%#?/_,", 0).empty());
  EXPECT_TRUE(BuildCells("", 0).empty());
  // Lower case is not in the table: the display upper-cases before building.
  EXPECT_TRUE(BuildCells("abc", 0).empty());

  // Letters, star and plus are always fourteen-segment; digits only with SEGSTYLE_DIGITS14.
  for (const char* text : {"A", "Z", "*", "+"}) {
    const auto cells = BuildCells(text, 0);
    ASSERT_EQ(cells.size(), 1u) << text;
    EXPECT_EQ(cells[0].GetSegmentCount(), 14) << text;
  }
  for (const char* text : {" ", "7", "-"}) {
    EXPECT_EQ(BuildCells(text, 0)[0].GetSegmentCount(), 7) << text;
    EXPECT_EQ(BuildCells(text, SEGSTYLE_DIGITS14)[0].GetSegmentCount(), 14) << text;
  }
  const auto colon = BuildCells(":", SEGSTYLE_DIGITS14);
  ASSERT_EQ(colon.size(), 1u);
  EXPECT_EQ(colon[0].GetWidth(), 18);
  EXPECT_EQ(colon[0].GetMask(), 0x03);

  // A double-byte character takes no cell, even when its second byte looks like a letter or digit.
  EXPECT_TRUE(BuildCells("\x81\x41\x82\x38", 0).empty());
  EXPECT_EQ(BuildCells("1\xB1\xED" "2", 0).size(), 2u);
}

TEST(SegmentCells, UpperCasingTouchesOnlyAsciiLetters) {
  std::string text = "abc-xyz 0.5";
  UpperCaseAscii(text);
  EXPECT_EQ(text, "ABC-XYZ 0.5");
  // 0x81 0x61 is one GBK character whose second byte is 'a': it must survive unchanged.
  std::string mixed = "a\x81\x61z";
  UpperCaseAscii(mixed);
  EXPECT_EQ(mixed, "A\x81\x61Z");
  // A lead byte at the very end is a byte of its own, not a character swallowing the terminator.
  std::string dangling = "q\x81";
  UpperCaseAscii(dangling);
  EXPECT_EQ(dangling, "Q\x81");
}

// The numbering of segments and the mirrors have to agree with the masks: characters whose lit
// segments sit on one side of the cell show that.
TEST(SegmentCells, MasksLightTheSegmentsWhereTheyBelong) {
  // A 1 is drawn on the right in every style.
  for (unsigned style : {0u, static_cast<unsigned>(SEGSTYLE_DIGITS14), static_cast<unsigned>(SEGSTYLE_ROUNDED)}) {
    int minX = 0, maxX = 0;
    LitExtent(BuildCells("1", style)[0], minX, maxX);
    EXPECT_GT(minX, 24) << style;
  }

  // L: upper left, lower left and bottom.
  const CSegmentCell l = BuildCells("L", 0)[0];
  for (int i = 0; i < 14; ++i) {
    if (!l.IsLit(i)) continue;
    const auto& points = l.GetSegments()[static_cast<std::size_t>(i)].GetPoints();
    bool leftOrBottom = true;
    for (const DesignPoint& p : points) leftOrBottom = leftOrBottom && (p.x < 24 || p.y > 60);
    EXPECT_TRUE(leftOrBottom) << "segment " << i;
  }
  // Minus is the middle bar alone, in both cell kinds.
  for (unsigned style : {0u, static_cast<unsigned>(SEGSTYLE_DIGITS14)}) {
    const CSegmentCell minus = BuildCells("-", style)[0];
    for (int i = 0; i < minus.GetSegmentCount(); ++i) {
      if (!minus.IsLit(i)) continue;
      for (const DesignPoint& p : minus.GetSegments()[static_cast<std::size_t>(i)].GetPoints()) {
        EXPECT_GE(p.y, 36);
        EXPECT_LE(p.y, 46);
      }
    }
  }
}

TEST(SegmentCells, MirroredOutlinesMatchTheirListedCoordinates) {
  CSevenSegmentCell seven;
  seven.BuildSegments(0, 0);
  EXPECT_EQ(Points(seven.GetSegments()[2]), Listed({{44, 6}, {44, 40}, {37, 36}, {37, 13}}));
  EXPECT_EQ(Points(seven.GetSegments()[5]), Listed({{44, 76}, {44, 42}, {37, 46}, {37, 69}}));
  EXPECT_EQ(Points(seven.GetSegments()[6]), Listed({{5, 78}, {12, 71}, {36, 71}, {43, 78}}));

  CFourteenSegmentCell fourteen;
  fourteen.BuildSegments(0, 0);
  EXPECT_EQ(Points(fourteen.GetSegments()[4]), Listed({{43, 77}, {33, 47}, {28, 45}, {30, 57}}));
  EXPECT_EQ(Points(fourteen.GetSegments()[7]), Listed({{42, 41}, {34, 45}, {30, 45}, {26, 41}, {30, 37}, {34, 37}}));
  EXPECT_EQ(Points(fourteen.GetSegments()[10]), Listed({{6, 78}, {11, 71}, {37, 71}, {42, 78}}));
  EXPECT_EQ(Points(fourteen.GetSegments()[11]), Listed({{44, 75}, {44, 42}, {37, 46}, {37, 56}}));

  // Rounded mirrors keep the kinds of their base outline.
  seven.BuildSegments(0, SEGSTYLE_ROUNDED);
  const CSegmentPath& lowerRight = seven.GetSegments()[5];
  ASSERT_EQ(lowerRight.GetCount(), 10);
  EXPECT_EQ(lowerRight.GetPoints()[0], (DesignPoint{37, 46}));
  EXPECT_EQ(lowerRight.GetPoints()[8], (DesignPoint{39, 74}));
  EXPECT_EQ(lowerRight.GetKinds()[8], kPointCurve);
  fourteen.BuildSegments(0, SEGSTYLE_ROUNDED);
  const CSegmentPath& diagonal = fourteen.GetSegments()[4];
  EXPECT_EQ(diagonal.GetPoints()[0], (DesignPoint{38, 72}));
  EXPECT_EQ(diagonal.GetPoints()[4], (DesignPoint{27, 44}));
  EXPECT_EQ(diagonal.GetKinds()[4], kPointLineTo);
}

TEST(SegmentCells, EveryOutlineIsWellFormedAndInsideItsCell) {
  std::vector<CSegmentCell> cells;
  for (unsigned style : {0u, static_cast<unsigned>(SEGSTYLE_ROUNDED)}) {
    for (const CSegmentCell& c : BuildCells("8:", style)) cells.push_back(c);
    for (const CSegmentCell& c : BuildCells("8", style | SEGSTYLE_DIGITS14)) cells.push_back(c);
  }
  ASSERT_EQ(cells.size(), 6u);
  for (std::size_t c = 0; c < cells.size(); ++c) {
    const CSegmentCell& cell = cells[c];
    ASSERT_EQ(static_cast<int>(cell.GetSegments().size()), cell.GetSegmentCount());
    for (const CSegmentPath& path : cell.GetSegments()) {
      ASSERT_GE(path.GetCount(), 4);
      ASSERT_EQ(path.GetPoints().size(), static_cast<std::size_t>(path.GetCount()));
      ASSERT_EQ(path.GetKinds().size(), static_cast<std::size_t>(path.GetCount()));
      EXPECT_EQ(path.GetKinds()[0], kPointMoveTo);
      // The outline ends on a drawn point, never inside a curve run.
      EXPECT_NE(path.GetKinds().back(), kPointCurve);
      for (int i = 1; i < path.GetCount(); ++i) {
        const auto kind = path.GetKinds()[static_cast<std::size_t>(i)];
        EXPECT_TRUE(kind == kPointLineTo || kind == kPointCurve) << "cell " << c << " point " << i;
      }
      for (const DesignPoint& p : path.GetPoints()) {
        EXPECT_GE(p.x, 0);
        EXPECT_LT(p.x, cell.GetWidth());
        EXPECT_GE(p.y, 0);
        EXPECT_LT(p.y, kCellHeight);
      }
    }
  }
  // Plain outlines are polygons.
  for (const CSegmentCell& cell : BuildCells("8.", 0)) {
    for (const CSegmentPath& path : cell.GetSegments()) {
      for (auto kind : path.GetKinds()) EXPECT_NE(kind, kPointCurve);
    }
  }
}

TEST(SegmentCells, RebuildingReplacesTheOutlines) {
  CFourteenSegmentCell cell;
  cell.BuildSegments(0x3BC0, SEGSTYLE_ROUNDED);
  const CSegmentCell copy = cell;
  EXPECT_EQ(copy.GetMask(), 0x3BC0);
  EXPECT_EQ(copy.GetSegments()[13].GetCount(), cell.GetSegments()[13].GetCount());
  cell.BuildSegments(0, 0);
  EXPECT_EQ(cell.GetSegments().size(), 14u);
  EXPECT_EQ(cell.GetSegments()[13].GetCount(), 4);
}

TEST(SegmentLayout, KeepAspectCentresTheRow) {
  const auto cells = BuildCells("0.000", SEGSTYLE_KEEPASPECT);
  // Wide: the height decides the scale, equal margins left and right.
  auto rects = LayoutCells(cells, 0, 0, 1000, 83, SEGSTYLE_KEEPASPECT);
  ASSERT_EQ(rects.size(), 5u);
  EXPECT_DOUBLE_EQ(rects[0].left, (1000 - 214) / 2.0);
  EXPECT_DOUBLE_EQ(1000 - rects[4].right, rects[0].left);
  EXPECT_DOUBLE_EQ(rects[0].top, 0);
  EXPECT_DOUBLE_EQ(rects[0].bottom, 83);
  // Tall: the width decides, equal margins above and below.
  rects = LayoutCells(cells, 0, 0, 107, 500, SEGSTYLE_KEEPASPECT);
  EXPECT_DOUBLE_EQ(rects[0].left, 0);
  EXPECT_DOUBLE_EQ(rects[4].right, 107);
  EXPECT_DOUBLE_EQ(rects[0].top, (500 - 41.5) / 2);
  EXPECT_DOUBLE_EQ(500 - rects[0].bottom, rects[0].top);
  // Cells follow each other without gaps, each as wide as its design width says.
  for (std::size_t i = 1; i < rects.size(); ++i) EXPECT_DOUBLE_EQ(rects[i].left, rects[i - 1].right);
  EXPECT_DOUBLE_EQ(rects[1].Width() / rects[0].Width(), 18.0 / 49.0);
  // The area's corner moves everything along.
  const auto moved = LayoutCells(cells, 10, 20, 107, 500, SEGSTYLE_KEEPASPECT);
  EXPECT_DOUBLE_EQ(moved[2].left, rects[2].left + 10);
  EXPECT_DOUBLE_EQ(moved[2].top, rects[2].top + 20);
}

TEST(SegmentLayout, WithoutKeepAspectTheCellsFillTheArea) {
  const auto cells = BuildCells("0.000", 0);
  const auto rects = LayoutCells(cells, 0, 0, 75, 24, 0);
  ASSERT_EQ(rects.size(), 5u);
  EXPECT_DOUBLE_EQ(rects[0].left, 0);
  EXPECT_NEAR(rects[4].right, 75, 1e-9);
  for (const CRealRect& r : rects) {
    EXPECT_DOUBLE_EQ(r.top, 0);
    EXPECT_DOUBLE_EQ(r.bottom, 24);
  }
  EXPECT_TRUE(LayoutCells({}, 0, 0, 75, 24, 0).empty());
  EXPECT_TRUE(LayoutCells(BuildCells("%", 0), 0, 0, 75, 24, SEGSTYLE_KEEPASPECT).empty());
}

TEST(SegmentLayout, PenColoursMixThreeQuartersSegmentWithOneQuarterBackground) {
  EXPECT_EQ(MixPenColor(0x003400, 0x000000), 0x002700u);  // RGB(0, 39, 0)
  EXPECT_EQ(MixPenColor(0x00FF00, 0x000000), 0x00BF00u);  // RGB(0, 191, 0)
  // Channels mix on their own and never carry into each other.
  EXPECT_EQ(MixPenColor(0x0000FF, 0xFF0000), 0x3F00BFu);
  EXPECT_EQ(MixPenColor(0xFFFFFF, 0xFFFFFF), 0xFFFFFFu);
  // Truncated, not rounded: 0.75 * 1 + 0.25 * 2 = 1.25 and 0.75 * 3 + 0.25 * 0 = 2.25.
  EXPECT_EQ(MixPenColor(0x000301, 0x000002), 0x000201u);
  // Bits above the blue byte play no part.
  EXPECT_EQ(MixPenColor(0xFF000000u, 0x01000000u), 0u);
}

}  // namespace
