// The trend window on the panel, hosted here against the simulated station with its ticks sent by
// hand: opened by the real mouse from each kind of channel, channels the panel does not read shown as
// gaps, closed with the panel; no device call and no allocation of its own on a tick; the exported CSV
// against the simulator's scripted values; constant lines at their values' rows, on screen as in the
// kept picture, and the picture built from slices as one drawn whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/StationProbeDlg.h"
#include "framework/Application.h"
#include "res/resource.h"
#include "tests/e2e/PanelDriver.h"
#include "tests/soak/ProcessCounts.h"
#include "tests/support/PaintRecorder.h"
#include "tests/support/TestSupport.h"

namespace {

using station::Kind;

struct TrendApp : fw::Application {
  bool OnStartup() override { return false; }
} theTrendApp;

// Everything stands: analog channel 0 at 2.5, 1 at 1.0, the others at 3; counters still; distance 1
// set to 1500. Inputs follow the outputs of their numbers (all low).
std::string StillStation() {
  std::string ini = "[Counters]\r\n";
  for (int n = 0; n < 8; ++n) ini += "Rate" + std::to_string(200 + n) + " = 0\r\n";
  ini += "[Distances]\r\nSet300 = 1500\r\n[Analog]\r\n";
  for (int k = 0; k < 16; ++k) ini += "Ch" + std::to_string(k) + " = constant offset=" + (k == 0 ? "2.5" : k == 1 ? "1" : "3") + "\r\n";
  return ini;
}
const char kCalib[] = "[Scale]\r\nDevName=Scale\r\nAllTD_A=W\r\nW=0\r\nW[About]=左轮重 0-10V\r\n";

// The panel of a station of the test's own, its timers stopped: the ticks are the test's.
struct Hosted {
  e2e::StationFolder station{StillStation(), kCalib};
  CStationProbeDlg panel{nullptr};
  HWND hwnd = nullptr;

  Hosted() {
    if (!station.ok() || !panel.CreateModeless()) return;
    hwnd = panel.GetHwnd();
    for (UINT_PTR id = 1; id <= 4; ++id) KillTimer(hwnd, id);
    sptest::PumpMessages();
  }
  ~Hosted() {
    if (IsWindow(hwnd)) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), LPARAM(GetDlgItem(hwnd, IDC_EXIT)));
    sptest::PumpMessages();
  }
  void Rounds(int n, DWORD apart = 0) {
    for (int r = 0; r < n; ++r) {
      for (UINT_PTR id = 1; id <= 4; ++id) SendMessageW(hwnd, WM_TIMER, id, 0);
      sptest::PumpMessages(apart);
    }
  }
  void Click(HWND dialog, int item) { SendMessageW(GetDlgItem(dialog, item), BM_CLICK, 0, 0); }
  CTrendDlg& Trend() { return *panel.Trend(); }
};

// The real pointer through the X server; the messages it brings are pumped until `done`.
template <typename Done>
bool Mouse(const std::string& actions, Done done) {
  std::string command = "Z:\\usr\\bin\\xdotool " + actions;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return sptest::PumpUntil(done, e2e::kWaitTimeout);
}
std::string At(HWND window, POINT p) {
  ClientToScreen(window, &p);
  return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " sleep 0.2 ";
}
POINT Centre(HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  return POINT{r.right / 2, r.bottom / 2};
}

