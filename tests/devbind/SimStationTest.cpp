#include "sim/hardware/SimStation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace hwsim;

constexpr std::uint64_t kStart = 5000000;

TEST(SimStation, ClosedDeviceReadsNothingAndTakesNoCommands) {
  const SimConfig config = ParseSimConfig("[Inputs]\nIn0 = fixed 1\n");
  CSimStation station(config, kStart);
  EXPECT_FALSE(station.IsOpen());
  station.Close(kStart);  // closing a closed device is harmless
  station.SetOutput(1, 1);
  EXPECT_EQ(station.Output(1), 0);
  EXPECT_EQ(station.Input(0, kStart), 0);
  float samples[4] = {9, 9, 9, 9};
  EXPECT_EQ(station.ReadAnalog(0, samples, 4, kStart), -1);
  EXPECT_EQ(samples[3], 0.0f);
  EXPECT_EQ(station.SetDistance(300, kStart), 0);
  EXPECT_EQ(station.Counter(200, kStart + 10000), 0.0);

  station.Open("ProbeDesk", kStart);
  EXPECT_TRUE(station.IsRunning());
  EXPECT_STREQ(station.Identity(), "ProbeDesk");
  EXPECT_EQ(station.Input(0, kStart), 1);
  station.Release(kStart);
  EXPECT_FALSE(station.IsOpen());
  EXPECT_STREQ(station.Identity(), "");
  // The identity is cut to its field.
  const std::string longName(200, 'n');
  station.Open(longName.c_str(), kStart);
  EXPECT_EQ(std::string(station.Identity()), longName.substr(0, 63));
  station.Open(nullptr, kStart);
  EXPECT_STREQ(station.Identity(), "");
}

TEST(SimStation, InputsMirrorInvertAndToggle) {
  const SimConfig config = ParseSimConfig("[Inputs]\nIn0 = mirror 20\nIn1 = invert 20\nIn2 = toggle 1000\n");
  CSimStation station(config, kStart);
  station.Open("", kStart);
  EXPECT_EQ(station.Input(0, kStart), 0);
  EXPECT_EQ(station.Input(1, kStart), 1);
  station.SetOutput(20, 5);
  EXPECT_EQ(station.Output(20), 1);
  EXPECT_EQ(station.Input(0, kStart), 1);
  EXPECT_EQ(station.Input(1, kStart), 0);
  EXPECT_EQ(station.Input(2, kStart + 0), 0);
  EXPECT_EQ(station.Input(2, kStart + 499), 0);
  EXPECT_EQ(station.Input(2, kStart + 500), 1);
  EXPECT_EQ(station.Input(2, kStart + 999), 1);
  EXPECT_EQ(station.Input(2, kStart + 1000), 0);
  EXPECT_EQ(station.Input(2, kStart + 7600), 1);
  EXPECT_EQ(station.Input(2, kStart - 1), 0);  // a clock behind the start does not wrap
  EXPECT_EQ(station.Input(3, kStart), 0);      // input 3 mirrors output 3 by default
  station.SetOutput(3, 1);
  EXPECT_EQ(station.Input(3, kStart), 1);
}

TEST(SimStation, CountersCountOnlyWhileRunning) {
  const SimConfig config = ParseSimConfig("[Counters]\nRate200 = 10\nRate203 = 2.5\n");
  CSimStation station(config, kStart);
  station.Open("", kStart);
  EXPECT_EQ(station.Counter(200, kStart + 1000), 10.0);
  EXPECT_EQ(station.Counter(200, kStart + 1099), 10.0);  // whole counts
  EXPECT_EQ(station.Counter(203, kStart + 2000), 5.0);
  EXPECT_EQ(station.Counter(201, kStart + 2000), 4.0);  // default: counter 200 + i counts i + 1
  station.Stop(kStart + 2000);
  EXPECT_EQ(station.Counter(200, kStart + 9000), 20.0);
  station.Run(kStart + 9000);
  EXPECT_EQ(station.Counter(200, kStart + 10000), 30.0);
  station.ResetCounters(kStart + 10000);
  EXPECT_EQ(station.Counter(200, kStart + 10000), 0.0);
  EXPECT_EQ(station.Counter(200, kStart + 10500), 5.0);
  station.Close(kStart + 10500);
  station.Open("", kStart + 20000);  // counting resumes where it was, closed time not counted
  EXPECT_EQ(station.Counter(200, kStart + 20100), 6.0);
  EXPECT_EQ(station.Counter(199, kStart + 20100), 0.0);
  EXPECT_EQ(station.Counter(208, kStart + 20100), 0.0);
}

