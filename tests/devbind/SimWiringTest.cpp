// The simulator's input wiring, which the demo station's lamps show: an input mirrors or inverts an
// output, toggles on a period, or is fixed. (Mirroring is also seen end to end.)
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
    station.SetOutput(20, step.output20);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(station.Input(i, start + step.ms), step.inputs[i]) << step.ms << " in" << i;
  }
  station.SetOutput(4, 7);  // any level but 0 is on
  EXPECT_EQ(station.Input(4, start), 1);
}

}  // namespace
