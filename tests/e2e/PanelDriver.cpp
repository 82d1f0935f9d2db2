#include "PanelDriver.h"

#include <algorithm>
#include <cstdio>

#include "res/resource.h"
#include "widgets/Digistring.h"
#include "tests/support/SystemFiles.h"
#include "tests/support/TestSupport.h"

namespace e2e {

const char kSmallCalibIni[] =
    "[Desk]\r\n"
    "DevName=Desk\r\n"
    "AllTD_Dout=Lift\r\n"
    "Lift=4\r\n"
    "Lift[About]=LiftMotor (24V)\r\n"
    "AllTD_Din=Door\r\n"
    "Door=2\r\n"
    "Door[About]=DoorSwitch(closed)\r\n"
    "AllTD_A=Weight\r\n"
    "Weight=1\r\n"
    "Weight[About]=LeftWeight 0-10V\r\n";

std::string BuiltFile(const char* name) { return sptest::ExeDirectory() + "\\" + name; }

std::string ReadFileBytes(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

StationFolder::StationFolder(bool withDeviceLibrary, const std::string& simulatorSettings,
                             const std::string& calibIni) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string base = temp;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  char name[64];
  static LONG serial = 0;
  std::snprintf(name, sizeof name, "\\sp_e2e_%lu_%lu_%ld", GetCurrentProcessId(), GetTickCount(),
                InterlockedIncrement(&serial));
  root_ = base + name;
  CreateDirectoryA(root_.c_str(), nullptr);
  CreateDirectoryA(Config().c_str(), nullptr);
  CreateDirectoryA(Device().c_str(), nullptr);
  ok_ = sptest::WriteFileBytes(Config() + "\\calib.ini", calibIni) &&
        sptest::WriteFileBytes(Device() + "\\HardwareSim.ini", "[Journal]\r\nFile=journal.txt\r\n" + simulatorSettings) &&
        CopyFileA(BuiltFile("StationProbe.exe").c_str(), Exe().c_str(), FALSE) != 0;
  if (withDeviceLibrary) {
    ok_ = ok_ && CopyFileA(BuiltFile("Hardware.dll").c_str(), (Device() + "\\Hardware.dll").c_str(), FALSE);
  }
}

StationFolder::~StationFolder() {
  for (const std::string& file : extra_) {
    SetFileAttributesA((root_ + "\\" + file).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA((root_ + "\\" + file).c_str());
  }
  for (const char* file : {"\\Config\\calib.ini", "\\Device\\HardwareSim.ini", "\\Device\\Hardware.dll",
                           "\\Device\\journal.txt", "\\StationProbe.exe"}) {
    DeleteFileA((root_ + file).c_str());
  }
  RemoveDirectoryA(Config().c_str());
  RemoveDirectoryA(Device().c_str());
  RemoveDirectoryA(root_.c_str());
}

bool StationFolder::AddFile(const std::string& relative, const std::string& bytes) {
  extra_.push_back(relative);
  return sptest::WriteFileBytes(root_ + "\\" + relative, bytes);
}

std::vector<std::string> StationFolder::Journal() const {
  const std::string bytes = ReadFileBytes(Device() + "\\journal.txt");
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) break;  // a line still being written
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

namespace {

// Not "abort if hung": on a loaded machine the emulated panel can look hung for seconds while it
// is only slow; a panel that really hangs still fails the test when the wait runs out.
constexpr UINT kSendFlags = SMTO_NORMAL;

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindPanelWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[32] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  // The panel is the dialog holding the output buttons (not a message box).
  if (pid == search->pid && IsWindowVisible(hwnd) && std::string(cls) == "#32770" &&
      GetDlgItem(hwnd, IDC_ALL_OUTPUTS_LOW) != nullptr) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct DialogSearch {
  DWORD pid;
  HWND except;
  int item;
  const char* cls;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<DialogSearch*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  char name[32] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (owner != s->pid || hwnd == s->except || !IsWindowVisible(hwnd) || std::string(name) != "#32770") return TRUE;
  const HWND child = GetDlgItem(hwnd, s->item);
  char childClass[32] = {};
  if (child != nullptr) GetClassNameA(child, childClass, sizeof childClass);
  if (child != nullptr && IsWindowVisible(child) && lstrcmpiA(childClass, s->cls) == 0) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

Panel::Panel(const StationFolder& station, const std::string& argument) {
  std::string command = "\"" + station.Exe() + "\"";
  if (!argument.empty()) command += " " + argument;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, station.Root().c_str(), &si,
                            &pi_) != 0;
}

Panel::~Panel() {
  if (!started_) return;
  if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(pi_.hProcess, 99);
    WaitForSingleObject(pi_.hProcess, 5000);
  }
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
}

HWND Panel::WaitForWindow(DWORD timeout) {
  WindowSearch search{pi_.dwProcessId, nullptr};
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout) {
    EnumWindows(FindPanelWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) break;
    if (WaitForSingleObject(pi_.hProcess, 100) == WAIT_OBJECT_0) break;
  }
  dialog_ = search.found;
  return dialog_;
}

long Panel::WaitForExit(DWORD timeout) const {
  if (WaitForSingleObject(pi_.hProcess, timeout) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return static_cast<long>(code);
}

std::string Panel::Text(int id) const {
  char text[256] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutA(Item(id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), kSendFlags, kWaitTimeout,
                      &result);
  text[sizeof text - 1] = '\0';
  return text;
}

std::wstring Panel::WideText(int id) const {
  wchar_t text[256] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutW(Item(id), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), kSendFlags, kWaitTimeout, &result);
  text[255] = L'\0';
  return text;
}

LRESULT Panel::Send(int id, UINT msg, WPARAM wParam, LPARAM lParam) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(Item(id), msg, wParam, lParam, kSendFlags, kWaitTimeout, &result);
  return static_cast<LRESULT>(result);
}

