#include "probe/CheckRunner.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <mmsystem.h>

#include "framework/Text.h"

namespace probe {

namespace {

using station::Kind;

// How often a within reads its channel: inputs, counters and distances every few milliseconds; an
// analog read takes its 50 samples' time on a station's card, so it is repeated at once (with a
// millisecond's pause, which also hears Ctrl+C).
constexpr DWORD kPollMs = 2;
constexpr DWORD kAnalogPollMs = 1;
// The log of input changes keeps this many; later ones are only counted.
constexpr std::size_t kMaxChanges = 10000;

std::string Seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", s);
  return text;
}

std::string Number(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string Utf8(const std::wstring& text) { return WideToUtf8(text.c_str()); }

// "ExtInPutDig faulted (exception 0xC0000005)", "ExtInPutDig missing".
std::string Problem(const char* entry, fw::Status status, unsigned long code) {
  return std::string(entry) + " " + Utf8(fw::DescribeResult(status, code));
}

Kind KindOf(Signal signal) {
  switch (signal) {
    case Signal::Analog: return Kind::Analog;
    case Signal::Counter: return Kind::Counter;
    case Signal::Distance: return Kind::Distance;
    default: return Kind::Input;
  }
}

const char* EntryOf(Signal signal) {
  switch (signal) {
    case Signal::Analog: return "ExtGetAnalog";
    case Signal::Counter: return "ExtGetFreb";
    case Signal::Distance: return "ExtGetDis";
    default: return "ExtInPutDig";
  }
}

// What an expectation's range reads as: whole numbers for counters and distances, as shown.
std::string RangeText(const Step& step) {
  const int decimals = step.signal == Signal::Analog ? 3 : 0;
  return Number(step.low, decimals) + ".." + Number(step.high, decimals);
}

}  // namespace

// One reading of the step's channel, judged on the value the panel shows.
struct CheckRunner::Reading {
  fw::Status status = fw::Status::Ok;
  unsigned long code = 0;
  double value = 0;    // as shown: input 0/1, analog to three decimals, counter as the 32-bit number, distance whole
  std::string text;    // as shown, counters also in decimal
  std::int64_t timeUs = 0;
};

CheckRunner::CheckRunner(station::Station& station, const StationNames& names, HANDLE stop, Output& out,
                         const CheckOptions& options)
    : m_station(station), m_names(names), m_stop(stop), m_out(out), m_options(options) {
  DWORD mode = 0;
  const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
  m_console = console != nullptr && console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode) != 0;
  for (int& level : m_lastInput) level = -1;
  m_station.Subscribe(this);
}

CheckRunner::~CheckRunner() { m_station.Unsubscribe(this); }

void CheckRunner::Print(const std::string& line) { m_out.Write(line + "\r\n"); }

bool CheckRunner::Stopped(DWORD waitMs) const { return WaitForSingleObject(m_stop, waitMs) == WAIT_OBJECT_0; }

void CheckRunner::OnSample(const station::Sample& sample) {
  if (sample.kind != Kind::Input) return;
  for (int i = 0; i < sample.count; ++i) {
    const station::Reading& r = sample.readings[i];
    if (r.status != fw::Status::Ok) continue;  // a fallback is no change of the input
    const int level = r.value != 0.0f ? 1 : 0;
    int& last = m_lastInput[r.index];
    if (level == last) continue;
    if (m_changes.size() < kMaxChanges) {
      m_changes.push_back(Change{sample.wallUs, m_step, r.index, last, level});
    } else {
      ++m_changesLeftOut;
    }
    last = level;
  }
}

CheckRunner::Reading CheckRunner::ReadChannel(const Step& step) {
  const Kind kind = KindOf(step.signal);
  const station::Sample& sample = m_station.Read(kind, 1u << step.index);
  Reading reading;
  reading.timeUs = sample.timeUs;
  const station::Reading* r = sample.Find(step.index);
  if (r == nullptr) return reading;
  reading.status = r->status;
  reading.code = r->code;
  reading.text = r->text;
  switch (kind) {
    case Kind::Counter: {
      // "0x%x" of the 32-bit value: read back as the signed number it stands for.
      const auto bits = static_cast<std::uint32_t>(std::strtoul(r->text + 2, nullptr, 16));
      reading.value = static_cast<std::int32_t>(bits);
      reading.text += " (" + Number(reading.value, 0) + ")";
      break;
    }
    case Kind::Input:
      reading.value = r->value;
      break;
    default:
      reading.value = std::strtod(r->text, nullptr);
      break;
  }
  return reading;
}

