// What spprobe writes: readings as aligned text, JSON or CSV (UTF-8, lines ended by CR LF), and
// the timestamps of its samples. No window needed: tested natively.
#pragma once

#include <string>
#include <vector>

#include "framework/Result.h"
#include "probe/Arguments.h"

namespace probe {

// ok: the entry answered; faulted: it ended in a fault (the value is the binding's fallback, as the
// panel shows it); missing: the device library has no such entry (likewise).
using fw::Status;
using fw::StatusName;

struct Reading {
  Kind kind;
  int channel;          // as spprobe numbers it (see FirstChannel)
  std::string caption;  // UTF-8; empty when the station names none
  std::string value;    // the text the panel shows
  Status status;
};

// A local time: ISO 8601 with milliseconds and the offset from UTC, e.g.
// "2024-05-01T08:30:00.250+08:00".
struct LocalTime {
  int year, month, day, hour, minute, second, millisecond;
  int offsetMinutes;  // local minus UTC
};
std::string FormatTimestamp(const LocalTime& time);

// Columns kind, channel, value, status (only when a reading is not ok) and caption; a header line
// first; captions last, their control characters shown as '?'.
std::string FormatText(const std::vector<Reading>& readings);

// {"time": ..., "channels": [{"kind", "channel", "caption", "value", "status"}, ...]}
std::string FormatJson(const std::string& time, const std::vector<Reading>& readings);

// The header line and one line per reading: time,kind,channel,caption,value,status.
std::string CsvHeader();
std::string CsvLines(const std::string& time, const std::vector<Reading>& readings);

// Escaping for the two formats: a JSON string literal with its quotes; a CSV field, quoted when it
// holds a comma, a quote or a control character.
std::string JsonString(const std::string& text);
std::string CsvField(const std::string& text);

}  // namespace probe
