#include "cfgmgr/ReportFormat.h"

#include <cstdio>

#include "station/PanelFormat.h"

namespace report {

namespace {

// Splits at `delimiter`, dropping empty pieces. ';' and ',' never occur inside a GBK double-byte
// character (trail bytes start at 0x40), so splitting bytes is safe.
std::vector<std::string> Split(const std::string& text, char delimiter) {
  std::vector<std::string> pieces;
  std::string::size_type start = 0;
  while (start <= text.size()) {
    std::string::size_type end = text.find(delimiter, start);
    if (end == std::string::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

std::string Format(const char* format, int precision, double value) {
  const int needed = std::snprintf(nullptr, 0, format, precision, value);
  if (needed < 0) return std::string();
  std::string out(static_cast<std::size_t>(needed) + 1, '\0');
  std::snprintf(&out[0], out.size(), format, precision, value);
  out.resize(static_cast<std::size_t>(needed));
  return out;
}

}  // namespace

std::vector<ColumnSpec> ParseColumnHeader(const char* layout) {
  std::vector<ColumnSpec> columns;
  if (layout == nullptr) return columns;
  for (const std::string& segment : Split(layout, ';')) {
    const std::vector<std::string> fields = Split(segment, ',');
    if (fields.empty()) continue;
    ColumnSpec column;
    column.heading = fields[0];
    if (fields.size() > 1) column.width = station::ToInt(fields[1].c_str());
    if (fields.size() > 2) {
      const int format = station::ToInt(fields[2].c_str());
      column.align = format == 1 ? ColumnAlign::Centre : (format == 2 ? ColumnAlign::Right : ColumnAlign::Left);
    }
    columns.push_back(column);
  }
  return columns;
}

std::string FormatNumber(double value, int precision) {
  if (precision >= 0) return Format("%.*f", precision > 1074 ? 1074 : precision, value);
  std::string text = Format("%.*f", 6, value);  // "%f"
  while (!text.empty() && text.back() == '0') text.pop_back();
  while (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace report