void CheckRunner::Expect(const Step& step, StepRecord& record) {
  const bool changes = step.kind == StepKind::ExpectCounterChanges;
  record.expected = step.kind == StepKind::ExpectInput ? std::to_string(step.level) : changes ? "a change" : RangeText(step);
  record.timed = step.ms > 0;
  const std::int64_t from = m_lastActUs;
  const std::int64_t deadline = from + step.ms * 1000;
  const DWORD pause = step.signal == Signal::Analog ? kAnalogPollMs : kPollMs;
  Reading first;
  for (bool initial = true;; initial = false) {
    const Reading now = ReadChannel(step);
    if (initial) first = now;
    record.measured = changes && !initial ? first.text + " -> " + now.text : now.text;
    record.seconds = static_cast<double>(now.timeUs - from) / 1e6;
    if (now.status != fw::Status::Ok) {
      record.outcome = Outcome::Fault;
      record.note = Problem(EntryOf(step.signal), now.status, now.code);
      return;
    }
    const bool met = step.kind == StepKind::ExpectInput ? now.value == step.level
                     : changes                          ? !initial && now.value != first.value
                                                        : now.value >= step.low && now.value <= step.high;
    if (met) {
      record.outcome = Outcome::Pass;
      return;
    }
    if (now.timeUs >= deadline) {
      record.outcome = Outcome::Fail;
      if (step.ms > 0) record.note = "not within " + Seconds(static_cast<double>(step.ms) / 1000) + " s";
      return;
    }
    const std::int64_t left = (deadline - station::Station::ClockUs() + 999) / 1000;
    if (Stopped(static_cast<DWORD>(left < 1 ? 1 : left < pause ? left : pause))) {
      record.outcome = Outcome::NotRun;
      record.note = "stopped by Ctrl+C after " + Seconds(static_cast<double>(station::Station::ClockUs() - from) / 1e6) + " s";
      return;
    }
  }
}

void CheckRunner::Wait(const Step& step, StepRecord& record) {
  const std::int64_t start = station::Station::ClockUs();
  const std::int64_t end = start + step.ms * 1000;
  record.expected = Seconds(static_cast<double>(step.ms) / 1000) + " s";
  for (;;) {
    const std::int64_t now = station::Station::ClockUs();
    if (now >= end) break;
    if (m_console) m_out.Write("\r    waiting " + Number(static_cast<double>(end - now) / 1e6, 1) + " s more   ");
    const std::int64_t leftMs = (end - now + 999) / 1000;
    if (Stopped(static_cast<DWORD>(leftMs < 200 ? leftMs : 200))) {
      record.outcome = Outcome::NotRun;
      record.note = "stopped by Ctrl+C after " + Seconds(static_cast<double>(station::Station::ClockUs() - start) / 1e6) + " s";
      break;
    }
  }
  if (m_console) m_out.Write("\r" + std::string(40, ' ') + "\r");
  if (record.note.empty()) record.outcome = Outcome::Pass;
}

void CheckRunner::Ask(const Step& step, StepRecord& record) {
  record.expected = "yes";
  if (m_options.yes) {
    record.measured = "yes (--yes)";
    record.outcome = Outcome::Pass;
    return;
  }
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  // A pipe, a file or NUL is no operator (the C runtime takes NUL for a terminal; the console does not).
  if (input == nullptr || input == INVALID_HANDLE_VALUE || GetConsoleMode(input, &mode) == 0) {
    record.outcome = Outcome::Fail;
    record.note = "no operator to answer: standard input is not a console (--yes answers yes)";
    return;
  }
  Print("    " + step.question + " [y/n]");
  FlushConsoleInputBuffer(input);  // keys pressed before the question do not answer it
  const HANDLE waits[2] = {m_stop, input};
  for (;;) {
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
      record.outcome = Outcome::NotRun;
      record.note = "stopped by Ctrl+C";
      return;
    }
    INPUT_RECORD events[16];
    DWORD count = 0;
    if (!ReadConsoleInputW(input, events, 16, &count)) {
      record.outcome = Outcome::Fail;
      record.note = "the console gave no answer";
      return;
    }
    for (DWORD i = 0; i < count; ++i) {
      if (events[i].EventType != KEY_EVENT || !events[i].Event.KeyEvent.bKeyDown) continue;
      const wchar_t key = events[i].Event.KeyEvent.uChar.UnicodeChar;
      if (key == L'y' || key == L'Y' || key == L'n' || key == L'N') {
        const bool yes = key == L'y' || key == L'Y';
        record.measured = yes ? "yes" : "no";
        record.outcome = yes ? Outcome::Pass : Outcome::Fail;
        return;
      }
    }
  }
}

