#include "widgets/ChartScale.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace chart {

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// ---- Time axis -------------------------------------------------------------------------------------

namespace {

constexpr std::int64_t kSecond = kUsPerSecond;
constexpr std::int64_t kTimeSteps[] = {
    1 * kSecond,    2 * kSecond,    5 * kSecond,     10 * kSecond,    15 * kSecond,   30 * kSecond,
    60 * kSecond,   120 * kSecond,  300 * kSecond,   600 * kSecond,   900 * kSecond,  1800 * kSecond,
    3600 * kSecond, 7200 * kSecond, 10800 * kSecond, 21600 * kSecond, 43200 * kSecond};

// Rounded up to 1, 2 or 5 times a power of ten.
double NiceUp(double x) {
  const double power = std::pow(10.0, std::floor(std::log10(x)));
  const double m = x / power;
  return (m <= 1.0 + 1e-9 ? 1.0 : m <= 2.0 + 1e-9 ? 2.0 : m <= 5.0 + 1e-9 ? 5.0 : 10.0) * power;
}

double Span(const ValueScale& s) { return s.hi - s.lo; }

}  // namespace

TimeAxis ChooseTimeAxis(std::int64_t spanUs, int widthPx, int secondsLabelPx, int minutesLabelPx) {
  TimeAxis axis;
  axis.usPerPixel = std::max<std::int64_t>(1, (spanUs + std::max(widthPx, 1) - 1) / std::max(widthPx, 1));
  for (const std::int64_t step : kTimeSteps) {
    axis.stepUs = step;
    axis.seconds = step < 60 * kSecond;
    const int labelPx = axis.seconds ? secondsLabelPx : minutesLabelPx;
    // A label and as much again between labels.
    if (step / axis.usPerPixel >= labelPx + labelPx / 2) break;
  }
  return axis;
}

std::int64_t FirstTickAtOrAfter(std::int64_t localUs, std::int64_t stepUs) {
  return -FloorDiv(-localUs, stepUs) * stepUs;
}

char* FormatClock(std::int64_t localUs, bool seconds, bool milliseconds, char* out, std::size_t size) {
  const std::int64_t ms = FloorDiv(localUs, 1000);
  const std::int64_t inDay = ms - FloorDiv(ms, 86400000) * 86400000;
  const int h = static_cast<int>(inDay / 3600000), m = static_cast<int>(inDay / 60000 % 60);
  const int s = static_cast<int>(inDay / 1000 % 60), milli = static_cast<int>(inDay % 1000);
  if (milliseconds) {
    std::snprintf(out, size, "%02d:%02d:%02d.%03d", h, m, s, milli);
  } else if (seconds) {
    std::snprintf(out, size, "%02d:%02d:%02d", h, m, s);
  } else {
    std::snprintf(out, size, "%02d:%02d", h, m);
  }
  return out;
}

// ---- Value axis ------------------------------------------------------------------------------------

ValueScale NiceScale(double min, double max, int heightPx, int spacingPx) {
  ValueScale scale;
  if (!std::isfinite(min) || !std::isfinite(max) || max < min) return scale;
  const int ticks = std::max(2, heightPx / std::max(spacingPx, 1));
  if (max - min <= std::max(std::fabs(max), std::fabs(min)) * 1e-6) {
    // A constant: half a range of a tenth of its size (at least 0.1) on each side.
    const double v = (min + max) / 2;
    const double half = NiceUp(std::max(std::fabs(v) * 0.1, 0.1));
    scale.lo = v - half;
    scale.hi = v + half;
    scale.step = NiceUp(2 * half / ticks);
    return scale;
  }
  scale.step = NiceUp((max - min) / ticks);
  for (;;) {
    scale.lo = std::floor(min / scale.step + 1e-9) * scale.step;
    scale.hi = std::ceil(max / scale.step - 1e-9) * scale.step;
    if (Span(scale) / scale.step <= ticks + 1e-9) break;
    scale.step = NiceUp(scale.step * 1.5);
  }
  return scale;
}

