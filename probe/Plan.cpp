#include "probe/Plan.h"

#include <cstdio>
#include <cstdlib>

#include "probe/Arguments.h"

namespace probe {

namespace {

using station::kAnalogChannels;
using station::kInputChannels;
using station::kOutputChannels;

struct Token {
  std::string text;
  bool quoted = false;
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\r'; }

std::string Trim(const std::string& s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

const char* SignalWord(Signal signal) {
  switch (signal) {
    case Signal::Output: return "output";
    case Signal::Input: return "input";
    case Signal::Analog: return "analog channel";
    case Signal::Counter: return "counter";
    case Signal::Distance: return "distance";
    default: return "";
  }
}

int FirstNumber(Signal signal) {
  return signal == Signal::Counter ? station::kFirstCounterId : signal == Signal::Distance ? 1 : 0;
}

int CountOf(Signal signal) {
  switch (signal) {
    case Signal::Output: return kOutputChannels;
    case Signal::Input: return kInputChannels;
    case Signal::Analog: return kAnalogChannels;
    case Signal::Counter: return station::kCounters;
    case Signal::Distance: return station::kDistances;
    default: return 0;
  }
}

bool HasCaptions(Signal signal) { return signal == Signal::Output || signal == Signal::Input || signal == Signal::Analog; }

// Whether `name` names a channel whose caption is `caption`: the whole caption, or one of the
// captions the panel joined with "/". Letter case aside, as the panel merges captions.
bool Names(const std::string& caption, const std::string& name) {
  if (caption.empty()) return false;
  if (SameNoCase(caption, name)) return true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = caption.find('/', start);
    if (SameNoCase(caption.substr(start, slash == std::string::npos ? std::string::npos : slash - start), name)) return true;
    if (slash == std::string::npos) return false;
    start = slash + 1;
  }
}

std::vector<int> ChannelsNamed(const StationNames& names, Signal signal, const std::string& name) {
  std::vector<int> found;
  for (int i = 0; i < CountOf(signal); ++i) {
    if (Names(CaptionOf(names, signal, i), name)) found.push_back(i);
  }
  return found;
}

std::string Listed(const StationNames& names, Signal signal, const std::vector<int>& channels) {
  std::string list;
  for (const int i : channels) {
    list += (list.empty() ? "" : ", ") + std::to_string(FirstNumber(signal) + i) + " " + CaptionOf(names, signal, i);
  }
  return list;
}

// A quoted caption to the one channel of its kind it names; otherwise why not, with the candidates.
bool ResolveCaption(const StationNames& names, Signal signal, const std::string& caption, int& index,
                    std::string& error) {
  const std::string word = SignalWord(signal);
  const std::string quoted = "\"" + caption + "\"";
  if (caption.empty()) {
    error = "an empty caption names no " + word;
    return false;
  }
  const std::vector<int> found = ChannelsNamed(names, signal, caption);
  if (found.size() == 1) {
    index = found[0];
    return true;
  }
  if (found.size() > 1) {
    error = quoted + " names several " + word + "s: " + Listed(names, signal, found) + "; write the number";
    return false;
  }
  for (const Signal other : {Signal::Output, Signal::Input, Signal::Analog}) {
    const std::vector<int> elsewhere = other == signal ? std::vector<int>() : ChannelsNamed(names, other, caption);
    if (!elsewhere.empty()) {
      error = quoted + " is " + SignalWord(other) + " " + Listed(names, other, elsewhere) + ", not an " + word;
      return false;
    }
  }
  std::vector<int> close;
  std::vector<int> all;
  for (int i = 0; i < CountOf(signal); ++i) {
    const std::string& c = CaptionOf(names, signal, i);
    if (c.empty()) continue;
    all.push_back(i);
    if (c.find(caption) != std::string::npos || caption.find(c) != std::string::npos) close.push_back(i);
  }
  error = "no " + word + " is named " + quoted;
  if (all.empty()) {
    error += " (calib.ini names no " + word + ")";
  } else {
    error += std::string(close.empty() ? "; the " + word + "s: " : "; did you mean ") +
             Listed(names, signal, close.empty() ? all : close);
  }
  return false;
}

// Splits a line (its comment removed) into words and quoted texts.
bool Tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
      continue;
    }
    Token token;
    if (line[i] == '"') {
      const std::size_t close = line.find('"', i + 1);
      if (close == std::string::npos) {
        error = "a quote is not closed";
        return false;
      }
      token.text = line.substr(i + 1, close - i - 1);
      token.quoted = true;
      i = close + 1;
      if (i < line.size() && !IsBlank(line[i])) {
        error = "a blank must follow the closing quote";
        return false;
      }
    } else {
      const std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i])) {
        if (line[i] == '"') {
          error = "a quote inside the word " + Shown(line.substr(start, i - start + 1));
          return false;
        }
        ++i;
      }
      token.text = line.substr(start, i - start);
    }
    tokens.push_back(token);
  }
  return true;
}

