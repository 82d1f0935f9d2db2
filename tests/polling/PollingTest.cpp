// Polling and the caption refresh cost only what changed: every tick paints exactly the controls
// whose shown value changed, and the captions read a section at a time come out as through the
// system's per-key function.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/StationProbeDlg.h"
#include "framework/Text.h"
#include "res/resource.h"
#include "sim/sysenv/FieldSplit.h"
#include "station/ProfileWin32.h"
#include "tests/support/PaintRecorder.h"
#include "tests/support/SystemFiles.h"
#include "tests/support/TestSupport.h"
#include "widgets/Digistring.h"

namespace {

using namespace station;

CDigistring* Readout(HWND control) { return dynamic_cast<CDigistring*>(fw::Window::FromHandle(control)); }

std::string Shown(HWND control) {
  return fw::GetWindowTextGbk(control) + "|" + std::to_string(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0)) +
         (Readout(control) != nullptr ? Readout(control)->GetText() : "");
}

// A simulated station where input 5 follows output 5, analog channel 3 ramps, counter 203 counts and
// distance 301 follows its label; everything else stands.
TEST(PollingTest, EveryTickPaintsWhatChangedAndNothingElse) {
  const std::string root = sptest::ExeDirectory() + "\\sp_polling", device = root + "\\Device";
  for (const std::string& dir : {root, device}) CreateDirectoryA(dir.c_str(), nullptr);
  std::string sim = "[Counters]\r\nRate200=0\r\nRate201=0\r\nRate202=0\r\nRate203=50\r\nRate204=0\r\nRate205=0\r\n"
                    "Rate206=0\r\nRate207=0\r\n[Analog]\r\n";  // inputs follow the outputs of their numbers
  for (int k = 0; k < 16; ++k) sim += "Ch" + std::to_string(k) + (k == 3 ? "=ramp amplitude=5\r\n" : "=constant\r\n");
  sptest::SystemDirFile library("SysENV.dll", "polling"), settings("SysENV.ini", "polling");
  ASSERT_TRUE(sptest::WriteFileBytes(device + "\\HardwareSim.ini", sim) &&
              library.CopyFrom(sptest::ExeDirectory() + "\\SysENV.dll") &&
              CopyFileA((sptest::ExeDirectory() + "\\Hardware.dll").c_str(), (device + "\\Hardware.dll").c_str(), FALSE));
  ASSERT_TRUE(settings.Write("[Directories]\r\nConfig=" + root + "\r\nDeviceLibrary=" + device + "\r\n"));

  CStationProbeDlg panel(nullptr);
  ASSERT_TRUE(panel.CreateModeless());
  const HWND hwnd = panel.GetHwnd();
  for (UINT_PTR id = 1; id <= 4; ++id) KillTimer(hwnd, id);  // the ticks are ours
  sptest::PaintRecorder paints(hwnd);
  std::map<HWND, std::string> shown;
  for (HWND control : paints.Watched()) shown[control] = Shown(control);
  auto item = [&](int id) { return GetDlgItem(hwnd, id); };
  const HWND output5 = item(IDC_OUTPUT_1 + 4), label301 = item(IDC_DISTANCE_LABEL_0 + 1);
  long changes[5] = {};
  for (int round = 0; round < 500 && (round < 12 || !(changes[1] && changes[2] && changes[3] && changes[4])); ++round) {
    if (round % 3 == 1) SendMessageW(output5, BM_CLICK, 0, 0);
    if (round % 4 == 2) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label301), STN_CLICKED), LPARAM(label301));
    sptest::PumpMessages();
    for (UINT_PTR id = 1; id <= 4; ++id) {
      paints.Clear();
      SendMessageW(hwnd, WM_TIMER, id, 0);
      sptest::PumpMessages();
      std::set<HWND> changed;
      for (auto& control : shown) {
        const std::string now = Shown(control.first);
        if (now != control.second) changed.insert(control.first);
        control.second = now;
      }
      EXPECT_EQ(paints.Painted(), changed) << "timer " << id << ", round " << round;
      changes[id] += round > 0 ? long(changed.size()) : 0;  // the first round shows the first values
    }
    // Lamp 5 shows input 5, which follows output 5 (lamp 0 shows the off image).
    const bool high = SendMessageW(output5, BM_GETCHECK, 0, 0) == BST_CHECKED;
    EXPECT_EQ(Shown(item(IDC_INPUT_LAMP_0 + 5)) != Shown(item(IDC_INPUT_LAMP_0)), high) << round;
  }
  // Every timer's changes were seen: the paints of each would have been counted.
  for (int id = 1; id <= 4; ++id) EXPECT_GT(changes[id], 0) << "timer " << id;
  // A read-out that drew only its changed characters shows what one drawn whole shows (the layout of
  // "8.8.8" is another, so read-out 8 draws "8.8.8", then channel 3's value, whole).
  CDigistring *ramp = Readout(item(IDC_ANALOG_READOUT_0 + 6)), *whole = Readout(item(IDC_ANALOG_READOUT_0 + 16));
  whole->SetText("8.8.8");
  whole->SetText(ramp->GetText().c_str());
  const HDC rampDC = GetDC(ramp->GetHwnd()), wholeDC = GetDC(whole->GetHwnd());
  RECT box{}, lamp{};
  GetClientRect(ramp->GetHwnd(), &box);
  for (int p = 0; p < box.right * box.bottom; ++p) {
    ASSERT_EQ(GetPixel(rampDC, p % box.right, p / box.right), GetPixel(wholeDC, p % box.right, p / box.right)) << p;
  }
  // A relayout sizes the lamps anew; the next input tick gives them back their bitmap's size.
  GetWindowRect(item(IDC_INPUT_LAMP_0), &box);
  SetWindowPos(hwnd, nullptr, 0, 0, 1024, 768, SWP_NOZORDER | SWP_NOMOVE);
  SendMessageW(hwnd, WM_TIMER, 1, 0);
  EXPECT_TRUE(GetWindowRect(item(IDC_INPUT_LAMP_0), &lamp) && lamp.right - lamp.left == box.right - box.left);
}

