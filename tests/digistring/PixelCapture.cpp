#include "PixelCapture.h"

namespace dstest {

bool Pixels::Extent(COLORREF background, RECT& box) const {
  box = {width, height, -1, -1};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (At(x, y) == background) continue;
      if (x < box.left) box.left = x;
      if (x > box.right) box.right = x;
      if (y < box.top) box.top = y;
      if (y > box.bottom) box.bottom = y;
    }
  }
  return box.right >= 0;
}

DibCanvas::DibCanvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
  dc_ = CreateCompatibleDC(nullptr);
  previous_ = SelectObject(dc_, bitmap_);
  const RECT all{0, 0, width, height};
  const COLORREF old = SetBkColor(dc_, fill);
  ExtTextOutW(dc_, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
  SetBkColor(dc_, old);
}

DibCanvas::~DibCanvas() {
  SelectObject(dc_, previous_);
  DeleteDC(dc_);
  DeleteObject(bitmap_);
}

Pixels DibCanvas::Read() const {
  GdiFlush();
  Pixels pixels;
  pixels.width = width_;
  pixels.height = height_;
  pixels.data.reserve(static_cast<std::size_t>(width_) * height_);
  const auto* raw = static_cast<const DWORD*>(bits_);
  for (int i = 0; i < width_ * height_; ++i) {
    const DWORD v = raw[i];  // 0x00RRGGBB
    pixels.data.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
  }
  return pixels;
}

Pixels RenderClient(HWND hwnd, COLORREF fill) {
  RECT client{};
  GetClientRect(hwnd, &client);
  DibCanvas canvas(client.right, client.bottom, fill);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  return canvas.Read();
}

Pixels CaptureClient(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  DibCanvas canvas(client.right, client.bottom, RGB(255, 255, 255));
  HDC screen = GetDC(hwnd);
  BitBlt(canvas.Dc(), 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
  ReleaseDC(hwnd, screen);
  return canvas.Read();
}

}  // namespace dstest
