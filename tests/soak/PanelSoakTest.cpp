// The panel polling the simulated station for a long run, hosted in this process with its ticks
// sent by hand (so a run is not bound to the timers' periods), relayouts and distance colour
// toggles mixed in: GDI and USER objects, kernel handles and memory must end where they began. A
// leak of each kind planted in a short run of the same work shows that the counting would see one.
// SP_SOAK_TICKS=n runs n rounds of the four timers instead of the suite's 600.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ProcessCounts.h"
#include "app/StationProbeDlg.h"
#include "framework/Application.h"
#include "res/resource.h"
#include "tests/e2e/PanelDriver.h"
#include "tests/support/TestSupport.h"

namespace {

// The panel names its message boxes after the application.
struct SoakApp : fw::Application {
  bool OnStartup() override { return false; }
} theSoakApp;

// Inputs toggling at their own paces, running counters and distances, the default moving channels:
// every tick changes what is shown. No journal: a long run would fill the disk.
std::string SimulatorSettings() {
  std::string ini = "[Journal]\r\nFile=\r\n[Counters]\r\nRate200 = 100000\r\n[Distances]\r\nSpeed300 = 5000\r\n[Inputs]\r\n";
  for (int k = 0; k < 16; ++k) ini += "In" + std::to_string(k) + " = toggle " + std::to_string(20 + 7 * k) + "\r\n";
  return ini;
}

// All sixteen analog channels polled, as the operator chooses them.
void PollAllAnalogChannels(HWND hwnd) {
  const HWND combo = GetDlgItem(hwnd, IDC_ANALOG_COUNT);
  SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"16"));
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_ANALOG_COUNT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

TEST(PanelSoak, PollingRelayoutsAndColourTogglesHoldNothingBack) {
  e2e::StationFolder station(SimulatorSettings());
  ASSERT_TRUE(station.ok()) << station.Root();
  CStationProbeDlg panel(nullptr);
  ASSERT_TRUE(panel.CreateModeless());
  const HWND hwnd = panel.GetHwnd();
  for (UINT_PTR id = 1; id <= 4; ++id) KillTimer(hwnd, id);  // its own ticks would come between ours
  RECT placed{};
  GetWindowRect(hwnd, &placed);
  // Bottom right and beneath every other window, so that tests reading the screen are not covered.
  const auto place = [&](int grow) {
    const int w = placed.right - placed.left + grow, h = placed.bottom - placed.top + grow;
    SetWindowPos(hwnd, HWND_BOTTOM, 1260 - w, 1004 - h, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  };
  place(0);
  PollAllAnalogChannels(hwnd);
  // One round of the four timers; every 250 rounds a relayout and a distance colour toggle as well.
  const auto round = [&](long i) {
    for (UINT_PTR id = 1; id <= 4; ++id) SendMessageW(hwnd, WM_TIMER, id, 0);
    if (i % 8 == 7) sptest::PumpMessages();  // the paints the ticks asked for
    if (i % 250 == 249) {
      place((i / 250) % 2 == 0 ? 40 : 0);
      const int label = IDC_DISTANCE_LABEL_0 + static_cast<int>((i / 250) % 4);
      SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(label, STN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, label)));
      sptest::PumpMessages();
    }
  };
  // Every kind of work once before counting: caches, fonts and segment cells come into being.
  for (long i = 0; i < 250; ++i) round(i);
  place(0);
  sptest::PumpMessages(50);
  const soak::ProcessCounts before = soak::ReadProcessCounts();
  const char* wanted = std::getenv("SP_SOAK_TICKS");
  const long rounds = wanted != nullptr && std::atol(wanted) > 0 ? std::atol(wanted) : 600;
  for (long i = 0; i < rounds; ++i) round(i);
  place(0);  // back to the size and colours counted at the start, everything painted
  sptest::PumpMessages(50);
  const soak::ProcessCounts after = soak::ReadProcessCounts();
  std::printf("%ld rounds of the four ticks\n%s", rounds, soak::Describe(before, after).c_str());
  wchar_t counter[32] = {};
  GetDlgItemTextW(hwnd, IDC_COUNTER_200, counter, 32);
  EXPECT_STRNE(counter, L"0xffffd8f0") << "the run did not reach the device";
  // Ten of each kind held back (until the process ends) in a short run: every count grows past what
  // the run may leave.
  for (long i = 0; i < 100; ++i) {
    round(i);
    if (i % 10 == 0) {
      CreateSolidBrush(RGB(1, 2, 3));
      CreateMenu();
      CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 1, 1, hwnd, nullptr, nullptr, nullptr);
      CreateEventW(nullptr, FALSE, FALSE, nullptr);
      HeapAlloc(GetProcessHeap(), 0, 16 * 1024);
    }
  }
  const soak::ProcessCounts leaked = soak::ReadProcessCounts();
  std::printf("with planted leaks\n%s", soak::Describe(after, leaked).c_str());
  for (const soak::Figure& f : soak::kFigures) {
    EXPECT_LE(after.*f.value - before.*f.value, f.slack) << f.name;
    EXPECT_GT(leaked.*f.value - after.*f.value, f.slack) << f.name << ": a planted leak went unseen";
  }
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_EXIT)));
  sptest::PumpMessages();
}

