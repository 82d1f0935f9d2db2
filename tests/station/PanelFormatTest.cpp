// How a reading becomes the text the panel shows, in the build that ships as well: the i686 code
// computes with the x87 unit, whose registers hold more digits than a float.
#include "station/PanelFormat.h"

#include <gtest/gtest.h>

namespace {

// Fifty distinct samples from 12.322 to 12.371, whole multiples of 2^-20 (every build makes the same
// floats of them). Summed and divided in single precision their mean is 12.3465023, shown 12.347;
// a sum held at a higher precision gives 12.3464994, shown 12.346. Equal samples would hide it.
TEST(PanelFormat, TheAnalogMeanIsSummedAndDividedInSinglePrecision) {
  float samples[station::kAnalogSamples];
  for (int i = 0; i < station::kAnalogSamples; ++i) {
    samples[i] = static_cast<float>(12946771 + 1056 * (i - 25)) / 1048576.0f;
  }
  char text[32];
  EXPECT_STREQ(station::FormatAnalog(station::AnalogMean(samples), text, sizeof text), "12.347");
}

}  // namespace
