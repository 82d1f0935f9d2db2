// A logic-analyser view: each series a 0/1 trace in a lane of its own, a step at each change, against
// a time axis ending at now; the lanes named at the left (with the value at the cursor and a box that
// removes the series). Any dialog can use it: bind it to a static item.
#pragma once

#include "widgets/TimeChart.h"

class CTraceControl : public CTimeChart {
 public:
  // The height that gives `lanes` lanes of a readable size, time labels included.
  int HeightFor(int lanes) const { return lanes * LaneHeight() + LineHeight() + 10; }

 protected:
  chart::TraceMode Mode() const override { return chart::TraceMode::Step; }
  RECT LayoutPlot(const RECT& client) override;
  int GridRows(int* rows, int max) const override;
  bool SpanRows(int index, const chart::ColumnSpan& span, int& top, int& bottom) const override;
  void DrawFrame(HDC dc) override;
  RECT RemoveBox(int index) const override;
  void InvalidateValues() override;

 private:
  int LaneHeight() const { return LineHeight() + 12; }
  // Lane i's rows within the plot.
  RECT Lane(int i) const;
};
