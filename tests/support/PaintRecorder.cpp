#include "tests/support/PaintRecorder.h"

#include <commctrl.h>

namespace sptest {

namespace {
constexpr UINT_PTR kSubclassId = 0x5054;  // "PT"
}

PaintRecorder::PaintRecorder(HWND dialog) {
  watched_.push_back(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    watched_.push_back(child);
  }
  for (HWND hwnd : watched_) SetWindowSubclass(hwnd, &Record, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

PaintRecorder::~PaintRecorder() {
  for (HWND hwnd : watched_) RemoveWindowSubclass(hwnd, &Record, kSubclassId);
}

LRESULT CALLBACK PaintRecorder::Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  std::set<HWND>& painted = reinterpret_cast<PaintRecorder*>(self)->painted_;
  if (msg == WM_PAINT || msg == WM_PRINTCLIENT) painted.insert(hwnd);
  if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC && lParam != 0) painted.insert(reinterpret_cast<HWND>(lParam));
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace sptest
