// The real StationProbe.exe against hostile arguments, directories, calib.ini, loginset.ini and
// DevOz.ini: the panel comes up, keeps polling and closes normally, shows nothing it did not read,
// and changes no file it should not. Inputs that cannot disturb each other share one costly start.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/Text.h"
#include "res/resource.h"
#include "tests/e2e/PanelDriver.h"
#include "tests/support/SystemFiles.h"

namespace {

using namespace e2e;

int OutputItem(int channel) {
  if (channel == 0) return IDC_OUTPUT_0;
  return channel <= 15 ? 1055 + channel : 1057 + channel;
}
int InputItem(int channel) { return IDC_INPUT_CAPTION_0 + channel; }

// One section declaring one channel of a kind: list key, key, value, description.
std::string Declare(const std::string& section, const char* listKey, const std::string& key, int channel,
                    const std::string& about) {
  return "[" + section + "]\r\n" + listKey + "=" + key + "\r\n" + key + "=" + std::to_string(channel) + "\r\n" + key +
         "[About]=" + about + "\r\n";
}

RECT WindowRect(HWND window) {
  RECT rc{};
  GetWindowRect(window, &rc);
  return rc;
}

// Texts of the visible statics of a message box (its message), wide.
std::wstring DialogText(HWND dialog) {
  std::wstring all;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") != 0) continue;
    wchar_t text[512] = {};
    DWORD_PTR got = 0;
    SendMessageTimeoutW(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kWaitTimeout, &got);
    all += text;
  }
  return all;
}

