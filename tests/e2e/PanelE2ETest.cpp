// The real StationProbe.exe against the simulated station: a station folder of our own, the
// simulated system library in the system directory of this test's own Wine prefix, and the panel
// driven from outside by window messages while the simulator's journal records every device call.
// Everything installed is taken out again and no panel process outlives a test.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "PanelDriver.h"
#include "res/resource.h"
#include "tests/support/SystemFiles.h"

namespace {

using namespace e2e;
using sptest::FileExists;
using sptest::SystemDirFile;

// The simulated system library and its settings in the system directory, pointing at the station.
class PanelE2ETest : public testing::Test {
 protected:
  void Install(const StationFolder& station, const char* library = "SysENV.dll") {
    ASSERT_TRUE(station.ok()) << "station folder " << station.Root();
    ASSERT_TRUE(library_.CopyFrom(BuiltFile(library)));
    ASSERT_TRUE(settings_.Write("[Directories]\r\nConfig=" + station.Config() + "\r\nDeviceLibrary=" + station.Device() +
                                "\r\n"));
  }

  SystemDirFile library_{"SysENV.dll", "e2e"};
  SystemDirFile settings_{"SysENV.ini", "e2e"};
};


constexpr int kDistanceValues[4] = {IDC_DISTANCE_VALUE_0, IDC_DISTANCE_VALUE_0 + 1, IDC_DISTANCE_VALUE_0 + 2,
                                    IDC_DISTANCE_VALUE_0 + 3};

// Selects the combo item showing `text` (whatever order the list keeps), then tells the panel.
void ChooseAnalogCount(const Panel& panel, const char* text) {
  const LRESULT count = panel.Send(IDC_ANALOG_COUNT, CB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    panel.Send(IDC_ANALOG_COUNT, CB_SETCURSEL, static_cast<WPARAM>(i));
    if (panel.Text(IDC_ANALOG_COUNT) == text) break;
  }
  EXPECT_EQ(panel.Text(IDC_ANALOG_COUNT), text);
  panel.ToDialog(WM_COMMAND, MAKEWPARAM(IDC_ANALOG_COUNT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(panel.Item(IDC_ANALOG_COUNT)));
}

dstest::Pixels ReadoutOnScreen(const Panel& panel, int k) { return CaptureScreen(panel.Item(IDC_ANALOG_READOUT_0 + 2 * k)); }

dstest::Pixels ReadoutShowing(const Panel& panel, int k, const char* text) {
  RECT rc{};
  GetClientRect(panel.Item(IDC_ANALOG_READOUT_0 + 2 * k), &rc);
  return RenderReadout(rc.right, rc.bottom, text);
}

TEST_F(PanelE2ETest, StartsPollsAndClosesOnWmClose) {
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";

  // The simulator's distances stay 0 (no speed configured), so "0" holds before and after a tick.
  for (int id : kDistanceValues) EXPECT_EQ(panel.Text(id), "0") << "distance item " << id;
  EXPECT_EQ(panel.Text(IDC_ANALOG_COUNT), "8");

  // Captions from calib.ini; channels without one show their number.
  EXPECT_EQ(panel.Text(1059), "LiftMotor");
  EXPECT_EQ(panel.Text(1060), "5");
  EXPECT_EQ(panel.Text(IDC_OUTPUT_0), "0");
  EXPECT_EQ(panel.Text(IDC_INPUT_CAPTION_0 + 2), "DoorSwitch");
  EXPECT_EQ(panel.Text(IDC_INPUT_CAPTION_0 + 1), "1");
  EXPECT_EQ(panel.Text(IDC_ANALOG_CAPTION_0 + 2), "LeftWeight");
  EXPECT_EQ(panel.Text(IDC_ANALOG_CAPTION_0), "0");

  // The device was opened in order before anything else.
  std::vector<std::string> journal = station.Journal();
  const std::vector<std::string> opening = {"ExtClose",        "ExtOpen \"ProbeDesk\"", "ExtResetCNT",
                                            "ExtResetDis 300", "ExtResetDis 301",       "ExtResetDis 302",
                                            "ExtResetDis 303"};
  ASSERT_GE(journal.size(), opening.size()) << Joined(journal);
  EXPECT_EQ(std::vector<std::string>(journal.begin(), journal.begin() + 7), opening) << Joined(journal);

  // Polling: every input, the analog channels, counters and distances.
  ASSERT_TRUE(WaitUntil([&] {
    journal = station.Journal();
    return Contains(journal, "ExtInPutDig 15") && Contains(journal, "ExtGetAnalog 7 ptr 50") &&
           Contains(journal, "ExtGetFreb 207") && Contains(journal, "ExtGetDis 303");
  })) << Joined(journal);
  for (int k = 0; k < 16; ++k) EXPECT_TRUE(Contains(journal, "ExtInPutDig " + std::to_string(k))) << k;
  for (int k = 0; k < 8; ++k) EXPECT_TRUE(Contains(journal, "ExtGetAnalog " + std::to_string(k) + " ptr 50")) << k;
  EXPECT_FALSE(Contains(journal, "ExtGetAnalog 8 ptr 50")) << "eight analog channels by default";
  EXPECT_TRUE(Contains(journal, "ExtGetFreb 200"));
  EXPECT_TRUE(Contains(journal, "ExtGetDis 300"));
  // Counters run in the simulator: after a tick the read-out is a hexadecimal count.
  EXPECT_TRUE(WaitUntil([&] { return StartsWith(panel.Text(IDC_COUNTER_200), "0x"); })) << panel.Text(IDC_COUNTER_200);
  for (int id : kDistanceValues) EXPECT_EQ(panel.Text(id), "0") << "distance item " << id;

  // WM_CLOSE closes the device once, then the common closing sequence runs, and nothing follows.
  PostMessageW(panel.dialog(), WM_CLOSE, 0, 0);
  EXPECT_EQ(panel.WaitForExit(), 0);
  journal = station.Journal();
  ASSERT_GE(journal.size(), 4u);
  const std::vector<std::string> closing = {"ExtClose", "ExtClose", "ExtStop", "ExtRelease"};
  EXPECT_EQ(std::vector<std::string>(journal.end() - 4, journal.end()), closing) << Joined(journal);
}

TEST_F(PanelE2ETest, OperatorCommandsReachTheDevice) {
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  std::vector<std::string> journal;

  // Output "5" (item 1060) on, then off: the write follows the button's tick state.
  std::size_t mark = station.Journal().size();
  panel.Click(1060);
  EXPECT_EQ(panel.Send(1060, BM_GETCHECK), BST_CHECKED);
  panel.Click(1060);
  EXPECT_EQ(panel.Send(1060, BM_GETCHECK), BST_UNCHECKED);
  journal = station.Journal();
  EXPECT_EQ(Only(journal, mark, {"ExtOutPutDig"}), (std::vector<std::string>{"ExtOutPutDig 5 1", "ExtOutPutDig 5 0"}))
      << Joined(journal);

  // "3" and "20" pressed (posted clicks, as a queued press would be), then "all low".
  mark = station.Journal().size();
  PostMessageW(panel.Item(1058), BM_CLICK, 0, 0);
  PostMessageW(panel.Item(1077), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return Only(station.Journal(), mark, {"ExtOutPutDig"}).size() == 2; }))
      << Joined(station.Journal());
  journal = station.Journal();
  EXPECT_EQ(Only(journal, mark, {"ExtOutPutDig"}), (std::vector<std::string>{"ExtOutPutDig 3 1", "ExtOutPutDig 20 1"}));
  EXPECT_EQ(panel.Send(1058, BM_GETCHECK), BST_CHECKED);
  EXPECT_EQ(panel.Send(1077, BM_GETCHECK), BST_CHECKED);
  mark = station.Journal().size();
  panel.Click(IDC_ALL_OUTPUTS_LOW);
  std::vector<std::string> allLow;
  for (int c = 0; c < 24; ++c) allLow.push_back("ExtOutPutDig " + std::to_string(c) + " 0");
  journal = station.Journal();
  EXPECT_EQ(Only(journal, mark, {"ExtOutPutDig"}), allLow) << Joined(journal);
  EXPECT_EQ(panel.Send(1058, BM_GETCHECK), BST_UNCHECKED);
  EXPECT_EQ(panel.Send(1077, BM_GETCHECK), BST_UNCHECKED);

