// What the segment display does without a window: turning its text into cells, placing the cells in
// the client area, and mixing the outline pens.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "widgets/RealRect.h"
#include "widgets/SegmentCell.h"
#include "widgets/SegmentStyle.h"

// Upper-cases the ASCII letters of a GBK text in place. Double-byte characters are left whole: their
// second byte may look like a lower-case letter.
void UpperCaseAscii(std::string& text);

// One built cell per displayable character of an upper-case text, into `cells` (their room is
// reused). Characters the cells cannot show (double-byte characters included) take no cell and no
// width.
void BuildCells(const std::string& text, unsigned style, std::vector<CSegmentCell>& cells);

// Sum of the cells' widths in design units.
int TotalWidth(const std::vector<CSegmentCell>& cells);

// The rectangle of every cell inside an area at (left, top) of the given size, into `rects` (their
// room is reused). With SEGSTYLE_KEEPASPECT one scale serves both directions and the row is centred;
// otherwise the cells fill the area.
void LayoutCells(const std::vector<CSegmentCell>& cells, double left, double top, double width, double height,
                 unsigned style, std::vector<CRealRect>& rects);

// Outline pen colour: per channel trunc(0.75 * segment + 0.25 * background), colours as 0x00BBGGRR.
std::uint32_t MixPenColor(std::uint32_t segment, std::uint32_t background);
