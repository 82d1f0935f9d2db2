// spprobe: the station's channels from the command line, through the panel's libraries, bindings
// and captions. See kUsage for the commands and exit codes.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "framework/Trouble.h"
#include "probe/Arguments.h"
#include "probe/Check.h"
#include "probe/Output.h"
#include "probe/Report.h"
#include "probe/StationSession.h"

namespace {

using namespace probe;

// Set by Ctrl+C, Ctrl+Break or the console closing; ends watch at its next wait, and a check's
// step in hand at once.
HANDLE g_stop = nullptr;
// Set once the device is closed and the output complete.
HANDLE g_finished = nullptr;
// Standard error, where trouble goes.
Output* g_err = nullptr;

void ToStandardError(const wchar_t* line) { g_err->Write("spprobe: " + WideToUtf8(line) + "\r\n"); }

BOOL WINAPI OnConsoleControl(DWORD event) {
  SetEvent(g_stop);
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // Closing the console, logging off, shutting down: the process ends when this returns, so let
  // the program close the device first (the system allows a few seconds).
  WaitForSingleObject(g_finished, 4000);
  return TRUE;
}

std::string Lines(const char* text) {
  std::string out;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\n') out += '\r';
    out += *p;
  }
  return out;
}

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(WideToUtf8(argv[i]));
  LocalFree(argv);
  return args;
}

bool AnyFlagged(const std::vector<Reading>& readings) {
  for (const Reading& r : readings) {
    if (r.status != Status::Ok) return true;
  }
  return false;
}

int ReadOnce(StationSession& station, const Invocation& invocation, Output& out, bool& flagged) {
  const std::vector<Reading> readings = station.Read(invocation.channels);
  flagged = AnyFlagged(readings);
  const std::string time = FormatTimestamp(station::LocalTimeOf(station::Station::WallUs()));
  std::string text;
  switch (invocation.format) {
    case Format::Json: text = FormatJson(time, readings); break;
    case Format::Csv: text = CsvHeader() + CsvLines(time, readings); break;
    default: text = FormatText(readings); break;
  }
  return out.Write(text) ? kExitOk : kExitOutput;
}

// Hears every sample of the model and keeps the selected channels as CSV lines.
class CsvRecorder : public station::ReadingSink {
 public:
  CsvRecorder(const StationSession& session, const ChannelSelection& selection)
      : m_session(session), m_selection(selection) {}

  void OnSample(const station::Sample& sample) override {
    const std::vector<Reading> readings = m_session.ReadingsOf(sample, m_selection);
    flagged = flagged || AnyFlagged(readings);
    lines += CsvLines(FormatTimestamp(station::LocalTimeOf(sample.wallUs)), readings);
  }

  std::string lines;
  bool flagged = false;

 private:
  const StationSession& m_session;
  const ChannelSelection& m_selection;
};

// Each kind at the panel's period for it; a tick that comes late is taken once, not made up.
int Watch(StationSession& session, const Invocation& invocation, Output& out, bool& flagged) {
  struct Timer {
    Kind kind;
    ULONGLONG next;
  };
  Timer timers[kKindCount];
  for (int k = 0; k < kKindCount; ++k) timers[k] = Timer{static_cast<Kind>(k), 0};
  if (!out.Write(CsvHeader())) return kExitOutput;
  station::Station& station = session.Station();
  CsvRecorder recorder(session, invocation.channels);
  station.Subscribe(&recorder);
  const ULONGLONG start = GetTickCount64();
  const ULONGLONG end = invocation.seconds > 0 ? start + static_cast<ULONGLONG>(invocation.seconds) * 1000 : ULLONG_MAX;
  for (Timer& t : timers) t.next = start;
  int result = kExitOk;
  for (;;) {
    ULONGLONG now = GetTickCount64();
    if (now >= end) break;
    ULONGLONG wake = end;
    for (Timer& t : timers) {
      const std::uint32_t mask = SelectionMask(t.kind, invocation.channels);
      if (mask == 0) continue;
      if (now >= t.next) {
        station.Read(t.kind, mask);
        const ULONGLONG period = static_cast<ULONGLONG>(station::Info(t.kind).periodMs);
        t.next += period;
        if (t.next <= now) t.next = now + period;
      }
      if (t.next < wake) wake = t.next;
    }
    if (!recorder.lines.empty() && !out.Write(recorder.lines)) {
      result = kExitOutput;
      break;
    }
    recorder.lines.clear();
    now = GetTickCount64();
    const DWORD wait = wake > now ? static_cast<DWORD>(std::min<ULONGLONG>(wake - now, 1000)) : 0;
    if (WaitForSingleObject(g_stop, wait) == WAIT_OBJECT_0) break;
  }
  station.Unsubscribe(&recorder);
  flagged = recorder.flagged;
  return result;
}

