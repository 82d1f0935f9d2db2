// Renders a window through WM_PRINTCLIENT (or copies it from the screen) and reads the pixels.
#pragma once

#include <windows.h>

#include <set>
#include <vector>

namespace dstest {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> data;

  COLORREF At(int x, int y) const { return data[static_cast<std::size_t>(y) * width + x]; }
  std::set<COLORREF> Colours() const { return std::set<COLORREF>(data.begin(), data.end()); }
  // Bounding box of the pixels that differ from `background`; false when there are none.
  bool Extent(COLORREF background, RECT& box) const;
};

// A 32-bit top-down DIB selected into a memory context.
class DibCanvas {
 public:
  DibCanvas(int width, int height, COLORREF fill);
  ~DibCanvas();
  DibCanvas(const DibCanvas&) = delete;
  DibCanvas& operator=(const DibCanvas&) = delete;
  HDC Dc() const { return dc_; }
  Pixels Read() const;

 private:
  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
};

// The client area as WM_PRINTCLIENT draws it into a canvas first filled with `fill`.
Pixels RenderClient(HWND hwnd, COLORREF fill = RGB(255, 255, 255));
// The client area as it is on the screen.
Pixels CaptureClient(HWND hwnd);

}  // namespace dstest