  // The label of distance 2 (item 1176) clicked three times: reset, set, reset.
  mark = station.Journal().size();
  const HWND label = panel.Item(IDC_DISTANCE_LABEL_0 + 1);
  ASSERT_NE(label, nullptr);
  // Red while reset, silver while set; read back from the screen once the panel has painted.
  const COLORREF colours[3] = {RGB(255, 0, 0), RGB(192, 192, 192), RGB(255, 0, 0)};
  for (int i = 0; i < 3; ++i) {
    panel.ToDialog(WM_COMMAND, MAKEWPARAM(IDC_DISTANCE_LABEL_0 + 1, STN_CLICKED), reinterpret_cast<LPARAM>(label));
    // The previous colour is still on screen until the label repaints: make it paint now and let
    // the display settle, so a label that kept its old colour is caught.
    RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Sleep(300);
    EXPECT_TRUE(WaitUntil([&] { return ScreenColour(label) == colours[i]; }, 5000))
        << "click " << i + 1 << ": 0x" << std::hex << ScreenColour(label);
  }
  journal = station.Journal();
  EXPECT_EQ(Only(journal, mark, {"ExtResetDis", "ExtSetDis"}),
            (std::vector<std::string>{"ExtResetDis 301", "ExtSetDis 301", "ExtResetDis 301"}))
      << Joined(journal);

