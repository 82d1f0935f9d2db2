#include "PanelDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "res/resource.h"
#include "tests/support/PaintRecorder.h"
#include "tests/support/TestSupport.h"
#include "widgets/Digistring.h"

namespace e2e {

const char kSmallCalibIni[] =
    "[Desk]\r\nDevName=Desk\r\nAllTD_Dout=Lift\r\nLift=4\r\nLift[About]=LiftMotor (24V)\r\nAllTD_Din=Door\r\n"
    "Door=2\r\nDoor[About]=DoorSwitch(closed)\r\nAllTD_A=Weight\r\nWeight=1\r\nWeight[About]=LeftWeight 0-10V\r\n";

namespace {

// Removes a folder with everything in it; extended-length paths reach what lies beyond MAX_PATH.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW found{};
  const HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
    const std::wstring name = path + L"\\" + found.cFileName;
    if (found.cFileName[0] == L'.' && (found.cFileName[1] == 0 || found.cFileName[1] == L'.')) continue;
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(name);
    DeleteFileW(name.c_str());
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  RemoveDirectoryW(path.c_str());
}

}  // namespace

std::string BuiltFile(const std::string& name) { return sptest::ExeDirectory() + "\\" + name; }

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

StationFolder::StationFolder(const std::string& simulator, const std::string& calib, bool withDevice) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  static LONG serial = 0;
  root_ = temp + ("sp_e2e_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial));
  ok_ = CreateDirectoryA(root_.c_str(), nullptr) && CreateDirectoryA(Config().c_str(), nullptr) &&
        CreateDirectoryA(Device().c_str(), nullptr) && Add("Config\\calib.ini", calib) &&
        Add("Device\\HardwareSim.ini", "[Journal]\r\nFile=journal.txt\r\n" + simulator) &&
        CopyFileA(BuiltFile("StationProbe.exe").c_str(), Exe().c_str(), FALSE) &&
        (!withDevice || CopyFileA(BuiltFile("Hardware.dll").c_str(), (Device() + "\\Hardware.dll").c_str(), FALSE)) &&
        Install("SysENV.dll", Config(), Device());
}

StationFolder::~StationFolder() { RemoveTree(L"\\\\?\\" + std::wstring(root_.begin(), root_.end())); }

bool StationFolder::Add(const std::string& relative, const std::string& bytes) const {
  return sptest::WriteFileBytes(root_ + "\\" + relative, bytes);
}

bool StationFolder::Install(const std::string& library, const std::string& config, const std::string& device) const {
  return library_.CopyFrom(BuiltFile(library)) &&
         settings_.Write("[Directories]\r\nConfig=" + config + "\r\nDeviceLibrary=" + device + "\r\n");
}

Lines StationFolder::Journal() const {
  const std::string bytes = ReadFileBytes(Device() + "\\journal.txt");
  Lines lines;
  for (std::size_t pos = 0, end; (end = bytes.find("\r\n", pos)) != std::string::npos; pos = end + 2) {
    lines.push_back(bytes.substr(pos, end - pos));
  }
  return lines;
}

Lines StationFolder::NextTick(const std::string& first, const std::string& last) const {
  const std::size_t mark = Journal().size();
  Lines tick;
  WaitUntil([&] {
    const Lines lines = Journal();
    const auto begun = std::find(lines.begin() + std::min(mark, lines.size()), lines.end(), first);
    const auto ended = std::find(begun, lines.end(), last);
    if (ended != lines.end()) tick.assign(begun, ended + 1);
    return !tick.empty();
  });
  return tick;
}

Panel::Panel(const StationFolder& station, std::string argument) {
  std::string command = "\"" + station.Exe() + "\" " + argument;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, station.Root().c_str(), &si, &pi_);
}

Panel::~Panel() {
  if (pi_.hProcess == nullptr) return;
  if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
  WaitForSingleObject(pi_.hProcess, kWaitTimeout);
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
}

HWND Panel::WaitForWindow() {
  // The panel is the dialog holding the output buttons, not a message box.
  WaitUntil([&] {
    dialog_ = FindDialogOf(pi_.dwProcessId, nullptr, IDC_ALL_OUTPUTS_LOW, "Button");
    return dialog_ != nullptr || WaitForSingleObject(pi_.hProcess, 0) != WAIT_TIMEOUT;
  });
  return dialog_;
}

long Panel::WaitForExit() const {
  DWORD code = STILL_ACTIVE;
  WaitForSingleObject(pi_.hProcess, kWaitTimeout);
  GetExitCodeProcess(pi_.hProcess, &code);
  return static_cast<long>(code);
}

