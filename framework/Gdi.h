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
  explicit GdiObject(H handle) : m_handle(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : m_handle(other.Release()) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  H Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  H Release() { return std::exchange(m_handle, nullptr); }
  void Reset(H handle = nullptr) {
    if (m_handle != nullptr && m_handle != handle) DeleteObject(m_handle);
    m_handle = handle;
  }

 private:
  H m_handle = nullptr;
};

using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;

// Selects an object into a context and selects the previous one back on destruction.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (m_previous != nullptr && m_previous != HGDI_ERROR) SelectObject(m_dc, m_previous);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

// A memory context compatible with another, deleted on destruction.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatibleWith) : m_dc(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDC() {
    if (m_dc != nullptr) DeleteDC(m_dc);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HDC m_dc;
};

// GetDC / ReleaseDC.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(GetDC(hwnd)) {}
  ~WindowDC() {
    if (m_dc != nullptr) ReleaseDC(m_hwnd, m_dc);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC Get() const { return m_dc; }

 private:
  HWND m_hwnd;
  HDC m_dc;
};

// BeginPaint / EndPaint.
class PaintDC {
 public:
  explicit PaintDC(HWND hwnd) : m_hwnd(hwnd) { m_dc = BeginPaint(hwnd, &m_ps); }
  ~PaintDC() { EndPaint(m_hwnd, &m_ps); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC Get() const { return m_dc; }
  const PAINTSTRUCT& Info() const { return m_ps; }

 private:
  HWND m_hwnd;
  HDC m_dc = nullptr;
  PAINTSTRUCT m_ps{};
};

}  // namespace fw
