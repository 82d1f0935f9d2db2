// Texts the report list builds from values: column header layouts and numbers.
// Free of any window, so tested on the host.
#pragma once

#include <string>
#include <vector>

namespace report {

enum class ColumnAlign { Left, Centre, Right };

struct ColumnSpec {
  std::string heading;
  int width = 100;
  ColumnAlign align = ColumnAlign::Left;
};

// Parses "heading,width,format;heading,width,format;..." (GBK). Empty segments and empty fields are
// dropped before the fields are numbered, so "Name,,2" is a column 2 pixels wide. Width defaults to
// 100; format 1 is centred, 2 right-aligned, anything else left. Numbers are read like atoi, with
// values beyond the int range clamped.
std::vector<ColumnSpec> ParseColumnHeader(const char* layout);

// precision < 0: "%f" with trailing zeros and then trailing dots removed (12.5 -> "12.5", 3 -> "3");
// otherwise "%.<precision>f". Precisions beyond the 1074 decimals a double can have are clamped.
std::string FormatNumber(double value, int precision);

}  // namespace report
