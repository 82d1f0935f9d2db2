// Readings as the station's records and reports write them: one record per reading with the
// channel numbered as the technician knows it, the caption in UTF-8, the panel's text and the
// status; ISO 8601 local timestamps; CSV and JSON fields. spprobe's output, the trend's export and
// the check protocol all write them this way, so a file of one reads like a file of another.
//
// Portable: no Windows header.
#pragma once

#include <string>
#include <vector>

#include "framework/Result.h"
#include "station/Channels.h"

namespace station {

struct ChannelRecord {
  Kind kind;
  int channel;          // as reports number it (ReportedChannel)
  std::string caption;  // UTF-8; empty when the station names none
  std::string value;    // the text the panel shows
  fw::Status status;
};

// Channel `index` of a kind as reports number it: inputs and analog channels 0..15, counters by their
// device ids 200..207, distances as the panel labels them, 1..4.
constexpr int ReportedChannel(Kind kind, int index) { return kind == Kind::Distance ? index + 1 : DeviceId(kind, index); }

// A local time: ISO 8601 with milliseconds and the offset from UTC, e.g.
// "2024-05-01T08:30:00.250+08:00".
struct LocalTime {
  int year, month, day, hour, minute, second, millisecond;
  int offsetMinutes;  // local minus UTC
};
std::string FormatTimestamp(const LocalTime& time);

// A JSON string literal with its quotes; a CSV field, quoted when it holds a comma, a quote or a
// control character.
std::string JsonString(const std::string& text);
std::string CsvField(const std::string& text);

// The header line and one line per record: time,kind,channel,caption,value,status (lines end in CR LF).
std::string CsvHeader();
std::string CsvLines(const std::string& time, const std::vector<ChannelRecord>& records);

}  // namespace station
