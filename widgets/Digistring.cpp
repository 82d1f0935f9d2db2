#include "widgets/Digistring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/Gdi.h"
#include "widgets/SegmentDisplay.h"
#include "widgets/memdc.h"

namespace {

// Draws the cells' outlines as GDI paths, with the pens and brushes of one paint.
class GdiSegmentCanvas : public CSegmentCanvas {
 public:
  GdiSegmentCanvas(HDC dc, HPEN offPen, HPEN onPen, HBRUSH offBrush, HBRUSH onBrush)
      : m_hDC(dc), m_hOffPen(offPen), m_hOnPen(onPen), m_hOffBrush(offBrush), m_hOnBrush(onBrush) {}

  void BeginSegment(bool lit) override {
    SelectObject(m_hDC, lit ? m_hOnBrush : m_hOffBrush);
    SelectObject(m_hDC, lit ? m_hOnPen : m_hOffPen);
    BeginPath(m_hDC);
  }
  void EndSegment() override {
    // Closed here so that the last edge is stroked too, whatever the outline's last point is.
    CloseFigure(m_hDC);
    EndPath(m_hDC);
    StrokeAndFillPath(m_hDC);
  }
  void MoveTo(DevicePoint p) override { MoveToEx(m_hDC, p.x, p.y, nullptr); }
  void LineTo(DevicePoint p) override { ::LineTo(m_hDC, p.x, p.y); }
  void BezierTo(DevicePoint c1, DevicePoint c2, DevicePoint end) override {
    const POINT points[3] = {{c1.x, c1.y}, {c2.x, c2.y}, {end.x, end.y}};
    PolyBezierTo(m_hDC, points, 3);
  }

 private:
  HDC m_hDC;
  HPEN m_hOffPen;
  HPEN m_hOnPen;
  HBRUSH m_hOffBrush;
  HBRUSH m_hOnBrush;
};

}  // namespace

CDigistring::CDigistring()
    : m_strText("EMPTY"),
      m_bRebuild(TRUE),
      m_crOff(RGB(0, 52, 0)),
      m_crOn(RGB(0, 255, 0)),
      m_crBackground(RGB(0, 0, 0)),
      m_nStyle(SEGSTYLE_KEEPASPECT) {}

CDigistring::~CDigistring() = default;

void CDigistring::Repaint() const {
  // Never with a null handle: that would invalidate every window on the desktop.
  if (GetHwnd() != nullptr) InvalidateRect(GetHwnd(), nullptr, TRUE);
}

void CDigistring::SetText(const char* text) {
  if (text == nullptr) text = "";
  if (m_strText == text) return;
  m_strText = text;
  m_bRebuild = TRUE;
  Repaint();
}

void CDigistring::Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int n = format != nullptr ? std::vsnprintf(buffer, sizeof buffer, format, args) : -1;
  va_end(args);
  if (n < 0) buffer[0] = '\0';
  buffer[sizeof buffer - 1] = '\0';
  SetText(buffer);
}

void CDigistring::SetSegmentColors(COLORREF off, COLORREF on) {
  if (off == m_crOff && on == m_crOn) return;
  m_crOff = off;
  m_crOn = on;
  Repaint();
}

void CDigistring::SetBackgroundColor(COLORREF color) {
  if (color == m_crBackground) return;
  m_crBackground = color;
  Repaint();
}

void CDigistring::ModifyDisplayStyle(unsigned remove, unsigned add) {
  if ((remove & add) != 0) return;
  m_nStyle = (m_nStyle | add) & ~remove;
  m_bRebuild = TRUE;
  Repaint();
}

void CDigistring::RebuildCells() {
  m_cells.clear();
  UpperCaseAscii(m_strText);
  m_cells = BuildCells(m_strText, m_nStyle);
  m_bRebuild = FALSE;
}

void CDigistring::Paint(HDC dc, const RECT& rect) {
  if (dc == nullptr) return;
  const COLORREF previousBackground = SetBkColor(dc, m_crBackground);
  {
    CMemDC mem(dc, rect);
    fw::Brush offBrush(CreateSolidBrush(m_crOff));
    fw::Brush onBrush(CreateSolidBrush(m_crOn));
    fw::Pen offPen(CreatePen(PS_SOLID, 1, MixPenColor(m_crOff, m_crBackground)));
    fw::Pen onPen(CreatePen(PS_SOLID, 1, MixPenColor(m_crOn, m_crBackground)));
    // Put back whatever the cells leave selected before the objects are deleted.
    fw::ScopedSelect keepBrush(mem, onBrush.Get());
    fw::ScopedSelect keepPen(mem, offPen.Get());

    if (m_bRebuild) RebuildCells();
    const std::vector<CRealRect> rects =
        LayoutCells(m_cells, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, m_nStyle);
    GdiSegmentCanvas canvas(mem, offPen.Get(), onPen.Get(), offBrush.Get(), onBrush.Get());
    for (std::size_t i = 0; i < m_cells.size() && i < rects.size(); ++i) m_cells[i].Draw(canvas, rects[i]);
  }
  SetBkColor(dc, previousBackground);
}

LRESULT CDigistring::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      fw::PaintDC dc(GetHwnd());
      RECT client{};
      GetClientRect(GetHwnd(), &client);
      Paint(dc.Get(), client);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(GetHwnd(), &client);
      Paint(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_ERASEBKGND:
      // Painting covers the whole client area; erasing first would only flicker.
      return 0;
    default:
      return Default(msg, wParam, lParam);
  }
}
