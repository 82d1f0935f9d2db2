// The simulator's input wiring, which the demo station's lamps show: an input mirrors or inverts an
// output (at once or some time after it changed), toggles on a period, or is fixed. (Mirroring is
// also seen end to end.)
#include <gtest/gtest.h>

#include "sim/hardware/SimStation.h"

namespace {

TEST(SimWiring, InputsFollowTheirOutputsAndTheClock) {
  const hwsim::SimConfig config =
      hwsim::ParseSimConfig("[Inputs]\nIn0 = mirror 20\nIn1 = invert 20\nIn2 = toggle 1000\nIn3 = fixed 1\n");
  const std::uint64_t start = 5000000;
  hwsim::CSimStation station(config, start);
  station.Open("", start);
  const struct {
    int output20;
    std::uint64_t ms;
    int inputs[5];  // input 4 mirrors output 4 by default
  } steps[] = {{0, 0, {0, 1, 0, 1, 0}},
               {1, 499, {1, 0, 0, 1, 0}},
               {1, 500, {1, 0, 1, 1, 0}},
               {0, 1000, {0, 1, 0, 1, 0}},
               {0, 7600, {0, 1, 1, 1, 0}}};
  for (const auto& step : steps) {
    station.SetOutput(20, step.output20, start + step.ms);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(station.Input(i, start + step.ms), step.inputs[i]) << step.ms << " in" << i;
  }
  station.SetOutput(4, 7, start);  // any level but 0 is on
  EXPECT_EQ(station.Input(4, start), 1);
}

// A delayed input replays its output's changes, a short pulse included; a delay it cannot read
// keeps the default wiring.
TEST(SimWiring, DelayedInputsFollowTheOutputLate) {
  const hwsim::SimConfig config = hwsim::ParseSimConfig(
      "[Inputs]\nIn0 = mirror 3 after 1500ms\nIn1 = invert 3 after 1.5s\nIn2 = mirror 3 after 2\nIn4 = fixed 1 after 5ms\n");
  EXPECT_EQ(config.problems.size(), 2u);
  const std::uint64_t start = 1000;
  hwsim::CSimStation station(config, start);
  station.Open("", start);
  const std::uint64_t on = start + 100;
  station.SetOutput(3, 1, on);
  station.SetOutput(3, 0, on + 2000);
  station.SetOutput(3, 1, on + 2100);
  station.SetOutput(3, 0, on + 2110);
  const struct {
    std::uint64_t ms;  // after the output first went on
    int in0;
  } seen[] = {{0, 0}, {1499, 0}, {1500, 1}, {3499, 1}, {3500, 0}, {3600, 1}, {3609, 1}, {3610, 0}, {9000, 0}};
  for (const auto& s : seen) {
    EXPECT_EQ(station.Input(0, on + s.ms), s.in0) << s.ms;
    EXPECT_EQ(station.Input(1, on + s.ms), 1 - s.in0) << s.ms;
  }
  EXPECT_EQ(station.Input(2, on + 9000), 0);  // mirror 2: the default wiring, output 2
}

}  // namespace
