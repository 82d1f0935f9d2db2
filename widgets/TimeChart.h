// The part of a chart over time that the line chart and the trace control share: series over rings
// of points, a time axis that ends at now, a picture kept off-screen between paints, a cursor, and the
// removal of a series by its label. New readings scroll the kept picture (and the window's pixels) and
// draw only the new columns; the whole picture is drawn only when the view itself changes (size, span,
// scale, series). Bind it to a static dialog item (Dialog::BindItem) or create it.
#pragma once

#include <windows.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/Gdi.h"
#include "framework/Window.h"
#include "widgets/ChartScale.h"
#include "widgets/TrendRing.h"

// Sent to the parent, synchronously. wParam: the control's id.
constexpr UINT WM_CHART_CURSOR = WM_APP + 10100;  // lParam: const std::int64_t*, the time under the mouse; null when it left
constexpr UINT WM_CHART_REMOVE = WM_APP + 10101;  // lParam: the id of the series whose remove box was clicked

// A point as its series reads at the cursor, GBK, into out; "" when nothing is to be shown.
using ChartValueFormat = void (*)(const TrendPoint& point, char* out, std::size_t size);

class CTimeChart : public fw::Window {
 public:
  static constexpr int kMaxSeries = 8;

  CTimeChart();
  ~CTimeChart() override;

  // ---- Series ------------------------------------------------------------------------------------
  // A series draws `ring`, which the caller keeps alive until the series is removed. Points further
  // apart than `joinUs` are not joined. False when the chart is full or the id is taken.
  bool AddSeries(int id, const TrendRing* ring, COLORREF colour, const wchar_t* caption, std::int64_t joinUs,
                 ChartValueFormat format);
  void RemoveSeries(int id);
  void SetCaption(int id, const wchar_t* caption);
  int SeriesCount() const { return static_cast<int>(m_series.size()); }
  bool HasSeries(int id) const { return Find(id) >= 0; }

  // ---- Time ----------------------------------------------------------------------------------------
  // How long the view is (1 minute, 10 minutes...).
  void SetSpan(std::int64_t spanUs);
  std::int64_t Span() const { return m_spanUs; }
  // Local time = monotonic time + offset (microseconds); the ticks are labelled in local time. A change
  // of less than a second is taken as the two clocks' jitter.
  void SetClock(std::int64_t localOffsetUs);
  // New readings up to `nowUs` (monotonic): the picture moves on to end at now.
  void Advance(std::int64_t nowUs);
  // A frozen chart keeps its picture while readings go on; thawed, it jumps to the latest now.
  void Freeze(bool frozen);
  bool Frozen() const { return m_frozen; }

  // ---- Layout -----------------------------------------------------------------------------------------
  // The width left of the traces (axis labels, lane names), the same for charts stacked in one window
  // so their times line up.
  void SetMargin(int px);
  // Whether the time axis carries its labels (the lowest of stacked charts does).
  void ShowTimeLabels(bool show);
  // The rectangle the traces are drawn in (client coordinates), and the moment a column of it shows.
  const RECT& PlotRect() const { return m_plot; }
  std::int64_t TimeAt(int x) const;
  // The moment of the picture's right edge.
  std::int64_t Now() const { return m_nowUs; }

  // Where the box that removes a series is (client coordinates); empty when the chart has no such series.
  RECT RemoveBoxOf(int id) const;

  // ---- Cursor -------------------------------------------------------------------------------------
  // The moment the cursor marks (it moves with the picture), or none.
  void SetCursor(const std::int64_t* timeUs);

  // Paints the whole control into `dc` over `rect` (its client rectangle). Serves WM_PAINT and
  // WM_PRINTCLIENT.
  void Paint(HDC dc, const RECT& rect);

 protected:
  struct Series {
    int id;
    const TrendRing* ring;
    COLORREF colour;
    std::wstring caption;
    std::int64_t joinUs;
    ChartValueFormat format;
    fw::Brush brush;
    std::int64_t drawnUntil;  // the newest point's time when the picture was last drawn
  };

  // ---- For the kinds of chart ---------------------------------------------------------------------
  virtual chart::TraceMode Mode() const = 0;
  // Lays out what lies around the traces within `client` (the margin is m_margin wide; BottomRoom()
  // is kept free below them) and answers the traces' rectangle.
  virtual RECT LayoutPlot(const RECT& client) = 0;
  // Rows of the horizontal grid within the plot (client coordinates); returns the count.
  virtual int GridRows(int* rows, int max) const = 0;
  // The rows [top, bottom) (client coordinates) that series `index` covers in a column of this span;
  // false when it draws nothing there.
  virtual bool SpanRows(int index, const chart::ColumnSpan& span, int& top, int& bottom) const = 0;
  // After the columns changed: true when the chart's scale changed (everything is then drawn anew).
  virtual bool OnColumns(const chart::ColumnSpan* all, int count) {
    (void)all, (void)count;
    return false;
  }
  // Draws everything outside the traces (axis labels, legend or lane names, values at the cursor).
  virtual void DrawFrame(HDC dc) = 0;
  // The box that removes series `index` (client coordinates).
  virtual RECT RemoveBox(int index) const = 0;
  // Where the values at the cursor are shown (repainted when the cursor moves).
  virtual void InvalidateValues() {}

