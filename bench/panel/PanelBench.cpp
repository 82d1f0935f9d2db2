// Figures of the panel itself: the panel dialog hosted in this process, polling the station laid
// out for it (scripts/bench: the simulated libraries, the demo configuration, loginset.ini in the
// working directory). Prints readable lines and one "@bench|name|figure|unit|ratio" line per figure.
//   panel_bench [--poll-seconds N] [--startup-runs N] [--repeats N]
//     --poll-seconds  how long the panel polls before its working set is read (60)
//     --startup-runs  fresh processes timed from their start to the first painted panel (5)
//     --repeats       timed repetitions of each tick, repaint and relayout (30)
//   panel_bench --startup-child FILE   one start-up; its figures written to FILE (used by the above)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/StationProbeDlg.h"
#include "framework/Application.h"
#include "res/resource.h"
#include "tests/soak/ProcessCounts.h"

namespace {

// The panel shows message boxes under the application's name: it needs an application object.
class BenchApp : public fw::Application {
 public:
  bool OnStartup() override { return false; }
} theBenchApp;

constexpr UINT_PTR kStopTimer = 99;

double Now() {
  static const LONGLONG frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency);
}

// Milliseconds since this process was created, by the system's clock.
double MillisecondsSinceProcessCreation() {
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  ULARGE_INTEGER a, b;
  a.LowPart = created.dwLowDateTime;
  a.HighPart = created.dwHighDateTime;
  b.LowPart = now.dwLowDateTime;
  b.HighPart = now.dwHighDateTime;
  return static_cast<double>(b.QuadPart - a.QuadPart) / 10000.0;
}

// Committed private memory: PrivateUsage, or (Wine reports none) the private regions added up.
std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) &&
      memory.PrivateUsage != 0) {
    return memory.PrivateUsage;
  }
  std::size_t bytes = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return bytes;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Figure(const char* name, double value, const char* unit, const char* ratio = "") {
  std::printf("@bench|%s|%.3f|%s|%s\n", name, value, unit, ratio);
  std::fflush(stdout);
}

// The panel, with a note of its first complete paint and of the ticks it is given.
class BenchPanel : public CStationProbeDlg {
 public:
  BenchPanel() : CStationProbeDlg(nullptr) {}

  bool endAfterFirstPaint = false;
  double firstPaintSinceCreation = -1;  // ms since the process was created
  double firstPaintAt = -1;             // Now() at that moment
  UINT stopAfterMilliseconds = 0;  // a modal run ends by itself after this long
  long ticks[5] = {};
  PROCESS_MEMORY_COUNTERS memoryAtStop{};
  soak::ProcessCounts countsAtStop;
  std::size_t privateBytesAtStop = 0;

  void Close() { OnCancel(); }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CStationProbeDlg::OnInitDialog();
    if (stopAfterMilliseconds > 0) SetTimer(GetHwnd(), kStopTimer, stopAfterMilliseconds, nullptr);
    return result;
  }

  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_TIMER && wParam == kStopTimer) {
      KillTimer(GetHwnd(), kStopTimer);
      if (stopAfterMilliseconds > 0) {  // the figures of the running panel, working set first
        memoryAtStop.cb = sizeof memoryAtStop;
        GetProcessMemoryInfo(GetCurrentProcess(), &memoryAtStop, sizeof memoryAtStop);
        countsAtStop = soak::ReadProcessCounts();
        privateBytesAtStop = PrivateBytes();
      }
      Close();
      return true;
    }
    if (msg == WM_TIMER && wParam >= 1 && wParam <= 4) ++ticks[wParam];
    if (msg == WM_PAINT && firstPaintAt < 0) {
      if (!CStationProbeDlg::HandleMessage(msg, wParam, lParam, result)) result = DefaultDialog(msg, wParam, lParam);
      // The children paint after their parent; what is pending for them is drawn now, so that the
      // moment below is the whole panel on screen.
      RedrawWindow(GetHwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      firstPaintAt = Now();
      firstPaintSinceCreation = MillisecondsSinceProcessCreation();
      if (endAfterFirstPaint) PostMessageW(GetHwnd(), WM_TIMER, kStopTimer, 0);
      return true;
    }
    return CStationProbeDlg::HandleMessage(msg, wParam, lParam, result);
  }
};

// --- Start-up -----------------------------------------------------------------------------------

