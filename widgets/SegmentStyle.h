// Style bits of the segment display.
#pragma once

// Rounded segment outlines instead of the plain ones.
constexpr unsigned SEGSTYLE_ROUNDED = 0x1;
// Space, digits and minus as fourteen-segment cells instead of seven-segment cells.
constexpr unsigned SEGSTYLE_DIGITS14 = 0x2;
// One common scale for x and y, the row of cells centred; without it the cells fill the window.
constexpr unsigned SEGSTYLE_KEEPASPECT = 0x4;
