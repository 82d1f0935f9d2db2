// The panel polling the simulated station for a long run, with relayouts and distance colour
// toggles mixed in: GDI and USER objects, kernel handles and memory must end where they began.
// Ticks are sent by hand, so a run is not bound to the timers' periods.
//   --soak-ticks=n or SP_SOAK_TICKS=n  rounds of the four timers (default 100,000; the environment wins)
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
#include "tests/support/SystemFiles.h"
#include "tests/support/TestSupport.h"
#include "widgets/ColorStatic.h"
#include "widgets/Digistring.h"

namespace {

// The panel names its message boxes after the application.
class SoakApp : public fw::Application {
 public:
  bool OnStartup() override { return false; }
} theSoakApp;

// Inputs toggling at their own paces and noisy analog channels: every tick changes what is shown.
std::string SimulatorSettings() {
  std::string ini = "[Inputs]\r\n";
  for (int k = 0; k < 16; ++k) ini += "In" + std::to_string(k) + " = toggle " + std::to_string(20 + 7 * k) + "\r\n";
  ini += "[Analog]\r\nSampleRate = 1000\r\n";
  for (int k = 0; k < 16; ++k) {
    ini += "Ch" + std::to_string(k) + " = noise offset=" + std::to_string(k - 8) + " amplitude=3 seed=" +
           std::to_string(k + 1) + "\r\n";
  }
  ini += "[Counters]\r\nRate200 = 100000\r\n[Distances]\r\nSpeed300 = 5000\r\n";
  return ini;
}

const char kCalibIni[] =
    "[Desk]\r\nAllTD_Dout=Lift\r\nLift=4\r\nLift[About]=LiftMotor (24V)\r\n"
    "AllTD_Din=Door\r\nDoor=2\r\nDoor[About]=DoorSwitch(closed)\r\n"
    "AllTD_A=Weight\r\nWeight=1\r\nWeight[About]=LeftWeight 0-10V\r\n";

class SoakStation {
 public:
  SoakStation() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    root_ = std::string(temp) + "sp_soak_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root_.c_str(), nullptr);
    CreateDirectoryA((root_ + "\\Config").c_str(), nullptr);
    CreateDirectoryA((root_ + "\\Device").c_str(), nullptr);
    ok_ = sptest::WriteFileBytes(root_ + "\\Config\\calib.ini", kCalibIni) &&
          sptest::WriteFileBytes(root_ + "\\Device\\HardwareSim.ini", SimulatorSettings()) &&
          CopyFileA((sptest::ExeDirectory() + "\\Hardware.dll").c_str(), (root_ + "\\Device\\Hardware.dll").c_str(),
                    FALSE) &&
          library_.CopyFrom(sptest::ExeDirectory() + "\\SysENV.dll") &&
          settings_.Write("[Directories]\r\nConfig=" + root_ + "\\Config\r\nDeviceLibrary=" + root_ + "\\Device\r\n");
  }
  ~SoakStation() {
    for (const char* file : {"\\Config\\calib.ini", "\\Device\\HardwareSim.ini", "\\Device\\Hardware.dll"}) {
      DeleteFileA((root_ + file).c_str());
    }
    RemoveDirectoryA((root_ + "\\Config").c_str());
    RemoveDirectoryA((root_ + "\\Device").c_str());
    RemoveDirectoryA(root_.c_str());
  }
  bool ok() const { return ok_; }

 private:
  std::string root_;
  sptest::SystemDirFile library_{"SysENV.dll", "soak"};
  sptest::SystemDirFile settings_{"SysENV.ini", "soak"};
  bool ok_ = false;
};

long TicksOfEachTimer() {
  long n = 100000;
  for (int i = 1; i < __argc; ++i) {
    if (std::strncmp(__argv[i], "--soak-ticks=", 13) == 0) n = std::atol(__argv[i] + 13);
  }
  if (const char* text = std::getenv("SP_SOAK_TICKS")) n = std::atol(text);
  return n > 0 ? n : 1;
}

double Seconds() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

class PanelSoak : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(station.ok());
    ASSERT_TRUE(panel.CreateModeless());
    hwnd = panel.GetHwnd();
    // The panel's own timers would add ticks of their own between ours.
    for (UINT_PTR id = 1; id <= 4; ++id) KillTimer(hwnd, id);
    GetWindowRect(hwnd, &placed);
    // Bottom right and beneath every other window, so that tests reading the screen are not covered.
    SetWindowPos(hwnd, HWND_BOTTOM, 1280 - Width(placed) - 20, 1024 - Height(placed) - 20, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SelectAnalogCount(L"16");
    sptest::PumpMessages();
  }
  void TearDown() override {
    if (hwnd != nullptr && IsWindow(hwnd)) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED),
                                                        reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_EXIT)));
    sptest::PumpMessages();
  }

  static int Width(const RECT& r) { return r.right - r.left; }
  static int Height(const RECT& r) { return r.bottom - r.top; }

  void SelectAnalogCount(const wchar_t* count) {
    HWND combo = GetDlgItem(hwnd, IDC_ANALOG_COUNT);
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(count));
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_ANALOG_COUNT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  }
  void ToggleDistance(int d) {
    HWND label = GetDlgItem(hwnd, IDC_DISTANCE_LABEL_0 + d);
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_DISTANCE_LABEL_0 + d, STN_CLICKED), reinterpret_cast<LPARAM>(label));
  }
  // Alternately larger and back, bottom right.
  void Resize(long step) {
    const int grow = step % 2 == 0 ? 0 : 40;
    const int w = Width(placed) + grow;
    const int h = Height(placed) + grow;
    SetWindowPos(hwnd, HWND_BOTTOM, 1280 - w - 20, 1024 - h - 20, w, h, SWP_NOACTIVATE);
  }
  // One round of the four timers; every 250 rounds a resize and a colour toggle as well.
  void Round(long i) {
    for (UINT_PTR id = 1; id <= 4; ++id) SendMessageW(hwnd, WM_TIMER, id, 0);
    if (i % 8 == 7) sptest::PumpMessages();  // the paints the ticks asked for
    if (i % 250 == 249) {
      Resize(i / 250);
      ToggleDistance(static_cast<int>((i / 250) % 4));
      sptest::PumpMessages();
    }
  }
  std::string ReadoutText(int channel) {
    auto* readout = dynamic_cast<CDigistring*>(fw::Window::FromHandle(GetDlgItem(hwnd, IDC_ANALOG_READOUT_0 + 2 * channel)));
    return readout != nullptr ? readout->GetText() : std::string("(none)");
  }

  SoakStation station;
  CStationProbeDlg panel{nullptr};
  HWND hwnd = nullptr;
  RECT placed{};
};