  // ---- Shared with the kinds of chart -------------------------------------------------------------
  int Find(int id) const;
  HFONT Font() const;
  // The value of a series at the cursor, GBK; false without a cursor or a point there.
  bool CursorValue(const Series& series, char* out, std::size_t size) const;
  bool HasCursor() const { return m_cursor.has_value(); }
  // Draws a text in `box`, vertically centred, cut with "..." where it does not fit.
  static void DrawLabel(HDC dc, const wchar_t* text, const RECT& box, UINT format);
  // A small framed cross: the box that removes a series.
  static void DrawRemoveBox(HDC dc, const RECT& box);
  // Room below the plot for half of a value label, or the time labels' strip.
  int BottomRoom() const { return m_stripHeight > 0 ? m_stripHeight : m_lineHeight / 2 + 1; }
  // The width of the widest value text, and the height of a line of text.
  int ValueWidth() const { return m_valueWidth; }
  int LineHeight() const { return m_lineHeight; }
  // Everything is drawn anew before the next paint.
  void Redraw();

  std::vector<Series> m_series;
  int m_margin = 80;
  int m_stripHeight = 0;
  RECT m_client{};
  RECT m_plot{};

  static constexpr COLORREF kPlotColour = RGB(255, 255, 255);
  static constexpr COLORREF kGridColour = RGB(222, 222, 222);
  static constexpr COLORREF kTextColour = RGB(0, 0, 0);

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnSubclassed() override { Layout(); }
  // Measures the text and lays everything out anew (series, size or view changed).
  void Layout();

 private:
  // Brings the kept picture up to now: the new columns only, or everything when it is not valid.
  // `invalidate`: the window's changed pixels are marked for painting (not from within a paint).
  void Update(bool invalidate);
  void UpdateX(bool invalidate);
  void ComputeSlice(std::int64_t first, std::int64_t last);
  // Draws columns first..last into the kept picture, after moving it `shift` columns to the left.
  void DrawSlice(std::int64_t first, std::int64_t last, int shift);
  // Fills a rectangle of the kept picture (client coordinates, cut to the picture).
  void FillPixels(const RECT& rect, COLORREF colour);
  // The kept picture's part `box` (within it) and the cursor's line there, into dc.
  void PaintPicture(HDC dc, const RECT& box);
  int XOf(std::int64_t column) const { return m_plot.left + static_cast<int>(column - (m_right - m_width + 1)); }
  RECT PictureRect() const;
  void InvalidateCursor();
  void OnMouseMove(POINT point);

  std::int64_t m_spanUs = 600 * chart::kUsPerSecond;
  std::int64_t m_localOffsetUs = 0;
  std::int64_t m_nowUs = 0;
  bool m_frozen = false;
  std::int64_t m_frozenAt = 0;
  bool m_showTimeLabels = true;
  chart::TimeAxis m_axis;
  std::int64_t m_right = INT64_MIN / 2;  // the column of the picture's right edge
  int m_width = 0;           // columns of the picture
  std::int64_t m_drawnNow = 0;  // the column of now when the picture was last drawn
  int m_step = 1;            // columns the picture moves on by at a time (a whole-window scroll is costly)
  bool m_valid = false;      // the kept picture shows the state above
  std::optional<std::int64_t> m_cursor;
  bool m_tracking = false;
  int m_valueWidth = 60;
  int m_lineHeight = 14;
  int m_secondsLabel = 50;
  int m_minutesLabel = 34;

  // The kept picture: the traces and the time labels' strip, a 32-bit bitmap of the plot's width.
  std::optional<fw::MemoryDC> m_keptDC;
  fw::Bitmap m_kept;
  std::optional<fw::ScopedSelect> m_keptSelect;
  std::optional<fw::ScopedSelect> m_keptFont;
  std::uint32_t* m_bits = nullptr;
  int m_keptHeight = 0;
  // Per column of the picture: every series' values together (the scale's data); per series a
  // slice's columns. Sized with the picture, so that a new reading needs no memory.
  std::vector<chart::ColumnSpan> m_union;
  std::vector<chart::ColumnSpan> m_slice;
  std::vector<std::uint32_t> m_before;  // a slice's pixels before it is drawn again
  fw::Region m_region;  // made once: a scroll's regions, without new objects per tick
  fw::Region m_spare;
};
