// The arithmetic of a chart over time: which rounded ticks the time axis gets and how they read, how a
// value axis is scaled to its data and ticked, and what each pixel column of a trace holds. A chart
// draws a column from what it holds, so a slice of columns drawn alone matches the same columns of a
// whole picture.
//
// Portable: no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>

#include "widgets/TrendRing.h"

namespace chart {

constexpr std::int64_t kUsPerSecond = 1000000;

// Floor division (and its remainder) for times before 1970 and columns left of zero as well.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b);

// ---- Time axis -------------------------------------------------------------------------------------

struct TimeAxis {
  std::int64_t usPerPixel = 1;  // one pixel column is this long
  std::int64_t stepUs = 0;      // between ticks: 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12 h
  bool seconds = false;         // ticks labelled "HH:MM:SS" rather than "HH:MM"
};

// The axis for `spanUs` over `widthPx` columns: the smallest step whose ticks stand at least a label
// and a gap apart (labels of `secondsLabelPx` with seconds, `minutesLabelPx` without).
TimeAxis ChooseTimeAxis(std::int64_t spanUs, int widthPx, int secondsLabelPx, int minutesLabelPx);

// The first tick at or after a local time (microseconds since 1970 in local time).
std::int64_t FirstTickAtOrAfter(std::int64_t localUs, std::int64_t stepUs);

// "HH:MM:SS" or "HH:MM" of a local time; "HH:MM:SS.mmm" with milliseconds. Returns out.
char* FormatClock(std::int64_t localUs, bool seconds, bool milliseconds, char* out, std::size_t size);

// ---- Value axis ------------------------------------------------------------------------------------

struct ValueScale {
  double lo = 0.0;
  double hi = 1.0;
  double step = 0.5;  // 1, 2 or 5 times a power of ten; ticks at its multiples within [lo, hi]
};

// A rounded range holding [min, max], ticks at least `spacingPx` apart over `heightPx`. A constant
// stands in the middle of its range.
ValueScale NiceScale(double min, double max, int heightPx, int spacingPx);

// Whether a scale must change for data in [min, max]: when the data leaves it (the new range is the
// data's with room for half its span again in that direction, so a rising counter does not rescale
// at every step) or would fill less than two fifths of it. `next` gets the new scale.
bool Rescale(const ValueScale& current, double min, double max, int heightPx, int spacingPx, ValueScale& next);

// The ticks' count and value k (0 first, lowest).
int TickCount(const ValueScale& scale);
double TickValue(const ValueScale& scale, int k);
// A tick's label with the step's decimals ("2.5", "-10000"). Returns out.
char* FormatTick(const ValueScale& scale, double value, char* out, std::size_t size);

// The pixel row of a value over `heightPx` rows from `top` (hi at the top), clamped to them.
int ValueRow(const ValueScale& scale, double value, int top, int heightPx);

// ---- Pixel columns ---------------------------------------------------------------------------------

enum class TraceMode {
  Line,  // consecutive values joined by straight lines
  Step,  // each value held until the next (logic-analyser trace); the last until now
};

// What one pixel column of a trace holds: the values it passes through.
struct ColumnSpan {
  float lo = 0.0f;
  float hi = 0.0f;
  bool any = false;

  void Add(float v);
  void Add(const ColumnSpan& other);
};

struct Columns {
  std::int64_t first = 0;       // column of time first * usPerPixel
  int count = 0;
  std::int64_t usPerPixel = 1;
  std::int64_t joinUs = 0;      // points further apart than this are not joined: a gap between them
  std::int64_t nowUs = 0;       // a step trace holds its last value until here
};

// The spans of `columns.count` columns from `columns.first` into `out`. Points without a value and
// points too far apart leave a gap.
void ComputeColumns(const TrendRing& ring, TraceMode mode, const Columns& columns, ColumnSpan* out);

}  // namespace chart
