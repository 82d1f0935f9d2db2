// Time of one Relayout of a dialog with 150 visible children, and the GDI objects the process
// holds before and after 10,000 relayouts and 10,000 colour changes of a colour static.
//   relayout_bench [rounds] [children]
// rounds: relayouts and colour changes of the object count (10,000); children: visible children
// of the dialog those relayouts run on (16; the timed dialog always has 150).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/soak/ProcessCounts.h"
#include "tests/support/TestSupport.h"
#include "widgets/ColorStatic.h"
#include "widgets/MoveControl.h"

namespace {

constexpr int kTimedChildren = 150;
constexpr int kTimedRelayouts = 50;

// Milliseconds since `start` (sptest::Seconds).
double Milliseconds(double start) { return (sptest::Seconds() - start) * 1000.0; }

// GDI objects the process holds (counted where the system does not report them).
long long CountGdiObjects() { return soak::ReadProcessCounts().gdiObjects; }

void PrintCount(const std::string& label, long long count, long long base) {
  std::printf("  %-40s %6lld  (%+lld)\n", label.c_str(), count, count - base);
}

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateParent() {
  static bool registered = false;
  WNDCLASSW wc{};
  wc.lpfnWndProc = ParentProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"RelayoutBenchDialog";
  if (!registered) registered = RegisterClassW(&wc) != 0;
  return CreateWindowExW(0, wc.lpszClassName, L"relayout", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

// A panel-like mix: mostly captions and buttons, some edits, combo boxes and list views, and a
// hidden control after every fifteen shown ones.
void AddChildren(HWND parent, int visible) {
  int shown = 0;
  for (int i = 0; shown < visible; ++i) {
    const int x = 5 + (i % 10) * 79;
    const int y = 5 + (i / 10) * 36;
    const bool hidden = i % 16 == 15;
    const DWORD style = WS_CHILD | (hidden ? 0 : WS_VISIBLE);
    HWND child = nullptr;
    switch (i % 8) {
      case 0:
      case 1:
      case 2:
        child = CreateWindowExW(0, L"Static", L"Caption", style, x, y, 74, 14, parent, nullptr, nullptr, nullptr);
        break;
      case 3:
      case 4:
        child = CreateWindowExW(0, L"Button", L"Output", style | BS_PUSHBUTTON, x, y, 74, 24, parent, nullptr, nullptr,
                                nullptr);
        break;
      case 5:
        child = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"0.000", style, x, y, 74, 20, parent, nullptr, nullptr,
                                nullptr);
        break;
      case 6:
        child = CreateWindowExW(0, L"ComboBox", L"", style | CBS_DROPDOWNLIST | WS_VSCROLL, x, y, 74, 200, parent,
                                nullptr, nullptr, nullptr);
        for (int k = 0; k < 16; ++k) {
          const std::wstring item = std::to_wstring(k + 1);
          SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        }
        break;
      default:
        child =
            CreateWindowExW(0, WC_LISTVIEWW, L"", style | LVS_REPORT, x, y, 74, 60, parent, nullptr, nullptr, nullptr);
        break;
    }
    if (child == nullptr) std::printf("could not create child %d\n", i);
    if (!hidden) ++shown;
  }
}

std::vector<HWND> VisibleChildren(HWND parent) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) children.push_back(c);
  }
  return children;
}

const SIZE kSizes[] = {{800, 600}, {1000, 750}, {640, 480}, {1280, 960}, {811, 577}};