  // "Exit" closes once: no WM_CLOSE, so a single ExtClose before stop and release.
  panel.Click(IDC_EXIT);
  EXPECT_EQ(panel.WaitForExit(), 0);
  journal = station.Journal();
  ASSERT_GE(journal.size(), 4u);
  EXPECT_NE(journal[journal.size() - 4], "ExtClose") << Joined(journal);
  EXPECT_EQ(std::vector<std::string>(journal.end() - 3, journal.end()),
            (std::vector<std::string>{"ExtClose", "ExtStop", "ExtRelease"}))
      << Joined(journal);
}

TEST_F(PanelE2ETest, SecondInstanceEndsAtOnceAndTheFirstKeepsPolling) {
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  Panel first(station, "");
  ASSERT_TRUE(first.started());
  ASSERT_NE(first.WaitForWindow(), nullptr) << "the panel did not come up";
  ASSERT_TRUE(WaitUntil([&] { return Contains(station.Journal(), "ExtInPutDig 0"); }));

  Panel second(station, "");
  ASSERT_TRUE(second.started());
  EXPECT_EQ(second.WaitForExit(kStartTimeout), 0);
  // The second one opened nothing: the only ExtOpen is the first panel's.
  std::vector<std::string> journal = station.Journal();
  EXPECT_EQ(Only(journal, 0, {"ExtOpen", "ExtClose", "ExtRelease"}),
            (std::vector<std::string>{"ExtClose", "ExtOpen \"ProbeDesk\""}))
      << Joined(journal);

  // The first is still polling: fresh input reads after the second one ended.
  const std::size_t mark = journal.size();
  EXPECT_TRUE(WaitUntil([&] { return Contains(station.Journal(), "ExtInPutDig 15", mark); }));
  EXPECT_TRUE(IsWindow(first.dialog()));
  PostMessageW(first.dialog(), WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitForExit(), 0);
}

