#include "widgets/FourteenSegmentCell.h"

#include <vector>

namespace {

constexpr int kWidth = 49;

constexpr std::uint8_t M = kPointMoveTo;
constexpr std::uint8_t L = kPointLineTo;
constexpr std::uint8_t C = kPointCurve;

// Plain outlines: closed polygons. The others are mirrors of these.
constexpr DesignPoint kCentreBar[] = {{20, 13}, {20, 36}, {24, 40}, {28, 36}, {28, 13}};
constexpr DesignPoint kDiagonal[] = {{5, 5}, {15, 35}, {20, 37}, {18, 25}};
constexpr DesignPoint kMiddleHalf[] = {{6, 41}, {14, 45}, {18, 45}, {22, 41}, {18, 37}, {14, 37}};
constexpr DesignPoint kSide[] = {{4, 7}, {4, 40}, {11, 36}, {11, 26}};
constexpr DesignPoint kTop[] = {{6, 4}, {11, 11}, {37, 11}, {42, 4}};

// Rounded outlines.
constexpr OutlinePoint kRoundCentreBar[] = {{M, 20, 12}, {L, 20, 25}, {C, 22, 36}, {C, 23, 39}, {C, 24, 40},
                                            {C, 25, 39}, {C, 26, 36}, {L, 28, 25}, {L, 28, 12}, {C, 26, 10},
                                            {C, 24, 9},  {C, 22, 10}, {L, 20, 12}};
constexpr OutlinePoint kRoundDiagonal[] = {{M, 10, 10}, {C, 10, 13}, {C, 11, 20}, {C, 13, 28}, {L, 21, 38},
                                           {L, 21, 37}, {C, 19, 26}, {C, 15, 16}, {C, 11, 10}, {L, 10, 10}};
constexpr OutlinePoint kRoundMiddleHalf[] = {{M, 8, 41},  {L, 12, 45}, {L, 16, 45},
                                             {L, 23, 41}, {L, 16, 37}, {L, 12, 37}};
constexpr OutlinePoint kRoundSide[] = {{M, 4, 7},  {L, 4, 39},  {C, 5, 40}, {C, 6, 40}, {C, 9, 37},
                                       {C, 11, 33}, {L, 11, 25}, {C, 9, 14}, {C, 5, 6},  {L, 4, 7}};
constexpr OutlinePoint kRoundTop[] = {{M, 8, 4},   {C, 7, 5},   {C, 7, 6},   {C, 9, 8},   {C, 12, 9},  {L, 14, 11},
                                      {L, 19, 11}, {C, 21, 9},  {C, 24, 7},  {C, 27, 9},  {L, 29, 11}, {L, 34, 11},
                                      {C, 36, 9},  {C, 39, 8},  {C, 41, 6},  {C, 41, 5},  {L, 40, 4}};

struct CharMask {
  char c;
  std::uint16_t mask;
};
constexpr CharMask kMasks[] = {
    {' ', 0x0000}, {'0', 0x3F00}, {'1', 0x1800}, {'2', 0x36C0}, {'3', 0x3CC0}, {'4', 0x19C0}, {'5', 0x2DC0},
    {'6', 0x2FC0}, {'7', 0x3800}, {'8', 0x3FC0}, {'9', 0x3DC0}, {'-', 0x00C0}, {'A', 0x3BC0}, {'B', 0x3CA1},
    {'C', 0x2700}, {'D', 0x3C21}, {'E', 0x27C0}, {'F', 0x23C0}, {'G', 0x2F80}, {'H', 0x1BC0}, {'I', 0x2421},
    {'J', 0x1E00}, {'K', 0x0354}, {'L', 0x0700}, {'M', 0x1B06}, {'N', 0x1B12}, {'O', 0x3F00}, {'P', 0x33C0},
    {'Q', 0x3F10}, {'R', 0x33D0}, {'S', 0x2DC0}, {'T', 0x2021}, {'U', 0x1F00}, {'V', 0x030C}, {'W', 0x1B18},
    {'X', 0x001E}, {'Y', 0x11E0}, {'Z', 0x240C}, {'*', 0x00FF}, {'+', 0x00E1}};

}  // namespace

CFourteenSegmentCell::CFourteenSegmentCell() : CSegmentCell(kWidth, 14) {}

bool CFourteenSegmentCell::MaskFor(char c, std::uint16_t& mask) {
  for (const CharMask& m : kMasks) {
    if (m.c == c) {
      mask = m.mask;
      return true;
    }
  }
  return false;
}

void CFourteenSegmentCell::BuildSegments(std::uint16_t mask, unsigned style) {
  m_segments = SharedOutlines(style, [](bool rounded) {
    const CSegmentPath bar = rounded ? OutlineOf(kRoundCentreBar) : PolygonOf(kCentreBar);
    const CSegmentPath diagonal = rounded ? OutlineOf(kRoundDiagonal) : PolygonOf(kDiagonal);
    const CSegmentPath half = rounded ? OutlineOf(kRoundMiddleHalf) : PolygonOf(kMiddleHalf);
    const CSegmentPath side = rounded ? OutlineOf(kRoundSide) : PolygonOf(kSide);
    const CSegmentPath top = rounded ? OutlineOf(kRoundTop) : PolygonOf(kTop);
    return std::vector<CSegmentPath>{
        bar,                                           // 0 upper centre bar
        diagonal,                                      // 1 upper-left diagonal
        diagonal.Mirrored(Mirror::kHorizontal, kWidth),  // 2 upper-right diagonal
        diagonal.Mirrored(Mirror::kVertical, kWidth),    // 3 lower-left diagonal
        diagonal.Mirrored(Mirror::kPoint, kWidth),       // 4 lower-right diagonal
        bar.Mirrored(Mirror::kVertical, kWidth),         // 5 lower centre bar
        half,                                          // 6 middle, left half
        half.Mirrored(Mirror::kHorizontal, kWidth),      // 7 middle, right half
        side,                                          // 8 upper left
        side.Mirrored(Mirror::kVertical, kWidth),        // 9 lower left
        top.Mirrored(Mirror::kVertical, kWidth),         // 10 bottom
        side.Mirrored(Mirror::kPoint, kWidth),           // 11 lower right
        side.Mirrored(Mirror::kHorizontal, kWidth),      // 12 upper right
        top,                                           // 13 top
    };
  });
  m_wMask = mask;
}
