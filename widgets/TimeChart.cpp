#include "widgets/TimeChart.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "framework/Messages.h"
#include "widgets/memdc.h"

using chart::ColumnSpan;
using chart::FloorDiv;

namespace {

constexpr COLORREF kCursorColour = RGB(90, 90, 90);
constexpr COLORREF kBorderColour = RGB(160, 160, 160);

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

int TextWidth(HDC dc, const wchar_t* text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
  return size.cx;
}

}  // namespace

CTimeChart::CTimeChart() : m_region(CreateRectRgn(0, 0, 0, 0)), m_spare(CreateRectRgn(0, 0, 0, 0)) { m_series.reserve(kMaxSeries); }

CTimeChart::~CTimeChart() = default;

int CTimeChart::Find(int id) const {
  for (std::size_t i = 0; i < m_series.size(); ++i) {
    if (m_series[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

HFONT CTimeChart::Font() const {
  const HFONT font = GetHwnd() != nullptr ? reinterpret_cast<HFONT>(SendMessageW(GetHwnd(), WM_GETFONT, 0, 0)) : nullptr;
  return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

bool CTimeChart::AddSeries(int id, const TrendRing* ring, COLORREF colour, const wchar_t* caption, std::int64_t joinUs,
                           ChartValueFormat format) {
  if (ring == nullptr || Find(id) >= 0 || SeriesCount() >= kMaxSeries) return false;
  m_series.push_back(Series{id, ring, colour, caption != nullptr ? caption : L"", joinUs, format,
                            fw::Brush(CreateSolidBrush(colour)), INT64_MIN});
  Layout();
  return true;
}

void CTimeChart::RemoveSeries(int id) {
  const int i = Find(id);
  if (i < 0) return;
  m_series.erase(m_series.begin() + i);
  Layout();
}

void CTimeChart::SetCaption(int id, const wchar_t* caption) {
  const int i = Find(id);
  if (i < 0 || m_series[i].caption == caption) return;
  m_series[i].caption = caption;
  Layout();
}

void CTimeChart::SetSpan(std::int64_t spanUs) {
  if (spanUs <= 0 || spanUs == m_spanUs) return;
  m_spanUs = spanUs;
  Layout();
}

void CTimeChart::SetClock(std::int64_t localOffsetUs) {
  const std::int64_t moved = localOffsetUs - m_localOffsetUs;
  if (moved > -chart::kUsPerSecond && moved < chart::kUsPerSecond) return;
  m_localOffsetUs = localOffsetUs;
  Redraw();
}

void CTimeChart::Advance(std::int64_t nowUs) {
  m_nowUs = std::max(m_nowUs, nowUs);
  if (!m_frozen && m_valid) Update(true);
}

void CTimeChart::Freeze(bool frozen) {
  if (frozen == m_frozen) return;
  m_frozen = frozen;
  m_frozenAt = m_nowUs;
  Redraw();  // thawed: straight to now
}

void CTimeChart::SetMargin(int px) {
  if (px == m_margin) return;
  m_margin = px;
  Layout();
}

void CTimeChart::ShowTimeLabels(bool show) {
  if (show == m_showTimeLabels) return;
  m_showTimeLabels = show;
  Layout();
}

std::int64_t CTimeChart::TimeAt(int x) const {
  const std::int64_t column = m_right - m_width + 1 + (x - m_plot.left);
  return column * m_axis.usPerPixel + m_axis.usPerPixel / 2;
}

void CTimeChart::Redraw() {
  m_valid = false;
  if (GetHwnd() != nullptr) InvalidateRect(GetHwnd(), nullptr, FALSE);
}

RECT CTimeChart::PictureRect() const {
  return RECT{m_plot.left, m_plot.top, m_plot.left + m_width, m_plot.top + m_keptHeight};
}

void CTimeChart::Layout() {
  HWND hwnd = GetHwnd();
  if (hwnd == nullptr) return;
  GetClientRect(hwnd, &m_client);
  {
    const fw::WindowDC screen(hwnd);
    const fw::ScopedSelect font(screen.Get(), Font());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.Get(), &metrics);
    m_lineHeight = metrics.tmHeight + 2;
    m_secondsLabel = TextWidth(screen.Get(), L"00:00:00");
    m_minutesLabel = TextWidth(screen.Get(), L"00:00");
    m_valueWidth = TextWidth(screen.Get(), L"0xffffd8f0");
  }
  m_stripHeight = m_showTimeLabels ? m_lineHeight + 3 : 0;  // the plot's bottom border, then the labels
  m_plot = LayoutPlot(m_client);
  const int width = m_plot.right - m_plot.left, height = m_plot.bottom - m_plot.top;
  if (width <= 0 || height <= 0) {
    m_width = 0;
    Redraw();
    return;
  }
  // The picture ends up to a step of columns ahead of now and moves on a step at a time: every
  // scroll copies the whole picture on screen (to the X server, under Wine), so fewer larger ones
  // cost less than one a column. The whole span stays in view before the step.
  const chart::TimeAxis axis = chart::ChooseTimeAxis(m_spanUs, std::max(1, width - width / 32), m_secondsLabel, m_minutesLabel);
  if (axis.usPerPixel != m_axis.usPerPixel || width != m_width) m_right = INT64_MIN / 2;  // other columns: placed anew
  m_step = std::max(1, width / 32);
  m_axis = axis;
  m_keptFont.reset();
  if (!m_keptDC || width != m_width || height + m_stripHeight != m_keptHeight) {
    m_keptSelect.reset();
    m_kept.Reset();
    m_keptDC.reset();
    m_bits = nullptr;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -(height + m_stripHeight), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    m_kept.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    m_keptDC.emplace(nullptr);
    if (!m_kept || !*m_keptDC) {
      m_kept.Reset();
      m_keptDC.reset();
      m_width = 0;
      Redraw();
      return;
    }
    m_keptSelect.emplace(m_keptDC->Get(), m_kept.Get());
    m_bits = static_cast<std::uint32_t*>(bits);
    m_union.assign(width, ColumnSpan{});
    m_before.assign(static_cast<std::size_t>(height + m_stripHeight) * 8, 0);  // the pixels of up to 8 columns
    m_slice.assign(static_cast<std::size_t>(kMaxSeries) * width, ColumnSpan{});
  }
  m_width = width;
  m_keptHeight = height + m_stripHeight;
  // The kept picture is drawn in client coordinates: its corner is the plot's. Its font stays
  // selected (selecting a font anew makes the system look it up again).
  SetWindowOrgEx(m_keptDC->Get(), m_plot.left, m_plot.top, nullptr);
  m_keptFont.emplace(m_keptDC->Get(), Font());
  Redraw();
}

void CTimeChart::Update(bool invalidate) {
  if (m_width <= 0 || !m_keptDC) return;
  const std::int64_t u = m_axis.usPerPixel;
  const std::int64_t now = FloorDiv(m_frozen ? m_frozenAt : m_nowUs, u);
  // The picture stays where it is while now is in its last step of columns.
  const std::int64_t right = now > m_right || now <= m_right - m_step ? now + m_step - 1 : m_right;
  HWND hwnd = GetHwnd();
  if (!m_valid || right < m_right || right - m_right >= m_width) {
    m_right = right;
    m_drawnNow = now;
    ComputeSlice(right - m_width + 1, right);
    OnColumns(m_union.data(), m_width);
    DrawSlice(right - m_width + 1, right, 0);
    m_valid = true;
    if (invalidate && hwnd != nullptr) InvalidateRect(hwnd, nullptr, FALSE);
    return;
  }
  // From the column now was in, or from where a series' last drawn point was.
  std::int64_t first = std::min(m_right, m_drawnNow);
  bool changed = right != m_right || now != m_drawnNow;  // a step trace holds its level until now
  for (const Series& s : m_series) {
    if (s.ring->Empty() || s.ring->Newest().timeUs <= s.drawnUntil) continue;
    const std::int64_t from = s.drawnUntil != INT64_MIN ? s.drawnUntil : (*s.ring)[0].timeUs;
    first = std::min(first, FloorDiv(from, u));
    changed = true;
  }
  if (!changed) return;
  first = std::max(first, right - m_width + 1);
  const int shift = static_cast<int>(right - m_right);
  if (shift > 0) {
    std::memmove(m_union.data(), m_union.data() + shift, sizeof(ColumnSpan) * (m_width - shift));
    std::fill(m_union.end() - shift, m_union.end(), ColumnSpan{});
  }
  m_right = right;
  m_drawnNow = now;
  // The columns ahead of now change only when they come into the picture.
  const std::int64_t last = shift > 0 ? right : std::min(right, std::max(now, first));
  ComputeSlice(first, last);
  if (OnColumns(m_union.data(), m_width)) {
    // A new scale: every column is drawn again, and the axis with it.
    m_valid = false;
    Update(invalidate);
    return;
  }
  // A new reading that changes no pixel (a slow counter, a steady level) leaves the window alone.
  const int columns = static_cast<int>(last - first + 1), x0 = static_cast<int>(first - (right - m_width + 1));
  const bool compare = shift == 0 && columns * m_keptHeight <= static_cast<int>(m_before.size());
  if (compare) {
    GdiFlush();
    for (int y = 0; y < m_keptHeight; ++y) {
      std::memcpy(&m_before[y * columns], m_bits + static_cast<std::size_t>(y) * m_width + x0, sizeof(std::uint32_t) * columns);
    }
  }
  DrawSlice(first, last, shift);
  if (compare) {
    GdiFlush();
    bool same = true;
    for (int y = 0; y < m_keptHeight && same; ++y) {
      same = std::memcmp(&m_before[y * columns], m_bits + static_cast<std::size_t>(y) * m_width + x0, sizeof(std::uint32_t) * columns) == 0;
    }
    if (same) return;
  }
  if (!invalidate || hwnd == nullptr || !IsWindowVisible(hwnd)) return;
  // The window's pixels move with the picture, copied in place (not ScrollWindowEx: under Wine it
  // leaves the whole rectangle to be painted again), and the new columns are painted at once.
  const RECT picture = PictureRect();
  const RECT slice{XOf(first), m_plot.top, XOf(last) + 1, m_plot.top + m_keptHeight};
  if (shift > 0 && GetUpdateRgn(hwnd, m_region.Get(), FALSE) > NULLREGION) {
    OffsetRgn(m_region.Get(), -shift, 0);  // what was still to be painted moves along
    InvalidateRgn(hwnd, m_region.Get(), FALSE);
  }
  const fw::WindowDC dc(hwnd);
  if (shift > 0 && !ScrollDC(dc.Get(), -shift, 0, &picture, &picture, m_region.Get(), nullptr)) {
    InvalidateRect(hwnd, &picture, FALSE);
    return;
  }
  // Through the control's own print path, so that whatever watches its messages sees the paint.
  const int saved = SaveDC(dc.Get());
  IntersectClipRect(dc.Get(), slice.left, slice.top, slice.right, slice.bottom);
  SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
  RestoreDC(dc.Get(), saved);
  if (shift > 0) {
    // What the scroll could not copy (under another window) beyond the new columns.
    SetRectRgn(m_spare.Get(), slice.left, slice.top, slice.right, slice.bottom);
    if (CombineRgn(m_region.Get(), m_region.Get(), m_spare.Get(), RGN_DIFF) > NULLREGION) {
      InvalidateRgn(hwnd, m_region.Get(), FALSE);
    }
  }
}

void CTimeChart::ComputeSlice(std::int64_t first, std::int64_t last) {
  const int count = static_cast<int>(last - first + 1);
  chart::Columns columns{first, count, m_axis.usPerPixel, 0, m_frozen ? m_frozenAt : m_nowUs};
  for (std::size_t i = 0; i < m_series.size(); ++i) {
    Series& s = m_series[i];
    columns.joinUs = s.joinUs;
    chart::ComputeColumns(*s.ring, Mode(), columns, &m_slice[i * m_width]);
    s.drawnUntil = s.ring->Empty() ? INT64_MIN : s.ring->Newest().timeUs;
  }
  const std::int64_t left = m_right - m_width + 1;
  for (int c = 0; c < count; ++c) {
    ColumnSpan all;
    for (std::size_t i = 0; i < m_series.size(); ++i) all.Add(m_slice[i * m_width + c]);
    m_union[first - left + c] = all;
  }
}

void CTimeChart::FillPixels(const RECT& rect, COLORREF colour) {
  // Written into the picture's bits: a call into the system per rectangle would cost more than it.
  const std::uint32_t pixel = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  const int left = std::max<int>(0, rect.left - m_plot.left), right = std::min<int>(m_width, rect.right - m_plot.left);
  const int top = std::max<int>(0, rect.top - m_plot.top), bottom = std::min<int>(m_keptHeight, rect.bottom - m_plot.top);
  for (int y = top; y < bottom; ++y) {
    std::uint32_t* row = m_bits + static_cast<std::size_t>(y) * m_width;
    std::fill(row + left, row + std::max(left, right), pixel);
  }
}

void CTimeChart::DrawSlice(std::int64_t first, std::int64_t last, int shift) {
  GdiFlush();  // the bits are the system's until then
  if (shift > 0) {
    for (int y = 0; y < m_keptHeight; ++y) {
      std::uint32_t* row = m_bits + static_cast<std::size_t>(y) * m_width;
      std::memmove(row, row + shift, sizeof(std::uint32_t) * (m_width - shift));
    }
  }
  const int x0 = XOf(first), x1 = XOf(last) + 1;
  FillPixels(RECT{x0, m_plot.top, x1, m_plot.bottom}, kPlotColour);
  int rows[64];
  const int count = GridRows(rows, 64);
  for (int k = 0; k < count; ++k) FillPixels(RECT{x0, rows[k], x1, rows[k] + 1}, kGridColour);
  if (m_stripHeight > 0) {
    FillPixels(RECT{x0, m_plot.bottom, x1, m_plot.bottom + m_stripHeight}, GetSysColor(COLOR_BTNFACE));
    FillPixels(RECT{x0, m_plot.bottom, x1, m_plot.bottom + 1}, kBorderColour);
  }
  // Ticks of the time axis; labels of ticks beyond either end reach into the slice too.
  const std::int64_t u = m_axis.usPerPixel;
  const std::int64_t reach = (m_secondsLabel / 2 + 2) * u;
  HDC dc = m_keptDC->Get();
  int saved = 0;
  for (std::int64_t tick = chart::FirstTickAtOrAfter(first * u - reach + m_localOffsetUs, m_axis.stepUs) - m_localOffsetUs;
       tick < (last + 1) * u + reach; tick += m_axis.stepUs) {
    const std::int64_t column = FloorDiv(tick, u);
    const int x = XOf(column);
    if (column >= first && column <= last) FillPixels(RECT{x, m_plot.top, x + 1, m_plot.bottom}, kGridColour);
    if (m_stripHeight == 0) continue;
    if (saved == 0) {
      saved = SaveDC(dc);
      IntersectClipRect(dc, x0, m_plot.bottom, x1, m_plot.bottom + m_stripHeight);
      SetTextAlign(dc, TA_CENTER | TA_TOP);
      SetTextColor(dc, kTextColour);
      SetBkMode(dc, TRANSPARENT);
    }
    char label[16];
    chart::FormatClock(tick + m_localOffsetUs, m_axis.seconds, false, label, sizeof label);
    wchar_t wide[16];
    int n = 0;
    for (; label[n] != '\0' && n < 15; ++n) wide[n] = static_cast<wchar_t>(label[n]);
    TextOutW(dc, x, m_plot.bottom + 2, wide, n);
  }
  if (saved != 0) {
    RestoreDC(dc, saved);
    GdiFlush();
  }
  for (std::size_t i = 0; i < m_series.size(); ++i) {
    const ColumnSpan* spans = &m_slice[i * m_width];
    for (int c = 0; c < x1 - x0; ++c) {
      int top = 0, bottom = 0;
      if (spans[c].any && SpanRows(static_cast<int>(i), spans[c], top, bottom)) {
        FillPixels(RECT{x0 + c, top, x0 + c + 1, bottom}, m_series[i].colour);
      }
    }
  }
}

void CTimeChart::SetCursor(const std::int64_t* timeUs) {
  if ((timeUs == nullptr && !m_cursor) || (timeUs != nullptr && m_cursor && *m_cursor == *timeUs)) return;
  InvalidateCursor();
  m_cursor = timeUs != nullptr ? std::optional<std::int64_t>(*timeUs) : std::nullopt;
  InvalidateCursor();
  InvalidateValues();
}

void CTimeChart::InvalidateCursor() {
  if (!m_cursor || m_width <= 0 || GetHwnd() == nullptr) return;
  const int x = XOf(FloorDiv(*m_cursor, m_axis.usPerPixel));
  if (x < m_plot.left || x >= m_plot.right) return;
  const RECT line{x, m_plot.top, x + 1, m_plot.bottom};
  InvalidateRect(GetHwnd(), &line, FALSE);
}

bool CTimeChart::CursorValue(const Series& series, char* out, std::size_t size) const {
  out[0] = '\0';
  if (!m_cursor) return false;
  const std::ptrdiff_t i = series.ring->LastAtOrBefore(*m_cursor);
  if (i < 0) return false;
  const TrendPoint& point = (*series.ring)[static_cast<std::size_t>(i)];
  if (*m_cursor - point.timeUs > series.joinUs || series.format == nullptr) return false;
  series.format(point, out, size);
  return out[0] != '\0';
}

void CTimeChart::DrawLabel(HDC dc, const wchar_t* text, const RECT& box, UINT format) {
  RECT r = box;
  DrawTextW(dc, text, -1, &r, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CTimeChart::DrawRemoveBox(HDC dc, const RECT& box) {
  const fw::Pen pen(CreatePen(PS_SOLID, 1, RGB(96, 96, 96)));
  const fw::ScopedSelect select(dc, pen.Get());
  const fw::ScopedSelect hollow(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, box.left, box.top, box.right, box.bottom);
  const int inset = 3;
  MoveToEx(dc, box.left + inset, box.top + inset, nullptr);
  LineTo(dc, box.right - inset, box.bottom - inset);
  MoveToEx(dc, box.right - inset - 1, box.top + inset, nullptr);
  LineTo(dc, box.left + inset - 1, box.bottom - inset);
}

void CTimeChart::Paint(HDC dc, const RECT& rect) {
  if (dc == nullptr) return;
  if (!m_valid) Update(false);
  RECT box{};
  if (GetClipBox(dc, &box) == NULLREGION || !IntersectRect(&box, &box, &rect)) return;
  // New columns only (the usual paint after a tick): copied from the picture, nothing else to draw.
  const RECT picture = PictureRect();
  RECT inside{};
  if (m_width > 0 && m_keptDC && IntersectRect(&inside, &box, &picture) && EqualRect(&inside, &box)) {
    PaintPicture(dc, box);
    return;
  }
  const COLORREF background = SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  {
    CMemDC mem(dc, box);
    const fw::ScopedSelect font(mem, Font());
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, kTextColour);
    DrawFrame(mem);
    if (m_width > 0 && m_keptDC) {
      PaintPicture(mem, picture);
      const fw::Brush border(CreateSolidBrush(kBorderColour));
      const RECT frame{m_plot.left - 1, m_plot.top - 1, m_plot.right + 1, m_plot.bottom + 1};
      FrameRect(mem, &frame, border.Get());
    }
  }
  SetBkColor(dc, background);
}

RECT CTimeChart::RemoveBoxOf(int id) const {
  const int i = Find(id);
  return i >= 0 ? RemoveBox(i) : RECT{};
}

void CTimeChart::PaintPicture(HDC dc, const RECT& box) {
  BitBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, m_keptDC->Get(), box.left, box.top, SRCCOPY);
  const int x = m_cursor ? XOf(FloorDiv(*m_cursor, m_axis.usPerPixel)) : -1;
  if (x < box.left || x >= box.right || x >= m_plot.right) return;
  const COLORREF background = GetBkColor(dc);
  Fill(dc, RECT{x, std::max(box.top, m_plot.top), x + 1, std::min(box.bottom, m_plot.bottom)}, kCursorColour);
  SetBkColor(dc, background);
}

void CTimeChart::OnMouseMove(POINT point) {
  HWND hwnd = GetHwnd();
  if (!m_tracking) {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
    m_tracking = TrackMouseEvent(&track) != FALSE;
  }
  const bool inside = m_width > 0 && m_valid && PtInRect(&m_plot, point);
  if (!inside && !m_cursor) return;
  const std::int64_t time = TimeAt(point.x);
  SendMessageW(GetParent(hwnd), WM_CHART_CURSOR, GetDlgCtrlID(hwnd), inside ? reinterpret_cast<LPARAM>(&time) : 0);
}

LRESULT CTimeChart::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      const fw::PaintDC dc(GetHwnd());
      Paint(dc.Get(), m_client);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam), m_client);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painting covers everything
    case WM_SIZE:
      Layout();
      return Default(msg, wParam, lParam);
    case WM_DESTROY:
      m_keptFont.reset();  // the font is the dialog's, deleted once the dialog is gone
      return Default(msg, wParam, lParam);
    case WM_NCHITTEST:
      return HTCLIENT;  // a static is transparent to the mouse; the chart is not
    case WM_MOUSEMOVE:
      OnMouseMove(POINT{fw::PointX(lParam), fw::PointY(lParam)});
      return 0;
    case WM_MOUSELEAVE:
      m_tracking = false;
      if (m_cursor) SendMessageW(GetParent(GetHwnd()), WM_CHART_CURSOR, GetDlgCtrlID(GetHwnd()), 0);
      return 0;
    case WM_LBUTTONDOWN: {
      const POINT point{fw::PointX(lParam), fw::PointY(lParam)};
      for (std::size_t i = 0; i < m_series.size(); ++i) {
        RECT box = RemoveBox(static_cast<int>(i));
        InflateRect(&box, 2, 2);  // a small target: a pixel or two beside it counts
        if (!PtInRect(&box, point)) continue;
        SendMessageW(GetParent(GetHwnd()), WM_CHART_REMOVE, GetDlgCtrlID(GetHwnd()), m_series[i].id);
        break;
      }
      return 0;
    }
    default:
      return Default(msg, wParam, lParam);
  }
}
