#include "widgets/TraceControl.h"

#include <algorithm>

#include "framework/Text.h"

namespace {

constexpr int kSwatch = 10;
constexpr int kRemove = 11;

}  // namespace

RECT CTraceControl::LayoutPlot(const RECT& client) {
  return RECT{client.left + m_margin, client.top + 2, client.right - 6, client.bottom - BottomRoom()};
}

RECT CTraceControl::Lane(int i) const {
  const int lanes = std::max(1, SeriesCount());
  const int height = std::max(1, static_cast<int>(m_plot.bottom - m_plot.top) / lanes);
  return RECT{m_plot.left, m_plot.top + i * height, m_plot.right, m_plot.top + (i + 1) * height};
}

RECT CTraceControl::RemoveBox(int i) const {
  const RECT lane = Lane(i);
  const int top = lane.top + (lane.bottom - lane.top - kRemove) / 2;
  return RECT{m_plot.left - 6 - kRemove, top, m_plot.left - 6, top + kRemove};
}

int CTraceControl::GridRows(int* rows, int max) const {
  int n = 0;
  for (int i = 1; i < SeriesCount() && n < max; ++i) rows[n++] = Lane(i).top;
  return n;
}

bool CTraceControl::SpanRows(int index, const chart::ColumnSpan& span, int& top, int& bottom) const {
  const RECT lane = Lane(index);
  const int margin = std::min(4, static_cast<int>(lane.bottom - lane.top) / 4);
  const int high = lane.top + margin, low = std::max(high, static_cast<int>(lane.bottom) - margin - 2);
  // An edge where a column holds both levels; two pixels thick.
  top = span.hi >= 0.5f ? high : low;
  bottom = (span.lo >= 0.5f ? high : low) + 2;
  return true;
}

void CTraceControl::DrawFrame(HDC dc) {
  for (int i = 0; i < SeriesCount(); ++i) {
    const Series& s = m_series[i];
    const RECT lane = Lane(i), remove = RemoveBox(i);
    const int top = lane.top + (lane.bottom - lane.top - kSwatch) / 2;
    const RECT swatch{m_client.left + 4, top, m_client.left + 4 + kSwatch, top + kSwatch};
    FillRect(dc, &swatch, s.brush.Get());
    char value[48];
    const bool shown = CursorValue(s, value, sizeof value);
    const int valueLeft = remove.left - 4 - (shown ? ValueWidth() / 2 : 0);
    DrawLabel(dc, s.caption.c_str(), RECT{swatch.right + 4, lane.top, valueLeft - 2, lane.bottom}, DT_LEFT);
    if (shown) DrawLabel(dc, fw::GbkToWide(value).c_str(), RECT{valueLeft, lane.top, remove.left - 4, lane.bottom}, DT_RIGHT);
    DrawRemoveBox(dc, remove);
  }
}


void CTraceControl::InvalidateValues() {
  if (GetHwnd() == nullptr) return;
  const RECT names{m_client.left, m_client.top, m_plot.left, m_client.bottom};
  InvalidateRect(GetHwnd(), &names, FALSE);
}