// Not "abort if hung": a slow panel can look hung for seconds; one that really hangs still fails
// when the wait runs out.
LRESULT Panel::Send(int id, UINT msg, WPARAM wParam, LPARAM lParam) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(id == 0 ? dialog_ : Item(id), msg, wParam, lParam, SMTO_NORMAL, kWaitTimeout, &result);
  return static_cast<LRESULT>(result);
}

std::wstring Panel::Text(int id) const {
  wchar_t text[256] = {};
  Send(id, WM_GETTEXT, 255, reinterpret_cast<LPARAM>(text));
  return text;
}

void Panel::Notify(int id, int code) const {
  Send(0, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
}

void ExpectTexts(const Panel& panel, std::initializer_list<std::pair<int, const wchar_t*>> texts) {
  for (const auto& item : texts) EXPECT_EQ(panel.Text(item.first), item.second) << "item " << item.first;
}

Lines Only(const Lines& lines, std::size_t from, std::initializer_list<const char*> prefixes) {
  Lines picked;
  for (std::size_t i = from; i < lines.size(); ++i) {
    if (std::any_of(prefixes.begin(), prefixes.end(), [&](const char* p) { return lines[i].rfind(p, 0) == 0; })) {
      picked.push_back(lines[i]);
    }
  }
  return picked;
}

Lines Series(const char* format, int from, int count) {
  Lines lines;
  char line[64];
  for (int k = from; k < from + count; ++k) lines.push_back((std::snprintf(line, sizeof line, format, k), line));
  return lines;
}

Lines Tail(const Lines& lines, std::size_t n) { return Lines(lines.end() - std::min(n, lines.size()), lines.end()); }

HWND FindDialogOf(DWORD pid, HWND except, int item, const char* cls) {
  for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    const HWND child = GetDlgItem(w, item);
    char name[32] = {};
    GetClassNameA(child, name, sizeof name);
    // Message boxes keep the buttons they do not use, hidden.
    if (owner == pid && w != except && IsWindowVisible(w) && IsWindowVisible(child) && !lstrcmpiA(name, cls)) return w;
  }
  return nullptr;
}

HWND WaitForDialogOf(DWORD pid, HWND except, int item, const char* cls) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindDialogOf(pid, except, item, cls)) != nullptr; });
  return found;
}

void Answer(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

std::wstring MessageText(HWND box) {
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return text;
}

COLORREF ScreenColour(HWND control, int dx, int dy) {
  RECT rc{};
  GetWindowRect(control, &rc);
  const HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, rc.left + dx, rc.top + dy);
  ReleaseDC(nullptr, screen);
  return colour;
}

std::vector<DWORD> CaptureScreen(HWND control) {
  return sptest::Canvas(control, [&](HDC dc, const RECT& rc) {
    POINT origin{0, 0};
    ClientToScreen(control, &origin);
    const HDC screen = GetDC(nullptr);  // the screen: the window belongs to another process
    BitBlt(dc, 0, 0, rc.right, rc.bottom, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
  });
}

std::vector<DWORD> RenderReadout(HWND readout, const char* text) {
  return sptest::Canvas(readout, [&](HDC dc, const RECT& rc) {
    CDigistring display;
    const HWND own = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, rc.right, rc.bottom, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    if (display.Subclass(own)) {
      display.SetText(text);
      SendMessageW(own, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
      display.Unsubclass();
    }
    DestroyWindow(own);
  });
}

bool Mouse(const std::string& actions, POINT end) {
  const auto arrived = [&] {
    POINT now{};
    return GetCursorPos(&now) && now.x == end.x && now.y == end.y && (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0;
  };
  // A Linux program started from here runs beside Wine; its handle cannot be waited on, so its end
  // is seen from the pointer.
  std::string command = "Z:\\usr\\bin\\xdotool " + actions;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (arrived() || !CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return WaitUntil(arrived);
}

bool Drag(POINT from, POINT to) {
  char actions[200];
  std::snprintf(actions, sizeof actions,
                "mousemove %ld %ld sleep 0.3 mousedown 1 sleep 0.3 mousemove %ld %ld sleep 0.3 mousemove %ld %ld "
                "sleep 0.3 mouseup 1",
                from.x, from.y, (from.x + to.x) / 2, (from.y + to.y) / 2, to.x, to.y);
  return Mouse(actions, to);
}

bool EmptyDialogPoint(HWND dialog, POINT& point) {
  RECT client{};
  GetClientRect(dialog, &client);
  for (point.y = client.bottom - 6; point.y > 5; point.y -= 7) {
    for (point.x = client.right / 2; point.x > 5; point.x -= 7) {
      if (ChildWindowFromPointEx(dialog, point, CWP_SKIPINVISIBLE) == dialog) return ClientToScreen(dialog, &point);
    }
  }
  return false;
}

}  // namespace e2e
