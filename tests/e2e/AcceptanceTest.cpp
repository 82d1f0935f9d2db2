// Acceptance: the real StationProbe.exe on the demo station, used as a technician uses it, and the
// fault situations a station can present. What it shows is read from the window texts and the
// screen, what it does from the simulator's journal; message boxes are answered here.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PanelDriver.h"
#include "res/resource.h"
#include "tests/support/SystemFiles.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace e2e;
using sptest::SystemDirFile;

constexpr COLORREF kGreenLamp = RGB(0, 128, 0);
constexpr COLORREF kRedLamp = RGB(255, 0, 0);
constexpr COLORREF kSilver = RGB(192, 192, 192);

std::string Demo(const char* name) { return ReadFileBytes(BuiltFile("demo") + "\\" + name); }

unsigned long Counter(const Panel& panel, int id) { return std::strtoul(panel.Text(id).c_str(), nullptr, 16); }

// The demo station laid out as at a station: configuration, simulated card, the panel's font file
// in its working folder; the system library installed into the system directory.
class AcceptanceTest : public testing::Test {
 protected:
  // `faults` is added to the simulator's settings as its [Faults] section.
  std::unique_ptr<StationFolder> DemoStation(const std::string& faults = std::string()) {
    std::string settings = Demo("HardwareSim.ini");
    if (!faults.empty()) settings += "\r\n[Faults]\r\n" + faults;
    auto station = std::make_unique<StationFolder>(true, settings, Demo("calib.ini"));
    bool ok = station->ok();
    for (const char* file : {"DevOz.ini", "sysOz.ini", "DevID.ini"}) {
      ok = ok && station->AddFile(std::string("Config\\") + file, Demo(file));
    }
    ok = ok && station->AddFile("loginset.ini", Demo("loginset.ini"));
    EXPECT_TRUE(ok) << "demo station in " << station->Root();
    EXPECT_TRUE(library_.CopyFrom(BuiltFile("SysENV.dll")));
    EXPECT_TRUE(settings_.Write("[Directories]\r\nConfig=" + station->Config() + "\r\nDeviceLibrary=" +
                                station->Device() + "\r\n"));
    return station;
  }

  SystemDirFile library_{"SysENV.dll", "acceptance"};
  SystemDirFile settings_{"SysENV.ini", "acceptance"};
};

// Waits for one complete round of the input timer that starts after journal line `from`: the
// panel has then shown the inputs it read in that round.
bool InputRoundAfter(const StationFolder& station, std::size_t from) {
  return WaitUntil([&] {
    const std::vector<std::string> journal = station.Journal();
    for (std::size_t i = from; i < journal.size(); ++i) {
      if (journal[i] == "ExtInPutDig 0") return Contains(journal, "ExtInPutDig 0", i + 1);
    }
    return false;
  });
}

void SaveScreenshot(HWND window, const std::string& png) {
  const dstest::Pixels pixels = CaptureScreen(window);
  // A bitmap file, then ImageMagick (beside Wine on the host) makes the PNG.
  const std::string bmp = png.substr(0, png.size() - 4) + ".bmp";
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = pixels.width;
  info.biHeight = -pixels.height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  std::string bytes(sizeof file + sizeof info, '\0');
  file.bfType = 0x4D42;
  file.bfOffBits = static_cast<DWORD>(bytes.size());
  for (COLORREF c : pixels.data) {
    const char bgra[4] = {static_cast<char>(GetBValue(c)), static_cast<char>(GetGValue(c)),
                          static_cast<char>(GetRValue(c)), 0};
    bytes.append(bgra, 4);
  }
  file.bfSize = static_cast<DWORD>(bytes.size());
  std::memcpy(&bytes[0], &file, sizeof file);
  std::memcpy(&bytes[sizeof file], &info, sizeof info);
  DeleteFileA(png.c_str());
  ASSERT_TRUE(sptest::WriteFileBytes(bmp, bytes));
  // The build tree lies on Wine's drive Z:, the host's root.
  std::string command = "Z:\\usr\\bin\\convert";
  for (std::string path : {bmp, png}) {
    if (path.compare(0, 2, "Z:") != 0) return;
    path.erase(0, 2);
    for (char& ch : path) ch = ch == '\\' ? '/' : ch;
    command += " " + path;
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    WaitUntil([&] { return sptest::FileExists(png); }, 10000);
  }
  DeleteFileA(bmp.c_str());
}

