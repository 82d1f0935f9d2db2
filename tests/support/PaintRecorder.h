// Which windows of a dialog paint, as Wine's tests record messages: a window paints when it gets
// WM_PAINT or WM_PRINTCLIENT, or when it asks its parent for its colours (a static control repaints
// a new text or image at once, without WM_PAINT, but always asks for its colours).
#pragma once

#include <windows.h>

#include <set>
#include <vector>

namespace sptest {

class PaintRecorder {
 public:
  // Watches the dialog and its children until destroyed.
  explicit PaintRecorder(HWND dialog);
  ~PaintRecorder();
  PaintRecorder(const PaintRecorder&) = delete;
  PaintRecorder& operator=(const PaintRecorder&) = delete;

  const std::vector<HWND>& Watched() const { return watched_; }  // the dialog first
  const std::set<HWND>& Painted() const { return painted_; }      // since the last Clear
  void Clear() { painted_.clear(); }

 private:
  static LRESULT CALLBACK Record(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);

  std::vector<HWND> watched_;
  std::set<HWND> painted_;
};

// The pixels `paint` draws into a white 32-bit canvas of `control`'s client size.
template <typename Paint>
std::vector<DWORD> Canvas(HWND control, Paint paint) {
  RECT rc{};
  GetClientRect(control, &rc);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), rc.right, -rc.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  DWORD* bits = nullptr;
  const HBITMAP bitmap =
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  PatBlt(dc, 0, 0, rc.right, rc.bottom, WHITENESS);
  paint(dc, rc);
  GdiFlush();
  std::vector<DWORD> pixels(bits, bits + rc.right * rc.bottom);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return pixels;
}

}  // namespace sptest
