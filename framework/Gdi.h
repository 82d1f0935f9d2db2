// RAII for GDI objects, device contexts and selections. Owning types are move-only; a selection is
// undone by its destructor. Borrowed handles stay plain handle types.
#pragma once

#include <windows.h>

#include <utility>

namespace fw {

// Owns one GDI object (pen, brush, font, bitmap, region) and deletes it.
template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(other.Release()) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  H Release() { return std::exchange(handle_, nullptr); }
  void Reset(H handle = nullptr) {
    if (handle_ != nullptr && handle_ != handle) DeleteObject(handle_);
    handle_ = handle;
  }

 private:
  H handle_ = nullptr;
};

using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

// Selects an object into a context and selects the previous one back on destruction.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A memory context compatible with another, deleted on destruction.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDC() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_;
};

// GetDC / ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDC() {
    if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDC {
 public:
  explicit PaintDC(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  ~PaintDC() { EndPaint(hwnd_, &ps_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC Get() const { return dc_; }
  const PAINTSTRUCT& Info() const { return ps_; }

 private:
  HWND hwnd_;
  HDC dc_ = nullptr;
  PAINTSTRUCT ps_{};
};

}  // namespace fw
