// Double buffering for controls that paint themselves: drawing goes to an off-screen bitmap of the
// rectangle's size, filled first with the target's background colour, and the closing copies it to
// the target in one BitBlt. Printers, plotters and metafiles are drawn into directly.
#pragma once

#include <windows.h>

#include <optional>

#include "framework/Gdi.h"

class CMemDC {
 public:
  // `rect` is in the target's logical coordinates (the client rectangle for a paint). It is filled
  // with the target's background colour before anything is drawn.
  CMemDC(HDC target, const RECT& rect);
  // Copies the bitmap to the target with a plain copy; then the bitmap is deselected, the memory
  // context and the bitmap deleted, in that order (the members' order).
  ~CMemDC();
  CMemDC(const CMemDC&) = delete;
  CMemDC& operator=(const CMemDC&) = delete;

  operator HDC() const { return m_hDC; }
  // False when drawing goes straight to the target (printing, metafile, or no bitmap could be made).
  bool IsBuffered() const { return m_select.has_value(); }

  // True for contexts that must be drawn into directly.
  static bool IsPrinting(HDC dc);

 private:
  HDC m_hTarget;
  HDC m_hDC;  // the memory context, or the target itself when not buffered
  RECT m_rect;
  fw::Bitmap m_bitmap;
  std::optional<fw::MemoryDC> m_memory;
  std::optional<fw::ScopedSelect> m_select;
};
