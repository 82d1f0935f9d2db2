// A fourteen-segment character cell, 49 design units wide: letters, star and plus (and space, digits
// and minus when the display asks for fourteen-segment digits).
// Segments: 0 upper centre bar, 1 upper-left diagonal, 2 upper-right diagonal, 3 lower-left
// diagonal, 4 lower-right diagonal, 5 lower centre bar, 6 left half of the middle bar, 7 right half,
// 8 upper left, 9 lower left, 10 bottom, 11 lower right, 12 upper right, 13 top.
#pragma once

#include <cstdint>

#include "widgets/SegmentCell.h"

class CFourteenSegmentCell : public CSegmentCell {
 public:
  CFourteenSegmentCell();
  void BuildSegments(std::uint16_t mask, unsigned style) override;

  // The mask of a character this cell shows; false for any other character.
  static bool MaskFor(char c, std::uint16_t& mask);
};
