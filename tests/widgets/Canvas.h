// A 32-bit top-down DIB section with its own memory context, for rendering a control or a
// dialog background and reading back exact pixels.
#pragma once

#include <windows.h>

#include <cstdint>

namespace wtest {

class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Valid() const { return bits_ != nullptr; }

  void Fill(COLORREF color) {
    GdiFlush();
    const std::uint32_t v = ToPixel(color);
    for (int i = 0; i < width_ * height_; ++i) bits_[i] = v;
  }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const std::uint32_t v = bits_[y * width_ + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  // Bounding box of the pixels of one colour; false when there are none.
  bool BoundsOf(COLORREF color, RECT& box) const {
    box = RECT{width_, height_, -1, -1};
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (At(x, y) != color) continue;
        if (x < box.left) box.left = x;
        if (y < box.top) box.top = y;
        if (x >= box.right) box.right = x + 1;
        if (y >= box.bottom) box.bottom = y + 1;
      }
    }
    return box.right >= 0;
  }
  int Count(COLORREF color) const {
    int n = 0;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) n += At(x, y) == color ? 1 : 0;
    }
    return n;
  }
  bool SameAs(const Canvas& other) const {
    if (other.width_ != width_ || other.height_ != height_) return false;
    GdiFlush();
    for (int i = 0; i < width_ * height_; ++i) {
      if ((bits_[i] & 0xFFFFFF) != (other.bits_[i] & 0xFFFFFF)) return false;
    }
    return true;
  }

 private:
  static std::uint32_t ToPixel(COLORREF c) {
    return (static_cast<std::uint32_t>(GetRValue(c)) << 16) | (static_cast<std::uint32_t>(GetGValue(c)) << 8) |
           GetBValue(c);
  }

  int width_;
  int height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

}  // namespace wtest
