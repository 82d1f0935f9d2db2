#include "probe/Report.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

namespace probe {

namespace {

constexpr char kEol[] = "\r\n";

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Kind, channel, value and status are ASCII: their width is their length. Captions come last and
// need no padding, whatever their characters' widths.
void Pad(std::string& line, const std::string& text, std::size_t width, bool right) {
  const std::string fill(text.size() < width ? width - text.size() : 0, ' ');
  line += right ? fill + text : text + fill;
}

}  // namespace

std::string FormatText(const std::vector<Reading>& readings) {
  bool anyFlagged = false;
  std::size_t valueWidth = 5;  // "value"
  for (const Reading& r : readings) {
    anyFlagged = anyFlagged || r.status != Status::Ok;
    if (r.value.size() > valueWidth) valueWidth = r.value.size();
  }
  std::string out;
  const auto line = [&](const std::string& kind, const std::string& channel, const std::string& value,
                        const std::string& status, const std::string& caption) {
    std::string text;
    Pad(text, kind, 8, false);
    Pad(text, channel, 8, true);
    text += "  ";
    Pad(text, value, valueWidth, true);
    if (anyFlagged) {
      text += "  ";
      Pad(text, status, 7, false);
    }
    text += "  " + caption;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text + kEol;
  };
  line("kind", "channel", "value", "status", "caption");
  for (const Reading& r : readings) {
    std::string caption = r.caption;
    for (char& c : caption) {
      if (IsControl(static_cast<unsigned char>(c))) c = '?';
    }
    line(KindName(r.kind), std::to_string(r.channel), r.value, r.status == Status::Ok ? "" : StatusName(r.status),
         caption);
  }
  return out;
}

std::string FormatJson(const std::string& time, const std::vector<Reading>& readings) {
  std::string out = std::string("{") + kEol + "  \"time\": " + JsonString(time) + "," + kEol + "  \"channels\": [";
  for (std::size_t i = 0; i < readings.size(); ++i) {
    const Reading& r = readings[i];
    out += std::string(i == 0 ? "" : ",") + kEol + "    {\"kind\": " + JsonString(KindName(r.kind)) +
           ", \"channel\": " + std::to_string(r.channel) + ", \"caption\": " + JsonString(r.caption) +
           ", \"value\": " + JsonString(r.value) + ", \"status\": " + JsonString(StatusName(r.status)) + "}";
  }
  return out + kEol + "  ]" + kEol + "}" + kEol;
}

}  // namespace probe