// The line up to a '#' outside quotes.
std::string WithoutComment(const std::string& line) {
  bool inQuotes = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') inQuotes = !inQuotes;
    if (line[i] == '#' && !inQuotes) return line.substr(0, i);
  }
  return line;
}

bool AllDigits(const std::string& s, std::size_t from = 0) {
  if (s.size() <= from) return false;
  for (std::size_t i = from; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
  }
  return true;
}

// [-+]digits[.digits], or for whole numbers also 0x and hexadecimal digits (as counters show).
bool ParseNumber(const std::string& text, bool whole, double& value) {
  std::size_t i = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
  const bool negative = i == 1 && text[0] == '-';
  if (whole && text.size() > i + 2 && text[i] == '0' && Lower(text[i + 1]) == 'x') {
    const std::string digits = text.substr(i + 2);
    if (digits.empty() || digits.size() > 8) return false;
    unsigned long v = 0;
    for (const char c : digits) {
      const char l = Lower(c);
      const int d = c >= '0' && c <= '9' ? c - '0' : l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
      if (d < 0) return false;
      v = v * 16 + static_cast<unsigned long>(d);
    }
    value = negative ? -static_cast<double>(v) : static_cast<double>(v);
    return true;
  }
  const std::size_t dot = text.find('.', i);
  const std::string intPart = text.substr(i, dot == std::string::npos ? std::string::npos : dot - i);
  if (!AllDigits(intPart) || intPart.size() > 12) return false;
  if (dot != std::string::npos && (whole || !AllDigits(text, dot + 1) || text.size() - dot > 10)) return false;
  value = std::strtod(text.c_str(), nullptr);
  return true;
}

// "500ms", "2s", "1.5s": whole milliseconds, more than none and at most a day.
bool ParseDuration(const std::string& text, long long& ms) {
  const bool milli = text.size() > 2 && SameNoCase(text.substr(text.size() - 2), "ms");
  const bool seconds = !milli && text.size() > 1 && Lower(text.back()) == 's';
  if (!milli && !seconds) return false;
  const std::string number = text.substr(0, text.size() - (milli ? 2 : 1));
  const std::size_t dot = number.find('.');
  const std::string whole = number.substr(0, dot);
  const std::string fraction = dot == std::string::npos ? "" : number.substr(dot + 1);
  if (!AllDigits(whole) || whole.size() > 9 || (dot != std::string::npos && (milli || !AllDigits(fraction) || fraction.size() > 3))) {
    return false;
  }
  ms = std::atoll(whole.c_str()) * (milli ? 1 : 1000);
  if (!fraction.empty()) ms += std::atoll((fraction + std::string(3 - fraction.size(), '0')).c_str());
  return ms > 0 && ms <= kMaxDurationMs;
}

class LineParser {
 public:
  LineParser(const StationNames& names, std::vector<Token> tokens, Step& step)
      : m_names(names), m_tokens(std::move(tokens)), m_step(step) {}

