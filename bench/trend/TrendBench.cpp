// Figures of the trend window on the panel, hosted in this process against the demo station that
// scripts/bench lays out (its simulator settings, with a journal of the bench's own):
//   - device calls per minute of the panel polling with the trend closed, and open on 8 channels;
//   - processor time of the same polling (without the journal), closed and open in turn, medians of three;
//   - pixels the trend's charts paint per tick of the panel, against the charts' area;
//   - private bytes after a minute and after an hour of 8 channels, the hour fed to the trend as
//     samples of a clock of our own, against the rings' fixed size.
// Prints readable lines and one "@bench|name|figure|unit|ratio" line per figure.
//   trend_bench [--poll-seconds N]   how long each polling run lasts (SP_BENCH_POLL_SECONDS, else 30;
//                                     eight runs)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/StationProbeDlg.h"
#include "framework/Application.h"
#include "res/resource.h"
#include "tests/soak/ProcessCounts.h"

namespace {

using station::Kind;

class BenchApp : public fw::Application {
 public:
  bool OnStartup() override { return false; }
} theBenchApp;

constexpr UINT_PTR kLeadInTimer = 98, kStopTimer = 99;
// Two of each kind on the demo station: noise, sines, a ramp; toggling inputs; a running counter and
// a moving distance.
const struct {
  Kind kind;
  int index;
} kChannels[] = {{Kind::Analog, 0}, {Kind::Analog, 2}, {Kind::Analog, 4}, {Kind::Analog, 5},
                 {Kind::Input, 2},  {Kind::Input, 9},  {Kind::Counter, 0}, {Kind::Distance, 0}};

void Figure(const char* name, double value, const char* unit, const std::string& ratio = "") {
  std::printf("@bench|%s|%.3f|%s|%s\n", name, value, unit, ratio.c_str());
  std::fflush(stdout);
}

std::string Ratio(const char* what, double value, const char* format = "%s %.2f") {
  char text[96];
  std::snprintf(text, sizeof text, format, what, value);
  return text;
}

double CpuSeconds() {
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

double PrivateMiB() { return soak::PrivateBytes() / 1048576.0; }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The demo station's simulator with a journal, in a folder of the bench's own that the system
// library names while the object lives (the demo's own folders come back afterwards).
class JournalStation {
 public:
  JournalStation() {
    char system[MAX_PATH] = {}, value[MAX_PATH] = {}, temp[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    m_settings = std::string(system) + "\\SysENV.ini";
    GetPrivateProfileStringA("Directories", "Config", "", value, MAX_PATH, m_settings.c_str());
    m_config = value;
    GetPrivateProfileStringA("Directories", "DeviceLibrary", "", value, MAX_PATH, m_settings.c_str());
    m_device = value;
    GetTempPathA(MAX_PATH, temp);
    const std::string device = std::string(temp) + "sp_trend_bench";
    CreateDirectoryA(device.c_str(), nullptr);
    m_journal = device + "\\journal.txt";
    DeleteFileA(m_journal.c_str());
    const std::string settings = ReadBytes(m_device + "\\HardwareSim.ini") + "\r\n[Journal]\r\nFile=journal.txt\r\n";
    std::ofstream(device + "\\HardwareSim.ini", std::ios::binary) << settings;
    m_ok = CopyFileA((m_device + "\\Hardware.dll").c_str(), (device + "\\Hardware.dll").c_str(), FALSE) != FALSE;
    WritePrivateProfileStringA("Directories", "DeviceLibrary", device.c_str(), m_settings.c_str());
  }
  ~JournalStation() { WritePrivateProfileStringA("Directories", "DeviceLibrary", m_device.c_str(), m_settings.c_str()); }
  bool ok() const { return m_ok; }
  long Calls() const {
    const std::string bytes = ReadBytes(m_journal);
    long lines = 0;
    for (std::size_t at = 0; (at = bytes.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    return lines;
  }

 private:
  std::string m_settings, m_config, m_device, m_journal;
  bool m_ok = false;
};

// Pixels the trend's charts paint: their update regions, and what they paint at once through their
// print path (clipped to the new columns).
long long g_paintedPixels = 0;
LRESULT CALLBACK CountPainted(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  RECT box{};
  if (msg == WM_PRINTCLIENT && GetClipBox(reinterpret_cast<HDC>(wParam), &box) > NULLREGION) {
    g_paintedPixels += static_cast<long long>(box.right - box.left) * (box.bottom - box.top);
  }
  if (msg == WM_PAINT) {
    const HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetUpdateRgn(hwnd, region, FALSE) > NULLREGION) {
      const DWORD size = GetRegionData(region, 0, nullptr);
      std::string buffer(size, '\0');
      auto* data = reinterpret_cast<RGNDATA*>(&buffer[0]);
      if (size > 0 && GetRegionData(region, size, data) == size) {
        const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
        for (DWORD i = 0; i < data->rdh.nCount; ++i) {
          g_paintedPixels += static_cast<long long>(rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
        }
      }
    }
    DeleteObject(region);
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// The panel polling with its own timers for a while, with or without the trend.
class BenchPanel : public CStationProbeDlg {
 public:
  BenchPanel(bool trend, UINT seconds) : CStationProbeDlg(nullptr), m_withTrend(trend), m_seconds(seconds) {}
  const JournalStation* station = nullptr;
  double cpu = 0;
  long calls = 0, ticks = 0;
  long long painted = 0, chartArea = 0;

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = CStationProbeDlg::OnInitDialog();
    if (m_withTrend) {
      for (const auto& c : kChannels) ShowTrend(c.kind, c.index);
    }
    SetTimer(GetHwnd(), kLeadInTimer, 2000, nullptr);  // start-up and the first paints left out
    return result;
  }
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_TIMER && wParam == kLeadInTimer) {
      KillTimer(GetHwnd(), kLeadInTimer);
      SetTimer(GetHwnd(), kStopTimer, m_seconds * 1000, nullptr);
      m_counting = true;
      cpu = CpuSeconds();
      calls = station != nullptr ? station->Calls() : 0;
      g_paintedPixels = 0;
      if (CTrendDlg* trend = Trend()) {
        for (const Kind kind : {Kind::Input, Kind::Analog, Kind::Counter, Kind::Distance}) {
          const HWND chart = trend->ChartOf(kind).GetHwnd();
          SetWindowSubclass(chart, CountPainted, 1, 0);
          RECT client{};
          if (IsWindowVisible(chart) && GetClientRect(chart, &client)) chartArea += client.right * client.bottom;
        }
      }
      return true;
    }
    if (msg == WM_TIMER && wParam == kStopTimer) {
      cpu = CpuSeconds() - cpu;
      calls = station != nullptr ? station->Calls() - calls : 0;
      painted = g_paintedPixels;
      m_counting = false;
      OnCancel();
      return true;
    }
    if (msg == WM_TIMER && wParam >= 1 && wParam <= 4 && m_counting) ++ticks;
    return CStationProbeDlg::HandleMessage(msg, wParam, lParam, result);
  }

 private:
  bool m_withTrend;
  UINT m_seconds;
  bool m_counting = false;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// One run of the panel polling for `seconds`; journal: the device calls are counted.
BenchPanel& Run(BenchPanel& panel, bool journal) {
  std::optional<JournalStation> station;
  if (journal) station.emplace();
  panel.station = journal ? &*station : nullptr;
  panel.DoModal();
  Pump();
  return panel;
}

void PollingFigures(int seconds) {
  // Device calls: one run each way with the journal on.
  double calls[2] = {};
  for (int open = 0; open <= 1; ++open) {
    BenchPanel panel(open != 0, static_cast<UINT>(seconds));
    Run(panel, true);
    // Per tick, then for the 590 ticks of a minute of the panel's four timers: a run may get one
    // tick more or fewer than another from the system's timers.
    calls[open] = panel.ticks > 0 ? 590.0 * panel.calls / panel.ticks : 0;
    std::printf("journal on, trend %s, %d s: %ld ticks, %ld device calls\n", open ? "open on 8 channels" : "closed",
                seconds, panel.ticks, panel.calls);
  }
  // Processor time and paints: closed and open in turn, three times, without the journal.
  std::vector<double> cpu[2], perTick;
  long long area = 0;
  for (int round = 0; round < 3; ++round) {
    for (int open = 0; open <= 1; ++open) {
      BenchPanel panel(open != 0, static_cast<UINT>(seconds));
      Run(panel, false);
      cpu[open].push_back(panel.cpu / seconds);
      std::printf("trend %s, %d s: %ld ticks, %.3f s of processor time", open ? "open on 8 channels" : "closed", seconds,
                  panel.ticks, panel.cpu);
      if (open) {
        perTick.push_back(panel.ticks > 0 ? static_cast<double>(panel.painted) / panel.ticks : 0);
        area = panel.chartArea;
        std::printf(", %lld of the charts' %lld pixels painted", panel.painted, panel.chartArea);
      }
      std::printf("\n");
    }
  }
  Figure("device calls a minute, trend closed", calls[0], "calls");
  Figure("device calls a minute, trend open on 8 channels", calls[1], "calls",
         Ratio("open/closed", calls[0] > 0 ? calls[1] / calls[0] : 0));
  const double closed = Median(cpu[0]), open = Median(cpu[1]);
  Figure("CPU time of a second of polling, trend closed", closed * 1000, "ms");
  Figure("CPU time of a second of polling, trend open on 8 channels", open * 1000, "ms",
         Ratio("open/closed", closed > 0 ? open / closed : 0));
  const double painted = Median(perTick);
  Figure("pixels the trend's charts paint per tick of the panel", painted, "px",
         Ratio("of the charts", area > 0 ? 100.0 * painted / area : 0, "%s %.2f %%"));
  Figure("the trend's charts, area", static_cast<double>(area), "px");
}

// An hour of samples of the eight channels, at the panel's periods on a clock of our own.
void MemoryFigures() {
  CStationProbeDlg panel(nullptr);
  if (!panel.CreateModeless()) {
    std::printf("memory: cannot create the panel\n");
    return;
  }
  for (UINT_PTR id = 1; id <= 4; ++id) KillTimer(panel.GetHwnd(), id);
  for (const auto& c : kChannels) panel.ShowTrend(c.kind, c.index);
  CTrendDlg* trend = panel.Trend();
  if (trend == nullptr) return;
  Pump();
  const std::int64_t start = station::Station::ClockUs(), wall = station::Station::WallUs();
  std::int64_t due[station::kKindCount] = {};
  double atMinute = 0;
  const std::int64_t hour = 3600LL * 1000000;
  for (std::int64_t now = 0; now <= hour; now += 100000) {  // the clock in tenths of a second
    for (int k = 0; k < station::kKindCount; ++k) {
      const Kind kind = static_cast<Kind>(k);
      if (now < due[k]) continue;
      due[k] += station::Info(kind).periodMs * 1000LL;
      station::Sample sample;
      sample.kind = kind;
      sample.timeUs = start + now;
      sample.wallUs = wall + now;
      sample.count = kind == Kind::Analog ? station::kStartAnalogCount : station::ChannelCount(kind);
      for (int i = 0; i < sample.count; ++i) {
        station::Reading& r = sample.readings[i];
        r.index = i;
        const double t = now / 1e6;
        switch (kind) {
          case Kind::Input: station::SetInputReading(r, (static_cast<long long>(t / (1 + i)) & 1) != 0); break;
          case Kind::Analog: station::SetAnalogReading(r, static_cast<float>(1.5 + std::sin(t * (i + 1) / 7))); break;
          case Kind::Counter: station::SetCounterReading(r, static_cast<float>(std::floor(t * (i + 1)))); break;
          case Kind::Distance: station::SetDistanceReading(r, static_cast<float>(std::fmod(t * 12, 3000))); break;
        }
      }
      trend->OnSample(sample);
    }
    if (now % 1000000 == 0) Pump();  // the paints of each second
    if (now == 60LL * 1000000) atMinute = PrivateMiB();
  }
  Pump();
  const double atHour = PrivateMiB();
  const double rings = trend->Recorder().Bytes() / 1048576.0;
  std::printf("private bytes: %.2f MiB after a minute of 8 channels, %.2f MiB after an hour; the rings hold %.2f MiB "
              "(%zu points)\n", atMinute, atHour, rings, trend->Recorder().Bytes() / sizeof(TrendPoint));
  Figure("private bytes after a minute of 8 channels", atMinute, "MiB");
  Figure("private bytes after an hour of 8 channels", atHour, "MiB",
         Ratio("growth/rings", rings > 0 ? (atHour - atMinute) / rings : 0));
  Figure("the rings of 8 channels, fixed when added", rings, "MiB");
  SendMessageW(panel.GetHwnd(), WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), LPARAM(GetDlgItem(panel.GetHwnd(), IDC_EXIT)));
  Pump();
}

}  // namespace

int main(int argc, char** argv) {
  const char* fromEnvironment = std::getenv("SP_BENCH_POLL_SECONDS");
  int seconds = fromEnvironment != nullptr && std::atoi(fromEnvironment) > 0 ? std::atoi(fromEnvironment) : 30;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--poll-seconds") == 0) seconds = std::max(1, std::atoi(argv[i + 1]));
  }
  __argc = 1;  // the panel takes the process's first argument as its placement
  theBenchApp.Start();
  MemoryFigures();
  PollingFigures(seconds);
  return 0;
}
