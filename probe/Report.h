// What spprobe writes: readings as aligned text, JSON or CSV (UTF-8, lines ended by CR LF), and
// the timestamps of its samples. No window needed: tested natively.
#pragma once

#include <string>
#include <vector>

#include "framework/Result.h"
#include "probe/Arguments.h"
#include "station/Records.h"

namespace probe {

// ok: the entry answered; faulted: it ended in a fault (the value is the binding's fallback, as the
// panel shows it); missing: the device library has no such entry (likewise).
using fw::Status;
using fw::StatusName;

// A reading as spprobe reports it.
using Reading = station::ChannelRecord;
using station::CsvField;
using station::CsvHeader;
using station::CsvLines;
using station::FormatTimestamp;
using station::JsonString;
using station::LocalTime;

// Columns kind, channel, value, status (only when a reading is not ok) and caption; a header line
// first; captions last, their control characters shown as '?'.
std::string FormatText(const std::vector<Reading>& readings);

// {"time": ..., "channels": [{"kind", "channel", "caption", "value", "status"}, ...]}
std::string FormatJson(const std::string& time, const std::vector<Reading>& readings);

}  // namespace probe