  // The step the tokens make, or false with `error`.
  bool Parse(std::string& error) {
    const std::string verb = Word(0);
    bool ok = false;
    if (verb == "set") {
      ok = Count(3, "set OUTPUT 0|1") && Channel(1, Signal::Output) && Level(2);
      m_step.kind = StepKind::Set;
    } else if (verb == "all-low" || verb == "reset-counters") {
      ok = Count(1, verb.c_str());
      m_step.kind = verb == "all-low" ? StepKind::AllLow : StepKind::ResetCounters;
    } else if (verb == "reset-distance" || verb == "set-distance") {
      ok = Count(2, (verb + " N").c_str()) && Channel(1, Signal::Distance);
      m_step.kind = verb == "reset-distance" ? StepKind::ResetDistance : StepKind::SetDistance;
    } else if (verb == "wait") {
      ok = Count(2, "wait DURATION") && Duration(1, m_step.ms);
      m_step.kind = StepKind::Wait;
    } else if (verb == "ask") {
      ok = Count(2, "ask \"TEXT\"");
      if (ok && (!m_tokens[1].quoted || m_tokens[1].text.empty())) ok = Fail("ask needs its question in double quotes");
      m_step.kind = StepKind::Ask;
      m_step.question = m_tokens.size() > 1 ? m_tokens[1].text : "";
    } else if (verb == "expect") {
      ok = Expect();
    } else {
      ok = Fail("unknown step " + Shown(m_tokens[0].text) +
                " (title, set, all-low, reset-counters, reset-distance, set-distance, wait, expect, ask)");
    }
    error = m_error;
    return ok;
  }

 private:
  std::string Word(std::size_t i) const {
    std::string w = i < m_tokens.size() && !m_tokens[i].quoted ? m_tokens[i].text : "";
    for (char& c : w) c = Lower(c);
    return w;
  }

  bool Fail(const std::string& error) {
    if (m_error.empty()) m_error = error;
    return false;
  }

  bool Count(std::size_t n, const char* form) {
    if (m_tokens.size() == n) return true;
    return Fail(std::string("expected: ") + form +
                (m_tokens.size() > n ? " (unexpected " + Shown(m_tokens[n].text) + ")" : ""));
  }

  bool Channel(std::size_t i, Signal signal) {
    m_step.signal = signal;
    const Token& t = m_tokens[i];
    const std::string word = SignalWord(signal);
    if (t.quoted) {
      if (!HasCaptions(signal)) return Fail(word + "s have no captions: write the number");
      std::string error;
      return ResolveCaption(m_names, signal, t.text, m_step.index, error) || Fail(error);
    }
    const int first = FirstNumber(signal);
    const int last = first + CountOf(signal) - 1;
    if (!AllDigits(t.text) || t.text.size() > 4 || std::atoi(t.text.c_str()) < first || std::atoi(t.text.c_str()) > last) {
      return Fail(word + " must be " + std::to_string(first) + " to " + std::to_string(last) +
                  (HasCaptions(signal) ? " or a caption in double quotes" : "") + ", not " + Shown(t.text));
    }
    m_step.index = std::atoi(t.text.c_str()) - first;
    return true;
  }

  bool Level(std::size_t i) {
    const std::string& t = m_tokens[i].text;
    if (m_tokens[i].quoted || (t != "0" && t != "1")) return Fail("the level must be 0 or 1, not " + Shown(t));
    m_step.level = t == "1" ? 1 : 0;
    return true;
  }

  bool Duration(std::size_t i, long long& ms) {
    if (!m_tokens[i].quoted && ParseDuration(m_tokens[i].text, ms)) return true;
    return Fail("a duration is like 500ms, 2s or 1.5s (at most 24 hours), not " + Shown(m_tokens[i].text));
  }

  bool Range(std::size_t i, bool whole) {
    const std::string& t = m_tokens[i].text;
    const std::size_t dots = t.find("..");
    if (m_tokens[i].quoted || dots == std::string::npos || !ParseNumber(t.substr(0, dots), whole, m_step.low) ||
        !ParseNumber(t.substr(dots + 2), whole, m_step.high)) {
      return Fail(std::string("a range is LOW..HIGH, e.g. ") + (whole ? "100..250" : "2.40..2.60") + ", not " + Shown(t));
    }
    if (m_step.high < m_step.low) return Fail("the range " + Shown(t) + " runs backwards");
    return true;
  }

