// The real StationProbe.exe against hostile arguments, calib.ini, loginset.ini and directories: it
// comes up, keeps polling and closes normally, shows only captions it read (or channel numbers),
// and changes no file. One start per row of the table.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/PanelDriver.h"

namespace {

using namespace e2e;

int Out(int channel) { return channel == 0 ? IDC_OUTPUT_0 : channel <= 15 ? 1055 + channel : 1057 + channel; }
int In(int channel) { return IDC_INPUT_CAPTION_0 + channel; }
int Analog(int channel) { return IDC_ANALOG_CAPTION_0 + 2 * channel; }

// One section declaring one channel: list key, key, channel, description.
std::string Declare(const std::string& section, const char* listKey, const std::string& key, int channel,
                    const std::string& about) {
  return "[" + section + "]\r\n" + listKey + "=" + key + "\r\n" + key + "=" + std::to_string(channel) + "\r\n" + key +
         "[About]=" + about + "\r\n";
}

// 10,000 sections of which only the first 100 count; the command line's longest argument.
std::string TenThousandSections() {
  std::string calib;
  for (int s = 0; s < 10000; ++s) {
    char name[16];
    std::snprintf(name, sizeof name, "S%04d", s);
    calib += s == 5      ? Declare(name, "AllTD_Din", "K", 3, "Early")
             : s == 99   ? Declare(name, "AllTD_Dout", "K", 7, "Hundredth")
             : s == 100  ? Declare(name, "AllTD_Dout", "K", 8, "Beyond")
             : s == 9999 ? Declare(name, "AllTD_Din", "K", 4, "Last")
                         : "[" + std::string(name) + "]\r\nDevName=" + name + "\r\n";
  }
  return calib;
}

// A list of 5,000 keys (only the first 100 count), a key name of 1,000 characters (read whole: cut
// short it would name the key beside it), a section name of 1,000 (beyond what is read).
std::string ManyAndLongNames() {
  std::string many = "[Many]\r\nAllTD_Din=M0";
  for (int k = 1; k < 5000; ++k) many += ",M" + std::to_string(k);
  many += "\r\n";
  for (int k = 0; k < 5000; ++k) many += "M" + std::to_string(k) + "=" + std::to_string(k == 0 ? 7 : k == 99 ? 8 : k == 100 ? 9 : 10) + "\r\n";
  many += "M0[About]=Many0\r\nM99[About]=Many99\r\nM100[About]=Many100\r\n";
  const std::string cut(511, 'k');
  return many + Declare("Wide", "AllTD_Din", std::string(1000, 'k'), 5, "WideKey") + cut + "=11\r\n" + cut +
         "[About]=CutKey\r\n" + Declare(std::string(1000, 'N'), "AllTD_Din", "K", 6, "LongSection") +
         Declare("After", "AllTD_A", "K", 2, "AfterLong");
}

// Invalid GBK, binary junk and NUL bytes between good sections.
std::string Junk() {
  std::string junk = Declare("Good", "AllTD_Din", "G", 1, "GoodBefore") + std::string("[Bad\x81", 5) +
                     "]\r\nAllTD_Din=B\r\nB=\xFF\xFF\r\nB[About]=\x80\x81\x82\r\n";
  for (int i = 0; i < 512; ++i) junk += static_cast<char>((i * 37 + 11) & 0xFF);
  junk += std::string("\r\n\0\0\0[Nul\0Section]\r\nAllTD_Din=Z\r\nZ=\0" "4\r\n", 40);
  return junk + "\r\n" + Declare("GoodAfter", "AllTD_A", "A", 3, "AfterJunk");
}


TEST(HostilePanel, ArgumentsConfigurationAndFontSettings) {
  const struct {
    const char* what;
    std::string argument, calib, loginset;
    bool locked;
    RECT place;  // empty: where the template puts the panel, as in the first row
    std::vector<std::pair<int, const wchar_t*>> shown;
  } rows[] = {
      {"calib.ini locked by another program; an absurd font size", "", kSmallCalibIni,
       "[DLGFONT]\r\nFONTSIZE=2147483648\r\nFONTFOCENAME=Arial\r\n", true, RECT{}, {{Out(4), L"4"}, {In(2), L"2"}}},
      // A trailing comma: digits fill the argument up to the command line's 32,767 characters, far
      // beyond the panel's buffer of 511, so an over-read would still parse as a number.
      {"the longest argument; 10,000 sections", "0,0,800,600,", TenThousandSections(), "", false,
       {0, 0, 800, 600},
       {{In(3), L"Early"}, {Out(7), L"Hundredth"}, {Out(8), L"8"}, {In(4), L"4"}}},
      {"an area of three fields; many and long names", "100,100,700", ManyAndLongNames(), "", false,
       RECT{},
       {{In(7), L"Many0"}, {In(8), L"Many99"}, {In(9), L"9"}, {In(10), L"10"}, {In(5), L"WideKey"}, {In(11), L"11"},
        {In(6), L"6"}, {Analog(2), L"AfterLong"}}},
      {"fields that are no numbers; junk; a face name of 300 bytes and a negative size",
       "left,top,right,bottom", Junk(), "[DLGFONT]\r\nFONTSIZE=-5\r\nFONTFOCENAME=" + std::string(300, 'F') + "\r\n",
       false, RECT{}, {{In(1), L"GoodBefore"}, {In(4), L"4"}, {Analog(3), L"AfterJunk"}}},
  };
  RECT templ{};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    StationFolder station("", row.calib);
    ASSERT_TRUE(station.ok()) << station.Root();
    ASSERT_TRUE(row.loginset.empty() || station.Add("loginset.ini", row.loginset));
    const std::string calib = station.Config() + "\\calib.ini";
    const std::string before = ReadFileBytes(calib);
    const HANDLE lock = row.locked ? CreateFileA(calib.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                 0, nullptr)
                                   : INVALID_HANDLE_VALUE;
    std::string argument = row.argument;
    if (!argument.empty() && argument.back() == ',') argument.resize(32767 - 1 - (station.Exe().size() + 3), '7');
    Panel panel(station, argument);
    ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";

    RECT rc{};
    GetWindowRect(panel.dialog(), &rc);
    templ = templ.right == 0 ? rc : templ;
    const RECT& place = IsRectEmpty(&row.place) ? templ : row.place;
    EXPECT_TRUE(EqualRect(&rc, &place)) << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
    for (const auto& item : row.shown) EXPECT_EQ(panel.Text(item.first), item.second) << "item " << item.first;
    EXPECT_FALSE(station.NextTick("ExtInPutDig 0", "ExtInPutDig 15").empty()) << "polling stopped";
    EXPECT_TRUE(panel.Close());
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(calib), before) << "calib.ini changed";
  }
}