bool Rescale(const ValueScale& current, double min, double max, int heightPx, int spacingPx, ValueScale& next) {
  if (!std::isfinite(min) || !std::isfinite(max) || max < min) return false;
  const double margin = (max - min) / 2;
  // As much tolerance as NiceScale's rounding has, or the two would disagree forever at an edge.
  const double tolerance = current.step * 1e-6;
  if (min < current.lo - tolerance || max > current.hi + tolerance) {
    // From the data in view, not the old range: a rising counter's range moves up with it.
    next = NiceScale(min < current.lo ? min - margin : min, max > current.hi ? max + margin : max, heightPx, spacingPx);
    return true;
  }
  const ValueScale tight = NiceScale(min, max, heightPx, spacingPx);
  if (Span(tight) >= Span(current) * 0.4) return false;
  next = tight;
  return true;
}

int TickCount(const ValueScale& scale) {
  const double first = std::ceil(scale.lo / scale.step - 1e-9), last = std::floor(scale.hi / scale.step + 1e-9);
  return last >= first ? static_cast<int>(last - first) + 1 : 0;
}

double TickValue(const ValueScale& scale, int k) {
  return (std::ceil(scale.lo / scale.step - 1e-9) + k) * scale.step;
}

char* FormatTick(const ValueScale& scale, double value, char* out, std::size_t size) {
  const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(scale.step) + 1e-9)));
  if (std::fabs(value) < scale.step * 1e-6) value = 0.0;  // no "-0"
  std::snprintf(out, size, "%.*f", decimals, value);
  return out;
}

int ValueRow(const ValueScale& scale, double value, int top, int heightPx) {
  const double span = Span(scale) > 0 ? Span(scale) : 1.0;
  const double f = std::isfinite(value) ? std::clamp((scale.hi - value) / span, 0.0, 1.0) : 0.0;
  return top + static_cast<int>(std::lround(f * (heightPx - 1)));
}

// ---- Pixel columns ---------------------------------------------------------------------------------

void ColumnSpan::Add(float v) {
  if (!any) {
    lo = hi = v;
    any = true;
  } else {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
}

void ColumnSpan::Add(const ColumnSpan& other) {
  if (other.any) {
    Add(other.lo);
    Add(other.hi);
  }
}

void ComputeColumns(const TrendRing& ring, TraceMode mode, const Columns& columns, ColumnSpan* out) {
  for (int c = 0; c < columns.count; ++c) out[c] = ColumnSpan{};
  const std::int64_t u = columns.usPerPixel;
  const std::int64_t last = columns.first + columns.count - 1;
  const std::int64_t end = (last + 1) * u;  // the columns cover [first * u, end)
  auto add = [&](std::int64_t column, float v) {
    if (column >= columns.first && column <= last) out[column - columns.first].Add(v);
  };
  // The point before the first column may reach into it.
  const std::ptrdiff_t before = ring.LastAtOrBefore(columns.first * u - 1);
  for (std::size_t i = before < 0 ? 0 : static_cast<std::size_t>(before); i < ring.Size(); ++i) {
    const TrendPoint& a = ring[i];
    if (a.timeUs >= end) break;
    if (!a.HasValue()) continue;
    const TrendPoint* b = i + 1 < ring.Size() ? &ring[i + 1] : nullptr;
    const bool joined = b != nullptr && b->timeUs - a.timeUs <= columns.joinUs;
    const std::int64_t from = FloorDiv(a.timeUs, u);
    add(from, a.value);
    if (mode == TraceMode::Line) {
      if (!joined || !b->HasValue()) continue;
      const double slope = b->timeUs > a.timeUs ? (double(b->value) - a.value) / double(b->timeUs - a.timeUs) : 0.0;
      const std::int64_t to = std::min(FloorDiv(b->timeUs, u), last);
      // Between its ends: rounding must not take a line below 0 where it falls to 0.
      const double low = std::min(a.value, b->value), high = std::max(a.value, b->value);
      const auto at = [&](std::int64_t t) { return static_cast<float>(std::clamp(a.value + slope * double(t - a.timeUs), low, high)); };
      for (std::int64_t c = std::max(from, columns.first); c <= to; ++c) {
        add(c, at(std::max(a.timeUs, c * u)));
        add(c, at(std::min(b->timeUs, (c + 1) * u - 1)));
      }
    } else {
      // Held to the next point (whose column then shows the edge), or for a join's length.
      const std::int64_t held = joined ? b->timeUs : std::min(a.timeUs + columns.joinUs,
                                                              b != nullptr ? b->timeUs : columns.nowUs);
      const std::int64_t to = std::min(FloorDiv(std::max(held, a.timeUs), u), last);
      for (std::int64_t c = std::max(from, columns.first); c <= to; ++c) add(c, a.value);
    }
  }
}

}  // namespace chart
