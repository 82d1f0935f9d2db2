// spprobe: the station's channels from the command line, through the panel's libraries, bindings
// and captions. See kUsage for the commands and exit codes.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "probe/Arguments.h"
#include "probe/Output.h"
#include "probe/Report.h"
#include "probe/StationSession.h"

namespace {

using namespace probe;

// Set by Ctrl+C, Ctrl+Break or the console closing; ends watch at its next wait.
HANDLE g_stop = nullptr;
// Set once the device is closed and the output complete.
HANDLE g_finished = nullptr;

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

// The panel marks its run with this mutex; looking does not create it.
bool PanelIsRunning() {
  const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "StationProbe");
  if (mutex != nullptr) {
    CloseHandle(mutex);
    return true;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;
}

int ReadOnce(StationSession& station, const Invocation& invocation, Output& out) {
  const std::string time = FormatTimestamp(Now());
  const std::vector<Reading> readings = station.Read(invocation.channels);
  std::string text;
  switch (invocation.format) {
    case Format::Json: text = FormatJson(time, readings); break;
    case Format::Csv: text = CsvHeader() + CsvLines(time, readings); break;
    default: text = FormatText(readings); break;
  }
  return out.Write(text) ? kExitOk : kExitOutput;
}

// Each kind at the panel's period for it; a tick that comes late is taken once, not made up.
int Watch(StationSession& station, const Invocation& invocation, Output& out) {
  struct Timer {
    Kind kind;
    ULONGLONG period;
    ULONGLONG next;
  };
  Timer timers[] = {{Kind::Input, 300, 0}, {Kind::Analog, 400, 0}, {Kind::Counter, 500, 0}, {Kind::Distance, 500, 0}};
  if (!out.Write(CsvHeader())) return kExitOutput;
  const ULONGLONG start = GetTickCount64();
  const ULONGLONG end = invocation.seconds > 0 ? start + static_cast<ULONGLONG>(invocation.seconds) * 1000 : ULLONG_MAX;
  for (Timer& t : timers) t.next = start;
  for (;;) {
    ULONGLONG now = GetTickCount64();
    if (now >= end) return kExitOk;
    std::string lines;
    ULONGLONG wake = end;
    for (Timer& t : timers) {
      if (!invocation.channels.AnyOf(t.kind)) continue;
      if (now >= t.next) {
        const std::string time = FormatTimestamp(Now());
        lines += CsvLines(time, station.Read(t.kind, invocation.channels));
        t.next += t.period;
        if (t.next <= now) t.next = now + t.period;
      }
      if (t.next < wake) wake = t.next;
    }
    if (!lines.empty() && !out.Write(lines)) return kExitOutput;
    now = GetTickCount64();
    const DWORD wait = wake > now ? static_cast<DWORD>(std::min<ULONGLONG>(wake - now, 1000)) : 0;
    if (WaitForSingleObject(g_stop, wait) == WAIT_OBJECT_0) return kExitOk;
  }
}

// The operator commands; a line on standard output tells what was written.
Status Operate(StationSession& station, const Invocation& invocation, std::string& done, const char*& entry) {
  const std::string n = std::to_string(invocation.distance);
  switch (invocation.command) {
    case Command::Set: {
      entry = "ExtOutPutDig";
      const std::string caption = station.OutputCaption(invocation.output);
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
      return station.ResetDistance(invocation.distance);
    default:
      entry = "ExtSetDis";
      done = "distance " + n + " set";
      return station.SetDistance(invocation.distance);
  }
}

int Run(const Invocation& invocation, Output& out, Output& err) {
  if (invocation.command == Command::Help) return out.Write(Lines(kUsage)) ? kExitOk : kExitOutput;
  if (!invocation.outputFile.empty() && !out.OpenFile(invocation.outputFile)) {
    err.Write("spprobe: cannot write " + invocation.outputFile + "\r\n");
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
  if (station.OpenFaults() > 0) err.Write("spprobe: the device faulted while being opened\r\n");

  int result = kExitOk;
  if (invocation.command == Command::Read) {
    result = ReadOnce(station, invocation, out);
  } else if (invocation.command == Command::Watch) {
    result = Watch(station, invocation, out);
  } else {
    std::string done;
    const char* entry = "";
    const Status status = Operate(station, invocation, done, entry);
    if (status == Status::Ok) {
      out.Write(done + "\r\n");
    } else {
      err.Write(std::string("spprobe: ") + entry + (status == Status::Missing ? " is missing" : " faulted") + "\r\n");
    }
  }
  station.Close();
  if (station.CloseFaults() > 0) err.Write("spprobe: the device faulted while being closed\r\n");
  if (result == kExitOutput) {
    err.Write("spprobe: the output could not be written\r\n");
  } else if (station.Flagged()) {
    if (invocation.command == Command::Read || invocation.command == Command::Watch) {
      err.Write("spprobe: device entries faulted or are missing; their values are flagged\r\n");
    }
    result = kExitFaulted;
  }
  return result;
}

}  // namespace

int main() {
  Output out(STD_OUTPUT_HANDLE);
  Output err(STD_ERROR_HANDLE);
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
