#include "widgets/Digistring.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>

#include "framework/Gdi.h"
#include "widgets/SegmentDisplay.h"
#include "widgets/memdc.h"

namespace {

// Texts of up to this many characters are shown without allocating once the control has painted:
// the text, the cells and the paint's working lists keep room for them.
constexpr std::size_t kTextKept = 63;

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

// The device points a cell's outlines reach: every pixel the cell draws lies inside, give or take the
// pen's pixel.
class BoundsCanvas : public CSegmentCanvas {
 public:
  void BeginSegment(bool) override {}
  void EndSegment() override {}
  void MoveTo(DevicePoint p) override { Add(p); }
  void LineTo(DevicePoint p) override { Add(p); }
  void BezierTo(DevicePoint c1, DevicePoint c2, DevicePoint end) override {
    Add(c1);
    Add(c2);
    Add(end);
  }
  RECT bounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};

 private:
  void Add(DevicePoint p) {
    bounds.left = std::min<LONG>(bounds.left, p.x);
    bounds.top = std::min<LONG>(bounds.top, p.y);
    bounds.right = std::max<LONG>(bounds.right, p.x);
    bounds.bottom = std::max<LONG>(bounds.bottom, p.y);
  }
};

// Every segment is drawn, lit or not, so a cell of one shape covers the same pixels whatever its
// mask: when no two cells come near each other, a cell redrawn alone over its old picture gives
// the pixels a whole new picture would.
bool CellsApart(const std::vector<CSegmentCell>& cells, const std::vector<CRealRect>& rects, std::vector<RECT>& bounds) {
  bounds.clear();
  for (std::size_t i = 0; i < cells.size() && i < rects.size(); ++i) {
    BoundsCanvas canvas;
    cells[i].Draw(canvas, rects[i]);
    bounds.push_back(canvas.bounds);
  }
  for (std::size_t i = 0; i < bounds.size(); ++i) {
    for (std::size_t j = i + 1; j < bounds.size(); ++j) {
      const RECT& a = bounds[i];
      const RECT& b = bounds[j];
      // A pixel of room beyond the outlines' points, for the pen.
      const bool touching = a.left <= b.right + 1 && b.left <= a.right + 1 && a.top <= b.bottom + 1 && b.top <= a.bottom + 1;
      if (touching) return false;
    }
  }
  return true;
}

bool SameMask(const CSegmentCell& a, const CSegmentCell& b) { return a.GetMask() == b.GetMask(); }

}  // namespace

// The picture of the last paint into a window context, in a bitmap of the client's size compatible
// with it, and what it shows.
struct CDigistring::KeptPicture {
  std::optional<fw::MemoryDC> dc;
  fw::Bitmap bitmap;
  std::optional<fw::ScopedSelect> select;  // first to go: the bitmap leaves the context before deletion
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  bool drawn = false;
  bool apart = false;
  POINT origin{};
  COLORREF off = 0, on = 0, background = 0;
  unsigned style = 0;
  std::vector<CSegmentCell> cells;
  // Working lists of a paint, their room kept: the cells' places and their outlines' bounds.
  std::vector<CRealRect> rects;
  std::vector<RECT> bounds;

  void Reserve(std::size_t room) { cells.reserve(room); rects.reserve(room); bounds.reserve(room); }
};

CDigistring::CDigistring()
    : m_strText("EMPTY"),
      m_bRebuild(TRUE),
      m_crOff(RGB(0, 52, 0)),
      m_crOn(RGB(0, 255, 0)),
      m_crBackground(RGB(0, 0, 0)),
      m_nStyle(SEGSTYLE_KEEPASPECT),
      m_picture(std::make_unique<KeptPicture>()) {}

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
  HWND hwnd = GetHwnd();
  RECT client{};
  if (hwnd == nullptr || !IsWindowVisible(hwnd) || !GetClientRect(hwnd, &client) || IsRectEmpty(&client)) {
    Repaint();
    return;
  }
  // Through the control's own print path, so that whatever watches its messages sees the paint.
  const fw::WindowDC dc(hwnd);
  IntersectClipRect(dc.Get(), client.left, client.top, client.right, client.bottom);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
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
  UpperCaseAscii(m_strText);
  // A text has at most one cell per byte.
  const std::size_t room = std::max(kTextKept, m_strText.size());
  if (m_cells.capacity() < room) {
    m_strText.reserve(room);
    m_cells.reserve(room);
    m_picture->Reserve(room);
  }
  BuildCells(m_strText, m_nStyle, m_cells);
  m_bRebuild = FALSE;
}

