#include "widgets/DotCell.h"

#include <vector>

namespace {

constexpr DesignPoint kUpperDot[] = {{4, 23}, {4, 32}, {13, 32}, {13, 23}};
constexpr DesignPoint kLowerDot[] = {{4, 50}, {4, 59}, {13, 59}, {13, 50}};
constexpr DesignPoint kDecimalPoint[] = {{4, 68}, {4, 77}, {13, 77}, {13, 68}};

}  // namespace

CDotCell::CDotCell() : CSegmentCell(18, 3) {}

bool CDotCell::MaskFor(char c, std::uint16_t& mask) {
  if (c == '.') {
    mask = 0x04;
    return true;
  }
  if (c == ':') {
    mask = 0x03;
    return true;
  }
  return false;
}

void CDotCell::BuildSegments(std::uint16_t mask, unsigned style) {
  m_segments = SharedOutlines(style, [](bool) {
    return std::vector<CSegmentPath>{PolygonOf(kUpperDot), PolygonOf(kLowerDot), PolygonOf(kDecimalPoint)};
  });
  m_wMask = mask;
}
