#include "station/Records.h"

#include <cstdio>
#include <cstdlib>

namespace station {

namespace {

constexpr char kEol[] = "\r\n";

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::string FormatTimestamp(const LocalTime& t) {
  const int offset = std::abs(t.offsetMinutes);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.millisecond, t.offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string CsvField(const std::string& text) {
  bool quote = false;
  for (const char ch : text) {
    quote = quote || ch == ',' || ch == '"' || IsControl(static_cast<unsigned char>(ch));
  }
  if (!quote) return text;
  std::string out = "\"";
  for (const char ch : text) {
    out += ch;
    if (ch == '"') out += '"';
  }
  return out + "\"";
}

std::string CsvLines(const std::string& time, const std::vector<ChannelRecord>& records) {
  std::string out;
  for (const ChannelRecord& r : records) {
    out += CsvField(time) + "," + Info(r.kind).name + "," + std::to_string(r.channel) + "," + CsvField(r.caption) +
           "," + CsvField(r.value) + "," + fw::StatusName(r.status) + kEol;
  }
  return out;
}

std::string CsvHeader() { return std::string("time,kind,channel,caption,value,status") + kEol; }

}  // namespace station
