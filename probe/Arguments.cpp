#include "probe/Arguments.h"

#include <cstddef>


namespace probe {

const char kUsage[] =
    "usage: spprobe COMMAND [OPTIONS]\n"
    "Reads and drives the station's I/O card through the station's libraries, as the panel does.\n"
    "\n"
    "commands:\n"
    "  read               every channel once: inputs 0-15 (1 = on), analog channels 0-15 (mean of\n"
    "                     50 samples), counters 200-207, distances 1-4; aligned text by default\n"
    "  watch              samples at the panel's periods (inputs 300 ms, analog channels 400 ms,\n"
    "                     counters and distances 500 ms), one CSV line per sample, until Ctrl+C\n"
    "  set OUTPUT 0|1     writes output OUTPUT (0-23) low or high\n"
    "  all-low            writes outputs 0-23 low\n"
    "  reset-counters     resets the counters\n"
    "  reset-distance N   resets distance N (1-4)\n"
    "  set-distance N     sets distance N (1-4)\n"
    "  check PLAN         runs the check plan PLAN: switches outputs, waits for the answers, checks\n"
    "                     readings against limits, prints a line per step; at the end every output the\n"
    "                     plan left high is written low\n"
    "  check --template   prints a plan to start from, with this station's channels and captions\n"
    "  help               this text\n"
    "read and watch never reset counters or distances.\n"
    "\n"
    "options:\n"
    "  --json, --csv      (read) JSON or CSV instead of text\n"
    "  --channels LIST    (read, watch) only these, e.g. analog:0-3,input:5,counter,distance:2\n"
    "  --seconds N        (watch) stop after N seconds (1 to 31622400)\n"
    "  --output FILE      (read, watch, check --template) write to FILE instead of standard output\n"
    "  --dry-run          (check) reads and checks the plan, touches nothing\n"
    "  --stop-on-fail     (check) ends the run at the first step that does not pass\n"
    "  --keep-outputs     (check) leaves the outputs as the plan left them\n"
    "  --yes              (check) answers every ask with yes (no operator needed)\n"
    "  --operator NAME    (check) the operator's name, for the protocol\n"
    "  --html FILE, --junit FILE, --json FILE\n"
    "                     (check) writes the protocol as HTML, JUnit XML or JSON\n"
    "Output is UTF-8.\n"
    "\n"
    "exit codes:\n"
    "  0  done\n"
    "  1  a device entry faulted or is missing; its values are printed and flagged\n"
    "  2  unknown command or bad argument\n"
    "  3  system library SysENV.dll missing, unusable or lacking an entry\n"
    "  4  device library Hardware.dll missing or unusable\n"
    "  5  the output could not be written\n"
    "  6  (check) a step failed, faulted or did not run\n";

namespace {

// A decimal number of at most nine digits (no sign, no blanks), so it never overflows.
bool ParseNumber(const std::string& text, long& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

bool ParseInRange(const std::string& text, long low, long high, const char* what, long& value,
                  std::string& error) {
  if (!ParseNumber(text, value) || value < low || value > high) {
    error = std::string(what) + " must be " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
            Shown(text);
    return false;
  }
  return true;
}

bool KindNamed(const std::string& name, Kind& kind) {
  for (int k = 0; k < kKindCount; ++k) {
    if (name == station::kKinds[k].name) {
      kind = static_cast<Kind>(k);
      return true;
    }
  }
  return false;
}

// "N" or "N-M" of one kind into the selection.
bool SelectRange(const std::string& range, Kind kind, ChannelSelection& selection, std::string& error) {
  const std::size_t dash = range.find('-');
  const std::string lowText = range.substr(0, dash);
  const std::string highText = dash == std::string::npos ? lowText : range.substr(dash + 1);
  const long first = FirstChannel(kind);
  const long last = first + ChannelCount(kind) - 1;
  const std::string what = std::string(KindName(kind)) + " channel";
  long low = 0;
  long high = 0;
  if (!ParseInRange(lowText, first, last, what.c_str(), low, error) ||
      !ParseInRange(highText, first, last, what.c_str(), high, error)) {
    return false;
  }
  if (high < low) {
    error = "channel range " + Shown(range) + " runs backwards";
    return false;
  }
  for (long c = low; c <= high; ++c) selection.on[static_cast<int>(kind)][c - first] = true;
  return true;
}

struct CommandName {
  const char* name;
  Command command;
  std::size_t operands;
  const char* operandText;
};

constexpr CommandName kCommands[] = {
    {"help", Command::Help, 0, ""},
    {"read", Command::Read, 0, ""},
    {"watch", Command::Watch, 0, ""},
    {"set", Command::Set, 2, " OUTPUT 0|1"},
    {"all-low", Command::AllLow, 0, ""},
    {"reset-counters", Command::ResetCounters, 0, ""},
    {"reset-distance", Command::ResetDistance, 1, " N"},
    {"set-distance", Command::SetDistance, 1, " N"},
    {"check", Command::Check, 1, " PLAN (or check --template)"},
};

constexpr const char* kCheckFlags[] = {"--dry-run", "--template", "--stop-on-fail", "--keep-outputs", "--yes"};
constexpr const char* kCheckValues[] = {"--operator", "--html", "--junit", "--json", "--output"};

bool IsCheckFlag(const std::string& option) {
  for (const char* f : kCheckFlags) {
    if (option == f) return true;
  }
  return false;
}

bool TakesOption(Command command, const std::string& option) {
  if (command == Command::Check) {
    for (const char* v : kCheckValues) {
      if (option == v) return true;
    }
    return IsCheckFlag(option);
  }
  if (option == "--json" || option == "--csv") return command == Command::Read;
  if (option == "--seconds") return command == Command::Watch;
  if (option == "--channels" || option == "--output") return command == Command::Read || command == Command::Watch;
  return false;
}

}  // namespace


ChannelSelection ChannelSelection::All() {
  ChannelSelection all;
  for (int k = 0; k < kKindCount; ++k) {
    for (int i = 0; i < ChannelCount(static_cast<Kind>(k)); ++i) all.on[k][i] = true;
  }
  return all;
}

bool ChannelSelection::AnyOf(Kind kind) const {
  for (const bool selected : on[static_cast<int>(kind)]) {
    if (selected) return true;
  }
  return false;
}

bool ParseChannelList(const std::string& text, ChannelSelection& selection, std::string& error) {
  bool haveKind = false;
  Kind kind = Kind::Input;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (item.empty()) {
      error = "empty item in the channel list " + Shown(text);
      return false;
    }
    const std::size_t colon = item.find(':');
    const std::string name = item.substr(0, colon);
    if (KindNamed(name, kind)) {
      haveKind = true;
      if (colon == std::string::npos) {
        for (int i = 0; i < ChannelCount(kind); ++i) selection.on[static_cast<int>(kind)][i] = true;
      } else if (!SelectRange(item.substr(colon + 1), kind, selection, error)) {
        return false;
      }
    } else if (colon != std::string::npos || !haveKind) {
      error = "unknown channel kind " + Shown(name) + " (input, analog, counter, distance)";
      return false;
    } else if (!SelectRange(item, kind, selection, error)) {
      return false;
    }
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// A text as a message shows it: at most 40 bytes (whole UTF-8 characters), control
// characters as '?', in quotes.
std::string Shown(const std::string& text) {
  std::size_t n = text.size() <= 40 ? text.size() : 40;
  while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  std::string shown = "'";
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    shown += (c < 0x20 || c == 0x7F) ? '?' : text[i];
  }
  return shown + (n < text.size() ? "...'" : "'");
}

bool ParseArguments(const std::vector<std::string>& args, Invocation& invocation, std::string& error) {
  invocation = Invocation{};
  if (args.empty()) {
    error = "no command";
    return false;
  }
  const CommandName* command = nullptr;
  for (const CommandName& c : kCommands) {
    if (args[0] == c.name) command = &c;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "/?") command = &kCommands[0];
  if (command == nullptr) {
    error = "unknown command " + Shown(args[0]);
    return false;
  }
  invocation.command = command->command;

  std::vector<std::string> operands;
  std::vector<std::string> seen;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      operands.push_back(arg);
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string option = arg.substr(0, equals);
    if (!TakesOption(invocation.command, option)) {
      error = "option " + Shown(option) + " does not apply to " + command->name;
      return false;
    }
    const bool isCheck = invocation.command == Command::Check;
    const bool isFormat = !isCheck && (option == "--json" || option == "--csv");
    const std::string key = isFormat ? "--json/--csv" : option;
    for (const std::string& s : seen) {
      if (s == key) {
        error = "option " + key + " given twice";
        return false;
      }
    }
    seen.push_back(key);
    if (isFormat) {
      if (equals != std::string::npos) {
        error = "option " + option + " takes no value";
        return false;
      }
      invocation.format = option == "--json" ? Format::Json : Format::Csv;
      continue;
    }
    if (isCheck && IsCheckFlag(option)) {
      if (equals != std::string::npos) {
        error = "option " + option + " takes no value";
        return false;
      }
      bool& flag = option == "--dry-run"        ? invocation.dryRun
                   : option == "--template"     ? invocation.planTemplate
                   : option == "--stop-on-fail" ? invocation.stopOnFail
                   : option == "--keep-outputs" ? invocation.keepOutputs
                                                : invocation.yes;
      flag = true;
      continue;
    }
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      error = "option " + option + " needs a value";
      return false;
    }
    if (option == "--seconds") {
      if (!ParseInRange(value, 1, kMaxWatchSeconds, "--seconds", invocation.seconds, error)) return false;
    } else if (option == "--channels") {
      invocation.channels = ChannelSelection{};
      if (!ParseChannelList(value, invocation.channels, error)) return false;
    } else if (value.empty()) {
      error = "option " + option + (option == "--operator" ? " needs a name" : " needs a file name");
      return false;
    } else {
      std::string& target = option == "--operator" ? invocation.operatorName
                            : option == "--html"   ? invocation.htmlFile
                            : option == "--junit"  ? invocation.junitFile
                            : option == "--json"   ? invocation.jsonFile
                                                   : invocation.outputFile;
      target = value;
    }
  }

