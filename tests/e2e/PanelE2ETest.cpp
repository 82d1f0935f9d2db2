// The real StationProbe.exe against the simulated station, used as a technician uses it: driven
// from outside by window messages and the real mouse, what it shows read from its windows and the
// screen, what it did from the simulator's journal, message boxes answered here. Every start is
// costly, so each scenario walks many steps in one.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "PanelDriver.h"
#include "res/resource.h"

namespace {

using namespace e2e;

constexpr COLORREF kRed = RGB(255, 0, 0);  // a lamp on, a distance reset
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kSilver = RGB(192, 192, 192);
constexpr int kOutput5 = 1060;
const char kAnalogRead[] = "ExtGetAnalog %d ptr 50";

HWND Readout(const Panel& panel, int k) { return panel.Item(IDC_ANALOG_READOUT_0 + 2 * k); }
bool Shows(const Panel& panel, int k, const char* text) {
  return CaptureScreen(Readout(panel, k)) == RenderReadout(Readout(panel, k), text);
}
void ChooseAnalogCount(const Panel& panel, const wchar_t* count) {
  panel.Send(IDC_ANALOG_COUNT, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(count));
  panel.Notify(IDC_ANALOG_COUNT, CBN_SELCHANGE);
}

// Closed by "Exit" or Escape: one ExtClose, then stop and release, and nothing after them.
void ExpectClosedOnce(const Lines& journal) {
  const Lines tail = Tail(journal, 4);
  ASSERT_EQ(tail.size(), 4u);
  EXPECT_EQ(Lines(tail.begin() + 1, tail.end()), (Lines{"ExtClose", "ExtStop", "ExtRelease"}));
  EXPECT_NE(tail[0], "ExtClose");
}

TEST(PanelE2E, SmallStationFromStartToEscape) {
  StationFolder station("[Analog]\r\nCh0 = constant offset=1.25\r\n");
  ASSERT_TRUE(station.ok()) << station.Root();
  Panel panel(station);
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  // Captions up to "(" and the first blank; channels without one show their number.
  ExpectTexts(panel, {{1059, L"LiftMotor"}, {kOutput5, L"5"}, {IDC_INPUT_CAPTION_0 + 2, L"DoorSwitch"},
                      {IDC_INPUT_CAPTION_0 + 1, L"1"}, {IDC_ANALOG_CAPTION_0 + 2, L"LeftWeight"},
                      {IDC_ANALOG_CAPTION_0, L"0"}, {IDC_ANALOG_COUNT, L"8"}});

  // The device opened in order before anything else; then every input, the first eight analog
  // channels, every counter and every distance polled, in order.
  Lines opening{"ExtClose", "ExtOpen \"ProbeDesk\"", "ExtResetCNT"};
  for (const std::string& line : Series("ExtResetDis %d", 300, 4)) opening.push_back(line);
  const Lines journal = station.Journal();
  EXPECT_EQ(Lines(journal.begin(), journal.begin() + std::min<std::size_t>(7, journal.size())), opening);
  EXPECT_EQ(station.NextTick("ExtInPutDig 0", "ExtInPutDig 15"), Series("ExtInPutDig %d", 0, 16));
  EXPECT_EQ(station.NextTick("ExtGetAnalog 0 ptr 50", "ExtGetAnalog 7 ptr 50"), Series(kAnalogRead, 0, 8));
  EXPECT_EQ(station.NextTick("ExtGetFreb 200", "ExtGetFreb 207"), Series("ExtGetFreb %d", 200, 8));
  EXPECT_EQ(station.NextTick("ExtGetDis 300", "ExtGetDis 303"), Series("ExtGetDis %d", 300, 4));
  EXPECT_EQ(Only(station.Journal(), 0, {"ExtGetAnalog 8 "}), Lines()) << "more than eight channels at the start";
  // Channel 0 reads 1.25 throughout; read-out 15 is never polled at the start count.
  EXPECT_TRUE(WaitUntil([&] { return Shows(panel, 0, "1.250"); })) << "read-out 0";
  EXPECT_TRUE(WaitUntil([&] { return Shows(panel, 15, "0.000"); })) << "read-out 15";
  // A second panel ends at once and opens nothing.
  Panel second(station);
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_EQ(Only(station.Journal(), 0, {"ExtOpen", "ExtClose", "ExtRelease"}), Lines(opening.begin(), opening.begin() + 2));
  // Output 5 follows its button, and input 5, wired back from it, lights its lamp.
  std::size_t mark = station.Journal().size();
  for (const COLORREF lamp : {kRed, kGreen}) {
    panel.Click(kOutput5);
    const HWND lampItem = panel.Item(IDC_INPUT_LAMP_0 + 5);
    EXPECT_TRUE(WaitUntil([&] { return ScreenColour(lampItem) == lamp; })) << std::hex << ScreenColour(lampItem);
  }
  EXPECT_EQ(Only(station.Journal(), mark, {"ExtOutPutDig"}), (Lines{"ExtOutPutDig 5 1", "ExtOutPutDig 5 0"}));
  // All outputs low, in channel order, and every button unticked.
  panel.Click(1058);
  panel.Click(1077);
  mark = station.Journal().size();
  panel.Click(IDC_ALL_OUTPUTS_LOW);
  EXPECT_EQ(Only(station.Journal(), mark, {"ExtOutPutDig"}), Series("ExtOutPutDig %d 0", 0, 24));
  EXPECT_EQ(panel.Send(1058, BM_GETCHECK) + panel.Send(1077, BM_GETCHECK), BST_UNCHECKED);
  // Distance 2's label: reset (red), set (silver, the set value shown), reset.
  mark = station.Journal().size();
  const HWND label = panel.Item(IDC_DISTANCE_LABEL_0 + 1);
  for (const auto& step : {std::make_pair(kRed, L"0"), std::make_pair(kSilver, L"1000"), std::make_pair(kRed, L"0")}) {
    panel.Notify(IDC_DISTANCE_LABEL_0 + 1, STN_CLICKED);
    EXPECT_TRUE(WaitUntil([&] {
      return ScreenColour(label, 1, 1) == step.first && panel.Text(IDC_DISTANCE_VALUE_0 + 1) == step.second;
    })) << std::hex << ScreenColour(label, 1, 1);
  }
  EXPECT_EQ(Only(station.Journal(), mark, {"ExtResetDis", "ExtSetDis"}),
            (Lines{"ExtResetDis 301", "ExtSetDis 301", "ExtResetDis 301"}));
  // The counters' reset button.
  mark = station.Journal().size();
  panel.Click(IDC_RESET_COUNTERS);
  EXPECT_EQ(Only(station.Journal(), mark, {"ExtResetCNT"}), Lines{"ExtResetCNT"});
  // The analog count: 16 reads every channel; lowered to 4, read-outs above keep their value.
  ChooseAnalogCount(panel, L"16");
  EXPECT_EQ(station.NextTick("ExtGetAnalog 0 ptr 50", "ExtGetAnalog 15 ptr 50"), Series(kAnalogRead, 0, 16));
  ChooseAnalogCount(panel, L"4");
  mark = station.Journal().size();
  // A whole tick later the panel has painted what the ticks before asked for (paints come first).
  EXPECT_EQ(station.NextTick("ExtGetAnalog 0 ptr 50", "ExtGetAnalog 3 ptr 50"), Series(kAnalogRead, 0, 4));
  std::vector<std::vector<DWORD>> before;
  for (int k = 0; k < 16; ++k) before.push_back(CaptureScreen(Readout(panel, k)));
  EXPECT_TRUE(WaitUntil([&] { return CaptureScreen(Readout(panel, 1)) != before[1]; })) << "read-out 1 stood still";
  ASSERT_FALSE(station.NextTick("ExtGetAnalog 0 ptr 50", "ExtGetAnalog 3 ptr 50").empty());
  for (int k = 4; k < 16; ++k) {
    EXPECT_TRUE(CaptureScreen(Readout(panel, k)) == before[k]) << "read-out " << k << " changed";
    EXPECT_FALSE(Shows(panel, k, "0.000")) << "read-out " << k << " was cleared";
  }
  for (const std::string& line : Only(station.Journal(), mark, {"ExtGetAnalog"})) {
    EXPECT_LT(std::atoi(line.c_str() + 13), 4) << line;
  }
  // The About box from the system menu: the version line is the version alone.
  PostMessageW(panel.dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
  const HWND about = WaitForDialogOf(panel.pid(), panel.dialog(), IDOK, "Button");
  ASSERT_NE(about, nullptr) << "no About box";
  EXPECT_NE(FindWindowExW(about, nullptr, L"Static", L"Ver " SP_VERSION), nullptr) << "no line of the version alone";
  Answer(about, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  // Enter on an output button, the Drag box and the combo closes nothing and switches nothing;
  // Escape closes like "Exit".
  mark = station.Journal().size();
  for (int id : {kOutput5, int{IDC_DRAG}, int{IDC_ANALOG_COUNT}}) PostMessageW(panel.Item(id), WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(panel.Item(kOutput5), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(panel.WaitForExit(), 0);
  EXPECT_EQ(Only(station.Journal(), mark, {"ExtOutPutDig"}), Lines());
  ExpectClosedOnce(station.Journal());
}

TEST(PanelE2E, DemoStationCaptionsDeletionAndDrag) {
  const auto demo = [](const char* file) { return ReadFileBytes(BuiltFile(std::string("demo\\") + file)); };
  StationFolder station(demo("HardwareSim.ini"), demo("calib.ini"));
  for (const char* file : {"DevOz.ini", "sysOz.ini", "DevID.ini"}) {
    ASSERT_TRUE(station.Add(std::string("Config\\") + file, demo(file)));
  }
  ASSERT_TRUE(station.ok() && station.Add("loginset.ini", demo("loginset.ini"))) << station.Root();
  Panel panel(station);
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  // GBK captions: keywords removed, two devices on one channel joined.
  ExpectTexts(panel, {{IDC_OUTPUT_0, L"前举升上升"}, {1059, L"轴重台电机"},
                      {IDC_INPUT_CAPTION_0, L"前举升到位开关/举升到位"}, {IDC_ANALOG_CAPTION_0, L"左轮重"}});
  // The configuration manager deletes the axle-load scale; its captions go.
  PostMessageW(panel.Item(IDC_CFGMGR), BM_CLICK, 0, 0);
  const HWND manager = WaitForDialogOf(panel.pid(), panel.dialog(), IDC_CFG_SECTION_LIST, "ListBox");
  ASSERT_NE(manager, nullptr) << "no configuration manager";
  // The panel's own, as modal as the About box: no second manager, no exit beneath it.
  EXPECT_EQ(GetWindow(manager, GW_OWNER), panel.dialog());
  EXPECT_FALSE(IsWindowEnabled(panel.dialog())) << "the panel stays live behind the manager";
  const HWND sections = GetDlgItem(manager, IDC_CFG_SECTION_LIST);
  ASSERT_NE(SendMessageW(sections, LB_SELECTSTRING, ~0u, reinterpret_cast<LPARAM>(L"轴重台")), LB_ERR);
  PostMessageW(manager, WM_COMMAND, MAKEWPARAM(IDC_CFG_SECTION_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(sections));
  Answer(WaitForDialogOf(panel.pid(), manager, IDYES, "Button"), IDYES);  // the question before deleting
  const HWND outcome = WaitForDialogOf(panel.pid(), manager, IDOK, "Button");
  ASSERT_NE(outcome, nullptr);
  EXPECT_EQ(MessageText(outcome), L"删除【轴重台】配置数据成功");
  Answer(outcome, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(outcome); }));
  PostMessageW(manager, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return panel.Text(1059) == L"4"; })) << "the scale's motor kept its caption";
  EXPECT_TRUE(IsWindowEnabled(panel.dialog()));
  ExpectTexts(panel, {{IDC_ANALOG_CAPTION_0, L"0"}, {IDC_OUTPUT_0, L"前举升上升"}});
  // A real mouse drag on the background moves the panel only while Drag is ticked.
  RECT start{}, now{}, box{};
  GetWindowRect(panel.dialog(), &start);
  POINT from{};
  ASSERT_TRUE(EmptyDialogPoint(panel.dialog(), from));
  ASSERT_TRUE(Drag(from, {from.x + 80, from.y + 50})) << "xdotool did not drag";
  // Ticked by the same mouse: once the box shows ticked, the panel has handled the drag before.
  GetWindowRect(panel.Item(IDC_DRAG), &box);
  const POINT tick{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  ASSERT_TRUE(Mouse("mousemove " + std::to_string(tick.x) + " " + std::to_string(tick.y) + " click 1", tick));
  ASSERT_TRUE(WaitUntil([&] { return panel.Send(IDC_DRAG, BM_GETCHECK) == BST_CHECKED; }));
  GetWindowRect(panel.dialog(), &now);
  EXPECT_TRUE(EqualRect(&start, &now)) << "moved to " << now.left << "," << now.top << " while not ticked";
  ASSERT_TRUE(Drag(from, {from.x + 60, from.y + 40})) << "xdotool did not drag";
  EXPECT_TRUE(WaitUntil([&] {
    GetWindowRect(panel.dialog(), &now);
    return now.left == start.left + 60 && now.top == start.top + 40 && now.right == start.right + 60;
  })) << now.left << "," << now.top << "," << now.right;
  panel.Click(IDC_EXIT);
  EXPECT_EQ(panel.WaitForExit(), 0);
  ExpectClosedOnce(station.Journal());
}

// The analog count shows before the device is opened; a library whose unloading faults still lets
// the panel end cleanly.
TEST(PanelE2E, OpenedAfterTheCountAndUnloadedUnderGuard) {
  StationFolder station("", kSmallCalibIni, false);
  ASSERT_TRUE(station.ok() && CopyFileA(BuiltFile("LookbackDevice.dll").c_str(),
                                        (station.Device() + "\\Hardware.dll").c_str(), FALSE));
  Panel panel(station);
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  EXPECT_EQ(ReadFileBytes(station.Device() + "\\open.txt"), "8") << "the count was set after the device opened";
  PostMessageW(panel.Item(IDC_EXIT), BM_CLICK, 0, 0);
  EXPECT_EQ(panel.WaitForExit(), 0) << "unloading the library ended the panel badly";
}

// Every device call faults, each polled entry and each closing call in its own way.
TEST(PanelE2E, FaultsWhilePollingAndClosing) {
  StationFolder station(
      "[Faults]\r\nExtInPutDig = access\r\nExtGetAnalog = throw\r\nExtGetFreb = msvc\r\nExtGetDis = divide\r\n"
      "ExtStop = throw\r\nExtRelease = raise\r\n* = access\r\n");
  ASSERT_TRUE(station.ok()) << station.Root();
  Panel panel(station);
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  // The fallbacks shown, and polling goes on past the faults.
  for (int round = 0; round < 3; ++round) ASSERT_FALSE(station.NextTick("ExtInPutDig 0", "ExtGetDis 303").empty());
  ExpectTexts(panel, {{IDC_COUNTER_207, L"0xffffd8f0"}, {IDC_DISTANCE_VALUE_0 + 3, L"-10000"}});
  EXPECT_EQ(ScreenColour(panel.Item(IDC_INPUT_LAMP_0 + 5)), kGreen) << "a faulted read is not an input on";
  EXPECT_TRUE(Shows(panel, 0, "0.000")) << "a faulted analog read shows a value";
  panel.Click(kOutput5);
  EXPECT_TRUE(panel.Close());
  const Lines journal = station.Journal();
  EXPECT_EQ(Only(journal, 0, {"ExtOutPutDig"}), Lines{"ExtOutPutDig 5 1"});
  EXPECT_EQ(Tail(journal, 4), (Lines{"ExtClose", "ExtClose", "ExtStop", "ExtRelease"}));
}

// Without the system library the panel says so and ends; without one of its entries, or without the
// device library, it says so (or not) once and comes up showing the values of an absent device.
TEST(PanelE2E, MissingLibraries) {
  const struct {
    const char* library;
    bool withDevice;
    const wchar_t* message;
  } cases[] = {{nullptr, true, L"系统库不存在或者版本错误!"},
               {"SysENV_without_GetRand.dll", true, L"Sysenv.dll 加载错误或者没有该文件！"},
               {"SysENV.dll", false, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.library != nullptr ? c.library : "no system library");
    StationFolder station("", kSmallCalibIni, c.withDevice);
    ASSERT_TRUE(station.ok() && (c.library != nullptr ? station.Install(c.library, station.Config(), station.Device())
                                                      : station.Uninstall()));
    Panel panel(station);
    const HWND box = c.message != nullptr ? WaitForDialogOf(panel.pid(), nullptr, IDOK, "Button") : nullptr;
    if (c.message != nullptr) {
      ASSERT_NE(box, nullptr) << "no message";
      EXPECT_EQ(MessageText(box), c.message);
      Answer(box, IDOK);
    }
    if (c.library == nullptr) {
      EXPECT_EQ(panel.WaitForExit(), -1);
      EXPECT_EQ(station.Journal(), Lines());
      continue;
    }
    ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
    ASSERT_TRUE(WaitUntil([&] { return panel.Text(IDC_DISTANCE_VALUE_0 + 3) == L"-10000"; }));
    ExpectTexts(panel, {{IDC_COUNTER_200, L"0xffffd8f0"}, {IDC_COUNTER_207, L"0xffffd8f0"},
                        {IDC_DISTANCE_VALUE_0, L"-10000"}});
    // The message belongs to the initialisation, over once the ticks have written their values
    // (waited for above): a second one would be up by now.
    EXPECT_EQ(FindDialogOf(panel.pid(), panel.dialog(), IDOK, "Button"), nullptr) << "a second message";
    panel.Click(kOutput5);
    panel.Click(IDC_ALL_OUTPUTS_LOW);
    EXPECT_TRUE(panel.Close());
    EXPECT_EQ(station.Journal(), Lines()) << "a device library was reached";
  }
}

}  // namespace