void CheckRunner::RunStep(const Step& step, StepRecord& record) {
  const std::int64_t start = station::Station::ClockUs();
  fw::Result<void> done;
  const char* entry = "ExtOutPutDig";
  switch (step.kind) {
    case StepKind::Set:
      record.expected = std::to_string(step.level);
      done = m_station.SetOutput(step.index, step.level);
      break;
    case StepKind::AllLow:
      done = m_station.AllOutputsLow();
      break;
    case StepKind::ResetCounters:
      entry = "ExtResetCNT";
      done = m_station.ResetCounters();
      break;
    case StepKind::ResetDistance:
      entry = "ExtResetDis";
      done = m_station.ResetDistance(step.index);
      break;
    case StepKind::SetDistance: {
      entry = "ExtSetDis";
      const fw::Result<int> set = m_station.SetDistance(step.index);
      done = {set.status, set.code};
      break;
    }
    case StepKind::Wait:
      Wait(step, record);
      break;
    case StepKind::Ask:
      Ask(step, record);
      break;
    default:
      Expect(step, record);
      break;
  }
  const bool command = step.kind <= StepKind::SetDistance;
  if (command) {
    record.outcome = done.Ok() ? Outcome::Pass : Outcome::Fault;
    if (!done.Ok()) record.note = Problem(entry, done.status, done.code);
  }
  m_lastActUs = station::Station::ClockUs();
  if (!record.timed) record.seconds = static_cast<double>(m_lastActUs - start) / 1e6;
}

void CheckRunner::SafeEnd(CheckRecord& record) {
  std::string said;
  for (int channel = 0; channel < station::kOutputChannels; ++channel) {
    if (m_station.OutputLevel(channel) != 1) continue;
    OutputRecord o;
    o.output = channel;
    o.caption = CaptionOf(m_names, Signal::Output, channel);
    o.returnedLow = !m_options.keepOutputs;
    if (o.returnedLow) {
      const fw::Result<void> low = m_station.SetOutput(channel, 0);
      if (!low.Ok()) o.problem = Problem("ExtOutPutDig", low.status, low.code);
    }
    said += (said.empty() ? "" : ", ") + std::to_string(channel) + (o.caption.empty() ? "" : " (" + o.caption + ")") +
            (o.problem.empty() ? "" : " [" + o.problem + "]");
    record.outputs.push_back(o);
  }
  if (!said.empty()) Print(std::string(m_options.keepOutputs ? "outputs left high: " : "outputs returned low: ") + said);
}

void CheckRunner::Run(const Plan& plan, CheckRecord& record) {
  timeBeginPeriod(1);  // waits of a few milliseconds, not the system's default tick
  m_lastActUs = station::Station::ClockUs();
  record.endedBy = "completed";
  bool ended = false;
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const Step& step = plan.steps[i];
    StepRecord r;
    r.number = static_cast<int>(i) + 1;
    r.line = step.line;
    r.text = step.text;
    r.channel = ChannelName(step.signal, step.index);
    r.caption = CaptionOf(m_names, step.signal, step.index);
    if (!ended && Stopped(0)) {
      record.endedBy = "stopped by Ctrl+C";
      ended = true;
    }
    if (ended) {
      Print(StepLine(r));  // the rest of the plan, said not run
    } else {
      m_step = r.number;
      RunStep(step, r);
      Print(StepLine(r));
      if (r.outcome == Outcome::NotRun) {
        record.endedBy = "stopped by Ctrl+C";
        ended = true;
      } else if (r.outcome != Outcome::Pass && m_options.stopOnFail) {
        record.endedBy = "stopped at the first failure (--stop-on-fail)";
        ended = true;
      }
    }
    record.steps.push_back(r);
  }
  SafeEnd(record);
  timeEndPeriod(1);
  for (const Change& c : m_changes) {
    record.events.push_back(InputEvent{station::FormatTimestamp(station::LocalTimeOf(c.wallUs)), c.step, c.input,
                                       CaptionOf(m_names, Signal::Input, c.input), c.from, c.to});
  }
  record.eventsLeftOut = m_changesLeftOut;
}

}  // namespace probe
