// Driving the real StationProbe.exe from outside: a station folder of the test's own with the
// system library installed for it, the panel process and its windows, what it shows on screen and
// the simulator's journal. Shared by the suites that start the real panel.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/SystemFiles.h"

namespace e2e {

using Lines = std::vector<std::string>;

// Generous: a slow or emulated machine may take long, only a panel that never gets there fails.
constexpr DWORD kWaitTimeout = 60000;

std::string BuiltFile(const std::string& name);  // beside the test executable
std::string ReadFileBytes(const std::string& path);

// One device section naming output 4, input 2 and analog channel 1, in ASCII.
extern const char kSmallCalibIni[];

// A station folder in the temporary directory (Config with calib.ini, Device with the simulated
// library unless left out and its settings with the journal on, a copy of the panel), and the
// system library installed pointing at it. Everything is removed or put back on destruction.
class StationFolder {
 public:
  explicit StationFolder(const std::string& simulator = "", const std::string& calib = kSmallCalibIni,
                         bool withDevice = true);
  ~StationFolder();
  StationFolder(const StationFolder&) = delete;
  StationFolder& operator=(const StationFolder&) = delete;

  bool ok() const { return ok_; }
  const std::string& Root() const { return root_; }
  std::string Config() const { return root_ + "\\Config"; }
  std::string Device() const { return root_ + "\\Device"; }
  std::string Exe() const { return root_ + "\\StationProbe.exe"; }
  bool Add(const std::string& relative, const std::string& bytes) const;
  // `library` (a built file) as the system library, its directories pointing where given.
  bool Install(const std::string& library, const std::string& config, const std::string& device) const;
  bool Uninstall() const { return library_.Remove(); }
  Lines Journal() const;  // complete lines only
  // The lines of a whole tick begun after this call, from a line `first` to a line `last`.
  Lines NextTick(const std::string& first, const std::string& last) const;

 private:
  std::string root_;
  sptest::SystemDirFile library_{"SysENV.dll", "e2e"};
  sptest::SystemDirFile settings_{"SysENV.ini", "e2e"};
  bool ok_ = false;
};

// The panel started in the station's folder; terminated on destruction if still running.
class Panel {
 public:
  explicit Panel(const StationFolder& station, std::string argument = "");
  ~Panel();
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  DWORD pid() const { return pi_.dwProcessId; }
  HWND WaitForWindow();      // the panel's dialog once visible; null when it never comes up
  long WaitForExit() const;  // the exit code (STILL_ACTIVE while it runs on)
  HWND dialog() const { return dialog_; }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::wstring Text(int id) const;
  LRESULT Send(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;  // id 0: the dialog
  void Click(int id) const { Send(id, BM_CLICK); }
  void Notify(int id, int code) const;  // WM_COMMAND from control `id` to the dialog
  // WM_CLOSE; true when the panel then ends with code 0.
  bool Close() const { return PostMessageW(dialog_, WM_CLOSE, 0, 0) && WaitForExit() == 0; }

 private:
  PROCESS_INFORMATION pi_{};
  HWND dialog_ = nullptr;
};

template <typename F>
bool WaitUntil(F done, DWORD milliseconds = kWaitTimeout) {
  for (const DWORD start = GetTickCount(); !done(); Sleep(50)) {
    if (GetTickCount() - start > milliseconds) return done();
  }
  return true;
}

// Each item of the panel shows its text.
void ExpectTexts(const Panel& panel, std::initializer_list<std::pair<int, const wchar_t*>> texts);

Lines Only(const Lines& lines, std::size_t from, std::initializer_list<const char*> prefixes);
Lines Series(const char* format, int from, int count);  // `format` with from, from + 1, ...
Lines Tail(const Lines& lines, std::size_t n);

// A visible dialog of process `pid`, other than `except`, with a visible child `item` of class `cls`.
HWND FindDialogOf(DWORD pid, HWND except, int item, const char* cls);
HWND WaitForDialogOf(DWORD pid, HWND except, int item, const char* cls);
void Answer(HWND dialog, int button);  // posted: the dialog may be modal
std::wstring MessageText(HWND box);

// What is on screen: one pixel of a control (nothing covers the panel on this display), or the
// client area, as raw 32-bit values to compare with each other.
COLORREF ScreenColour(HWND control, int dx = 5, int dy = 5);
std::vector<DWORD> CaptureScreen(HWND control);
// What our own segment display draws for `text` at the size of `readout` (the panel's read-outs
// have no window text: they are compared by their pixels).
std::vector<DWORD> RenderReadout(HWND readout, const char* text);

// Real pointer input through the X server (xdotool), screen coordinates; returns once the pointer
// rests at `end` with the button up. `end` must differ from where the pointer is now.
bool Mouse(const std::string& actions, POINT end);
bool Drag(POINT from, POINT to);
// A point of `dialog`'s client area, on screen, with no visible child under it.
bool EmptyDialogPoint(HWND dialog, POINT& point);

}  // namespace e2e
