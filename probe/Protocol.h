// What a check run leaves behind: the record of every step, the outputs the safe end returned low
// and the input changes seen, and the files written from it: a printable HTML protocol, JUnit XML for
// CI servers and test-report viewers, JSON for programs. Texts are UTF-8, lines end in CR LF.
// No window needed: tested natively.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace probe {

enum class Outcome { Pass, Fail, Fault, NotRun };
// "PASS", "FAIL", "FAULT", "NOT RUN"; lower case for files ("pass", ..., "not run").
const char* OutcomeName(Outcome outcome);
const char* OutcomeKey(Outcome outcome);

struct StepRecord {
  int number = 0;        // from 1, in plan order
  int line = 0;          // in the plan file
  std::string text;      // as written
  std::string channel;   // "input 1"; empty for steps without one
  std::string caption;   // the channel's caption
  std::string expected;  // "1", "2.400..2.600", "a change", "yes"
  std::string measured;  // the reading as the panel shows it, the answer
  double seconds = -1;   // how long the step took (negative: it did not run)
  bool timed = false;    // an expect with within: `seconds` is the response time
  Outcome outcome = Outcome::NotRun;
  std::string note;      // why it failed, faulted or did not run
};

// An output the plan left high, at the safe end.
struct OutputRecord {
  int output = 0;
  std::string caption;
  bool returnedLow = false;  // false: left high (--keep-outputs)
  std::string problem;       // empty when the write went through
};

// A reading of an input that differed from the one before it (or its first reading).
struct InputEvent {
  std::string time;  // local, ISO 8601
  int step = 0;      // the step that read it
  int input = 0;
  std::string caption;
  int from = -1;  // -1: the input's first reading in the run
  int to = 0;
};

struct CheckRecord {
  std::string title;  // the plan's, or its file name
  std::string planFile;
  std::string planSha256;
  std::string computer;
  std::string operatorName;
  std::string started, ended;  // local, ISO 8601
  double seconds = 0;
  std::string endedBy;  // "completed", "stopped at the first failure", "stopped by Ctrl+C", ...
  bool keepOutputs = false;
  std::vector<StepRecord> steps;
  std::vector<OutputRecord> outputs;
  std::vector<InputEvent> events;
  std::size_t eventsLeftOut = 0;  // changes past the log's limit, counted only
};

struct Summary {
  int passed = 0, failed = 0, faulted = 0, notRun = 0;
  bool AllPassed() const { return failed == 0 && faulted == 0 && notRun == 0; }
};
Summary Summarize(const CheckRecord& record);

// The line a step prints as it finishes: number, result, the step, its channel and caption, what
// was measured and, for a within, how long it took.
std::string StepLine(const StepRecord& step);

std::string HtmlProtocol(const CheckRecord& record);
std::string JunitXml(const CheckRecord& record);
std::string JsonResults(const CheckRecord& record);

}  // namespace probe
