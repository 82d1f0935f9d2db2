// Figures of the panel itself: the panel dialog hosted in this process, polling the station laid
// out for it (scripts/bench: the simulated libraries, the demo configuration, loginset.ini in the
// working directory), and stations of the bench's own for a while (values standing still, one of
// each kind changing, a calib.ini at every limit). Prints readable lines and one
// "@bench|name|figure|unit|ratio" line per figure.
//   panel_bench [--poll-seconds N] [--startup-runs N] [--repeats N]
//     --poll-seconds  how long the panel polls before its working set is read (60)
//     --startup-runs  fresh processes timed from their start to the first painted panel (5)
//     --repeats       timed repetitions of each tick, repaint and relayout (30)
//   panel_bench --startup-child FILE   one start-up; its figures written to FILE (used by the above)
#include <windows.h>
#include <psapi.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/StationProbeDlg.h"
#include "framework/Application.h"
#include "res/resource.h"
#include "station/Captions.h"
#include "station/Channels.h"
#include "station/ProfileWin32.h"
#include "sysbind/SysEnv.h"
#include "tests/soak/ProcessCounts.h"
#include "tests/support/PaintRecorder.h"
#include "tests/support/TestSupport.h"
#include "widgets/Digistring.h"

namespace {

// The panel shows message boxes under the application's name: it needs an application object.
class BenchApp : public fw::Application {
 public:
  bool OnStartup() override { return false; }
} theBenchApp;

using station::Kind;
using station::kKinds;

constexpr UINT_PTR kStopTimer = 99;
constexpr UINT_PTR kCpuStartTimer = 98;

// The channel map's kind that a timer of the panel polls, or -1.
int KindOfTimer(WPARAM timer) {
  for (int k = 0; k < station::kKindCount; ++k) {
    if (kKinds[k].timerId == timer) return k;
  }
  return -1;
}

// The ticks are given by hand, one at a time: the panel's own timers would come between them.
void StopPolling(HWND panel) {
  for (const station::KindInfo& kind : kKinds) KillTimer(panel, kind.timerId);
}

void Tick(HWND panel, Kind kind) { SendMessageW(panel, WM_TIMER, station::Info(kind).timerId, 0); }

// "timer 2 tick (16 analog channels)"
std::string TickFigure(Kind kind, int count, const char* what) {
  char name[96];
  std::snprintf(name, sizeof name, "timer %u tick (%d %s)", station::Info(kind).timerId, count, what);
  return name;
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

std::string Ratio(const char* what, double value) {
  char text[96];
  std::snprintf(text, sizeof text, "%s %.2f", what, value);
  return text;
}

// Seconds of processor time (user and kernel) the process has used.
double CpuSeconds() {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  ULARGE_INTEGER k, u;
  k.LowPart = kernel.dwLowDateTime;
  k.HighPart = kernel.dwHighDateTime;
  u.LowPart = user.dwLowDateTime;
  u.HighPart = user.dwHighDateTime;
  return static_cast<double>(k.QuadPart + u.QuadPart) / 1e7;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// --- Stations of the bench's own -----------------------------------------------------------------

// A station folder beside the demo's (a configuration folder, the simulated device library with its
// settings), which the system library names while the object lives. The settings file of the
// system library goes through the profile functions both ways, so that their cache never serves
// the old directories.
class BenchStation {
 public:
  BenchStation(const char* name, const std::string& simulator, const std::string& calib) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    m_settings = std::string(system) + "\\SysENV.ini";
    char value[MAX_PATH] = {};
    GetPrivateProfileStringA("Directories", "Config", "", value, MAX_PATH, m_settings.c_str());
    m_config = value;
    GetPrivateProfileStringA("Directories", "DeviceLibrary", "", value, MAX_PATH, m_settings.c_str());
    m_device = value;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "sp_panel_bench_" + name;
    CreateDirectoryA(root.c_str(), nullptr);
    CreateDirectoryA((root + "\\Config").c_str(), nullptr);
    CreateDirectoryA((root + "\\Device").c_str(), nullptr);
    DeleteFileA((root + "\\Config\\calib.ini").c_str());
    m_ok = (calib.empty() || WriteBytes(root + "\\Config\\calib.ini", calib)) &&
           WriteBytes(root + "\\Device\\HardwareSim.ini", simulator) &&
           CopyFileA((m_device + "\\Hardware.dll").c_str(), (root + "\\Device\\Hardware.dll").c_str(), FALSE);
    Point((root + "\\Config").c_str(), (root + "\\Device").c_str());
  }
  ~BenchStation() { Point(m_config.c_str(), m_device.c_str()); }
  bool ok() const { return m_ok; }

 private:
  void Point(const char* config, const char* device) const {
    WritePrivateProfileStringA("Directories", "Config", config, m_settings.c_str());
    WritePrivateProfileStringA("Directories", "DeviceLibrary", device, m_settings.c_str());
  }
  std::string m_settings, m_config, m_device;
  bool m_ok = false;
};

// Simulator settings: inputs fixed (every third one on), analog channels constant, counters and
// distances standing; `changing` makes input 5, analog channel 3, the fourth counter and the second
// distance move.
std::string SimulatorSettings(bool changing) {
  std::string ini = "[Inputs]\r\n";
  for (int k = 0; k < station::kInputChannels; ++k) {
    ini += "In" + std::to_string(k) + (changing && k == 5 ? " = toggle 300\r\n" : k % 3 ? " = fixed 0\r\n" : " = fixed 1\r\n");
  }
  ini += "[Analog]\r\nSampleRate = 1000\r\n";
  for (int k = 0; k < station::kAnalogChannels; ++k) {
    ini += "Ch" + std::to_string(k) +
           (changing && k == 3 ? " = ramp offset=0 amplitude=5 frequency=0.1\r\n"
                               : " = constant offset=" + std::to_string(k * 0.5) + "\r\n");
  }
  ini += "[Counters]\r\n";
  for (int n = 0; n < station::kCounters; ++n) {
    ini += "Rate" + std::to_string(station::DeviceId(Kind::Counter, n)) + (changing && n == 3 ? " = 20\r\n" : " = 0\r\n");
  }
  ini += "[Distances]\r\n";
  if (changing) ini += "Speed" + std::to_string(station::DeviceId(Kind::Distance, 1)) + " = 20\r\n";
  return ini;
}

// A calib.ini of `sections` devices, each declaring `keys` channels of every kind with descriptions.
std::string LargeCalibIni(int sections, int keys) {
  std::string ini;
  const char* kinds[] = {station::kDoutListKey, station::kDinListKey, station::kAnalogListKey};
  for (int s = 0; s < sections; ++s) {
    ini += "[Device" + std::to_string(s) + "]\r\n";
    for (int k = 0; k < 3; ++k) {
      std::string list, lines;
      for (int i = 0; i < keys; ++i) {
        const std::string key = std::string(1, static_cast<char>('a' + k)) + std::to_string(i);
        list += (i ? "," : "") + key;
        // "前光电" + a digit, then a description: the caption keeps "前" and the digit.
        lines += key + "=" + std::to_string(i % station::kInputChannels) + "\r\n" + key + "[About]=\xC7\xB0\xB9\xE2\xB5\xE7" +
                 std::to_string(s % 4) + "(x) 24V\r\n";
      }
      ini += std::string(kinds[k]) + "=" + list + "\r\n" + lines;
    }
  }
  return ini;
}

// --- Paint counting -------------------------------------------------------------------------------

// The operator's choice of how many analog channels are polled.
void SelectAnalogCount(HWND panel, int count) {
  HWND combo = GetDlgItem(panel, IDC_ANALOG_COUNT);
  const std::wstring text = std::to_wstring(count);
  SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(panel, WM_COMMAND, MAKEWPARAM(IDC_ANALOG_COUNT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// What a control shows: its text, its image, a read-out's value.
std::wstring Shown(HWND control) {
  wchar_t text[1024] = {};
  GetWindowTextW(control, text, 1024);
  std::wstring shown = text;
  shown += L"|" + std::to_wstring(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (auto* readout = dynamic_cast<CDigistring*>(fw::Window::FromHandle(control))) {
    const std::string value = readout->GetText();
    shown += L"|" + std::wstring(value.begin(), value.end());
  }
  return shown;
}

// The panel, with a note of its first complete paint and of the ticks it is given.
class BenchPanel : public CStationProbeDlg {
 public:
  BenchPanel() : CStationProbeDlg(nullptr) {}

  bool endAfterFirstPaint = false;
  double firstPaintSinceCreation = -1;  // ms since the process was created
  double firstPaintAt = -1;             // sptest::Seconds() at that moment
  UINT stopAfterMilliseconds = 0;  // a modal run ends by itself after this long
  UINT leadInMilliseconds = 0;     // before the processor time is first read; the run is longer by this
  bool idleTimers = false;         // the four timers arrive and do nothing
  bool allChannels = false;        // the analog count is set to 16 at the start
  double cpuAtStart = -1;          // CPU seconds when the lead-in ended
  double cpuAtStop = -1;
  long ticks[station::kKindCount] = {};  // by kind
  PROCESS_MEMORY_COUNTERS memoryAtStop{};
  soak::ProcessCounts countsAtStop;
  std::size_t privateBytesAtStop = 0;

  void Close() { OnCancel(); }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CStationProbeDlg::OnInitDialog();
    if (allChannels) SelectAnalogCount(GetHwnd(), station::kAnalogChannels);
    if (stopAfterMilliseconds > 0) SetTimer(GetHwnd(), kStopTimer, stopAfterMilliseconds + leadInMilliseconds, nullptr);
    if (leadInMilliseconds > 0) SetTimer(GetHwnd(), kCpuStartTimer, leadInMilliseconds, nullptr);
    return result;
  }

  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_TIMER && wParam == kCpuStartTimer) {
      KillTimer(GetHwnd(), kCpuStartTimer);
      cpuAtStart = CpuSeconds();
      return true;
    }
    if (msg == WM_TIMER && wParam == kStopTimer) {
      cpuAtStop = CpuSeconds();
      KillTimer(GetHwnd(), kStopTimer);
      if (stopAfterMilliseconds > 0) {  // the figures of the running panel, working set first
        memoryAtStop.cb = sizeof memoryAtStop;
        GetProcessMemoryInfo(GetCurrentProcess(), &memoryAtStop, sizeof memoryAtStop);
        countsAtStop = soak::ReadProcessCounts();
        privateBytesAtStop = soak::PrivateBytes();
      }
      Close();
      return true;
    }
    if (msg == WM_TIMER && KindOfTimer(wParam) >= 0) {
      ++ticks[KindOfTimer(wParam)];
      if (idleTimers) return true;
    }
    if (msg == WM_PAINT && firstPaintAt < 0) {
      if (!CStationProbeDlg::HandleMessage(msg, wParam, lParam, result)) result = DefaultDialog(msg, wParam, lParam);
      // The children paint after their parent; what is pending for them is drawn now, so that the
      // moment below is the whole panel on screen.
      RedrawWindow(GetHwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      firstPaintAt = sptest::Seconds();
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
  const double created = sptest::Seconds();
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
double MedianMilliseconds(int repeats, Body body, int warmUps = 3) {
  for (int i = 0; i < warmUps; ++i) {
    body();
    sptest::PumpMessages();
  }
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const double start = sptest::Seconds();
    body();
    times.push_back((sptest::Seconds() - start) * 1000.0);
    sptest::PumpMessages();  // what the step left to paint is not part of it
  }
  return Median(times);
}

void RepaintAll(HWND panel) {
  RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Relayout(HWND panel) {
  RECT client{};
  GetClientRect(panel, &client);
  SendMessageW(panel, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }

// The panel's template under a plain dialog procedure: every control the system's own.
double StockRepaint(int repeats, const RECT& placed) {
  HWND stock = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_STATIONPROBE_DIALOG), nullptr,
                                  PlainDialogProc, 0);
  if (stock == nullptr) return 0;
  SetWindowPos(stock, nullptr, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(stock);
  sptest::PumpMessages();
  const double ms = MedianMilliseconds(repeats, [&] { RepaintAll(stock); });
  DestroyWindow(stock);
  sptest::PumpMessages();
  return ms;
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
  sptest::PumpMessages();
  StopPolling(hwnd);

  SelectAnalogCount(hwnd, station::kAnalogChannels);
  if (panel.AnalogCount() != station::kAnalogChannels) {
    std::printf("panel: the analog count did not become %d (%d)\n", station::kAnalogChannels, panel.AnalogCount());
  }
  const double inputs = MedianMilliseconds(repeats, [&] { Tick(hwnd, Kind::Input); });
  const double analogsAll = MedianMilliseconds(repeats, [&] { Tick(hwnd, Kind::Analog); });
  const double analogsAllPainted = MedianMilliseconds(repeats, [&] {
    Tick(hwnd, Kind::Analog);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  });
  const double counters = MedianMilliseconds(repeats, [&] { Tick(hwnd, Kind::Counter); });
  const double distances = MedianMilliseconds(repeats, [&] { Tick(hwnd, Kind::Distance); });
  SelectAnalogCount(hwnd, station::kStartAnalogCount);
  const double analogsStart = MedianMilliseconds(repeats, [&] { Tick(hwnd, Kind::Analog); });

  const double repaint = MedianMilliseconds(repeats, [&] { RepaintAll(hwnd); });
  const double relayout = MedianMilliseconds(repeats, [&] { Relayout(hwnd); });
  const double captions = MedianMilliseconds(repeats, [&] { panel.RefreshCaptions(); });
  RECT window{};
  GetWindowRect(hwnd, &window);
  MoveWindow(hwnd, 0, 0, 1024, 768, TRUE);
  sptest::PumpMessages();
  const double relayoutLarge = MedianMilliseconds(repeats, [&] { Relayout(hwnd); });
  const double repaintLarge = MedianMilliseconds(repeats, [&] { RepaintAll(hwnd); });
  MoveWindow(hwnd, window.left, window.top, window.right - window.left, window.bottom - window.top, TRUE);
  sptest::PumpMessages();
  panel.Close();
  sptest::PumpMessages();
  const double stock = StockRepaint(repeats, window);

  std::printf("the panel against the simulated station, median of %d each (template size %ldx%ld):\n", repeats,
              window.right - window.left, window.bottom - window.top);
  Figure(TickFigure(Kind::Input, station::kInputChannels, "inputs").c_str(), inputs, "ms");
  Figure(TickFigure(Kind::Analog, station::kAnalogChannels, "analog channels").c_str(), analogsAll, "ms");
  Figure((TickFigure(Kind::Analog, station::kAnalogChannels, "analog") + " with repaint").c_str(), analogsAllPainted,
         "ms");
  Figure(TickFigure(Kind::Analog, station::kStartAnalogCount, "analog channels").c_str(), analogsStart, "ms");
  Figure(TickFigure(Kind::Counter, station::kCounters, "counters").c_str(), counters, "ms");
  Figure(TickFigure(Kind::Distance, station::kDistances, "distances").c_str(), distances, "ms");
  Figure("full repaint of the panel", repaint, "ms", Ratio("panel/stock", repaint / stock).c_str());
  Figure("full repaint of the template, stock controls only", stock, "ms");
  Figure("full repaint of the panel at 1024x768", repaintLarge, "ms");
  Figure("Relayout of the panel", relayout, "ms");
  Figure("Relayout of the panel at 1024x768", relayoutLarge, "ms");
  Figure("caption refresh, the demo station's calib.ini", captions, "ms");
}

// --- Paints per tick ------------------------------------------------------------------------------

// Rounds of the four ticks, one after another, against a station of the bench's own; every tick's
// painted controls are compared with the controls whose shown value changed.
void PaintFigures(bool changing, int rounds) {
  BenchStation station(changing ? "changing" : "still", SimulatorSettings(changing), "");
  BenchPanel panel;
  if (!station.ok() || !panel.CreateModeless()) {
    std::printf("paints: cannot lay out the station or create the panel\n");
    return;
  }
  HWND hwnd = panel.GetHwnd();
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  StopPolling(hwnd);
  SelectAnalogCount(hwnd, station::kAnalogChannels);
  for (int k = 0; k < station::kKindCount; ++k) Tick(hwnd, static_cast<Kind>(k));  // the first values shown
  UpdateWindow(hwnd);
  sptest::PumpMessages();

  // The panel's own paints count as well; its controls are compared before and after every tick.
  long paints = 0, changes = 0, unchanged = 0;
  long byTimer[station::kKindCount] = {};
  {
    sptest::PaintRecorder recorder(hwnd);
    const std::vector<HWND> controls(recorder.Watched().begin() + 1, recorder.Watched().end());
    for (int r = 0; r < rounds; ++r) {
      for (int k = 0; k < station::kKindCount; ++k) {
        std::map<HWND, std::wstring> before;
        for (HWND control : controls) before[control] = Shown(control);
        recorder.Clear();
        Tick(hwnd, static_cast<Kind>(k));
        sptest::PumpMessages();
        for (HWND control : controls) {
          const bool changed = Shown(control) != before[control];
          changes += changed;
          unchanged += !changed && recorder.Painted().count(control);
        }
        paints += static_cast<long>(recorder.Painted().size());
        byTimer[k] += static_cast<long>(recorder.Painted().size());
      }
      Sleep(10);  // the changing values move between rounds
    }
  }
  panel.Close();
  sptest::PumpMessages();

  std::printf("%s station, %d ticks of each timer: %ld controls painted (timers 1-4: %ld %ld %ld %ld), %ld values "
              "changed, %ld paints of an unchanged control\n",
              changing ? "one of each changing" : "still", rounds, paints, byTimer[0], byTimer[1], byTimer[2],
              byTimer[3], changes, unchanged);
  char name[96];
  if (changing) {
    std::snprintf(name, sizeof name, "paints in %d ticks of each timer, one of each changing", rounds);
    Figure(name, paints, "paints", Ratio("paints/changes", changes > 0 ? double(paints) / changes : 0).c_str());
  } else {
    std::snprintf(name, sizeof name, "paints in %d ticks of each timer, still station", rounds);
    Figure(name, paints, "paints");
  }
}

// --- Captions from a calib.ini at every limit ---------------------------------------------------------

int FieldOf(const char* text, char* out, int index) { return GetField(text, out, index); }
int PartOf(const char* text, char* out, int index, char delimiter) { return GetField2(text, out, index, delimiter); }

void CaptionFigures() {
  BenchStation station("captions", SimulatorSettings(false), LargeCalibIni(100, 100));
  BenchPanel panel;
  if (!station.ok() || !panel.CreateModeless()) {
    std::printf("captions: cannot lay out the station or create the panel\n");
    return;
  }
  StopPolling(panel.GetHwnd());
  sptest::PumpMessages();
  const double refresh = MedianMilliseconds(3, [&] { panel.RefreshCaptions(); }, 1);
  // The same three kinds through one profile-function call per key, as the panel read them before.
  char config[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, config);
  const std::string calib = std::string(config) + "sp_panel_bench_captions\\Config\\calib.ini";
  const double perKey = MedianMilliseconds(1, [&] {
    station::Win32ProfileReader profile(calib.c_str());
    station::FieldFunctions fields(&FieldOf, &PartOf);
    ChannelCaptions<station::kOutputChannels> dout{};
    ChannelCaptions<station::kInputChannels> din{};
    ChannelCaptions<station::kAnalogChannels> analog{};
    station::ReadCaptions(profile, fields, station::kDoutListKey, dout);
    station::ReadCaptions(profile, fields, station::kDinListKey, din);
    station::ReadCaptions(profile, fields, station::kAnalogListKey, analog);
  }, 0);
  panel.Close();
  sptest::PumpMessages();
  std::printf("captions from a calib.ini of 100 sections x 100 keys per kind: refresh %.1f ms, one profile call per "
              "key %.1f ms\n", refresh, perKey);
  Figure("caption refresh, calib.ini of 100 sections x 100 keys per kind", refresh, "ms",
         Ratio("per-key/refresh", perKey / refresh).c_str());
  Figure("captions read one profile call per key, the same file", perKey, "ms");
}

// --- Processor time of a still station ------------------------------------------------------------

void CpuFigures(int seconds) {
  BenchStation station("still", SimulatorSettings(false), "");
  double cpu[2] = {};
  for (int idle = 1; idle >= 0; --idle) {
    BenchPanel panel;
    panel.stopAfterMilliseconds = static_cast<UINT>(seconds) * 1000u;
    panel.leadInMilliseconds = 1000;  // start-up and first paint left out
    panel.idleTimers = idle != 0;
    panel.allChannels = true;
    panel.DoModal();
    cpu[idle] = panel.cpuAtStop - panel.cpuAtStart;
    std::printf("%s panel, %d s: %.3f s of processor time (ticks: %ld %ld %ld %ld)\n",
                idle ? "idle" : "polling", seconds, cpu[idle], panel.ticks[0], panel.ticks[1], panel.ticks[2],
                panel.ticks[3]);
  }
  char name[96];
  std::snprintf(name, sizeof name, "CPU time polling a still station for %d s", seconds);
  Figure(name, cpu[0] * 1000.0, "ms", Ratio("polling/idle", cpu[1] > 0 ? cpu[0] / cpu[1] : 0).c_str());
  std::snprintf(name, sizeof name, "CPU time of the panel with idle timers for %d s", seconds);
  Figure(name, cpu[1] * 1000.0, "ms");
}

// --- Working set after polling ------------------------------------------------------------------

void WorkingSetFigures(int seconds) {
  std::printf("polling for %d s with the panel's own timers...\n", seconds);
  std::fflush(stdout);
  const soak::ProcessCounts before = soak::ReadProcessCounts();
  BenchPanel panel;
  panel.stopAfterMilliseconds = static_cast<UINT>(seconds) * 1000u;
  const double start = sptest::Seconds();
  panel.DoModal();
  const double elapsed = sptest::Seconds() - start;
  const PROCESS_MEMORY_COUNTERS& memory = panel.memoryAtStop;
  std::printf("after %.1f s of polling (ticks: timer 1 %ld, timer 2 %ld, timer 3 %ld, timer 4 %ld):\n", elapsed,
              panel.ticks[0], panel.ticks[1], panel.ticks[2], panel.ticks[3]);
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
  const double entry = sptest::Seconds();
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
  PaintFigures(false, 100);
  PaintFigures(true, 100);
  CaptionFigures();
  if (startupRuns > 0) StartupFigures(startupRuns);
  CpuFigures(pollSeconds);
  WorkingSetFigures(pollSeconds);
  return 0;
}
