// A narrow cell of three square dots, 18 design units wide: full stop and colon.
// Dots: 0 upper, 1 lower colon dot, 2 decimal point.
#pragma once

#include <cstdint>

#include "widgets/SegmentCell.h"

class CDotCell : public CSegmentCell {
 public:
  CDotCell();
  // The dots are squares in every style.
  void BuildSegments(std::uint16_t mask, unsigned style) override;

  // The mask of a character this cell shows; false for any other character.
  static bool MaskFor(char c, std::uint16_t& mask);
};
