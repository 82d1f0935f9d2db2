// Double buffering for controls that paint themselves: drawing goes to an off-screen bitmap of the
// rectangle's size, filled first with the target's background colour, and the closing copies it to
// the target in one BitBlt. Printers, plotters and metafiles are drawn into directly.
#pragma once

#include <windows.h>

#include "framework/Gdi.h"

class CMemDC {
 public:
  // `rect` is in the target's logical coordinates (the client rectangle for a paint). It is filled
  // with the target's background colour before anything is drawn.
  CMemDC(HDC target, const RECT& rect);
  // Copies the bitmap to the target with a plain copy and restores the memory context's bitmap.
  ~CMemDC();
  CMemDC(const CMemDC&) = delete;
  CMemDC& operator=(const CMemDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }
  // False when drawing goes straight to the target (printing, metafile, or no bitmap could be made).
  bool IsBuffered() const { return m_bBuffered; }

  // True for contexts that must be drawn into directly.
  static bool IsPrinting(HDC dc);

 private:
  HDC m_hTarget;
  HDC m_hDC;
  RECT m_rect;
  bool m_bBuffered = false;
  fw::Bitmap m_bitmap;
  HGDIOBJ m_hOldBitmap = nullptr;
};