// A control's client area as drawn into a 32-bit bitmap (printed), or as on screen; 0x00RRGGBB.
std::vector<DWORD> Picture(HWND control, bool screen) {
  std::vector<DWORD> pixels = sptest::Canvas(control, [&](HDC dc, const RECT& rc) {
    const HDC window = GetDC(control);
    if (screen) BitBlt(dc, 0, 0, rc.right, rc.bottom, window, 0, 0, SRCCOPY);
    if (!screen) SendMessageW(control, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
    ReleaseDC(control, window);
  });
  for (DWORD& p : pixels) p &= 0xFFFFFF;
  return pixels;
}
DWORD Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
long Count(const std::vector<DWORD>& pixels, COLORREF colour) {
  long n = 0;
  for (DWORD p : pixels) n += p == Rgb(colour);
  return n;
}

TEST(TrendTest, OpensFromEachKindShowsGapsAndClosesWithThePanel) {
  Hosted h;
  ASSERT_NE(h.hwnd, nullptr) << h.station.Root();
  // Dragging on: the double clicks still open the trend, and the panel stays where it is.
  h.Click(h.hwnd, IDC_DRAG);
  RECT panel{}, now{};
  GetWindowRect(h.hwnd, &panel);
  const struct {
    int item;
    Kind kind;
    int index;
  } targets[] = {{IDC_ANALOG_READOUT_0 + 4, Kind::Analog, 2}, {IDC_INPUT_LAMP_0 + 5, Kind::Input, 5},
                 {IDC_COUNTER_203, Kind::Counter, 3}, {IDC_DISTANCE_VALUE_0 + 1, Kind::Distance, 1}};
  for (const auto& t : targets) {
    const HWND control = GetDlgItem(h.hwnd, t.item);
    ASSERT_TRUE(Mouse(At(control, Centre(control)) + "click --repeat 2 --delay 80 1",
                      [&] { return h.panel.Trend() && h.Trend().Recorder().Find(t.kind, t.index) >= 0; }))
        << "item " << t.item;
  }
  EXPECT_EQ(h.Trend().Recorder().Count(), 4);
  GetWindowRect(h.hwnd, &now);
  EXPECT_TRUE(EqualRect(&panel, &now)) << "the panel moved";
  const HWND trend = h.Trend().GetHwnd();
  RECT beside{}, overlap{};
  GetWindowRect(trend, &beside);
  EXPECT_EQ(GetWindow(trend, GW_OWNER), h.hwnd);
  EXPECT_FALSE(IntersectRect(&overlap, &panel, &beside)) << "the trend covers the panel";

  // The 趋势 menu on read-out 12, above the panel's analog count (8): the channel is not read, and
  // shows nothing until the count takes it in.
  PostMessageW(h.hwnd, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(h.hwnd, WM_KEYDOWN, VK_RETURN, 0);
  POINT menu = Centre(GetDlgItem(h.hwnd, IDC_ANALOG_READOUT_0 + 24));
  ClientToScreen(GetDlgItem(h.hwnd, IDC_ANALOG_READOUT_0 + 24), &menu);
  SendMessageW(h.hwnd, WM_CONTEXTMENU, WPARAM(h.hwnd), MAKELPARAM(menu.x, menu.y));
  const int slot = h.Trend().Recorder().Find(Kind::Analog, 12);
  ASSERT_GE(slot, 0) << "the menu did not add the channel";
  HWND chart = h.Trend().ChartOf(Kind::Analog).GetHwnd();
  h.Rounds(6, 150);
  const TrendRing& ring = h.Trend().Recorder().Ring(slot);
  ASSERT_EQ(ring.Size(), 6u);
  for (std::size_t i = 0; i < ring.Size(); ++i) EXPECT_EQ(ring[i].state, trend::kNotRead) << i;
  constexpr long kSwatch = 10 * 10;  // the legend's square of the channel's colour
  EXPECT_EQ(Count(Picture(chart, false), CTrendDlg::ColourOf(slot)), kSwatch) << "more than its swatch";
  SendDlgItemMessageW(h.hwnd, IDC_ANALOG_COUNT, CB_SELECTSTRING, WPARAM(-1), LPARAM(L"16"));
  SendMessageW(h.hwnd, WM_COMMAND, MAKEWPARAM(IDC_ANALOG_COUNT, CBN_SELCHANGE), LPARAM(GetDlgItem(h.hwnd, IDC_ANALOG_COUNT)));
  h.Rounds(6, 150);
  EXPECT_GT(Count(Picture(chart, false), CTrendDlg::ColourOf(slot)), kSwatch) << "no line once read";

  // Input 5 removed by the box of its name; the lanes go with their last channel.
  CTimeChart& lanes = h.Trend().ChartOf(Kind::Input);
  const RECT box = lanes.RemoveBoxOf(h.Trend().Recorder().Find(Kind::Input, 5));
  ASSERT_TRUE(Mouse(At(lanes.GetHwnd(), POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2}) + "click 1",
                    [&] { return h.Trend().Recorder().Find(Kind::Input, 5) < 0; }));
  EXPECT_FALSE(IsWindowVisible(lanes.GetHwnd()));

  // Closed and opened again, it comes back where it was left.
  SetWindowPos(trend, nullptr, 300, 420, 640, 400, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(trend, WM_CLOSE, 0, 0);
  ASSERT_TRUE(sptest::PumpUntil([&] { return h.panel.Trend() == nullptr; }, e2e::kWaitTimeout));
  h.panel.ShowTrend(Kind::Analog, 0);
  GetWindowRect(h.Trend().GetHwnd(), &beside);
  EXPECT_EQ(beside.left, 300);
  EXPECT_EQ(beside.top, 420);
  EXPECT_EQ(h.Trend().Recorder().Count(), 1) << "a new trend starts with the channel asked for";
  // It closes with the panel.
  const HWND reopened = h.Trend().GetHwnd();
  h.Click(h.hwnd, IDC_EXIT);
  EXPECT_FALSE(IsWindow(reopened));
  EXPECT_FALSE(IsWindow(h.hwnd));
}

TEST(TrendTest, NoDeviceCallAndNoAllocationOfItsOwnOnATick) {
  Hosted h;
  ASSERT_NE(h.hwnd, nullptr) << h.station.Root();
  // Rounds of the four ticks, apart enough that the 1-minute view scrolls at every round.
  const auto run = [&](long& allocations) {
    const std::size_t mark = h.station.Journal().size();
    allocations = 0;
    for (int r = 0; r < 8; ++r) {
      for (UINT_PTR id = 1; id <= 4; ++id) {
        const long before = soak::Allocations();
        SendMessageW(h.hwnd, WM_TIMER, id, 0);
        allocations += soak::Allocations() - before;
      }
      sptest::PumpMessages(120);  // the paints the ticks asked for
    }
    const e2e::Lines journal = h.station.Journal();
    return e2e::Lines(journal.begin() + mark, journal.end());
  };
  long closedAllocations = 0, openAllocations = 0;
  h.Rounds(1);  // the read-outs get their first values
  const long start = soak::Allocations();
  const std::wstring planted(64, L'x');  // an allocation is seen
  ASSERT_GT(soak::Allocations() - start, 0) << planted.size();
  const e2e::Lines closed = run(closedAllocations);
  const std::size_t mark = h.station.Journal().size();
  for (int k = 0; k < 2; ++k) {
    for (const Kind kind : {Kind::Input, Kind::Analog, Kind::Counter, Kind::Distance}) h.panel.ShowTrend(kind, k);
  }
  h.Click(h.Trend().GetHwnd(), IDC_TREND_1MIN);
  EXPECT_EQ(h.station.Journal().size(), mark) << "opening the trend called the device";
  const e2e::Lines open = run(openAllocations);
  EXPECT_EQ(h.Trend().Recorder().Count(), 8);
  EXPECT_GE(h.Trend().Recorder().Ring(0).Size(), 8u) << "the trend heard nothing";
  EXPECT_EQ(open, closed);
  EXPECT_EQ(closed.size(), 8u * (16 + 8 + 8 + 4));
  EXPECT_EQ(openAllocations, closedAllocations);
}

TEST(TrendTest, ExportedCsvHoldsTheScriptedValues) {
  Hosted h;
  ASSERT_NE(h.hwnd, nullptr) << h.station.Root();
  for (const Kind kind : {Kind::Input, Kind::Analog, Kind::Counter, Kind::Distance}) h.panel.ShowTrend(kind, kind == Kind::Input ? 5 : 0);
  const int output5 = CStationProbeDlg::OutputItem(5);
  const auto label = [&] {
    SendMessageW(h.hwnd, WM_COMMAND, MAKEWPARAM(IDC_DISTANCE_LABEL_0, STN_CLICKED), LPARAM(GetDlgItem(h.hwnd, IDC_DISTANCE_LABEL_0)));
  };
  h.Rounds(1);
  h.Click(h.hwnd, output5);  // input 5 follows
  h.Rounds(1);
  label();  // reset, then set: 1500
  label();
  h.Rounds(1);
  h.Click(h.hwnd, output5);
  h.Rounds(1);
  const std::string root = h.station.Root();
  std::wstring error;
  ASSERT_TRUE(h.Trend().ExportCsv(std::wstring(root.begin(), root.end()) + L"\\trend.csv", error))
      << std::string(error.begin(), error.end());
  const std::string csv = e2e::ReadFileBytes(root + "\\trend.csv");
  std::vector<std::string> lines;
  for (std::size_t pos = 0, end; (end = csv.find("\r\n", pos)) != std::string::npos; pos = end + 2) lines.push_back(csv.substr(pos, end - pos));
  const char* inputs[] = {"0", "1", "1", "0"};
  const char* distances[] = {"0", "0", "1500", "1500"};
  std::vector<std::string> expected = {"time,kind,channel,caption,value,status"};
  for (int r = 0; r < 4; ++r) {
    expected.push_back(std::string("input,5,,") + inputs[r] + ",ok");
    expected.push_back(u8"analog,0,左轮重,2.500,ok");
    expected.push_back("counter,200,,0x0,ok");
    expected.push_back(std::string("distance,1,,") + distances[r] + ",ok");
  }
  ASSERT_EQ(lines.size(), expected.size()) << csv;
  std::string previous;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    // "2024-05-06T09:15:02.961+08:00," then the rest; times never go back.
    const std::string time = lines[i].substr(0, 29);
    EXPECT_TRUE(time.size() == 29 && time[10] == 'T' && time[19] == '.' && (time[23] == '+' || time[23] == '-')) << lines[i];
    EXPECT_GE(time, previous);
    previous = time;
    EXPECT_EQ(lines[i].substr(30), expected[i]);
  }
  EXPECT_EQ(lines[0], expected[0]);
}

TEST(TrendTest, ConstantLinesStandAtTheirValuesAndSlicesMatchTheWhole) {
  Hosted h;
  ASSERT_NE(h.hwnd, nullptr) << h.station.Root();
  h.panel.ShowTrend(Kind::Analog, 0);  // 2.5
  h.panel.ShowTrend(Kind::Analog, 1);  // 1.0
  h.Click(h.Trend().GetHwnd(), IDC_TREND_1MIN);
  sptest::PumpMessages();
  h.Rounds(20, 110);  // two seconds: some twenty columns a second
  CLineChart& chart = h.Trend().LineChartOf(Kind::Analog);
  const HWND hwnd = chart.GetHwnd();
  const std::vector<DWORD> kept = Picture(hwnd, false);
  RECT client{};
  GetClientRect(hwnd, &client);
  const RECT plot = chart.PlotRect();
  const chart::ValueScale scale = chart.Scale();
  for (const auto& line : {std::make_pair(0, 2.5), std::make_pair(1, 1.0)}) {
    const int row = chart::ValueRow(scale, line.second, plot.top, plot.bottom - plot.top);
    int columns = 0;
    for (int x = plot.left; x < plot.right; ++x) {
      int top = -1;
      for (int y = plot.top; y < plot.bottom && top < 0; ++y) top = kept[y * client.right + x] == Rgb(CTrendDlg::ColourOf(line.first)) ? y : -1;
      if (top < 0) continue;
      ++columns;
      EXPECT_EQ(top, row) << "channel " << line.first << " at x " << x;
    }
    EXPECT_GT(columns, 15) << "channel " << line.first;
  }
  // On screen as in the kept picture: the window's pixels scrolled with it.
  EXPECT_TRUE(Picture(hwnd, true) == kept) << "the screen differs from the picture";
  // Paused, the picture is drawn whole at the same moment: as it was built from slices.
  h.Click(h.Trend().GetHwnd(), IDC_TREND_PAUSE);
  sptest::PumpMessages();
  EXPECT_TRUE(Picture(hwnd, false) == kept) << "a whole picture differs from the one built from slices";
  h.Rounds(3, 110);
  EXPECT_TRUE(Picture(hwnd, false) == kept) << "paused, the picture moved";
}

}  // namespace