TEST_F(AcceptanceTest, AWholeSessionOnTheDemoStation) {
  const auto station = DemoStation();
  Panel panel(*station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";

  // Start-up: the device opened, the demo's captions on the controls (description up to "(" and
  // the first blank, keywords removed, two devices on one channel joined).
  std::vector<std::string> journal = station->Journal();
  ASSERT_GE(journal.size(), 2u);
  EXPECT_EQ(journal[1], "ExtOpen \"ProbeDesk\"");
  EXPECT_EQ(panel.WideText(IDC_OUTPUT_0), L"前举升上升");
  EXPECT_EQ(panel.WideText(1059), L"轴重台电机");
  EXPECT_EQ(panel.WideText(IDC_INPUT_CAPTION_0), L"前举升到位开关/举升到位");
  EXPECT_EQ(panel.WideText(IDC_ANALOG_CAPTION_0), L"左轮重");
  EXPECT_EQ(panel.WideText(IDC_ANALOG_COUNT), L"8");

  {
    SCOPED_TRACE("input 0 is wired to output 0: its lamp follows the output button");
    const HWND lamp = panel.Item(IDC_INPUT_LAMP_0);
    EXPECT_TRUE(WaitUntil([&] { return ScreenColour(lamp, 5, 5) == kGreenLamp; }, 5000)) << "first paint";
    for (const COLORREF expected : {kRedLamp, kGreenLamp}) {
      panel.Click(IDC_OUTPUT_0);
      ASSERT_TRUE(InputRoundAfter(*station, station->Journal().size()));
      EXPECT_TRUE(WaitUntil([&] { return ScreenColour(lamp, 5, 5) == expected; }, 1000))
          << "0x" << std::hex << ScreenColour(lamp, 5, 5);
    }
  }
  {
    SCOPED_TRACE("analog read-outs follow the simulator's waveforms");
    // Channel 0 is noise within 2.43..2.47: its read-out shows one of those values.
    std::vector<dstest::Pixels> candidates;
    RECT rc{};
    GetClientRect(panel.Item(IDC_ANALOG_READOUT_0), &rc);
    for (int v = 2430; v <= 2470; ++v) {
      char text[16];
      std::snprintf(text, sizeof text, "%d.%03d", v / 1000, v % 1000);
      candidates.push_back(RenderReadout(rc.right, rc.bottom, text));
    }
    EXPECT_TRUE(WaitUntil([&] {
      const dstest::Pixels shown = CaptureScreen(panel.Item(IDC_ANALOG_READOUT_0));
      for (const auto& candidate : candidates) {
        if (SamePixels(shown, candidate)) return true;
      }
      return false;
    }, 5000)) << "read-out 0 is not within the channel's band";
    // Channel 2 is a slow sine: its read-out moves.
    const HWND sine = panel.Item(IDC_ANALOG_READOUT_0 + 4);
    const dstest::Pixels first = CaptureScreen(sine);
    EXPECT_TRUE(WaitUntil([&] { return !SamePixels(first, CaptureScreen(sine)); }, 5000));
  }
  // The whole panel painted and polling: the picture for the read-me.
  SaveScreenshot(panel.dialog(), sptest::ExeDirectory() + "\\acceptance-panel.png");
  {
    SCOPED_TRACE("counters count, and restart when reset");
    ASSERT_TRUE(WaitUntil([&] { return Counter(panel, IDC_COUNTER_200) >= 100; })) << panel.Text(IDC_COUNTER_200);
    const unsigned long before = Counter(panel, IDC_COUNTER_200);
    const std::size_t mark = station->Journal().size();
    panel.Click(IDC_RESET_COUNTERS);
    EXPECT_TRUE(Contains(station->Journal(), "ExtResetCNT", mark));
    EXPECT_TRUE(WaitUntil([&] { return Counter(panel, IDC_COUNTER_200) < before; })) << panel.Text(IDC_COUNTER_200);
  }
  {
    SCOPED_TRACE("distance 1 (300): reset turns the label red, set turns it silver and shows the set value");
    const HWND label = panel.Item(IDC_DISTANCE_LABEL_0);
    const auto distance = [&] { return std::atoi(panel.Text(IDC_DISTANCE_VALUE_0).c_str()); };
    const auto click = [&] {
      panel.ToDialog(WM_COMMAND, MAKEWPARAM(IDC_DISTANCE_LABEL_0, STN_CLICKED), reinterpret_cast<LPARAM>(label));
    };
    click();
    EXPECT_TRUE(WaitUntil([&] { return ScreenColour(label, 1, 1) == kRedLamp; }, 5000));
    click();
    EXPECT_TRUE(WaitUntil([&] { return distance() >= 1500; })) << panel.Text(IDC_DISTANCE_VALUE_0);
    EXPECT_TRUE(WaitUntil([&] { return ScreenColour(label, 1, 1) == kSilver; }, 5000));
    click();
    EXPECT_TRUE(WaitUntil([&] { return distance() < 1500; })) << panel.Text(IDC_DISTANCE_VALUE_0);
    EXPECT_TRUE(WaitUntil([&] { return ScreenColour(label, 1, 1) == kRedLamp; }, 5000));
  }
  {
    SCOPED_TRACE("the configuration manager deletes the axle-load scale; its captions go");
    PostMessageW(panel.Item(IDC_CFGMGR), BM_CLICK, 0, 0);
    const HWND manager = WaitForDialogOf(panel.pid(), panel.dialog(), IDC_CFG_SECTION_LIST, "ListBox");
    ASSERT_NE(manager, nullptr) << "no configuration manager";
    const HWND sections = GetDlgItem(manager, IDC_CFG_SECTION_LIST);
    const LRESULT scale = SendMessageW(sections, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(L"轴重台"));
    ASSERT_NE(scale, LB_ERR);
    SendMessageW(sections, LB_SETCURSEL, static_cast<WPARAM>(scale), 0);
    PostMessageW(manager, WM_COMMAND, MAKEWPARAM(IDC_CFG_SECTION_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(sections));
    const HWND question = WaitForDialogOf(panel.pid(), manager, IDYES, "Button");
    ASSERT_NE(question, nullptr);
    Answer(question, IDYES);
    const HWND outcome = WaitForDialogOf(panel.pid(), manager, IDOK, "Button");
    ASSERT_NE(outcome, nullptr);
    EXPECT_EQ(MessageText(outcome), L"删除【轴重台】配置数据成功");
    Answer(outcome, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(outcome); }));
    PostMessageW(manager, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(manager); }));
    EXPECT_TRUE(WaitUntil([&] { return panel.WideText(1059) == L"4"; }));
    EXPECT_EQ(panel.WideText(IDC_ANALOG_CAPTION_0), L"0");
    EXPECT_EQ(panel.WideText(IDC_OUTPUT_0), L"前举升上升") << "other devices keep their captions";
    const std::string devOz = ReadFileBytes(station->Config() + "\\DevOz.ini");
    EXPECT_EQ(devOz.find("Range=10000"), std::string::npos) << "the scale's parameters stayed";
    EXPECT_NE(devOz.find("RollerSpeed"), std::string::npos) << "another device's parameters went";
  }
  {
    SCOPED_TRACE("dragging the panel by its background with Drag ticked");
    panel.Click(IDC_DRAG);
    RECT before{};
    GetWindowRect(panel.dialog(), &before);
    POINT from{};
    ASSERT_TRUE(EmptyDialogPoint(panel.dialog(), from));
    ASSERT_TRUE(MouseDrag(from, POINT{from.x - 40, from.y + 30}));
    RECT after{};
    WaitUntil([&] {
      GetWindowRect(panel.dialog(), &after);
      return after.left == before.left - 40 && after.top == before.top + 30;
    });
    EXPECT_NEAR(after.left, before.left - 40, 2);
    EXPECT_NEAR(after.top, before.top + 30, 2);
  }
  {
    SCOPED_TRACE("the About box from the system menu");
    PostMessageW(panel.dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    const HWND about = WaitForDialogOf(panel.pid(), panel.dialog(), IDOK, "Button");
    ASSERT_NE(about, nullptr) << "no About box";
    Answer(about, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  }
  // "Exit": the device closed, stopped and released, and nothing after that.
  panel.Click(IDC_EXIT);
  EXPECT_EQ(panel.WaitForExit(), 0);
  journal = station->Journal();
  ASSERT_GE(journal.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(journal.end() - 3, journal.end()),
            (std::vector<std::string>{"ExtClose", "ExtStop", "ExtRelease"}))
      << Joined(journal);
}

// Every polled entry faults on every call: the panel keeps polling, shows the fallbacks and
// answers its messages.
TEST_F(AcceptanceTest, PollingThroughFaultsKeepsThePanelResponsive) {
  const auto station =
      DemoStation("ExtInPutDig = access\r\nExtGetAnalog = throw\r\nExtGetFreb = msvc\r\nExtGetDis = divide\r\n");
  Panel panel(*station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  EXPECT_TRUE(WaitUntil([&] { return panel.Text(IDC_COUNTER_207) == "0xffffd8f0"; })) << panel.Text(IDC_COUNTER_207);
  EXPECT_TRUE(WaitUntil([&] { return panel.Text(IDC_DISTANCE_VALUE_0 + 3) == "-10000"; }));
  for (int round = 0; round < 10; ++round) {
    const std::size_t mark = station->Journal().size();
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutW(panel.dialog(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result), 0)
        << "no answer within a second, round " << round;
    ASSERT_TRUE(InputRoundAfter(*station, mark)) << "polling stopped";
  }
  EXPECT_EQ(ScreenColour(panel.Item(IDC_INPUT_LAMP_0), 5, 5), kGreenLamp) << "a faulted read is not an input on";
  panel.Click(IDC_EXIT);
  EXPECT_EQ(panel.WaitForExit(), 0);
}

// Faults in the closing calls: the panel still makes every one of them and ends.
TEST_F(AcceptanceTest, FaultsWhileClosingStillEndThePanel) {
  const auto station = DemoStation("ExtClose = access\r\nExtStop = throw\r\nExtRelease = raise\r\n");
  Panel panel(*station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  panel.Click(IDC_EXIT);
  EXPECT_EQ(panel.WaitForExit(), 0);
  const std::vector<std::string> journal = station->Journal();
  ASSERT_GE(journal.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(journal.end() - 3, journal.end()),
            (std::vector<std::string>{"ExtClose", "ExtStop", "ExtRelease"}))
      << Joined(journal);
}

// No system library at all: the panel says so and ends with -1, before any window or device.
TEST_F(AcceptanceTest, WithoutTheSystemLibraryThePanelEndsWithAMessage) {
  const auto station = DemoStation();
  ASSERT_TRUE(library_.Remove());
  Panel panel(*station, "");
  ASSERT_TRUE(panel.started());
  const HWND box = WaitForDialogOf(panel.pid(), nullptr, IDOK, "Button", kStartTimeout);
  ASSERT_NE(box, nullptr) << "no message";
  EXPECT_EQ(MessageText(box), L"系统库不存在或者版本错误!");
  Answer(box, IDOK);
  ASSERT_EQ(WaitForSingleObject(panel.process(), kWaitTimeout), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(panel.process(), &code);
  EXPECT_EQ(code, 0xFFFFFFFFu);
  EXPECT_TRUE(station->Journal().empty());
}

}  // namespace
