#include "widgets/SevenSegmentCell.h"

#include <vector>

namespace {

constexpr int kWidth = 49;

constexpr std::uint8_t M = kPointMoveTo;
constexpr std::uint8_t L = kPointLineTo;
constexpr std::uint8_t C = kPointCurve;

// Plain outlines: closed polygons. The others are mirrors of these.
constexpr DesignPoint kTop[] = {{5, 4}, {12, 11}, {36, 11}, {43, 4}};
constexpr DesignPoint kUpperLeft[] = {{4, 6}, {4, 40}, {11, 36}, {11, 13}};
constexpr DesignPoint kMiddle[] = {{6, 41}, {14, 45}, {34, 45}, {42, 41}, {34, 37}, {14, 37}};

// Rounded outlines.
constexpr OutlinePoint kRoundTop[] = {{M, 6, 4}, {C, 5, 5}, {C, 5, 6}, {C, 8, 9}, {L, 12, 11}, {L, 36, 11}, {L, 39, 4}};
constexpr OutlinePoint kRoundLeft[] = {{M, 4, 9},  {L, 4, 39}, {C, 6, 40},  {C, 7, 40},
                                       {C, 9, 38}, {L, 11, 36}, {L, 11, 12}};
constexpr OutlinePoint kRoundRight[] = {{M, 37, 36}, {C, 39, 38}, {C, 41, 40}, {L, 42, 40}, {L, 44, 39},
                                        {L, 44, 6},  {C, 42, 4},  {C, 41, 4},  {C, 39, 8},  {L, 37, 12}};
constexpr OutlinePoint kRoundMiddle[] = {{M, 8, 41}, {L, 12, 45}, {L, 36, 45}, {L, 40, 41}, {L, 36, 37}, {L, 12, 37}};

struct CharMask {
  char c;
  std::uint8_t mask;
};
constexpr CharMask kMasks[] = {{' ', 0x00}, {'0', 0x77}, {'1', 0x24}, {'2', 0x5D}, {'3', 0x6D}, {'4', 0x2E},
                               {'5', 0x6B}, {'6', 0x7B}, {'7', 0x25}, {'8', 0x7F}, {'9', 0x6F}, {'-', 0x08}};

}  // namespace

CSevenSegmentCell::CSevenSegmentCell() : CSegmentCell(kWidth, 7) {}

bool CSevenSegmentCell::MaskFor(char c, std::uint16_t& mask) {
  for (const CharMask& m : kMasks) {
    if (m.c == c) {
      mask = m.mask;
      return true;
    }
  }
  return false;
}

void CSevenSegmentCell::BuildSegments(std::uint16_t mask, unsigned style) {
  m_segments = SharedOutlines(style, [](bool rounded) {
    if (rounded) {
      const CSegmentPath top = OutlineOf(kRoundTop), left = OutlineOf(kRoundLeft), right = OutlineOf(kRoundRight);
      return std::vector<CSegmentPath>{top, left, right, OutlineOf(kRoundMiddle), left.Mirrored(Mirror::kVertical, kWidth),
                                       right.Mirrored(Mirror::kVertical, kWidth), top.Mirrored(Mirror::kVertical, kWidth)};
    }
    const CSegmentPath top = PolygonOf(kTop), upperLeft = PolygonOf(kUpperLeft);
    return std::vector<CSegmentPath>{top, upperLeft, upperLeft.Mirrored(Mirror::kHorizontal, kWidth), PolygonOf(kMiddle),
                                     upperLeft.Mirrored(Mirror::kVertical, kWidth),
                                     upperLeft.Mirrored(Mirror::kPoint, kWidth), top.Mirrored(Mirror::kVertical, kWidth)};
  });
  m_wMask = mask;
}
