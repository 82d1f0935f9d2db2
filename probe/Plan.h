// A check plan: the steps a technician writes once to check a station (spprobe check PLAN), read
// and checked whole before anything is done, with every channel resolved to its number. One step a
// line, '#' starts a comment outside quotes; a channel is its number or its caption in quotes.
// No window needed: tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "station/Channels.h"

namespace probe {

// The captions a plan may name channels by (UTF-8, as the panel shows them; empty: none).
struct StationNames {
  std::string output[station::kOutputChannels];
  std::string input[station::kInputChannels];
  std::string analog[station::kAnalogChannels];
};

// Which channel a step concerns.
enum class Signal { None, Output, Input, Analog, Counter, Distance };

enum class StepKind {
  Set,
  AllLow,
  ResetCounters,
  ResetDistance,
  SetDistance,
  Wait,
  ExpectInput,
  ExpectAnalog,
  ExpectCounter,
  ExpectCounterChanges,
  ExpectDistance,
  Ask,
};

struct Step {
  StepKind kind = StepKind::AllLow;
  int line = 0;
  std::string text;  // the line as written, without its comment and outer blanks
  Signal signal = Signal::None;
  int index = -1;             // the channel within its kind, from 0 (counter 200 and distance 1 are 0)
  int level = 0;              // set, expect input
  double low = 0, high = 0;   // expected range, inclusive
  long long ms = 0;           // wait: how long; expect: within (0: one reading)
  std::string question;       // ask
};

struct PlanError {
  int line;  // 0: the file as a whole
  std::string what;
};

struct Plan {
  std::string title;
  std::vector<Step> steps;
  std::vector<PlanError> errors;  // in line order
};

// A plan is a small text file: anything larger is not one.
constexpr std::size_t kMaxPlanBytes = 1u << 20;
// The longest wait or within: a day.
constexpr long long kMaxDurationMs = 24LL * 3600 * 1000;

// A plan file's bytes as UTF-8 text: UTF-8 with or without a byte-order mark, otherwise GBK (as the
// station's own files), through `gbkToUtf8` (false: not GBK either). `error` tells why the bytes
// are no plan (too large, not text, UTF-16); then `utf8` is empty.
using GbkDecoder = bool (*)(const std::string& gbk, std::string& utf8);
struct PlanText {
  std::string utf8;
  std::string error;
  bool gbk = false;
};
PlanText DecodePlanBytes(const std::string& bytes, GbkDecoder gbkToUtf8);
bool IsValidUtf8(const std::string& text);

// Reads and checks every line; captions resolve against `names`. Every error is listed.
Plan ParsePlan(const std::string& utf8, const StationNames& names);

// "output 3", "input 1", "analog 0", "counter 200", "distance 1"; empty for Signal::None.
std::string ChannelName(Signal signal, int index);
// The channel's caption (UTF-8, empty when none; counters and distances have none).
const std::string& CaptionOf(const StationNames& names, Signal signal, int index);

// A plan to start from: the station's channels with their captions as comments, and one example of
// each step, naming channels by this station's captions where they are unambiguous.
std::string PlanTemplate(const StationNames& names);

}  // namespace probe