// The operator commands; a line on standard output tells what was written.
fw::Result<void> Operate(StationSession& session, const Invocation& invocation, std::string& done, const char*& entry) {
  station::Station& station = session.Station();
  const std::string n = std::to_string(invocation.distance);
  switch (invocation.command) {
    case Command::Set: {
      entry = "ExtOutPutDig";
      const std::string caption = session.OutputCaption(invocation.output);
      done = "output " + std::to_string(invocation.output) + " set to " + std::to_string(invocation.level) +
             (caption.empty() ? "" : " (" + caption + ")");
      return station.SetOutput(invocation.output, invocation.level);
    }
    case Command::AllLow:
      entry = "ExtOutPutDig";
      done = "outputs 0-23 set to 0";
      return station.AllOutputsLow();
    case Command::ResetCounters:
      entry = "ExtResetCNT";
      done = "counters reset";
      return station.ResetCounters();
    case Command::ResetDistance:
      entry = "ExtResetDis";
      done = "distance " + n + " reset";
      return station.ResetDistance(invocation.distance - 1);
    default: {
      entry = "ExtSetDis";
      done = "distance " + n + " set";
      const fw::Result<int> set = station.SetDistance(invocation.distance - 1);
      return {set.status, set.code};
    }
  }
}

int Run(const Invocation& invocation, Output& out, Output& err) {
  if (invocation.command == Command::Help) return out.Write(Lines(kUsage)) ? kExitOk : kExitOutput;
  if (invocation.command == Command::Check) return RunCheck(invocation, out, err, g_stop);
  if (!invocation.outputFile.empty() && !out.OpenFile(invocation.outputFile)) {
    err.Write("spprobe: cannot write " + invocation.outputFile + ": " + out.Failure() + "\r\n");
    return kExitOutput;
  }
  if (PanelIsRunning()) err.Write("spprobe: the panel (StationProbe.exe) is running and uses the same device\r\n");

  StationSession station;
  std::string message;
  const int opened = station.Open(message);
  if (opened != kExitOk) {
    err.Write("spprobe: " + message + "\r\n");
    return opened;
  }
  if (station.OpenFaulted()) err.Write("spprobe: the device faulted while being opened\r\n");

  int result = kExitOk;
  bool flagged = station.OpenFaulted();
  if (invocation.command == Command::Read || invocation.command == Command::Watch) {
    bool readingsFlagged = false;
    result = invocation.command == Command::Read ? ReadOnce(station, invocation, out, readingsFlagged)
                                                 : Watch(station, invocation, out, readingsFlagged);
    if (readingsFlagged) err.Write("spprobe: device entries faulted or are missing; their values are flagged\r\n");
    flagged = flagged || readingsFlagged;
  } else {
    std::string done;
    const char* entry = "";
    const fw::Result<void> status = Operate(station, invocation, done, entry);
    if (status.Ok()) {
      out.Write(done + "\r\n");
    } else {
      err.Write(std::string("spprobe: ") + entry + (status.status == Status::Missing ? " is missing" : " faulted") + "\r\n");
      flagged = true;
    }
  }
  if (station.Close().status == Status::Faulted) {
    err.Write("spprobe: the device faulted while being closed\r\n");
    flagged = true;
  }
  if (result == kExitOutput) {
    err.Write("spprobe: the output could not be written: " + out.Failure() + "\r\n");
  } else if (flagged) {
    result = kExitFaulted;
  }
  return result;
}

}  // namespace

int main() {
  Output out(STD_OUTPUT_HANDLE);
  Output err(STD_ERROR_HANDLE);
  g_err = &err;
  fw::SetTroubleSink(&ToStandardError);
  Invocation invocation;
  std::string error;
  if (!ParseArguments(Arguments(), invocation, error)) {
    err.Write("spprobe: " + error + "\r\n" + Lines(kUsage));
    return kExitUsage;
  }
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  // Ctrl+C is how watch ends, also when the program that started this one ignores it (the
  // ignoring is inherited).
  SetConsoleCtrlHandler(nullptr, FALSE);
  SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
  const int result = Run(invocation, out, err);
  SetEvent(g_finished);
  return result;
}
