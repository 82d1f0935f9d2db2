#include "sim/hardware/SimConfig.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace hwsim {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

std::string Trim(const std::string& s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && (s[begin] == ' ' || s[begin] == '\t')) ++begin;
  while (end > begin && (s[end - 1] == ' ' || s[end - 1] == '\t' || s[end - 1] == '\r')) --end;
  return s.substr(begin, end - begin);
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == ',')) ++i;
    const std::size_t start = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != ',') ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

bool ParseDouble(const std::string& s, double* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || *end != '\0') return false;
  *out = v;
  return true;
}

bool ParseLong(const std::string& s, long* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(s.c_str(), &end, 0);
  if (end == s.c_str() || *end != '\0' || errno != 0) return false;
  *out = v;
  return true;
}

bool ParseCode(const std::string& s, unsigned long* out) {
  if (s.empty() || s[0] == '-') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long v = std::strtoul(s.c_str(), &end, 0);
  if (end == s.c_str() || *end != '\0' || errno != 0 || v > 0xFFFFFFFFUL) return false;
  *out = v;
  return true;
}

// "name=value" words after the first one.
bool SplitOption(const std::string& word, std::string* name, std::string* value) {
  const std::size_t eq = word.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  *name = word.substr(0, eq);
  *value = word.substr(eq + 1);
  return true;
}

// A key with a numeric suffix in range, such as "In3" or "Rate201": the index (suffix - first).
bool KeyIndex(const std::string& key, const char* prefix, int first, int count, int* index) {
  const std::size_t n = std::strlen(prefix);
  if (key.size() <= n || !SameName(key.substr(0, n), prefix)) return false;
  long number = 0;
  const std::string digits = key.substr(n);
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
  }
  if (digits.size() > 4 || !ParseLong(digits, &number)) return false;
  if (number < first || number >= first + count) return false;
  *index = static_cast<int>(number - first);
  return true;
}

class Parser {
 public:
  explicit Parser(SimConfig& config) : m_config(config) {}

  void Line(const std::string& section, const std::string& key, const std::string& value) {
    m_section = section;
    m_key = key;
    m_value = value;
    bool understood = true;
    int index = 0;
    if (SameName(section, "Inputs")) {
      if (KeyIndex(key, "In", 0, station::kInputChannels, &index)) understood = Input(m_config.inputs[index]);
    } else if (SameName(section, "Analog")) {
      if (SameName(key, "SampleRate")) {
        double rate = 0.0;
        understood = ParseDouble(value, &rate) && rate > 0.0 && std::isfinite(rate);
        if (understood) m_config.sampleRate = rate;
      } else if (KeyIndex(key, "Ch", 0, station::kAnalogChannels, &index)) {
        understood = Analog(m_config.analog[index]);
      }
    } else if (SameName(section, "Counters")) {
      if (KeyIndex(key, "Rate", station::kFirstCounterId, station::kCounters, &index)) {
        understood = Number(&m_config.counterRate[index]);
      }
    } else if (SameName(section, "Distances")) {
      if (KeyIndex(key, "Set", station::kFirstDistanceId, station::kDistances, &index)) {
        understood = Number(&m_config.distanceSet[index]);
      } else if (KeyIndex(key, "Speed", station::kFirstDistanceId, station::kDistances, &index)) {
        understood = Number(&m_config.distanceSpeed[index]);
      }
    } else if (SameName(section, "Device")) {
      if (SameName(key, "Version")) m_config.version = value.substr(0, 63);
    } else if (SameName(section, "Journal")) {
      if (SameName(key, "File")) m_config.journalFile = value;
    } else if (SameName(section, "Faults")) {
      understood = Fault(key);
    }
    if (!understood) m_config.problems.push_back(section + "/" + key + ": " + value);
  }

 private:
  bool Number(double* out) {
    double v = 0.0;
    if (!ParseDouble(m_value, &v) || !std::isfinite(v)) return false;
    *out = v;
    return true;
  }

  // "1500ms", "1.5s": whole milliseconds, at most a day.
  static bool ParseDelay(const std::string& text, int* ms) {
    const bool milli = text.size() > 2 && SameName(text.substr(text.size() - 2), "ms");
    const bool seconds = !milli && text.size() > 1 && Lower(text.back()) == 's';
    double v = 0.0;
    if ((!milli && !seconds) || !ParseDouble(text.substr(0, text.size() - (milli ? 2 : 1)), &v)) return false;
    v *= milli ? 1.0 : 1000.0;
    if (!(v >= 0.0 && v <= 86400000.0) || v != std::floor(v)) return false;
    *ms = static_cast<int>(v);
    return true;
  }

