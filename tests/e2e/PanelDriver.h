// Driving the real StationProbe.exe from outside: a station folder of the test's own, the panel
// process, its windows and the simulator's journal. Shared by the end-to-end suites.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "PixelCapture.h"

namespace e2e {

// Generous: every process start runs through an emulator here.
constexpr DWORD kStartTimeout = 60000;
constexpr DWORD kWaitTimeout = 20000;

// A file of the test executable's own folder (the built panel and simulator sit there).
std::string BuiltFile(const char* name);
std::string ReadFileBytes(const std::string& path);

// The small station every suite starts from: one device section naming output 4, input 2 and
// analog channel 1, in ASCII so the expected texts do not depend on the code page.
extern const char kSmallCalibIni[];

// A station folder in the temporary directory: Config with calib.ini, Device with the simulated
// device library (unless left out), its settings with the journal switched on, and a copy of the
// panel. Everything it holds is removed on destruction.
class StationFolder {
 public:
  explicit StationFolder(bool withDeviceLibrary, const std::string& simulatorSettings = std::string(),
                         const std::string& calibIni = kSmallCalibIni);
  ~StationFolder();
  StationFolder(const StationFolder&) = delete;
  StationFolder& operator=(const StationFolder&) = delete;

  bool ok() const { return ok_; }
  const std::string& Root() const { return root_; }
  std::string Config() const { return root_ + "\\Config"; }
  std::string Device() const { return root_ + "\\Device"; }
  std::string Exe() const { return root_ + "\\StationProbe.exe"; }

  // Puts a further file into the folder (relative name); removed with the folder.
  bool AddFile(const std::string& relative, const std::string& bytes);

  // The journal's complete lines so far (the simulator writes each call through at once).
  std::vector<std::string> Journal() const;

 private:
  std::string root_;
  std::vector<std::string> extra_;
  bool ok_ = false;
};

// A running StationProbe.exe started in the station's folder; terminated on destruction if it
// is still running, so no panel outlives a failed check.
class Panel {
 public:
  Panel(const StationFolder& station, const std::string& argument);
  ~Panel();
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  bool started() const { return started_; }
  DWORD pid() const { return pi_.dwProcessId; }
  HANDLE process() const { return pi_.hProcess; }

  // The panel's dialog once it is visible, or null when it does not come up (or the process ends).
  HWND WaitForWindow(DWORD timeout = kStartTimeout);
  // Waits for the process to end; its exit code, or -1 when it is still running.
  long WaitForExit(DWORD timeout = kWaitTimeout) const;

  HWND dialog() const { return dialog_; }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::string Text(int id) const;  // in the test's code page
  std::wstring WideText(int id) const;
  LRESULT Send(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void Click(int id) const { Send(id, BM_CLICK); }
  LRESULT ToDialog(UINT msg, WPARAM wParam, LPARAM lParam) const;

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
  HWND dialog_ = nullptr;
};

template <typename F>
bool WaitUntil(F done, DWORD milliseconds = kWaitTimeout) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return done();
    Sleep(50);
  }
  return true;
}

bool StartsWith(const std::string& line, const std::string& prefix);
bool Contains(const std::vector<std::string>& lines, const std::string& line, std::size_t from = 0);
// The journal lines from `from` on that begin with one of the prefixes.
std::vector<std::string> Only(const std::vector<std::string>& lines, std::size_t from,
                              std::initializer_list<const char*> prefixes);
std::string Joined(const std::vector<std::string>& lines);

// The colour on screen at (dx, dy) inside `control`'s top-left corner (the panel's windows are not
// covered: there is no window manager and nothing else is on this display's top).
COLORREF ScreenColour(HWND control, int dx = 3, int dy = 3);

// A visible dialog of process `pid`, other than `except`, holding a visible child `item` of class
// `cls` (message boxes keep the buttons they do not use, hidden).
HWND WaitForDialogOf(DWORD pid, HWND except, int item, const char* cls, DWORD timeout = kWaitTimeout);
// Presses `button` of a dialog of another thread (posted: the dialog may be modal).
void Answer(HWND dialog, int button);
// The text of a message box's message (its static item), wide.
std::wstring MessageText(HWND box);

// The client area of a window of any process, read back from the screen.
dstest::Pixels CaptureScreen(HWND hwnd);
// What a segment read-out of this size shows for `text`, drawn by our own display in this
// process (the panel's read-outs carry no window text: they are compared by their pixels).
dstest::Pixels RenderReadout(int width, int height, const char* text);
bool SamePixels(const dstest::Pixels& a, const dstest::Pixels& b);

// A real mouse drag with the left button through the X server (xdotool), screen coordinates.
// Returns once the pointer has arrived at `to` and the button is up again.
bool MouseDrag(POINT from, POINT to);
// A point of `dialog`'s client area, in screen coordinates, with no visible child control under
// it (a press there reaches the dialog itself); false when there is none.
bool EmptyDialogPoint(HWND dialog, POINT& point);

}  // namespace e2e