void CDigistring::DrawCells(HDC dc, const std::vector<CRealRect>& rects, const std::vector<CSegmentCell>* shown) const {
  fw::Brush offBrush(CreateSolidBrush(m_crOff));
  fw::Brush onBrush(CreateSolidBrush(m_crOn));
  fw::Pen offPen(CreatePen(PS_SOLID, 1, MixPenColor(m_crOff, m_crBackground)));
  fw::Pen onPen(CreatePen(PS_SOLID, 1, MixPenColor(m_crOn, m_crBackground)));
  // Put back whatever the cells leave selected before the objects are deleted.
  fw::ScopedSelect keepBrush(dc, onBrush.Get());
  fw::ScopedSelect keepPen(dc, offPen.Get());
  GdiSegmentCanvas canvas(dc, offPen.Get(), onPen.Get(), offBrush.Get(), onBrush.Get());
  for (std::size_t i = 0; i < m_cells.size() && i < rects.size(); ++i) {
    if (shown == nullptr || !SameMask(m_cells[i], (*shown)[i])) m_cells[i].Draw(canvas, rects[i]);
  }
}

bool CDigistring::PaintKept(HDC dc, const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  // Only window contexts: a memory context may hold a bitmap of any format, a printer is no screen.
  if (width <= 0 || height <= 0 || GetObjectType(dc) != OBJ_DC || CMemDC::IsPrinting(dc) || GetMapMode(dc) != MM_TEXT) {
    return false;
  }
  KeptPicture& kept = *m_picture;
  const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  if (!kept.dc || kept.width != width || kept.height != height || kept.bitsPerPixel != bits) {
    kept.select.reset();
    kept.bitmap.Reset(CreateCompatibleBitmap(dc, width, height));
    kept.dc.emplace(dc);
    kept.drawn = false;
    if (!kept.bitmap || !*kept.dc) {
      kept.dc.reset();
      return false;
    }
    kept.select.emplace(kept.dc->Get(), kept.bitmap.Get());
    kept.width = width;
    kept.height = height;
    kept.bitsPerPixel = bits;
  }

  std::vector<CRealRect>& rects = kept.rects;
  LayoutCells(m_cells, rect.left, rect.top, width, height, m_nStyle, rects);
  const bool samePlaces = kept.drawn && kept.apart && kept.origin.x == rect.left && kept.origin.y == rect.top &&
                          kept.off == m_crOff && kept.on == m_crOn && kept.background == m_crBackground &&
                          kept.style == m_nStyle && kept.cells.size() == m_cells.size() &&
                          std::equal(m_cells.begin(), m_cells.end(), kept.cells.begin(), [](const auto& a, const auto& b) {
                            return a.GetWidth() == b.GetWidth() && a.GetSegmentCount() == b.GetSegmentCount();
                          });
  HDC mem = kept.dc->Get();
  // Logical coordinates as in the target: the rectangle's corner is the bitmap's origin.
  SetWindowOrgEx(mem, rect.left, rect.top, nullptr);
  SetBkColor(mem, m_crBackground);
  if (!samePlaces) {
    ExtTextOutW(mem, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    DrawCells(mem, rects, nullptr);
    kept.apart = CellsApart(m_cells, rects, kept.bounds);
  } else if (!std::equal(m_cells.begin(), m_cells.end(), kept.cells.begin(), SameMask)) {
    DrawCells(mem, rects, &kept.cells);
  }
  kept.drawn = true;
  kept.origin = POINT{rect.left, rect.top};
  kept.off = m_crOff;
  kept.on = m_crOn;
  kept.background = m_crBackground;
  kept.style = m_nStyle;
  kept.cells = m_cells;  // into the room kept
  BitBlt(dc, rect.left, rect.top, width, height, mem, rect.left, rect.top, SRCCOPY);
  return true;
}

void CDigistring::Paint(HDC dc, const RECT& rect) {
  if (dc == nullptr) return;
  const COLORREF previousBackground = SetBkColor(dc, m_crBackground);
  if (m_bRebuild) RebuildCells();
  if (!PaintKept(dc, rect)) {
    // Memory, printer and mapped contexts: drawn afresh through a buffer of their own.
    CMemDC mem(dc, rect);
    std::vector<CRealRect>& rects = m_picture->rects;
    LayoutCells(m_cells, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, m_nStyle, rects);
    DrawCells(mem, rects, nullptr);
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