// Directories whose paths exceed the path buffers: the device library that cannot be named is not
// loaded (the values of an absent device show), and no configuration is read from the drive's root,
// where a path cut to nothing would lead.
TEST(HostilePanel, DirectoriesLongerThanThePathBuffers) {
  StationFolder station;
  ASSERT_TRUE(station.ok()) << station.Root();
  const std::string distant = station.Root() + "\\" + std::string(259 - station.Root().size() - 1, 'L');
  const auto wide = [](const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); };
  ASSERT_TRUE(CreateDirectoryW(wide(distant).c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(wide(BuiltFile("Hardware.dll")).c_str(), wide(distant + "\\Hardware.dll").c_str(), FALSE));
  ASSERT_TRUE(station.Install("SysENV.dll", distant, distant));
  sptest::SystemDirFile decoy("..\\..\\calib.ini", "hostile");
  ASSERT_TRUE(decoy.Write(Declare("Root", "AllTD_Dout", "K", 4, "Elsewhere")));

  Panel panel(station);
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  EXPECT_TRUE(WaitUntil([&] { return panel.Text(IDC_DISTANCE_VALUE_0 + 3) == L"-10000"; }));
  ExpectTexts(panel, {{IDC_COUNTER_207, L"0xffffd8f0"}, {Out(4), L"4"}});
  EXPECT_TRUE(panel.Close());
}

}  // namespace