// The counting itself: a probe that saw nothing would let any leak pass.
TEST(ProcessCountsTest, SeeWhatTheProcessTakesAndGivesBack) {
  // Children of one lasting top-level window: a new top-level window brings an input method window.
  HWND top = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  struct Held {
    HBRUSH brushes[5];
    HWND windows[2];
    HMENU menu;
    HANDLE events[4];
    void* block;
    void* region;
  } held{};
  auto take = [&] {
    for (HBRUSH& b : held.brushes) b = CreateSolidBrush(RGB(1, 2, 3));
    for (HWND& w : held.windows) w = CreateWindowExW(0, L"Static", L"", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
    held.menu = CreateMenu();
    for (HANDLE& e : held.events) e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    held.block = HeapAlloc(GetProcessHeap(), 0, 256 * 1024);
    held.region = VirtualAlloc(nullptr, 1024 * 1024, MEM_COMMIT, PAGE_READWRITE);
  };
  auto giveBack = [&] {
    VirtualFree(held.region, 0, MEM_RELEASE);
    HeapFree(GetProcessHeap(), 0, held.block);
    for (HANDLE e : held.events) CloseHandle(e);
    DestroyMenu(held.menu);
    for (HWND w : held.windows) DestroyWindow(w);
    for (HBRUSH b : held.brushes) DeleteObject(b);
    sptest::PumpMessages();
  };
  // Once before counting: a first use may bring lasting objects of the system's own.
  take();
  giveBack();

  const soak::ProcessCounts before = soak::ReadProcessCounts();
  take();
  const soak::ProcessCounts holding = soak::ReadProcessCounts();
  giveBack();
  const soak::ProcessCounts after = soak::ReadProcessCounts();
  DestroyWindow(top);

  auto grown = [](std::size_t from, std::size_t to) { return static_cast<long long>(to) - static_cast<long long>(from); };
  EXPECT_EQ(holding.gdiObjects - before.gdiObjects, 5);
  EXPECT_EQ(holding.userObjects - before.userObjects, 3);  // two windows, one menu
  EXPECT_EQ(holding.kernelHandles - before.kernelHandles, 4);
  EXPECT_GE(grown(before.heapBytes, holding.heapBytes), 256 * 1024);
  EXPECT_GE(grown(before.privateBytes, holding.privateBytes), 1024 * 1024);
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);
  EXPECT_EQ(after.userObjects, before.userObjects);
  EXPECT_EQ(after.kernelHandles, before.kernelHandles);
  EXPECT_LT(grown(before.heapBytes, after.heapBytes), 4096);
}

TEST_F(PanelSoak, PollingRelayoutsAndColourTogglesHoldNothingBack) {
  // Every kind of work once before counting: caches, fonts and segment cells come into being.
  for (long i = 0; i < 250; ++i) Round(i);
  sptest::PumpMessages();
  const soak::ProcessCounts before = soak::ReadProcessCounts();

  const long ticks = TicksOfEachTimer();
  const double start = Seconds();
  for (long i = 0; i < ticks; ++i) Round(i);
  // Back to the size and colours counted at the start, everything painted.
  Resize(0);
  sptest::PumpMessages(50);
  const double elapsed = Seconds() - start;
  const soak::ProcessCounts after = soak::ReadProcessCounts();

  std::printf("%ld ticks of each timer in %.1f s (%.0f rounds of four ticks per second)\n%s", ticks, elapsed,
              ticks / elapsed, soak::Describe(before, after).c_str());
  // The run reached the simulated device: channel 15 (offset 7) does not read the neutral 0.
  EXPECT_NE(ReadoutText(15), "0.000");
  EXPECT_NE(ReadoutText(15), "");

  EXPECT_LE(after.gdiObjects - before.gdiObjects, 2) << "GDI objects";
  EXPECT_LE(after.userObjects - before.userObjects, 1) << "USER objects";
  EXPECT_LE(after.kernelHandles - before.kernelHandles, 2) << "kernel handles";
  EXPECT_LE(static_cast<long long>(after.heapBytes) - static_cast<long long>(before.heapBytes), 64 * 1024)
      << "heap bytes in use";
  EXPECT_LE(after.heapBlocks - before.heapBlocks, 16) << "heap blocks in use";
  EXPECT_LE(static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes), 2 * 1024 * 1024)
      << "private bytes";
}

}  // namespace