int StartupChild(const char* file, double entry) {
  BenchPanel panel;
  panel.endAfterFirstPaint = true;
  const double created = Now();
  panel.DoModal();
  FILE* out = std::fopen(file, "w");
  if (out == nullptr || panel.firstPaintAt < 0) return 1;
  std::fprintf(out, "%.3f %.3f %.3f\n", panel.firstPaintSinceCreation, (panel.firstPaintAt - entry) * 1000.0,
               (panel.firstPaintAt - created) * 1000.0);
  std::fclose(out);
  return 0;
}

void StartupFigures(int runs) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring resultFile = std::wstring(temp) + L"panel_bench_startup.txt";
  std::vector<double> fromCreation, fromEntry, fromDialog;
  for (int r = 0; r < runs; ++r) {
    DeleteFileW(resultFile.c_str());
    std::wstring command = L"\"" + std::wstring(exe) + L"\" --startup-child \"" + resultFile + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      std::printf("start-up: cannot start %ls (error %lu)\n", exe, GetLastError());
      return;
    }
    WaitForSingleObject(pi.hProcess, 120000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    FILE* in = _wfopen(resultFile.c_str(), L"r");
    double c = 0, e = 0, d = 0;
    if (in != nullptr && std::fscanf(in, "%lf %lf %lf", &c, &e, &d) == 3) {
      fromCreation.push_back(c);
      fromEntry.push_back(e);
      fromDialog.push_back(d);
    } else {
      std::printf("start-up: run %d gave no figure\n", r + 1);
    }
    if (in != nullptr) std::fclose(in);
  }
  DeleteFileW(resultFile.c_str());
  if (fromCreation.empty()) return;
  std::printf("start-up to the first painted panel, median of %zu fresh processes:\n", fromCreation.size());
  std::printf("  from process creation                %10.1f ms\n", Median(fromCreation));
  std::printf("  from the program's entry             %10.1f ms\n", Median(fromEntry));
  std::printf("  from the panel's creation            %10.1f ms\n", Median(fromDialog));
  Figure("start-up to first paint (process creation)", Median(fromCreation), "ms");
  Figure("start-up to first paint (program entry)", Median(fromEntry), "ms");
  Figure("start-up to first paint (panel creation)", Median(fromDialog), "ms");
}

// --- Ticks, repaint, relayout ---------------------------------------------------------------------

template <typename Body>
double MedianMilliseconds(int repeats, Body body) {
  for (int i = 0; i < 3; ++i) {  // warm up
    body();
    Pump();
  }
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const double start = Now();
    body();
    times.push_back((Now() - start) * 1000.0);
    Pump();  // what the step left to paint is not part of it
  }
  return Median(times);
}