TEST_F(PanelE2ETest, PlacesTheWindowFromTheArgument) {
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  Panel panel(station, "0,0,1024,768");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  RECT rc{};
  ASSERT_TRUE(GetWindowRect(panel.dialog(), &rc));
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.top, 0);
  EXPECT_EQ(rc.right, 1024);
  EXPECT_EQ(rc.bottom, 768);

  // Keys go through the panel's own message loop in the order posted: Enter on an output button,
  // the Drag box and the combo does nothing, then Escape closes like "Exit".
  for (int id : {1060, static_cast<int>(IDC_DRAG), static_cast<int>(IDC_ANALOG_COUNT)}) {
    PostMessageW(panel.Item(id), WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(panel.Item(id), WM_KEYUP, VK_RETURN, 0xC0000001);
  }
  PostMessageW(panel.Item(1060), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(panel.WaitForExit(), 0) << "Escape did not close the panel";
  const std::vector<std::string> journal = station.Journal();
  EXPECT_TRUE(Only(journal, 0, {"ExtOutPutDig"}).empty()) << Joined(journal);
  ASSERT_GE(journal.size(), 4u);
  EXPECT_NE(journal[journal.size() - 4], "ExtClose") << Joined(journal);
  EXPECT_EQ(std::vector<std::string>(journal.end() - 3, journal.end()),
            (std::vector<std::string>{"ExtClose", "ExtStop", "ExtRelease"}))
      << Joined(journal);
}

TEST_F(PanelE2ETest, AnalogCountFollowsTheCombo) {
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  // "16": the next analog tick reads all sixteen channels.
  std::size_t mark = station.Journal().size();
  ChooseAnalogCount(panel, "16");
  std::vector<std::string> journal;
  EXPECT_TRUE(WaitUntil([&] {
    journal = station.Journal();
    return Contains(journal, "ExtGetAnalog 15 ptr 50", mark);
  })) << Joined(journal);

  // "1": only channel 0 from then on, over several ticks.
  mark = station.Journal().size();
  ChooseAnalogCount(panel, "1");
  EXPECT_TRUE(WaitUntil([&] {
    journal = station.Journal();
    return Only(journal, mark, {"ExtGetAnalog"}).size() >= 3;
  })) << Joined(journal);
  for (const auto& line : Only(journal, mark, {"ExtGetAnalog"})) EXPECT_EQ(line, "ExtGetAnalog 0 ptr 50");

  PostMessageW(panel.dialog(), WM_CLOSE, 0, 0);
  EXPECT_EQ(panel.WaitForExit(), 0);
}

TEST_F(PanelE2ETest, WithoutTheDeviceLibraryShowsErrorValuesAndStillCloses) {
  StationFolder station(false);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  const int counters[8] = {IDC_COUNTER_200, IDC_COUNTER_201, IDC_COUNTER_202, IDC_COUNTER_203,
                           IDC_COUNTER_204, IDC_COUNTER_205, IDC_COUNTER_206, IDC_COUNTER_207};
  EXPECT_TRUE(WaitUntil([&] { return panel.Text(IDC_COUNTER_207) == "0xffffd8f0"; })) << panel.Text(IDC_COUNTER_207);
  for (int id : counters) EXPECT_EQ(panel.Text(id), "0xffffd8f0") << "counter item " << id;
  EXPECT_TRUE(WaitUntil([&] { return panel.Text(kDistanceValues[3]) == "-10000"; })) << panel.Text(kDistanceValues[3]);
  for (int id : kDistanceValues) EXPECT_EQ(panel.Text(id), "-10000") << "distance item " << id;
  // Commands without a library do nothing harmful.
  panel.Click(1060);
  panel.Click(IDC_ALL_OUTPUTS_LOW);
  EXPECT_TRUE(IsWindow(panel.dialog()));
  PostMessageW(panel.dialog(), WM_CLOSE, 0, 0);
  EXPECT_EQ(panel.WaitForExit(), 0);
  EXPECT_FALSE(FileExists(station.Device() + "\\journal.txt"));
}

// Every device call faults (`kind` as the simulator's fault settings name it): the panel still
// comes up, keeps polling past the faults and closes through the whole sequence.
class FaultingDeviceTest : public PanelE2ETest {
 protected:
  void Run(const char* kind) {
    StationFolder station(true, std::string("[Faults]\r\n* = ") + kind + "\r\n");
    ASSERT_NO_FATAL_FAILURE(Install(station));
    Panel panel(station, "");
    ASSERT_TRUE(panel.started());
    ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
    std::vector<std::string> journal;
    // Two full rounds of input reads: the faults did not stop the timer's work.
    ASSERT_TRUE(WaitUntil([&] {
      journal = station.Journal();
      return std::count(journal.begin(), journal.end(), "ExtInPutDig 15") >= 2;
    })) << Joined(journal);
    panel.Click(1060);
    PostMessageW(panel.dialog(), WM_CLOSE, 0, 0);
    EXPECT_EQ(panel.WaitForExit(), 0);
    journal = station.Journal();
    EXPECT_TRUE(Contains(journal, "ExtOutPutDig 5 1")) << Joined(journal);
    ASSERT_GE(journal.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(journal.end() - 4, journal.end()),
              (std::vector<std::string>{"ExtClose", "ExtClose", "ExtStop", "ExtRelease"}))
        << Joined(journal);
  }
};

TEST_F(FaultingDeviceTest, AccessViolations) { Run("access"); }
TEST_F(FaultingDeviceTest, CppExceptionsOfTheLibrary) { Run("throw"); }

// Inputs off and every channel at zero: the start state stays on screen and is read back there.
TEST_F(PanelE2ETest, ShowsItsStartStateOnScreen) {
  std::string settings = "[Inputs]\r\n";
  for (int k = 0; k < 16; ++k) settings += "In" + std::to_string(k) + " = fixed 0\r\n";
  settings += "[Analog]\r\n";
  for (int k = 0; k < 16; ++k) settings += "Ch" + std::to_string(k) + " = constant offset=0\r\n";
  StationFolder station(true, settings);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";

  // Read-outs 8-15 are never polled at the start count, so they show what initialisation wrote.
  const dstest::Pixels zero = ReadoutShowing(panel, 0, "0.000");
  ASSERT_FALSE(zero.data.empty());
  ASSERT_FALSE(SamePixels(zero, ReadoutShowing(panel, 0, "0.001"))) << "the reference cannot tell texts apart";
  for (int k = 0; k < 16; ++k) {
    const dstest::Pixels expected = ReadoutShowing(panel, k, "0.000");
    EXPECT_TRUE(WaitUntil([&] { return SamePixels(ReadoutOnScreen(panel, k), expected); }, 5000)) << "read-out " << k;
  }
  for (int k = 0; k < 16; ++k) {
    EXPECT_EQ(ScreenColour(panel.Item(IDC_INPUT_LAMP_0 + k), 5, 5), RGB(0, 128, 0)) << "lamp " << k;
  }
  for (int d = 0; d < 4; ++d) {
    const HWND label = panel.Item(IDC_DISTANCE_LABEL_0 + d);
    EXPECT_EQ(ScreenColour(label, 1, 1), RGB(255, 0, 0)) << "distance label " << d;
    // Centred: the text's ink has as much red to its left as to its right.
    const dstest::Pixels pixels = CaptureScreen(label);
    RECT ink{};
    ASSERT_TRUE(pixels.Extent(RGB(255, 0, 0), ink)) << "distance label " << d << " shows no text";
    EXPECT_NEAR(ink.left, pixels.width - ink.right, 3) << "distance label " << d;
    EXPECT_EQ(panel.Text(kDistanceValues[d]), "0");
  }
  EXPECT_EQ(panel.Text(IDC_ANALOG_COUNT), "8");
  PostMessageW(panel.dialog(), WM_CLOSE, 0, 0);
  EXPECT_EQ(panel.WaitForExit(), 0);
}

// The simulator's channels all move (a slow sine each): lowering the count freezes the read-outs
// above it with their last values, while those below keep following.
TEST_F(PanelE2ETest, ReadoutsAboveTheCountKeepTheirValues) {
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  ChooseAnalogCount(panel, "16");
  std::size_t mark = station.Journal().size();
  ASSERT_TRUE(WaitUntil([&] { return Contains(station.Journal(), "ExtGetAnalog 15 ptr 50", mark); }));

  ChooseAnalogCount(panel, "4");
  mark = station.Journal().size();  // the selection was handled: only channels 0-3 from here on
  const auto analogReads = [&] { return Only(station.Journal(), mark, {"ExtGetAnalog"}); };
  ASSERT_TRUE(WaitUntil([&] { return analogReads().size() >= 4; }));
  Sleep(300);
  std::vector<dstest::Pixels> before;
  for (int k = 0; k < 16; ++k) before.push_back(ReadoutOnScreen(panel, k));
  ASSERT_TRUE(WaitUntil([&] { return analogReads().size() >= 16; }));
  Sleep(300);
  bool lowerMoved = false;
  for (int k = 0; k < 4; ++k) lowerMoved = lowerMoved || !SamePixels(before[k], ReadoutOnScreen(panel, k));
  EXPECT_TRUE(lowerMoved) << "read-outs 0-3 stopped following";
  for (int k = 4; k < 16; ++k) {
    EXPECT_TRUE(SamePixels(before[k], ReadoutOnScreen(panel, k))) << "read-out " << k << " changed";
    EXPECT_FALSE(SamePixels(before[k], ReadoutShowing(panel, k, "0.000"))) << "read-out " << k << " was cleared";
  }
  for (const std::string& line : analogReads()) {
    EXPECT_LT(std::atoi(line.c_str() + std::strlen("ExtGetAnalog ")), 4) << line;
  }
  PostMessageW(panel.dialog(), WM_CLOSE, 0, 0);
  EXPECT_EQ(panel.WaitForExit(), 0);
}

// A system library lacking one entry: the panel says so once and comes up without the station's
// directories (so without its device library).
TEST_F(PanelE2ETest, ASystemLibraryLackingAnEntryIsReportedOnce) {
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station, "SysENV_without_GetRand.dll"));
  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  const HWND box = WaitForDialogOf(panel.pid(), nullptr, IDOK, "Button", kStartTimeout);
  ASSERT_NE(box, nullptr) << "no message";
  EXPECT_EQ(MessageText(box), L"Sysenv.dll 加载错误或者没有该文件！");
  Answer(box, IDOK);
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  EXPECT_EQ(WaitForDialogOf(panel.pid(), panel.dialog(), IDOK, "Button", 2000), nullptr) << "a second message";
  EXPECT_TRUE(WaitUntil([&] { return panel.Text(IDC_COUNTER_200) == "0xffffd8f0"; })) << panel.Text(IDC_COUNTER_200);
  PostMessageW(panel.dialog(), WM_CLOSE, 0, 0);
  EXPECT_EQ(panel.WaitForExit(), 0);
}