  bool Input(InputConfig& input) {
    std::vector<std::string> words = Words(m_value);
    long number = 0;
    int delay = 0;
    // "mirror <output> after <delay>", also for invert.
    if (words.size() == 4 && SameName(words[2], "after") && ParseDelay(words[3], &delay) &&
        (SameName(words[0], "mirror") || SameName(words[0], "invert"))) {
      words.resize(2);
    }
    if (words.size() != 2 || !ParseLong(words[1], &number)) return false;
    if (SameName(words[0], "fixed")) {
      if (number != 0 && number != 1) return false;
      input = InputConfig{InputMode::Fixed, static_cast<int>(number), 0, 1000};
    } else if (SameName(words[0], "mirror") || SameName(words[0], "invert")) {
      if (number < 0 || number >= station::kOutputChannels) return false;
      const InputMode mode = SameName(words[0], "mirror") ? InputMode::Mirror : InputMode::Invert;
      input = InputConfig{mode, 0, static_cast<int>(number), 1000, delay};
    } else if (SameName(words[0], "toggle")) {
      if (number < 2 || number > 86400000) return false;
      input = InputConfig{InputMode::Toggle, 0, 0, static_cast<int>(number)};
    } else {
      return false;
    }
    return true;
  }

  bool Analog(AnalogConfig& channel) {
    const std::vector<std::string> words = Words(m_value);
    if (words.empty()) return false;
    AnalogConfig parsed;
    if (SameName(words[0], "constant")) {
      parsed.wave = Waveform::Constant;
    } else if (SameName(words[0], "sine")) {
      parsed.wave = Waveform::Sine;
    } else if (SameName(words[0], "ramp")) {
      parsed.wave = Waveform::Ramp;
    } else if (SameName(words[0], "noise")) {
      parsed.wave = Waveform::Noise;
    } else {
      return false;
    }
    for (std::size_t i = 1; i < words.size(); ++i) {
      std::string name;
      std::string text;
      double v = 0.0;
      if (!SplitOption(words[i], &name, &text) || !ParseDouble(text, &v) || !std::isfinite(v)) return false;
      if (SameName(name, "offset")) {
        parsed.offset = v;
      } else if (SameName(name, "amplitude")) {
        parsed.amplitude = v;
      } else if (SameName(name, "frequency")) {
        parsed.frequency = v;
      } else if (SameName(name, "seed")) {
        if (v < 0 || v > 4294967295.0 || v != std::floor(v)) return false;
        parsed.seed = static_cast<std::uint32_t>(v);
      } else {
        return false;
      }
    }
    channel = parsed;
    return true;
  }

  bool Fault(const std::string& entry) {
    const std::vector<std::string> words = Words(m_value);
    if (words.empty() || entry.empty()) return false;
    FaultConfig fault;
    fault.entry = entry;
    static const struct {
      const char* name;
      FaultKind kind;
    } kKinds[] = {
        {"access", FaultKind::AccessViolation}, {"divide", FaultKind::DivideByZero}, {"raise", FaultKind::Raise},
        {"msvc", FaultKind::ForeignCpp},        {"throw", FaultKind::OwnCpp},        {"wrong", FaultKind::WrongResult}};
    bool known = false;
    for (const auto& k : kKinds) {
      if (SameName(words[0], k.name)) {
        fault.kind = k.kind;
        known = true;
      }
    }
    if (!known) return false;
    for (std::size_t i = 1; i < words.size(); ++i) {
      std::string name;
      std::string text;
      if (!SplitOption(words[i], &name, &text)) return false;
      long times = 0;
      if (SameName(name, "times")) {
        if (!ParseLong(text, &times) || times < 0) return false;
        fault.times = static_cast<int>(times);
      } else if (SameName(name, "code")) {
        if (!ParseCode(text, &fault.code)) return false;
      } else if (SameName(name, "value")) {
        fault.hasValue = true;
        fault.value = text;
      } else {
        return false;
      }
    }
    // A later line for the same entry replaces the earlier one.
    for (FaultConfig& existing : m_config.faults) {
      if (SameName(existing.entry, entry.c_str())) {
        existing = fault;
        return true;
      }
    }
    m_config.faults.push_back(fault);
    return true;
  }

  SimConfig& m_config;
  std::string m_section;
  std::string m_key;
  std::string m_value;
};

}  // namespace

SimConfig::SimConfig() {
  for (int i = 0; i < station::kInputChannels; ++i) {
    inputs[i].mode = InputMode::Mirror;  // input i wired back from output i
    inputs[i].output = i;
  }
  for (int i = 0; i < station::kAnalogChannels; ++i) {
    analog[i].wave = Waveform::Sine;
    analog[i].offset = 0.5 * i;
    analog[i].amplitude = 0.1;
    analog[i].frequency = 1.0;
    analog[i].seed = static_cast<std::uint32_t>(i + 1);
  }
  for (int i = 0; i < station::kCounters; ++i) counterRate[i] = i + 1;
  for (int i = 0; i < station::kDistances; ++i) {
    distanceSet[i] = 1000.0;
    distanceSpeed[i] = 0.0;
  }
}

const FaultConfig* SimConfig::FaultFor(const char* entry) const {
  const FaultConfig* any = nullptr;
  for (const FaultConfig& fault : faults) {
    if (SameName(fault.entry, entry)) return &fault;
    if (fault.entry == "*") any = &fault;
  }
  return any;
}

SimConfig ParseSimConfig(const std::string& text) {
  SimConfig config;
  Parser parser(config);
  std::string section;
  std::size_t pos = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const std::size_t close = line.find(']');
      section = close == std::string::npos ? std::string() : Trim(line.substr(1, close - 1));
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = Trim(line.substr(eq + 1));
    if (!key.empty()) parser.Line(section, key, value);
  }
  return config;
}

}  // namespace hwsim