  // [within DURATION] from token i on.
  bool Within(std::size_t i, bool required) {
    if (m_tokens.size() == i && !required) return true;
    if (m_tokens.size() == i + 2 && Word(i) == "within") return Duration(i + 1, m_step.ms);
    if (m_tokens.size() == i) return Fail("'changes' needs 'within DURATION'");
    return Fail("expected 'within DURATION' or the end of the line, not " + Shown(m_tokens[i].text));
  }

  bool Expect() {
    const std::string what = Word(1);
    if (m_tokens.size() < 4) {
      m_step.kind = StepKind::ExpectInput;
      return Fail("expected: expect input|analog|counter|distance CHANNEL VALUE [within DURATION]");
    }
    if (what == "input") {
      m_step.kind = StepKind::ExpectInput;
      return Channel(2, Signal::Input) && Level(3) && Within(4, false);
    }
    if (what == "analog") {
      m_step.kind = StepKind::ExpectAnalog;
      return Channel(2, Signal::Analog) && Range(3, false) && Within(4, false);
    }
    if (what == "counter") {
      const bool changes = Word(3) == "changes";
      m_step.kind = changes ? StepKind::ExpectCounterChanges : StepKind::ExpectCounter;
      return Channel(2, Signal::Counter) && (changes || Range(3, true)) && Within(4, changes);
    }
    if (what == "distance") {
      m_step.kind = StepKind::ExpectDistance;
      return Channel(2, Signal::Distance) && Range(3, false) && Within(4, false);
    }
    return Fail("expect what? input, analog, counter or distance, not " + Shown(m_tokens[1].text));
  }

  const StationNames& m_names;
  std::vector<Token> m_tokens;
  Step& m_step;
  std::string m_error;
};

}  // namespace

bool IsValidUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int more = 0;
    unsigned long cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(more) >= text.size()) return false;
    for (int k = 1; k <= more; ++k) {
      const unsigned char d = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += static_cast<std::size_t>(more) + 1;
  }
  return true;
}

PlanText DecodePlanBytes(const std::string& bytes, GbkDecoder gbkToUtf8) {
  PlanText plan;
  if (bytes.size() > kMaxPlanBytes) {
    plan.error = "too large for a plan (more than " + std::to_string(kMaxPlanBytes / 1024) + " KiB)";
    return plan;
  }
  if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
    plan.error = "UTF-16 text: save the plan as UTF-8";
    return plan;
  }
  const std::string text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
  int line = 1;
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\n') ++line;
    if (c < 0x20 && c != '\n' && c != '\r' && c != '\t' && c != '\f') {
      char what[96];
      std::snprintf(what, sizeof what, "not a text file (control byte 0x%02x on line %d)", c, line);
      plan.error = what;
      return plan;
    }
  }
  if (IsValidUtf8(text)) {
    plan.utf8 = text;
  } else if (gbkToUtf8 != nullptr && gbkToUtf8(text, plan.utf8)) {
    plan.gbk = true;
  } else {
    plan.utf8.clear();
    plan.error = "neither UTF-8 nor GBK text";
  }
  return plan;
}

std::string ChannelName(Signal signal, int index) {
  if (signal == Signal::None) return std::string();
  return std::string(signal == Signal::Analog ? "analog" : SignalWord(signal)) + " " +
         std::to_string(FirstNumber(signal) + index);
}

const std::string& CaptionOf(const StationNames& names, Signal signal, int index) {
  static const std::string kNone;
  if (index < 0) return kNone;
  if (signal == Signal::Output && index < kOutputChannels) return names.output[index];
  if (signal == Signal::Input && index < kInputChannels) return names.input[index];
  if (signal == Signal::Analog && index < kAnalogChannels) return names.analog[index];
  return kNone;
}