LRESULT Panel::ToDialog(UINT msg, WPARAM wParam, LPARAM lParam) const {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(dialog_, msg, wParam, lParam, kSendFlags, kWaitTimeout, &result);
  return static_cast<LRESULT>(result);
}

bool StartsWith(const std::string& line, const std::string& prefix) { return line.compare(0, prefix.size(), prefix) == 0; }

bool Contains(const std::vector<std::string>& lines, const std::string& line, std::size_t from) {
  return std::find(lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end(), line) !=
         lines.end();
}

std::vector<std::string> Only(const std::vector<std::string>& lines, std::size_t from,
                              std::initializer_list<const char*> prefixes) {
  std::vector<std::string> picked;
  for (std::size_t i = from; i < lines.size(); ++i) {
    for (const char* prefix : prefixes) {
      if (StartsWith(lines[i], prefix)) {
        picked.push_back(lines[i]);
        break;
      }
    }
  }
  return picked;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& line : lines) all += line + "\n";
  return all;
}

COLORREF ScreenColour(HWND control, int dx, int dy) {
  RECT rc{};
  if (!GetWindowRect(control, &rc)) return CLR_INVALID;
  const HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, rc.left + dx, rc.top + dy);
  ReleaseDC(nullptr, screen);
  return colour;
}

HWND WaitForDialogOf(DWORD pid, HWND except, int item, const char* cls, DWORD timeout) {
  DialogSearch search{pid, except, item, cls, nullptr};
  WaitUntil([&] {
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  }, timeout);
  return search.found;
}

void Answer(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

std::wstring MessageText(HWND box) {
  wchar_t text[512] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return text;
}

dstest::Pixels CaptureScreen(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  dstest::DibCanvas canvas(client.right, client.bottom, RGB(255, 255, 255));
  // The screen, not the window's own context: the window belongs to another process.
  const HDC screen = GetDC(nullptr);
  BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return canvas.Read();
}

dstest::Pixels RenderReadout(int width, int height, const char* text) {
  CDigistring readout;
  const HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
  dstest::Pixels pixels;
  if (hwnd == nullptr) return pixels;
  if (readout.Subclass(hwnd)) {
    readout.SetText(text);
    pixels = dstest::RenderClient(hwnd);
    readout.Unsubclass();
  }
  DestroyWindow(hwnd);
  return pixels;
}

bool SamePixels(const dstest::Pixels& a, const dstest::Pixels& b) {
  return a.width == b.width && a.height == b.height && a.data == b.data;
}

bool MouseDrag(POINT from, POINT to) {
  // A Linux program started from here runs natively beside Wine; its handle cannot be waited on,
  // so arrival is seen from the pointer and the button state.
  char command[256];
  std::snprintf(command, sizeof command,
                "Z:\\usr\\bin\\xdotool mousemove %ld %ld sleep 0.3 mousedown 1 sleep 0.3 mousemove %ld %ld "
                "sleep 0.3 mousemove %ld %ld sleep 0.5 mouseup 1",
                from.x, from.y, (from.x + to.x) / 2, (from.y + to.y) / 2, to.x, to.y);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  Sleep(500);
  const bool arrived = WaitUntil([&] {
    POINT now{};
    return GetCursorPos(&now) && now.x == to.x && now.y == to.y && (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0;
  }, 10000);
  Sleep(500);  // the panel handles the release and the last move
  return arrived;
}

bool EmptyDialogPoint(HWND dialog, POINT& point) {
  RECT client{};
  GetClientRect(dialog, &client);
  for (int y = client.bottom - 6; y > 5; y -= 7) {
    for (int x = client.right / 2; x > 5; x -= 7) {
      POINT p{x, y};
      if (ChildWindowFromPointEx(dialog, p, CWP_SKIPINVISIBLE) == dialog) {
        ClientToScreen(dialog, &p);
        point = p;
        return true;
      }
    }
  }
  return false;
}

}  // namespace e2e
