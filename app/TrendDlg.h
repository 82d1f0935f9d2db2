// The trend window: the panel's own readings over time, beside the panel. It never calls the device:
// it hears every sample the panel's ticks read (a sink of the panel's station model), records the
// channels shown in rings of an hour, and draws them as lines (analog channels; counters and
// distances each on a scale of their own) and as 0/1 traces in lanes (inputs).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "app/TrendRecorder.h"
#include "station/Readings.h"
#include "station/Station.h"
#include "widgets/BDialog.h"
#include "widgets/LineChart.h"
#include "widgets/TraceControl.h"

class CTrendDlg : public CBDialog, public station::ReadingSink {
 public:
  // Owned by `panel`, hearing `station`. `place` is where the window was last (kept by the panel for
  // the run); the window opens there and writes it back when it closes.
  CTrendDlg(HWND panel, station::Station& station, std::optional<RECT>& place);
  ~CTrendDlg() override;

  // Creates the window where it was last, or else beside the panel where the screen has room.
  bool Open();
  // Shows a channel, added unless it is shown; false (the technician is told) when eight are shown.
  bool AddChannel(station::Kind kind, int index);
  void RemoveChannel(int slot);
  // The channels' names afresh (after the configuration manager changed the captions).
  void RefreshCaptions();

  // The recorded readings of the channels shown, as CSV with the columns of `spprobe watch`; the
  // charts as a PNG picture. False with the reason when the file could not be written whole.
  bool ExportCsv(const std::wstring& path, std::wstring& error) const;
  bool ExportPng(const std::wstring& path, std::wstring& error);

  const trend::TrendRecorder& Recorder() const { return m_recorder; }
  // The colour of the channel in a slot (its line, trace and legend swatch).
  static COLORREF ColourOf(int slot);
  // The chart of a kind: the trace control for inputs, a line chart for the others.
  CTimeChart& ChartOf(station::Kind kind);
  CLineChart& LineChartOf(station::Kind kind);

  void OnSample(const station::Sample& sample) override;

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnDestroy() override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void Layout();
  void SetSpan(std::int64_t spanUs);
  void OnPause();
  void OnCursor(const std::int64_t* timeUs);
  void ChooseFileAndExport(bool png);
  std::wstring Label(int slot) const;
  void ShowStatus(const std::wstring& text = std::wstring());

  HWND m_hPanel;
  station::Station& m_station;
  std::optional<RECT>& m_place;
  trend::TrendRecorder m_recorder;
  CLineChart m_analog;
  CLineChart m_counters;
  CLineChart m_distances;
  CTraceControl m_inputs;
  bool m_subscribed = false;
  std::int64_t m_localOffsetUs = 0;  // local time = monotonic time + this
  bool m_zoneKnown = false;
  std::int64_t m_zoneCheckedUs = 0;  // the wall time the zone's offset was read at
  std::int64_t m_zoneOffsetUs = 0;
  int m_labelMargin = 150;  // left of the traces when lanes are shown
  int m_axisMargin = 60;    // without lanes
};
