// spprobe's command line: the commands, their options and the channel lists, checked completely
// before the station is touched. No window needed: tested natively.
#pragma once

#include <string>
#include <vector>

#include "station/Channels.h"

namespace probe {

// The kinds of channel spprobe reads, in the order it reports them: the station's.
using station::ChannelCount;
using station::Kind;
using station::kKindCount;
using station::kMaxChannelsOfKind;

inline const char* KindName(Kind kind) { return station::Info(kind).name; }
// Channels as spprobe numbers them: inputs and analog channels 0..15, counters by their device
// ids 200..207, distances as the panel labels them, 1..4.
constexpr int FirstChannel(Kind kind) { return kind == Kind::Distance ? 1 : station::DeviceId(kind, 0); }

// Which channels of each kind are wanted; slot i stands for FirstChannel(kind) + i.
struct ChannelSelection {
  bool on[kKindCount][kMaxChannelsOfKind] = {};

  static ChannelSelection All();
  bool Has(Kind kind, int index) const { return on[static_cast<int>(kind)][index]; }
  bool AnyOf(Kind kind) const;
};

// "analog:0-3,input:5,counter,distance:2,4": items separated by commas, each a kind alone (all of
// its channels), a kind with a channel or range, or a channel or range of the kind named before.
// Selects into `selection`; false with a one-line error.
bool ParseChannelList(const std::string& text, ChannelSelection& selection, std::string& error);

enum class Command { Help, Read, Watch, Set, AllLow, ResetCounters, ResetDistance, SetDistance, Check };
enum class Format { Text, Json, Csv };

constexpr long kMaxWatchSeconds = 366L * 24 * 3600;

struct Invocation {
  Command command = Command::Help;
  Format format = Format::Text;
  ChannelSelection channels = ChannelSelection::All();
  long seconds = 0;  // watch: 0 = until stopped
  int output = -1;   // set: the output channel
  int level = 0;     // set: 0 or 1
  int distance = 0;  // reset-distance, set-distance: 1..4
  std::string outputFile;  // UTF-8; empty: standard output
  // check: the plan file, or the template instead; what ends the run and what it leaves behind.
  std::string planFile;
  bool dryRun = false;
  bool planTemplate = false;
  bool stopOnFail = false;
  bool keepOutputs = false;
  bool yes = false;  // answers every ask with yes
  std::string operatorName;
  std::string htmlFile, junitFile, jsonFile;  // UTF-8; empty: not written
};

// A text (an argument, a word of a plan) as a message shows it: at most 40 bytes (whole UTF-8
// characters), control characters as '?', in quotes.
std::string Shown(const std::string& text);

// Parses the arguments after the program name (UTF-8). False with a one-line error.
bool ParseArguments(const std::vector<std::string>& args, Invocation& invocation, std::string& error);

// The usage text, lines ended by "\n".
extern const char kUsage[];

// The program's exit codes (kUsage lists them).
enum ExitCode {
  kExitOk = 0,
  kExitFaulted = 1,
  kExitUsage = 2,
  kExitSystemLibrary = 3,
  kExitDeviceLibrary = 4,
  kExitOutput = 5,
  kExitCheckFailed = 6,  // check: a step failed, faulted or did not run
};

}  // namespace probe
