#include "sim/hardware/SimConfig.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace hwsim;

TEST(SimConfig, EmptyTextGivesTheDefaults) {
  const SimConfig config = ParseSimConfig("");
  for (int i = 0; i < kInputs; ++i) {
    EXPECT_EQ(config.inputs[i].mode, InputMode::Mirror);
    EXPECT_EQ(config.inputs[i].output, i);
  }
  EXPECT_EQ(config.analog[3].wave, Waveform::Sine);
  EXPECT_EQ(config.analog[3].offset, 1.5);
  EXPECT_EQ(config.counterRate[0], 1.0);
  EXPECT_EQ(config.counterRate[7], 8.0);
  EXPECT_EQ(config.distanceSet[2], 1000.0);
  EXPECT_EQ(config.version, "HardwareSim 1.0");
  EXPECT_TRUE(config.journalFile.empty());
  EXPECT_TRUE(config.faults.empty());
  EXPECT_TRUE(config.problems.empty());
  EXPECT_EQ(config.FaultFor("ExtOpen"), nullptr);
}

TEST(SimConfig, ReadsEverySection) {
  const SimConfig config = ParseSimConfig(
      "\xEF\xBB\xBF; station for the tests\r\n"
      "[inputs]\r\n"
      "  In0 = fixed 1\r\n"
      "IN1=mirror 23\r\n"
      "In2 = invert 4\r\n"
      "In15 = toggle 250\r\n"
      "[Analog]\r\n"
      "SampleRate = 2000\r\n"
      "Ch0 = constant offset=2.5\r\n"
      "Ch1 = noise, offset=1, amplitude=0.2, seed=42\r\n"
      "Ch15 = ramp amplitude=3 frequency=0.5\r\n"
      "[Counters]\nRate200 = 10\nRate207 = 0.5\n"
      "[Distances]\nSet303 = -12.5\nSpeed300 = 4\n"
      "[Device]\nVersion = Line 3 \xB2\xE2\xCA\xD4\n"
      "[Journal]\n# where the calls go\nFile = logs\\calls.txt\n");
  EXPECT_TRUE(config.problems.empty()) << config.problems.front();
  EXPECT_EQ(config.inputs[0].mode, InputMode::Fixed);
  EXPECT_EQ(config.inputs[0].value, 1);
  EXPECT_EQ(config.inputs[1].mode, InputMode::Mirror);
  EXPECT_EQ(config.inputs[1].output, 23);
  EXPECT_EQ(config.inputs[2].mode, InputMode::Invert);
  EXPECT_EQ(config.inputs[2].output, 4);
  EXPECT_EQ(config.inputs[15].mode, InputMode::Toggle);
  EXPECT_EQ(config.inputs[15].periodMs, 250);
  EXPECT_EQ(config.inputs[14].output, 14);
  EXPECT_EQ(config.sampleRate, 2000.0);
  EXPECT_EQ(config.analog[0].wave, Waveform::Constant);
  EXPECT_EQ(config.analog[0].offset, 2.5);
  EXPECT_EQ(config.analog[1].wave, Waveform::Noise);
  EXPECT_EQ(config.analog[1].amplitude, 0.2);
  EXPECT_EQ(config.analog[1].seed, 42u);
  EXPECT_EQ(config.analog[15].wave, Waveform::Ramp);
  EXPECT_EQ(config.analog[15].offset, 0.0);  // unnamed options take the waveform's own defaults
  EXPECT_EQ(config.analog[15].frequency, 0.5);
  EXPECT_EQ(config.counterRate[0], 10.0);
  EXPECT_EQ(config.counterRate[7], 0.5);
  EXPECT_EQ(config.distanceSet[3], -12.5);
  EXPECT_EQ(config.distanceSpeed[0], 4.0);
  EXPECT_EQ(config.version, "Line 3 \xB2\xE2\xCA\xD4");
  EXPECT_EQ(config.journalFile, "logs\\calls.txt");
}

TEST(SimConfig, ValuesItCannotUseKeepTheDefaultAndAreReported) {
  const SimConfig config = ParseSimConfig(
      "[Inputs]\n"
      "In0 = mirror 24\n"  // no such output
      "In1 = fixed 2\n"
      "In2 = toggle 0\n"
      "In3 = blink 5\n"
      "In4 = mirror\n"
      "In16 = fixed 1\n"  // no such input: not ours, ignored quietly
      "[Analog]\n"
      "SampleRate = 0\n"
      "Ch0 = square\n"
      "Ch1 = sine offset=abc\n"
      "Ch2 = noise seed=-1\n"
      "[Counters]\nRate200 = fast\nRate199 = 3\n"
      "[Faults]\nExtOpen = explode\nExtClose = access times=-1\n"
      "no equals sign here\n");
  EXPECT_EQ(config.problems.size(), 12u);
  EXPECT_EQ(config.inputs[0].mode, InputMode::Mirror);
  EXPECT_EQ(config.inputs[0].output, 0);
  EXPECT_EQ(config.inputs[1].mode, InputMode::Mirror);
  EXPECT_EQ(config.inputs[2].mode, InputMode::Mirror);
  EXPECT_EQ(config.sampleRate, 1000.0);
  EXPECT_EQ(config.analog[0].wave, Waveform::Sine);
  EXPECT_EQ(config.analog[1].offset, 0.5);
  EXPECT_EQ(config.counterRate[0], 1.0);
  EXPECT_TRUE(config.faults.empty());
}

TEST(SimConfig, FaultsByEntryNameWithAFallbackForAll) {
  const SimConfig config = ParseSimConfig(
      "[Faults]\n"
      "ExtInPutDig = access times=2\n"
      "ExtGetDis = raise code=0xE0001234\n"
      "extgetversion = throw\n"
      "GetVersion = msvc\n"
      "ExtInit = divide\n"
      "ExtGetFreb = wrong value=nan\n"
      "ExtGetDis = raise code=0xC00000FD times=1\n"  // a later line replaces an earlier one
      "* = wrong\n");
  ASSERT_TRUE(config.problems.empty()) << config.problems.front();
  ASSERT_EQ(config.faults.size(), 7u);
  const FaultConfig* input = config.FaultFor("ExtInPutDig");
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(input->kind, FaultKind::AccessViolation);
  EXPECT_EQ(input->times, 2);
  const FaultConfig* distance = config.FaultFor("ExtGetDis");
  ASSERT_NE(distance, nullptr);
  EXPECT_EQ(distance->kind, FaultKind::Raise);
  EXPECT_EQ(distance->code, 0xC00000FDUL);
  EXPECT_EQ(distance->times, 1);
  EXPECT_EQ(config.FaultFor("ExtGetVersion")->kind, FaultKind::OwnCpp);
  EXPECT_EQ(config.FaultFor("GetVersion")->kind, FaultKind::ForeignCpp);
  EXPECT_EQ(config.FaultFor("ExtInit")->kind, FaultKind::DivideByZero);
  const FaultConfig* counter = config.FaultFor("ExtGetFreb");
  EXPECT_EQ(counter->kind, FaultKind::WrongResult);
  EXPECT_TRUE(counter->hasValue);
  EXPECT_EQ(counter->value, "nan");
  const FaultConfig* other = config.FaultFor("ExtOpen");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->entry, "*");
  EXPECT_FALSE(other->hasValue);
}

}  // namespace
