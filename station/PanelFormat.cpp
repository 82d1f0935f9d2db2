#include "station/PanelFormat.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace station {

float AnalogMean(const float (&samples)[kAnalogSamples]) {
  // Built with -ffloat-store for the x87 unit (CMakeLists.txt): every value stored in a variable is
  // rounded to float, so each addition and the division are.
  float sum = 0.0f;
  for (int i = 0; i < kAnalogSamples; ++i) sum += samples[i];
  const float mean = sum / 50.0f;
  return mean;
}

char* FormatAnalog(float mean, char* out, std::size_t size) {
  std::snprintf(out, size, "%.3f", static_cast<double>(mean));
  return out;
}

std::uint32_t CounterBits(float value) {
  const double v = static_cast<double>(value);
  if (std::isnan(v)) return 0;
  if (std::isinf(v)) return 0;
  double whole = std::trunc(v);
  double low = std::fmod(whole, 4294967296.0);
  if (low < 0) low += 4294967296.0;
  return static_cast<std::uint32_t>(low);
}

char* FormatCounter(float value, char* out, std::size_t size) {
  std::snprintf(out, size, "0x%x", static_cast<unsigned>(CounterBits(value)));
  return out;
}

char* FormatDistance(float value, char* out, std::size_t size) {
  std::snprintf(out, size, "%.0f", static_cast<double>(value));
  return out;
}

int ToInt(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  long long value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

}  // namespace station

#include "station/Readings.h"

namespace station {

void SetInputReading(Reading& reading, int answer) {
  // The panel's lamp: red for exactly 1, green for anything else.
  reading.value = answer == 1 ? 1.0f : 0.0f;
  reading.text[0] = answer == 1 ? '1' : '0';
  reading.text[1] = '\0';
}

void SetAnalogReading(Reading& reading, float mean) {
  reading.value = mean;
  FormatAnalog(mean, reading.text, sizeof reading.text);
}

void SetCounterReading(Reading& reading, float answer) {
  reading.value = answer;
  FormatCounter(answer, reading.text, sizeof reading.text);
}

void SetDistanceReading(Reading& reading, float answer) {
  reading.value = answer;
  FormatDistance(answer, reading.text, sizeof reading.text);
}

}  // namespace station
