// A seven-segment character cell, 49 design units wide: space, digits and minus.
// Segments: 0 top, 1 upper left, 2 upper right, 3 middle, 4 lower left, 5 lower right, 6 bottom.
#pragma once

#include <cstdint>

#include "widgets/SegmentCell.h"

class CSevenSegmentCell : public CSegmentCell {
 public:
  CSevenSegmentCell();
  void BuildSegments(std::uint16_t mask, unsigned style) override;

  // The mask of a character this cell shows; false for any other character.
  static bool MaskFor(char c, std::uint16_t& mask);
};