// The same real mouse drag on the panel's background moves the window only while "Drag" is ticked.
TEST_F(PanelE2ETest, AMouseDragMovesTheWindowOnlyWithDragTicked) {
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  const auto windowRect = [&] {
    RECT rc{};
    GetWindowRect(panel.dialog(), &rc);
    return rc;
  };
  POINT from{};
  ASSERT_TRUE(EmptyDialogPoint(panel.dialog(), from));
  const RECT start = windowRect();
  ASSERT_EQ(panel.Send(IDC_DRAG, BM_GETCHECK), BST_UNCHECKED);
  ASSERT_TRUE(MouseDrag(from, POINT{from.x + 80, from.y + 50})) << "xdotool did not drag";
  panel.ToDialog(WM_NULL, 0, 0);  // the panel has taken in the input before this
  Sleep(1000);
  RECT now = windowRect();
  EXPECT_EQ(now.left, start.left);
  EXPECT_EQ(now.top, start.top);

  panel.Click(IDC_DRAG);
  ASSERT_EQ(panel.Send(IDC_DRAG, BM_GETCHECK), BST_CHECKED);
  ASSERT_TRUE(MouseDrag(from, POINT{from.x + 80, from.y + 50})) << "xdotool did not drag";
  // The emulated panel may still be following the pointer.
  WaitUntil([&] { return windowRect().left == start.left + 80 && windowRect().top == start.top + 50; });
  now = windowRect();
  EXPECT_NEAR(now.left, start.left + 80, 2);
  EXPECT_NEAR(now.top, start.top + 50, 2);
  EXPECT_EQ(now.right - now.left, start.right - start.left) << "the drag resized the window";
  PostMessageW(panel.dialog(), WM_CLOSE, 0, 0);
  EXPECT_EQ(panel.WaitForExit(), 0);
}

}  // namespace
