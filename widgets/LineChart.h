// A chart of values over time: each series a line in its colour against a time axis ending at now and
// a value axis scaled to what the view holds, a legend of the series' captions above (each with the
// value at the cursor and a box that removes it). Any dialog can use it: bind it to a static item.
#pragma once

#include <vector>

#include "widgets/ChartScale.h"
#include "widgets/TimeChart.h"

class CLineChart : public CTimeChart {
 public:
  CLineChart() { m_entries.reserve(kMaxSeries); }

  // The value axis as drawn: the rows of the plot run from hi (top) to lo (bottom).
  const chart::ValueScale& Scale() const { return m_scale; }

 protected:
  chart::TraceMode Mode() const override { return chart::TraceMode::Line; }
  RECT LayoutPlot(const RECT& client) override;
  int GridRows(int* rows, int max) const override;
  bool SpanRows(int index, const chart::ColumnSpan& span, int& top, int& bottom) const override;
  bool OnColumns(const chart::ColumnSpan* all, int count) override;
  void DrawFrame(HDC dc) override;
  RECT RemoveBox(int index) const override;
  void InvalidateValues() override;

 private:
  struct Entry {
    RECT box;     // swatch, caption and value
    RECT remove;  // the box that removes the series
  };
  int Spacing() const { return LineHeight() * 2; }

  std::vector<Entry> m_entries;
  RECT m_legend{};
  chart::ValueScale m_scale;
  bool m_scaled = false;
};