TEST(SimStation, DistancesResetSetAndMove) {
  const SimConfig config = ParseSimConfig("[Distances]\nSet300 = 500\nSpeed300 = 100\n");
  CSimStation station(config, kStart);
  station.Open("", kStart);
  EXPECT_EQ(station.Distance(300, kStart + 1000), 100.0);
  EXPECT_EQ(station.SetDistance(300, kStart + 1000), 1);
  EXPECT_EQ(station.Distance(300, kStart + 1000), 500.0);
  EXPECT_EQ(station.Distance(300, kStart + 1500), 550.0);
  station.ResetDistance(300, kStart + 1500);
  EXPECT_EQ(station.Distance(300, kStart + 1500), 0.0);
  station.Stop(kStart + 2000);
  EXPECT_EQ(station.Distance(300, kStart + 5000), 50.0);
  EXPECT_EQ(station.SetDistance(301, kStart), 1);
  EXPECT_EQ(station.Distance(301, kStart + 5000), 1000.0);
  EXPECT_EQ(station.SetDistance(304, kStart), 0);
  station.ResetDistance(299, kStart);
  EXPECT_EQ(station.Distance(299, kStart), 0.0);
}

TEST(SimStation, WaveformsFillEverySample) {
  const SimConfig config = ParseSimConfig(
      "[Analog]\nSampleRate = 100\n"
      "Ch0 = constant offset=-1.25\n"
      "Ch1 = sine offset=2 amplitude=1 frequency=1\n"
      "Ch2 = ramp offset=10 amplitude=4 frequency=2\n"
      "Ch3 = noise offset=5 amplitude=0.5 seed=7\n"
      "Ch4 = noise offset=5 amplitude=0.5 seed=7\n");
  CSimStation station(config, kStart);
  station.Open("", kStart);
  float samples[50];
  EXPECT_EQ(station.ReadAnalog(0, samples, 50, kStart + 123), 50);
  for (float s : samples) EXPECT_EQ(s, -1.25f);

  // Sine: one sample per 10 ms from the call on.
  ASSERT_EQ(station.ReadAnalog(1, samples, 50, kStart), 50);
  EXPECT_NEAR(samples[0], 2.0, 1e-6);
  EXPECT_NEAR(samples[25], 3.0, 1e-6);  // quarter period
  EXPECT_NEAR(samples[49], 2.0 + std::sin(2 * 3.14159265358979323846 * 0.49), 1e-6);
  ASSERT_EQ(station.ReadAnalog(1, samples, 1, kStart + 750), 1);
  EXPECT_NEAR(samples[0], 1.0, 1e-6);

  ASSERT_EQ(station.ReadAnalog(2, samples, 50, kStart), 50);
  EXPECT_NEAR(samples[0], 10.0, 1e-6);
  EXPECT_NEAR(samples[10], 10.0 + 4 * 0.2, 1e-5);
  EXPECT_NEAR(samples[30], 10.0 + 4 * 0.6, 1e-5);  // second cycle

  // Noise: inside its band, repeatable from the seed, and going on from call to call.
  float first[50];
  float twin[50];
  ASSERT_EQ(station.ReadAnalog(3, first, 50, kStart), 50);
  ASSERT_EQ(station.ReadAnalog(4, twin, 50, kStart), 50);
  for (int k = 0; k < 50; ++k) {
    EXPECT_EQ(first[k], twin[k]);
    EXPECT_GE(first[k], 4.5f);
    EXPECT_LE(first[k], 5.5f);
  }
  ASSERT_EQ(station.ReadAnalog(3, samples, 50, kStart), 50);
  EXPECT_NE(samples[0], first[0]);

  EXPECT_EQ(station.ReadAnalog(16, samples, 5, kStart), -1);
  EXPECT_EQ(station.ReadAnalog(-1, samples, 5, kStart), -1);
  EXPECT_EQ(station.ReadAnalog(0, nullptr, 5, kStart), 0);
  EXPECT_EQ(station.ReadAnalog(0, samples, 0, kStart), 0);
  EXPECT_EQ(station.ReadAnalog(0, samples, -3, kStart), 0);
}

}  // namespace
