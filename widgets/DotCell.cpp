#include "widgets/DotCell.h"

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

void CDotCell::BuildSegments(std::uint16_t mask, unsigned) {
  m_segments.clear();
  m_segments.reserve(3);
  m_segments.push_back(PolygonOf(kUpperDot));
  m_segments.push_back(PolygonOf(kLowerDot));
  m_segments.push_back(PolygonOf(kDecimalPoint));
  m_wMask = mask;
}