Plan ParsePlan(const std::string& utf8, const StationNames& names) {
  Plan plan;
  int titleLine = 0;
  std::size_t pos = 0;
  for (int number = 1; pos < utf8.size(); ++number) {
    std::size_t end = utf8.find('\n', pos);
    if (end == std::string::npos) end = utf8.size();
    const std::string text = Trim(WithoutComment(utf8.substr(pos, end - pos)));
    pos = end + 1;
    if (text.empty()) continue;
    std::vector<Token> tokens;
    std::string error;
    if (!Tokenize(text, tokens, error)) {
      plan.errors.push_back({number, error});
      continue;
    }
    std::string verb = tokens[0].quoted ? "" : tokens[0].text;
    for (char& c : verb) c = Lower(c);
    if (verb == "title") {
      std::string title = Trim(text.substr(5));
      if (tokens.size() == 2 && tokens[1].quoted) title = tokens[1].text;
      if (title.empty()) {
        plan.errors.push_back({number, "expected: title TEXT"});
      } else if (titleLine != 0) {
        plan.errors.push_back({number, "a second title (the first is on line " + std::to_string(titleLine) + ")"});
      } else {
        plan.title = title;
        titleLine = number;
      }
      continue;
    }
    Step step;
    step.line = number;
    step.text = text;
    if (LineParser(names, tokens, step).Parse(error)) {
      plan.steps.push_back(step);
    } else {
      plan.errors.push_back({number, error});
    }
  }
  if (plan.steps.empty() && plan.errors.empty()) plan.errors.push_back({0, "the plan has no steps"});
  return plan;
}

std::string PlanTemplate(const StationNames& names) {
  // A channel as an example names it: a caption (or one of its joined parts) that names it alone.
  const auto named = [&](Signal signal, int fallback) {
    for (int i = 0; i < CountOf(signal); ++i) {
      const std::string& caption = CaptionOf(names, signal, i);
      std::size_t start = 0;
      while (!caption.empty() && start <= caption.size()) {
        const std::size_t slash = caption.find('/', start);
        const std::string part = caption.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        int index = -1;
        std::string error;
        if (part.find('"') == std::string::npos && ResolveCaption(names, signal, part, index, error) && index == i) {
          return "\"" + part + "\"";
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
      }
    }
    return std::to_string(fallback);
  };
  std::string out =
      "# A check plan for this station: spprobe check --dry-run PLAN checks it, spprobe check PLAN runs it.\n"
      "# One step a line; '#' starts a comment. A channel is its number or its caption in double quotes,\n"
      "# as the panel shows it (where the panel joins captions with \"/\", each of them names the channel).\n"
      "# Durations: 500ms, 2s, 1.5s. Ranges: LOW..HIGH, inclusive.\n";
  const struct {
    Signal signal;
    const char* heading;
  } lists[] = {
      {Signal::Output, "outputs (set OUTPUT 0|1)"},
      {Signal::Input, "inputs (expect input CH 0|1 [within DURATION])"},
      {Signal::Analog, "analog channels, the mean of 50 samples (expect analog CH LOW..HIGH [within DURATION])"},
  };
  for (const auto& list : lists) {
    out += "#\n# The station's " + std::string(list.heading) + ":\n";
    for (int i = 0; i < CountOf(list.signal); ++i) {
      const std::string& caption = CaptionOf(names, list.signal, i);
      out += "#  " + std::string(i < 10 ? " " : "") + std::to_string(i) + (caption.empty() ? "" : "  " + caption) + "\n";
    }
  }
  out += "#\n# Counters 200-207 (expect counter ID LOW..HIGH, or changes within DURATION) and distances 1-4\n"
         "# (expect distance N LOW..HIGH) go by number.\n"
         "#\n# Every step below is an example: put this station's values in before running it.\n\n"
         "title Monthly check\n"
         "ask \"Is the line clear, with no vehicle on it and nobody in the pits?\"\n"
         "set " + named(Signal::Output, 0) + " 1\n"
         "expect input " + named(Signal::Input, 0) + " 1 within 3s\n"
         "set " + named(Signal::Output, 0) + " 0\n"
         "wait 500ms\n"
         "expect analog " + named(Signal::Analog, 0) + " 0.000..10.000\n"
         "reset-counters\n"
         "expect counter 200 changes within 2s\n"
         "expect counter 201 0..100000\n"
         "reset-distance 1\n"
         "set-distance 1\n"
         "expect distance 1 0..100000\n"
         "all-low\n";
  return out;
}

}  // namespace probe