  if (invocation.command == Command::Check) {
    const bool protocol = !invocation.htmlFile.empty() || !invocation.junitFile.empty() || !invocation.jsonFile.empty();
    const bool runOptions = invocation.dryRun || invocation.stopOnFail || invocation.keepOutputs || invocation.yes ||
                            !invocation.operatorName.empty() || protocol;
    if (invocation.planTemplate && (runOptions || !operands.empty())) {
      error = "check --template takes no plan and no option but --output";
      return false;
    }
    if (!invocation.planTemplate && !invocation.outputFile.empty()) {
      error = "option --output applies to check --template only";
      return false;
    }
    if (invocation.dryRun && protocol) {
      error = "check --dry-run writes no protocol";
      return false;
    }
    if (invocation.planTemplate) return true;
  }

  if (operands.size() != command->operands) {
    error = std::string("expected: spprobe ") + command->name + command->operandText;
    if (operands.size() > command->operands) error += " (unexpected " + Shown(operands[command->operands]) + ")";
    return false;
  }
  long value = 0;
  switch (invocation.command) {
    case Command::Set:
      if (!ParseInRange(operands[0], 0, station::kOutputChannels - 1, "output", value, error)) return false;
      invocation.output = static_cast<int>(value);
      if (!ParseInRange(operands[1], 0, 1, "output level", value, error)) return false;
      invocation.level = static_cast<int>(value);
      break;
    case Command::Check:
      invocation.planFile = operands[0];
      break;
    case Command::ResetDistance:
    case Command::SetDistance:
      if (!ParseInRange(operands[0], 1, station::kDistances, "distance", value, error)) return false;
      invocation.distance = static_cast<int>(value);
      break;
    default:
      break;
  }
  return true;
}

}  // namespace probe