void SelectAnalogCount(HWND panel, const wchar_t* count) {
  HWND combo = GetDlgItem(panel, IDC_ANALOG_COUNT);
  SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(count));
  SendMessageW(panel, WM_COMMAND, MAKEWPARAM(IDC_ANALOG_COUNT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void Tick(HWND panel, UINT_PTR timer) { SendMessageW(panel, WM_TIMER, timer, 0); }

void RepaintAll(HWND panel) {
  RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Relayout(HWND panel) {
  RECT client{};
  GetClientRect(panel, &client);
  SendMessageW(panel, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void PanelFigures(int repeats) {
  BenchPanel panel;
  if (!panel.CreateModeless()) {
    std::printf("panel: cannot create the dialog\n");
    return;
  }
  HWND hwnd = panel.GetHwnd();
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  Pump();
  // The ticks are given by hand, one at a time; the panel's own timers would interleave.
  for (UINT_PTR id = 1; id <= 4; ++id) KillTimer(hwnd, id);

  SelectAnalogCount(hwnd, L"16");
  if (panel.AnalogCount() != 16) std::printf("panel: the analog count did not become 16 (%d)\n", panel.AnalogCount());
  const double inputs = MedianMilliseconds(repeats, [&] { Tick(hwnd, 1); });
  const double analogs16 = MedianMilliseconds(repeats, [&] { Tick(hwnd, 2); });
  const double analogs16Painted = MedianMilliseconds(repeats, [&] {
    Tick(hwnd, 2);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  });
  const double counters = MedianMilliseconds(repeats, [&] { Tick(hwnd, 3); });
  const double distances = MedianMilliseconds(repeats, [&] { Tick(hwnd, 4); });
  SelectAnalogCount(hwnd, L"8");
  const double analogs8 = MedianMilliseconds(repeats, [&] { Tick(hwnd, 2); });

  const double repaint = MedianMilliseconds(repeats, [&] { RepaintAll(hwnd); });
  const double relayout = MedianMilliseconds(repeats, [&] { Relayout(hwnd); });
  RECT window{};
  GetWindowRect(hwnd, &window);
  MoveWindow(hwnd, 0, 0, 1024, 768, TRUE);
  Pump();
  const double relayoutLarge = MedianMilliseconds(repeats, [&] { Relayout(hwnd); });
  const double repaintLarge = MedianMilliseconds(repeats, [&] { RepaintAll(hwnd); });
  MoveWindow(hwnd, window.left, window.top, window.right - window.left, window.bottom - window.top, TRUE);
  Pump();

  std::printf("the panel against the simulated station, median of %d each:\n", repeats);
  std::printf("  timer 1 tick: 16 inputs                   %8.3f ms\n", inputs);
  std::printf("  timer 2 tick: 16 analog channels          %8.3f ms\n", analogs16);
  std::printf("    and the read-outs repainted             %8.3f ms\n", analogs16Painted);
  std::printf("  timer 2 tick: 8 analog channels           %8.3f ms\n", analogs8);
  std::printf("  timer 3 tick: 8 counters                  %8.3f ms\n", counters);
  std::printf("  timer 4 tick: 4 distances                 %8.3f ms\n", distances);
  std::printf("  full repaint, template size (%ldx%ld)      %8.3f ms\n", window.right - window.left,
              window.bottom - window.top, repaint);
  std::printf("  full repaint, 1024x768                    %8.3f ms\n", repaintLarge);
  std::printf("  Relayout, template size                   %8.3f ms\n", relayout);
  std::printf("  Relayout, 1024x768                        %8.3f ms\n", relayoutLarge);
  Figure("timer 1 tick (16 inputs)", inputs, "ms");
  Figure("timer 2 tick (16 analog channels)", analogs16, "ms");
  Figure("timer 2 tick (16 analog) with repaint", analogs16Painted, "ms");
  Figure("timer 2 tick (8 analog channels)", analogs8, "ms");
  Figure("timer 3 tick (8 counters)", counters, "ms");
  Figure("timer 4 tick (4 distances)", distances, "ms");
  Figure("full repaint of the panel", repaint, "ms");
  Figure("full repaint of the panel at 1024x768", repaintLarge, "ms");
  Figure("Relayout of the panel", relayout, "ms");
  Figure("Relayout of the panel at 1024x768", relayoutLarge, "ms");
  panel.Close();
  Pump();
}

// --- Working set after polling ------------------------------------------------------------------

void WorkingSetFigures(int seconds) {
  std::printf("polling for %d s with the panel's own timers...\n", seconds);
  std::fflush(stdout);
  const soak::ProcessCounts before = soak::ReadProcessCounts();
  BenchPanel panel;
  panel.stopAfterMilliseconds = static_cast<UINT>(seconds) * 1000u;
  const double start = Now();
  panel.DoModal();
  const double elapsed = Now() - start;
  const PROCESS_MEMORY_COUNTERS& memory = panel.memoryAtStop;
  std::printf("after %.1f s of polling (ticks: timer 1 %ld, timer 2 %ld, timer 3 %ld, timer 4 %ld):\n", elapsed,
              panel.ticks[1], panel.ticks[2], panel.ticks[3], panel.ticks[4]);
  std::printf("  working set                          %10.1f MiB (peak %.1f MiB)\n", memory.WorkingSetSize / 1048576.0,
              memory.PeakWorkingSetSize / 1048576.0);
  std::printf("  private bytes                        %10.1f MiB\n", panel.privateBytesAtStop / 1048576.0);
  std::printf("process figures from before the panel to the end of its polling:\n%s",
              soak::Describe(before, panel.countsAtStop).c_str());
  char name[96];
  std::snprintf(name, sizeof name, "working set after %d s of polling", seconds);
  Figure(name, memory.WorkingSetSize / 1048576.0, "MiB");
  std::snprintf(name, sizeof name, "private bytes after %d s of polling", seconds);
  Figure(name, panel.privateBytesAtStop / 1048576.0, "MiB");
}

}  // namespace

int main(int argc, char** argv) {
  const double entry = Now();
  int pollSeconds = 60;
  int startupRuns = 5;
  int repeats = 30;
  const char* childFile = nullptr;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--poll-seconds") == 0) pollSeconds = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--startup-runs") == 0) startupRuns = std::max(0, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--repeats") == 0) repeats = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--startup-child") == 0) childFile = argv[i + 1];
  }
  // The panel takes the process's first argument as its placement; the bench's options are none.
  __argc = 1;
  theBenchApp.Start();  // common controls, as the program has them

  if (childFile != nullptr) return StartupChild(childFile, entry);
  PanelFigures(repeats);
  if (startupRuns > 0) StartupFigures(startupRuns);
  WorkingSetFigures(pollSeconds);
  return 0;
}
