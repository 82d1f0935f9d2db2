#include "widgets/LineChart.h"

#include <algorithm>

#include "framework/Text.h"

namespace {

constexpr int kSwatch = 10;
constexpr int kRemove = 11;

}  // namespace

RECT CLineChart::LayoutPlot(const RECT& client) {
  m_scaled = false;  // a new size or new series: the scale is chosen afresh
  // The legend: entries from the margin on, as many rows as they need.
  const int rowHeight = LineHeight() + 2, left = client.left + m_margin;
  const int fixed = kSwatch + 4 + 6 + ValueWidth() + 4 + kRemove;  // everything but the caption
  int x = left, y = client.top + 2;
  m_entries.clear();
  {
    const fw::WindowDC screen(GetHwnd());
    const fw::ScopedSelect font(screen.Get(), Font());
    for (const Series& s : m_series) {
      SIZE caption{};
      GetTextExtentPoint32W(screen.Get(), s.caption.c_str(), static_cast<int>(s.caption.size()), &caption);
      const int width = std::min<int>(fixed + caption.cx, std::max(fixed + 20, static_cast<int>(client.right - left - 4)));
      if (x > left && x + width > client.right - 4) {
        x = left;
        y += rowHeight;
      }
      const RECT box{x, y, x + width, y + rowHeight};
      const int top = y + (rowHeight - kRemove) / 2;
      m_entries.push_back(Entry{box, RECT{box.right - kRemove, top, box.right, top + kRemove}});
      x += width + 14;
    }
  }
  m_legend = RECT{client.left, client.top, client.right, y + rowHeight + 2};
  // Room above the plot for half of the top value's label.
  return RECT{left, m_legend.bottom + LineHeight() / 2, client.right - 6, client.bottom - BottomRoom()};
}

int CLineChart::GridRows(int* rows, int max) const {
  if (!m_scaled) return 0;
  const int height = m_plot.bottom - m_plot.top;
  int n = 0;
  for (int k = 0; k < chart::TickCount(m_scale) && n < max; ++k) {
    rows[n++] = chart::ValueRow(m_scale, chart::TickValue(m_scale, k), m_plot.top, height);
  }
  return n;
}

bool CLineChart::SpanRows(int, const chart::ColumnSpan& span, int& top, int& bottom) const {
  if (!m_scaled) return false;
  // Two pixels thick: the rows of the values and the one below.
  const int height = m_plot.bottom - m_plot.top;
  top = chart::ValueRow(m_scale, span.hi, m_plot.top, height);
  bottom = std::min<int>(chart::ValueRow(m_scale, span.lo, m_plot.top, height) + 2, m_plot.bottom);
  return true;
}

bool CLineChart::OnColumns(const chart::ColumnSpan* all, int count) {
  chart::ColumnSpan data;
  for (int c = 0; c < count; ++c) data.Add(all[c]);
  if (!data.any) return false;  // nothing in view: the scale stays as it is
  const int height = m_plot.bottom - m_plot.top;
  if (!m_scaled) {
    m_scale = chart::NiceScale(data.lo, data.hi, height, Spacing());
    m_scaled = true;
    return true;
  }
  return chart::Rescale(m_scale, data.lo, data.hi, height, Spacing(), m_scale);
}

void CLineChart::DrawFrame(HDC dc) {
  // The value axis.
  const int height = m_plot.bottom - m_plot.top;
  if (m_scaled) {
    for (int k = 0; k < chart::TickCount(m_scale); ++k) {
      const double value = chart::TickValue(m_scale, k);
      const int row = chart::ValueRow(m_scale, value, m_plot.top, height);
      char text[32];
      chart::FormatTick(m_scale, value, text, sizeof text);
      wchar_t wide[32];
      int n = 0;
      for (; text[n] != '\0' && n < 31; ++n) wide[n] = static_cast<wchar_t>(text[n]);
      wide[n] = L'\0';
      DrawLabel(dc, wide, RECT{m_client.left, row - LineHeight() / 2, m_plot.left - 5, row + LineHeight() / 2 + 1},
                DT_RIGHT);
    }
  }
  // The legend.
  for (std::size_t i = 0; i < m_series.size() && i < m_entries.size(); ++i) {
    const Series& s = m_series[i];
    const Entry& e = m_entries[i];
    const int top = e.box.top + (e.box.bottom - e.box.top - kSwatch) / 2;
    const RECT swatch{e.box.left, top, e.box.left + kSwatch, top + kSwatch};
    FillRect(dc, &swatch, s.brush.Get());
    const int valueLeft = e.remove.left - 4 - ValueWidth();
    DrawLabel(dc, s.caption.c_str(), RECT{swatch.right + 4, e.box.top, valueLeft - 6, e.box.bottom}, DT_LEFT);
    char value[48];
    if (CursorValue(s, value, sizeof value)) {
      DrawLabel(dc, fw::GbkToWide(value).c_str(), RECT{valueLeft, e.box.top, e.remove.left - 4, e.box.bottom}, DT_RIGHT);
    }
    DrawRemoveBox(dc, e.remove);
  }
}

RECT CLineChart::RemoveBox(int index) const {
  return index >= 0 && index < static_cast<int>(m_entries.size()) ? m_entries[index].remove : RECT{};
}

void CLineChart::InvalidateValues() {
  if (GetHwnd() != nullptr) InvalidateRect(GetHwnd(), &m_legend, FALSE);
}
