// How the panel turns device readings into the texts it shows. No window needed: tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "station/Channels.h"

namespace station {

// Mean of the samples in single precision, summed in index order and divided by 50.
float AnalogMean(const float (&samples)[kAnalogSamples]);

// "%.3f" of the mean widened to double, into out (size >= 2). Returns out.
char* FormatAnalog(float mean, char* out, std::size_t size);

// The counter value truncated toward zero, low 32 bits (two's complement). NaN gives 0; values
// beyond any integer range keep the low 32 bits of their whole part.
std::uint32_t CounterBits(float value);
// "0x%x" of CounterBits.
char* FormatCounter(float value, char* out, std::size_t size);

// "%.0f" of the distance widened to double.
char* FormatDistance(float value, char* out, std::size_t size);

// Standard decimal conversion as the panel applies it to command-line fields and combo texts
// (leading blanks, optional sign, digits up to the first non-digit; none gives 0). Saturates
// instead of overflowing.
int ToInt(const char* text);

}  // namespace station