// The four ticks run for as long as the panel is up: none allocates, not even where a read-out
// paints its new value at once. Every value moves: inputs toggling, sixteen analog channels of
// noise, counters and distances running.
TEST(PanelSoak, TicksAllocateNothing) {
  std::string sim = SimulatorSettings() + "[Analog]\r\n";
  for (int k = 0; k < 16; ++k) sim += "Ch" + std::to_string(k) + " = noise amplitude=5 seed=" + std::to_string(k + 1) + "\r\n";
  e2e::StationFolder station(sim);
  ASSERT_TRUE(station.ok()) << station.Root();
  CStationProbeDlg panel(nullptr);
  ASSERT_TRUE(panel.CreateModeless());
  const HWND hwnd = panel.GetHwnd();
  for (UINT_PTR id = 1; id <= 4; ++id) KillTimer(hwnd, id);
  PollAllAnalogChannels(hwnd);
  const auto& readout = dynamic_cast<CDigistring&>(*fw::Window::FromHandle(GetDlgItem(hwnd, IDC_ANALOG_READOUT_0)));
  for (UINT_PTR id = 1; id <= 4; ++id) SendMessageW(hwnd, WM_TIMER, id, 0);  // every control painted once
  sptest::PumpMessages(50);
  const long start = soak::Allocations();
  const std::wstring planted(64, L'x');  // an allocation of the kind a text conversion makes is seen
  ASSERT_GT(soak::Allocations() - start, 0) << planted;
  long allocations[5] = {}, changes[5] = {};
  const int rounds = 100;
  for (int i = 0; i < rounds; ++i) {
    for (UINT_PTR id = 1; id <= 4; ++id) {
      const station::Sample& sample = panel.Station().Last(static_cast<station::Kind>(id - 1));
      const station::Sample before = sample;
      const long counted = soak::Allocations();
      SendMessageW(hwnd, WM_TIMER, id, 0);
      allocations[id] += soak::Allocations() - counted;
      changes[id] += std::memcmp(before.readings, sample.readings, sizeof sample.readings) != 0;
      ASSERT_FALSE(readout.IsRebuildPending()) << "the read-out waits for a paint after the tick";
    }
    Sleep(5);  // the inputs toggle every 10 ms and more
  }
  for (UINT_PTR id = 1; id <= 4; ++id) {
    EXPECT_EQ(allocations[id], 0) << "timer " << id;
    EXPECT_GT(changes[id], 0) << "timer " << id << " showed nothing new";
  }
  EXPECT_EQ(changes[2], rounds) << "the analog channels stood still";
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_EXIT)));
  sptest::PumpMessages();
}

}  // namespace