// Generated files hold a section named twice or in another case, keys named twice or in another case
// (ASCII and not), blanks around names and values, quotes, comment lines, lines without "=", values
// up to and past the buffer's size.
const std::vector<std::string> kSections = {"D1", "d1", "D2", " D3 ", "\xC7\xB0", "Gone"};
const std::vector<std::string> kKeys = {"a", "A", " a ", "\xC7\xB0\xC3\xC5", "\xA7\xA1", "\xA7\xD1", ";a", "a[About]",
                                        "A[ABOUT]", " b[About]", "b", "AllTD_A", "alltd_din", "AllTD_Dout", "", "x=y"};
const std::vector<std::string> kValues = {
    "1", " 2 ", "\"3\"", "'4", "\"\"", "5\"", "6(x) y", "\xC7\xB0\xB9\xE2\xB5\xE7(1) 24V", "\"b(2)\"", "a,b, A ,\xA7\xA1",
    "\"a,b\"", "1234567", "12345678", std::string(1998, '7'), std::string(1999, '8'), std::string(2100, '9'),
    "\"" + std::string(1999, '(') + "\""};

// The simulated system library's field splitting.
int Field(const char* text, char* out, int i) { return sim::CommaField(text, i, out, kProfileBufferSize); }
int Field2(const char* text, char* out, int i, char c) { return sim::SeparatedField(text, i, c, out, kProfileBufferSize); }

TEST(PollingTest, CaptionsReadBySectionAnswerAsThePerKeyFunction) {
  FieldFunctions fields(&Field, &Field2);
  std::mt19937 random(20);
  auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
  for (int file = 0; file < 60; ++file) {
    std::string ini;
    for (int s = 0; s < 4; ++s) {
      ini += "[" + pick(kSections) + "]\r\n";
      for (int line = random() % 24; line > 0; --line) {
        const std::string key = pick(kKeys), value = pick(kValues);
        const int form = random() % 6;  // 0: a comment, 1: no "=", 2: blanks around it
        ini += (form == 0 ? ";" : "") + key + (form == 1 ? "" : form == 2 ? " = " + value : "=" + value) + "\r\n";
      }
    }
    // A new name for every file: the system keeps the files it read.
    const std::string path = sptest::ExeDirectory() + "\\sp_captions_" + std::to_string(file) + ".ini";
    ASSERT_TRUE(sptest::WriteFileBytes(path, ini));
    Win32ProfileReader perKey(path.c_str());
    Win32SectionReader sections(path.c_str());
    for (const char* kind : {kDoutListKey, kDinListKey, kAnalogListKey}) {
      ChannelCaptions<16> expected{}, got{};
      ReadCaptions(perKey, fields, kind, expected);
      ReadCaptions(sections, fields, kind, got);
      EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << kind << " in\n" << ini;
    }
    for (const std::string& section : kSections) {
      for (const std::string& key : kKeys) {
        char expected[kProfileBufferSize], got[kProfileBufferSize];
        EXPECT_EQ(perKey.String(section.c_str(), key.c_str(), expected, sizeof expected),
                  sections.String(section.c_str(), key.c_str(), got, sizeof got));
        EXPECT_STREQ(expected, got) << "[" << section << "] " << key << " in\n" << ini;
      }
    }
  }
}

}  // namespace
