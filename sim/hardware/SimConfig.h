// The simulated station's configuration, read from HardwareSim.ini (format: README.md). Parsing is
// forgiving: unknown sections and keys are ignored, a value that cannot be understood keeps the
// default and is noted in `problems`, so a typo never stops the simulator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "station/Channels.h"

namespace hwsim {

enum class InputMode {
  Fixed,   // always `value`
  Mirror,  // the state of output `output` (a wired loop-back), `delayMs` after it changed
  Invert,  // the opposite of output `output`, likewise
  Toggle,  // off for the first half of every `periodMs`, on for the second
};

struct InputConfig {
  InputMode mode = InputMode::Mirror;
  int value = 0;
  int output = 0;
  int periodMs = 1000;
  int delayMs = 0;  // mirror, invert: how long the input takes to follow its output
};

enum class Waveform { Constant, Sine, Ramp, Noise };

struct AnalogConfig {
  Waveform wave = Waveform::Sine;
  double offset = 0.0;
  double amplitude = 0.0;
  double frequency = 1.0;  // Hz (sine, ramp)
  std::uint32_t seed = 1;  // noise
};

enum class FaultKind {
  AccessViolation,  // access
  DivideByZero,     // divide
  Raise,            // raise: a structured exception with `code`
  ForeignCpp,       // msvc: a C++ exception as another compiler's runtime raises it
  OwnCpp,           // throw: a C++ throw by the simulator itself
  WrongResult,      // wrong: the entry returns `value` instead of its answer
};

struct FaultConfig {
  std::string entry;  // entry name, or "*" for every entry not named on its own
  FaultKind kind = FaultKind::AccessViolation;
  unsigned long code = 0xE0000001UL;
  int times = 0;  // faults this many calls, then behaves; 0: every call
  bool hasValue = false;
  std::string value;  // for wrong results, as written
};

struct SimConfig {
  SimConfig();

  InputConfig inputs[station::kInputChannels];
  double sampleRate = 1000.0;  // analog samples per second
  AnalogConfig analog[station::kAnalogChannels];
  double counterRate[station::kCounters];     // counts per second while running
  double distanceSet[station::kDistances];    // what ExtSetDis puts
  double distanceSpeed[station::kDistances];  // change per second while running
  std::string version = "HardwareSim 1.0";
  std::string journalFile;  // empty: no journal
  std::vector<FaultConfig> faults;
  std::vector<std::string> problems;  // values not understood, as "section/key: value"

  // The fault configured for an entry (its own line first, then "*"), or null.
  const FaultConfig* FaultFor(const char* entry) const;
};

// Parses the text of HardwareSim.ini (GBK or ASCII; CR LF or LF; a UTF-8 byte order mark is skipped).
SimConfig ParseSimConfig(const std::string& text);

}  // namespace hwsim
