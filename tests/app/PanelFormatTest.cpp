#include "app/PanelFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

std::string Counter(float v) {
  char buf[32];
  return panel::FormatCounter(v, buf, sizeof buf);
}

std::string Distance(float v) {
  char buf[32];
  return panel::FormatDistance(v, buf, sizeof buf);
}

TEST(PanelFormat, CountersShowTheLow32BitsOfTheTruncatedValue) {
  EXPECT_EQ(Counter(255.9f), "0xff");
  EXPECT_EQ(Counter(-1.0f), "0xffffffff");
  EXPECT_EQ(Counter(0.0f), "0x0");
  EXPECT_EQ(Counter(-0.9f), "0x0");            // toward zero, not down
  EXPECT_EQ(Counter(-10000.0f), "0xffffd8f0");  // the missing-device fallback
  EXPECT_EQ(Counter(4294967296.0f + 512.0f), "0x200");
  EXPECT_EQ(Counter(-4294967296.0f), "0x0");
  // Values no integer holds never become undefined behaviour.
  EXPECT_EQ(Counter(std::nanf("")), "0x0");
  EXPECT_EQ(Counter(INFINITY), "0x0");
  EXPECT_EQ(Counter(3.0e38f).substr(0, 2), "0x");
}

TEST(PanelFormat, DistancesAreWholeNumbers) {
  EXPECT_EQ(Distance(12.5f), "12");  // round-half-even of the C library, as "%.0f" gives
  EXPECT_EQ(Distance(13.5f), "14");
  EXPECT_EQ(Distance(-3.2f), "-3");
  EXPECT_EQ(Distance(-10000.0f), "-10000");
  EXPECT_EQ(Distance(0.4f), "0");
}

TEST(PanelFormat, AnalogMeanIsSinglePrecisionOverFiftySamples) {
  float samples[panel::kAnalogSamples];
  for (float& s : samples) s = 1.2345f;
  char buf[100];
  EXPECT_STREQ(panel::FormatAnalog(panel::AnalogMean(samples), buf, sizeof buf), "1.235");
  for (int i = 0; i < panel::kAnalogSamples; ++i) samples[i] = static_cast<float>(i);
  EXPECT_STREQ(panel::FormatAnalog(panel::AnalogMean(samples), buf, sizeof buf), "24.500");
  for (float& s : samples) s = 0.0f;
  EXPECT_STREQ(panel::FormatAnalog(panel::AnalogMean(samples), buf, sizeof buf), "0.000");
  samples[0] = -5.0f;
  EXPECT_STREQ(panel::FormatAnalog(panel::AnalogMean(samples), buf, sizeof buf), "-0.100");
  // A huge reading still fits: the panel's buffer is 100 bytes, "%.3f" of FLT_MAX is 43.
  for (float& s : samples) s = 3.0e38f;
  EXPECT_LT(std::string(panel::FormatAnalog(panel::AnalogMean(samples), buf, sizeof buf)).size(), 100u);
}

TEST(PanelFormat, DecimalConversionFollowsAtoi) {
  EXPECT_EQ(panel::ToInt("1024"), 1024);
  EXPECT_EQ(panel::ToInt("  -12px"), -12);
  EXPECT_EQ(panel::ToInt("+7"), 7);
  EXPECT_EQ(panel::ToInt("abc"), 0);
  EXPECT_EQ(panel::ToInt(""), 0);
  EXPECT_EQ(panel::ToInt(nullptr), 0);
  EXPECT_EQ(panel::ToInt("99999999999999999999"), INT_MAX);
  EXPECT_EQ(panel::ToInt("-99999999999999999999"), INT_MIN);
}

}  // namespace