void Resize(HWND hwnd, int step) {
  const SIZE& s = kSizes[step % (sizeof kSizes / sizeof kSizes[0])];
  SetWindowPos(hwnd, nullptr, 0, 0, s.cx, s.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

// What the window system alone costs for the same children, to read the relayout time against.
void PrintComponents(HWND parent, HFONT font) {
  const std::vector<HWND> children = VisibleChildren(parent);
  double t0 = sptest::Seconds();
  for (HWND c : children) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(c, r.left + 1, r.top, r.right - r.left + 1, r.bottom - r.top, FALSE);
  }
  const double move = Milliseconds(t0);
  t0 = sptest::Seconds();
  for (HWND c : children) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  const double setFont = Milliseconds(t0);
  t0 = sptest::Seconds();
  for (HWND c : children) {
    HDC dc = GetDC(c);
    SIZE size;
    GetTextExtentPoint32W(dc, L"FON", 3, &size);
    ReleaseDC(c, dc);
  }
  const double measure = Milliseconds(t0);
  std::printf("the window system alone, for the same %zu children:\n", children.size());
  std::printf("  move and resize each once                %8.3f ms\n", move);
  std::printf("  give each the font, with redraw          %8.3f ms\n", setFont);
  std::printf("  a context and one text measurement each  %8.3f ms\n", measure);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  const int roundChildren = argc > 2 ? std::max(1, std::atoi(argv[2])) : 16;
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  // --- Time of one relayout ---------------------------------------------------------------
  HWND timed = CreateParent();
  AddChildren(timed, kTimedChildren);
  ShowWindow(timed, SW_SHOWNOACTIVATE);
  UpdateWindow(timed);
  sptest::PumpMessages();
  std::printf("Relayout of a dialog with %zu visible children (and hidden ones between):\n",
              VisibleChildren(timed).size());
  CMoveControl timedMover;
  timedMover.BindDialog(timed);
  double t0 = sptest::Seconds();
  timedMover.Relayout();
  const double first = Milliseconds(t0);
  sptest::PumpMessages();
  std::vector<double> times;
  for (int i = 1; i <= kTimedRelayouts; ++i) {
    Resize(timed, i);
    t0 = sptest::Seconds();
    timedMover.Relayout();
    times.push_back(Milliseconds(t0));
    sptest::PumpMessages();  // the repaint that follows is not part of the relayout
  }
  std::sort(times.begin(), times.end());
  double sum = 0;
  for (double t : times) sum += t;
  std::printf("  first, at the bound size (makes the font)  %8.3f ms\n", first);
  std::printf("  after a resize, median of %d              %8.3f ms\n", kTimedRelayouts, times[times.size() / 2]);
  std::printf("  mean                                       %8.3f ms\n", sum / static_cast<double>(times.size()));
  std::printf("  min / max                                  %8.3f / %.3f ms\n", times.front(), times.back());
  std::printf("@bench|Relayout of 150 children (median)|%.3f|ms|\n", times[times.size() / 2]);
  PrintComponents(timed, timedMover.GetFont());
  DestroyWindow(timed);
  sptest::PumpMessages();

  // --- GDI objects ------------------------------------------------------------------------
  HWND dialog = CreateParent();
  AddChildren(dialog, roundChildren);
  ShowWindow(dialog, SW_SHOWNOACTIVATE);
  UpdateWindow(dialog);
  sptest::PumpMessages();
  CMoveControl mover;
  mover.BindDialog(dialog);
  mover.Relayout();  // the font exists from here on
  sptest::PumpMessages();
  std::printf("GDI objects of the process (%d rounds; relayouts of a dialog with %zu visible children):\n", rounds,
              VisibleChildren(dialog).size());
  const long long before = CountGdiObjects();
  PrintCount("before", before, before);
  const HFONT font = mover.GetFont();
  t0 = sptest::Seconds();
  for (int i = 0; i < rounds; ++i) {
    Resize(dialog, i);
    mover.Relayout();
    if (i % 500 == 499) sptest::PumpMessages();
  }
  const double relayoutTotal = Milliseconds(t0);
  sptest::PumpMessages();
  PrintCount("after " + std::to_string(rounds) + " relayouts", CountGdiObjects(), before);

  // Colour changes as the panel makes them on its distance captions: a new background, the
  // parent's colour request for the caption, and a paint.
  auto caption = std::make_unique<CColorStatic>();
  HWND captionWindow =
      CreateWindowExW(0, L"Static",
                      L"\x8DDD\x79BB"
                      L"1",
                      WS_CHILD | WS_VISIBLE | SS_NOTIFY, 5, 5, 74, 20, dialog, nullptr, nullptr, nullptr);
  caption->Subclass(captionWindow);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP surface = CreateCompatibleBitmap(screen, 74, 20);
  HGDIOBJ previous = SelectObject(memory, surface);
  const long long withSurface = CountGdiObjects();
  std::set<HBRUSH> handedOut;
  t0 = sptest::Seconds();
  for (int i = 0; i < rounds; ++i) {
    caption->SetBackgroundColor(i % 2 == 0 ? RGB(255, 0, 0) : RGB(0xC0, 0xC0, 0xC0));
    LRESULT brush = 0;
    caption->OnReflect(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(memory), reinterpret_cast<LPARAM>(captionWindow),
                       brush);
    handedOut.insert(reinterpret_cast<HBRUSH>(brush));
    SendMessageW(captionWindow, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    if (i % 500 == 499) sptest::PumpMessages();
  }
  const double colourTotal = Milliseconds(t0);
  sptest::PumpMessages();
  PrintCount("after " + std::to_string(rounds) + " colour changes", CountGdiObjects(), withSurface);
  int alive = 0;
  for (HBRUSH b : handedOut) alive += GetObjectType(b) == OBJ_BRUSH ? 1 : 0;
  SelectObject(memory, previous);
  DeleteObject(surface);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  caption.reset();
  DestroyWindow(captionWindow);
  sptest::PumpMessages();
  PrintCount("after the caption is gone", CountGdiObjects(), before);

  std::printf("checks:\n");
  std::printf("  the same font after every relayout         %s\n", mover.GetFont() == font ? "yes" : "NO");
  std::printf("  brushes handed out by colour requests      %zu distinct handles, %d alive at the end\n",
              handedOut.size(), alive);
  std::printf("  %d relayouts: %.0f ms (%.3f ms each); colour changes: %.0f ms (%.3f ms each)\n", rounds, relayoutTotal,
              relayoutTotal / rounds, colourTotal, colourTotal / rounds);
  DestroyWindow(dialog);
  return 0;
}
