#include "widgets/memdc.h"

bool CMemDC::IsPrinting(HDC dc) {
  const DWORD type = GetObjectType(dc);
  if (type == OBJ_METADC || type == OBJ_ENHMETADC) return true;
  const int technology = GetDeviceCaps(dc, TECHNOLOGY);
  return technology == DT_RASPRINTER || technology == DT_PLOTTER || technology == DT_METAFILE;
}

CMemDC::CMemDC(HDC target, const RECT& rect) : m_hTarget(target), m_hDC(target), m_rect(rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const COLORREF background = GetBkColor(target);
  if (width > 0 && height > 0 && !IsPrinting(target)) {
    m_memory.emplace(target);
    m_bitmap.Reset(CreateCompatibleBitmap(target, width, height));
    if (*m_memory && m_bitmap) {
      HDC mem = m_memory->Get();
      m_select.emplace(mem, m_bitmap.Get());
      SetMapMode(mem, GetMapMode(target));
      // Logical coordinates stay those of the target: the rectangle's corner is the bitmap's origin.
      SetWindowOrgEx(mem, rect.left, rect.top, nullptr);
      SetBkColor(mem, background);
      m_hDC = mem;
    } else {
      m_memory.reset();
    }
  }
  // Without a bitmap we still draw, only not flicker-free.
  ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &m_rect, nullptr, 0, nullptr);
}

CMemDC::~CMemDC() {
  if (IsBuffered()) {
    BitBlt(m_hTarget, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_hDC,
           m_rect.left, m_rect.top, SRCCOPY);
  }
}
