#include "widgets/SegmentDisplay.h"

#include "framework/GbkText.h"
#include "widgets/DotCell.h"
#include "widgets/FourteenSegmentCell.h"
#include "widgets/SevenSegmentCell.h"

void UpperCaseAscii(std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t len = fw::GbkCharLength(text.c_str() + i);
    if (len == 1 && text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
    i += len;
  }
}

namespace {

// Builds the cell in the temporary of its own class, then keeps a plain copy: the outlines are built
// by then, so the copy draws the same.
template <typename Cell>
void AppendCell(std::vector<CSegmentCell>& cells, std::uint16_t mask, unsigned style) {
  Cell cell;
  cell.BuildSegments(mask, style);
  cells.push_back(cell);
}

}  // namespace

void BuildCells(const std::string& text, unsigned style, std::vector<CSegmentCell>& cells) {
  cells.clear();
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t len = fw::GbkCharLength(text.c_str() + i);
    const char c = text[i];
    i += len;
    if (len != 1) continue;
    std::uint16_t mask = 0;
    const bool digitLike = c == ' ' || c == '-' || (c >= '0' && c <= '9');
    if (digitLike && !(style & SEGSTYLE_DIGITS14)) {
      if (CSevenSegmentCell::MaskFor(c, mask)) AppendCell<CSevenSegmentCell>(cells, mask, style);
    } else if (CFourteenSegmentCell::MaskFor(c, mask)) {
      AppendCell<CFourteenSegmentCell>(cells, mask, style);
    } else if (CDotCell::MaskFor(c, mask)) {
      AppendCell<CDotCell>(cells, mask, style);
    }
  }
}

int TotalWidth(const std::vector<CSegmentCell>& cells) {
  int total = 0;
  for (const CSegmentCell& cell : cells) total += cell.GetWidth();
  return total;
}

void LayoutCells(const std::vector<CSegmentCell>& cells, double left, double top, double width, double height,
                 unsigned style, std::vector<CRealRect>& rects) {
  rects.clear();
  const int total = TotalWidth(cells);
  if (total <= 0) return;
  double sx = width / total;
  double sy = height / kCellHeight;
  double x = left;
  double y = top;
  if (style & SEGSTYLE_KEEPASPECT) {
    sx = sy = sx < sy ? sx : sy;
    x += (width - total * sx) / 2;
    y += (height - kCellHeight * sy) / 2;
  }
  for (const CSegmentCell& cell : cells) {
    const double w = cell.GetWidth() * sx;
    rects.emplace_back(x, y, x + w, y + kCellHeight * sy);
    x += w;
  }
}

std::uint32_t MixPenColor(std::uint32_t segment, std::uint32_t background) {
  std::uint32_t mixed = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t s = (segment >> shift) & 0xFF;
    const std::uint32_t b = (background >> shift) & 0xFF;
    // Exactly trunc(0.75 s + 0.25 b) for whole channel values.
    mixed |= ((3 * s + b) / 4) << shift;
  }
  return mixed;
}