// A folder beyond MAX_PATH (made with the wide functions), removed with its files on destruction.
class LongFolder {
 public:
  LongFolder(const std::string& parent, std::size_t totalLength) {
    path_ = parent + "\\";
    while (path_.size() < totalLength) path_ += 'L';
    path_.resize(totalLength);
    ok_ = CreateDirectoryW(Wide(path_).c_str(), nullptr) != 0;
  }
  ~LongFolder() {
    for (const std::string& file : files_) DeleteFileW(Wide(path_ + "\\" + file).c_str());
    RemoveDirectoryW(Wide(path_).c_str());
  }
  bool ok() const { return ok_; }
  const std::string& Path() const { return path_; }
  void Own(const char* name) { files_.push_back(name); }
  bool Copy(const std::string& from, const char* name) {
    files_.push_back(name);
    return CopyFileW(fw::GbkToWide(from.c_str()).c_str(), Wide(path_ + "\\" + name).c_str(), FALSE) != 0;
  }
  bool Write(const char* name, const std::string& bytes) {
    files_.push_back(name);
    const HANDLE file =
        CreateFileW(Wide(path_ + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL done = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return done && written == bytes.size();
  }

 private:
  static std::wstring Wide(const std::string& path) { return L"\\\\?\\" + fw::GbkToWide(path.c_str()); }
  std::string path_;
  std::vector<std::string> files_;
  bool ok_ = false;
};

class HostilePanelTest : public testing::Test {
 protected:
  void Install(const std::string& config, const std::string& device) {
    ASSERT_TRUE(library_.CopyFrom(BuiltFile("SysENV.dll")));
    ASSERT_TRUE(settings_.Write("[Directories]\r\nConfig=" + config + "\r\nDeviceLibrary=" + device + "\r\n"));
  }
  void Install(const StationFolder& station) {
    ASSERT_TRUE(station.ok()) << "station folder " << station.Root();
    Install(station.Config(), station.Device());
  }

  // Up, answering, polling the device (when it has one), and closing normally with exit code 0.
  static void ExpectAliveAndClose(Panel& panel, const StationFolder& station, bool polling = true) {
    ASSERT_NE(panel.dialog(), nullptr);
    DWORD_PTR ignored = 0;
    EXPECT_NE(SendMessageTimeoutW(panel.dialog(), WM_NULL, 0, 0, SMTO_NORMAL, kWaitTimeout, &ignored), 0)
        << "the panel does not answer";
    if (polling) {
      const std::size_t mark = station.Journal().size();
      EXPECT_TRUE(WaitUntil([&] { return Contains(station.Journal(), "ExtInPutDig 15", mark); }))
          << "no input polled after start";
    }
    PostMessageW(panel.dialog(), WM_CLOSE, 0, 0);
    EXPECT_EQ(panel.WaitForExit(), 0) << "the panel did not close normally";
  }

  sptest::SystemDirFile library_{"SysENV.dll", "hostile"};
  sptest::SystemDirFile settings_{"SysENV.ini", "hostile"};
};

// The longest command line the system takes (100,000 characters are refused before any program
// sees them) reaches an argument buffer of 511: digits fill it, so an over-read would still parse as
// a number. The same start reads a calib.ini of 10,000 sections, of which the first 100 count.
TEST_F(HostilePanelTest, HugeArgumentAndTenThousandSections) {
  std::string calib;
  for (int s = 0; s < 10000; ++s) {
    char name[16];
    std::snprintf(name, sizeof name, "S%04d", s);
    if (s == 5) {
      calib += Declare(name, "AllTD_Din", "K", 3, "Early");
    } else if (s == 99) {
      calib += Declare(name, "AllTD_Dout", "K", 7, "Hundredth");
    } else if (s == 100) {
      calib += Declare(name, "AllTD_Dout", "K", 8, "Beyond");
    } else if (s == 9999) {
      calib += Declare(name, "AllTD_Din", "K", 4, "Last");
    } else {
      calib += std::string("[") + name + "]\r\nDevName=" + name + "\r\n";
    }
  }
  StationFolder station(true, std::string(), calib);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  std::string argument = "0,0,800,600,";
  argument.resize(100000, '7');
  {
    Panel refused(station, argument);
    EXPECT_FALSE(refused.started());
  }
  // The command line holds 32,767 characters with its terminator: quoted program, blank, argument.
  argument.resize(32767 - 1 - (station.Exe().size() + 3));
  Panel panel(station, argument);
  ASSERT_TRUE(panel.started()) << "error " << GetLastError();
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";

  const RECT rc = WindowRect(panel.dialog());
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.top, 0);
  EXPECT_EQ(rc.right, 800);
  EXPECT_EQ(rc.bottom, 600);
  EXPECT_EQ(panel.Text(InputItem(3)), "Early");
  EXPECT_EQ(panel.Text(OutputItem(7)), "Hundredth");
  EXPECT_EQ(panel.Text(OutputItem(8)), "8");
  EXPECT_EQ(panel.Text(InputItem(4)), "4");
  ExpectAliveAndClose(panel, station);
}

// Arguments without an area keep the template's place and size, whatever the configuration does.
TEST_F(HostilePanelTest, ArgumentsWithoutAnAreaAndHostileCalibAndFontSettings) {
  // Start 1: three fields; a list of 5,000 keys, key and section names of 1,000 characters.
  std::string many = "[Many]\r\nAllTD_Din=";
  for (int k = 0; k < 5000; ++k) many += (k ? ",M" : "M") + std::to_string(k);
  many += "\r\n";
  for (int k = 0; k < 5000; ++k) {
    const int channel = k == 0 ? 7 : (k == 99 ? 8 : (k == 100 ? 9 : 10));
    many += "M" + std::to_string(k) + "=" + std::to_string(channel) + "\r\n";
  }
  many += "M0[About]=Many0\r\nM99[About]=Many99\r\nM100[About]=Many100\r\n";
  // A key name of 1,000 characters is read whole: cut short it would name the key beside it.
  const std::string longKey(1000, 'k');
  const std::string cutKey(511, 'k');
  std::string calib = many + Declare("Wide", "AllTD_Din", longKey, 5, "WideKey") + cutKey + "=11\r\n" + cutKey +
                      "[About]=CutKey\r\n" +
                      Declare(std::string(1000, 'N'), "AllTD_Din", "K", 6, "LongSection") +
                      Declare("After", "AllTD_A", "K", 2, "AfterLong");
  RECT first{};
  {
    StationFolder station(true, std::string(), calib);
    ASSERT_NO_FATAL_FAILURE(Install(station));
    Panel panel(station, "100,100,700");
    ASSERT_TRUE(panel.started());
    ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
    first = WindowRect(panel.dialog());
    EXPECT_EQ(first.left, 0);
    EXPECT_EQ(first.top, 0);
    EXPECT_GT(first.right, 300);
    EXPECT_GT(first.bottom, 200);
    EXPECT_EQ(panel.Text(InputItem(7)), "Many0");
    EXPECT_EQ(panel.Text(InputItem(8)), "Many99");
    EXPECT_EQ(panel.Text(InputItem(9)), "9") << "only the first 100 keys of a list count";
    EXPECT_EQ(panel.Text(InputItem(10)), "10") << "keys without a description give no caption";
    EXPECT_EQ(panel.Text(InputItem(5)), "WideKey");
    EXPECT_EQ(panel.Text(InputItem(11)), "11");
    EXPECT_EQ(panel.Text(InputItem(6)), "6") << "a section name beyond 99 characters is not read";
    EXPECT_EQ(panel.Text(IDC_ANALOG_CAPTION_0 + 4), "AfterLong");
    ExpectAliveAndClose(panel, station);
  }

  // Start 2: non-numeric fields; invalid GBK, binary junk and NUL bytes in calib.ini; a face name of
  // 300 bytes and a negative size in loginset.ini.
  std::string junk = Declare("Good", "AllTD_Din", "G", 1, "GoodBefore") +
                     Declare("Odd", "AllTD_Din", "T", 3, std::string("Tail\xFE", 5)) +
                     std::string("[Bad\x81", 5) + "]\r\nAllTD_Din=B\r\nB=\xFF\xFF\r\nB[About]=\x80\x81\x82\r\n";
  for (int i = 0; i < 512; ++i) junk += static_cast<char>((i * 37 + 11) & 0xFF);
  junk += std::string("\r\n\0\0\0[Nul\0Section]\r\nAllTD_Din=Z\r\nZ=\0" "4\r\n", 40);
  junk += "\r\n" + Declare("GoodAfter", "AllTD_A", "A", 3, "AfterJunk");
  {
    StationFolder station(true, std::string(), junk);
    ASSERT_NO_FATAL_FAILURE(Install(station));
    ASSERT_TRUE(station.AddFile("loginset.ini",
                                "[DLGFONT]\r\nFONTSIZE=-5\r\nFONTFOCENAME=" + std::string(300, 'F') + "\r\n"));
    const std::string before = ReadFileBytes(station.Config() + "\\calib.ini");
    Panel panel(station, "left,top,right,bottom");
    ASSERT_TRUE(panel.started());
    ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
    const RECT second = WindowRect(panel.dialog());
    EXPECT_TRUE(EqualRect(&first, &second)) << second.left << "," << second.top << "," << second.right << ","
                                            << second.bottom;
    EXPECT_EQ(panel.Text(InputItem(1)), "GoodBefore");
    EXPECT_EQ(panel.Text(InputItem(3)).compare(0, 4, "Tail"), 0) << panel.Text(InputItem(3));
    EXPECT_LE(panel.Text(InputItem(3)).size(), 8u);
    // Whatever the system's profile functions make of the junk, a channel shows a caption it read or
    // its number, never bytes of the junk.
    EXPECT_EQ(panel.Text(InputItem(4)), "4");
    EXPECT_EQ(panel.Text(IDC_ANALOG_CAPTION_0 + 6), "AfterJunk");
    ExpectAliveAndClose(panel, station);
    EXPECT_EQ(ReadFileBytes(station.Config() + "\\calib.ini"), before) << "reading changed calib.ini";
  }
}

// calib.ini that cannot be read as a file (a folder, or locked by another process) gives no
// captions and leaves the file alone; an absurd font size still gives a usable panel.
TEST_F(HostilePanelTest, UnreadableCalibIniAndAnAbsurdFontSize) {
  auto expectNumbersOnly = [this](const StationFolder& station) {
    Panel panel(station, "");
    ASSERT_TRUE(panel.started());
    ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
    EXPECT_EQ(panel.Text(OutputItem(4)), "4");
    EXPECT_EQ(panel.Text(InputItem(2)), "2");
    ExpectAliveAndClose(panel, station);
  };
  {
    StationFolder station(true);
    ASSERT_NO_FATAL_FAILURE(Install(station));
    const std::string calib = station.Config() + "\\calib.ini";
    ASSERT_TRUE(DeleteFileA(calib.c_str()));
    ASSERT_TRUE(CreateDirectoryA(calib.c_str(), nullptr));
    ASSERT_TRUE(station.AddFile("loginset.ini", "[DLGFONT]\r\nFONTSIZE=2147483648\r\nFONTFOCENAME=Arial\r\n"));
    expectNumbersOnly(station);
    EXPECT_NE(GetFileAttributesA(calib.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    RemoveDirectoryA(calib.c_str());
  }
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  const std::string calib = station.Config() + "\\calib.ini";
  const std::string before = ReadFileBytes(calib);
  const HANDLE lock = CreateFileA(calib.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  expectNumbersOnly(station);
  CloseHandle(lock);
  EXPECT_EQ(ReadFileBytes(calib), before);
}

// Directories whose paths exceed the path buffers: no device library is loaded in place of the one
// that cannot be named (the missing-library values show), and the configuration is read from its own
// path or not at all, never from the root an empty directory would lead to.
TEST_F(HostilePanelTest, DirectoriesLongerThanThePathBuffers) {
  StationFolder station(true);
  ASSERT_TRUE(station.ok());
  LongFolder folder(station.Root(), 259);
  ASSERT_TRUE(folder.ok()) << folder.Path().size();
  ASSERT_TRUE(folder.Copy(BuiltFile("Hardware.dll"), "Hardware.dll"));
  ASSERT_TRUE(folder.Write("HardwareSim.ini", "[Journal]\r\nFile=journal.txt\r\n"));
  ASSERT_TRUE(folder.Write("calib.ini", Declare("Far", "AllTD_Dout", "K", 4, "FarAway")));
  folder.Own("journal.txt");
  ASSERT_NO_FATAL_FAILURE(Install(folder.Path(), folder.Path()));
  sptest::SystemDirFile decoy("..\\..\\calib.ini", "hostile");
  ASSERT_TRUE(decoy.Write(Declare("Root", "AllTD_Dout", "K", 4, "Elsewhere")));

  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  EXPECT_TRUE(WaitUntil([&] { return panel.Text(IDC_COUNTER_207) == "0xffffd8f0"; })) << panel.Text(IDC_COUNTER_207);
  EXPECT_EQ(panel.Text(IDC_DISTANCE_VALUE_0 + 3), "-10000");
  const std::string caption = panel.Text(OutputItem(4));
  EXPECT_TRUE(caption == "4" || caption == "FarAway") << caption;
  ExpectAliveAndClose(panel, station, false);
}

// DevOz.ini is read-only: deleting a section reports failure and neither file loses anything; the
// panel's captions stay.
TEST_F(HostilePanelTest, ReadOnlyDevOzIniLosesNothing) {
  StationFolder station(true);
  ASSERT_NO_FATAL_FAILURE(Install(station));
  const std::string devOz = "[Desk]\r\nPort=3\r\n[Other]\r\nPort=4\r\n";
  ASSERT_TRUE(station.AddFile("Config\\DevOz.ini", devOz));
  const std::string devOzPath = station.Config() + "\\DevOz.ini";
  const std::string calibPath = station.Config() + "\\calib.ini";
  ASSERT_TRUE(SetFileAttributesA(devOzPath.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string calibBefore = ReadFileBytes(calibPath);

  Panel panel(station, "");
  ASSERT_TRUE(panel.started());
  ASSERT_NE(panel.WaitForWindow(), nullptr) << "the panel did not come up";
  ASSERT_EQ(panel.Text(OutputItem(4)), "LiftMotor");

  PostMessageW(panel.Item(IDC_CFGMGR), BM_CLICK, 0, 0);
  const HWND manager = WaitForDialogOf(panel.pid(), panel.dialog(), IDC_CFG_SECTION_LIST, "ListBox");
  ASSERT_NE(manager, nullptr) << "no configuration manager";
  const HWND sections = GetDlgItem(manager, IDC_CFG_SECTION_LIST);
  ASSERT_EQ(SendMessageW(sections, LB_GETCOUNT, 0, 0), 1);
  SendMessageW(sections, LB_SETCURSEL, 0, 0);
  PostMessageW(manager, WM_COMMAND, MAKEWPARAM(IDC_CFG_SECTION_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(sections));
  const HWND question = WaitForDialogOf(panel.pid(), manager, IDYES, "Button");
  ASSERT_NE(question, nullptr) << "no question before deleting";
  Answer(question, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
  const HWND outcome = WaitForDialogOf(panel.pid(), manager, IDOK, "Button");
  ASSERT_NE(outcome, nullptr) << "no outcome message";
  EXPECT_EQ(DialogText(outcome), fw::GbkToWide("删除【Desk】配置数据失败"));
  Answer(outcome, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(outcome); }));
  EXPECT_EQ(SendMessageW(sections, LB_GETCOUNT, 0, 0), 1) << "the section is still there to be listed";
  PostMessageW(manager, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(manager); })) << "the manager did not close";

  EXPECT_EQ(ReadFileBytes(devOzPath), devOz);
  EXPECT_EQ(ReadFileBytes(calibPath), calibBefore);
  EXPECT_TRUE(WaitUntil([&] { return panel.Text(OutputItem(4)) == "LiftMotor"; })) << panel.Text(OutputItem(4));
  ExpectAliveAndClose(panel, station);
}

}  // namespace
