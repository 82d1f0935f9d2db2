// The self-test panel: every input channel of the station's I/O card shown, a button for every
// output channel; polled on four timers. A view of the station model: its ticks ask the model for
// the readings and set what changed; every device call and every format is the model's.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "app/TrendDlg.h"
#include "framework/Gdi.h"
#include "station/Channels.h"
#include "station/Readings.h"
#include "station/Station.h"
#include "widgets/BDialog.h"
#include "widgets/ColorStatic.h"
#include "widgets/Digistring.h"
#include "widgets/MoveControl.h"

class CStationProbeDlg : public CBDialog {
 public:
  static constexpr int kOutputs = station::kOutputChannels;
  static constexpr int kInputs = station::kInputChannels;
  static constexpr int kAnalogs = station::kAnalogChannels;

  explicit CStationProbeDlg(HWND parent);
  ~CStationProbeDlg() override;

  // Item of output channel k (1071, 1056..1070, 1073..1080), or 0 for a channel out of range.
  static int OutputItem(int channel);
  // Channel of an output item, or -1.
  static int OutputChannel(int item);

  // Reads the channel captions from calib.ini and shows them (outputs, inputs, analog channels).
  void RefreshCaptions();

  int AnalogCount() const { return m_nAnalogCount; }
  // The station the panel shows: features on its readings subscribe here.
  station::Station& Station() { return m_station; }

  // Opens the trend window with a channel, or adds the channel to the open one.
  void ShowTrend(station::Kind kind, int index);
  // The trend window while it is open, else null.
  CTrendDlg* Trend() const { return m_trend && m_trend->IsWindow() ? m_trend.get() : nullptr; }
  // The channel whose read-out, lamp, caption, counter or distance value lies at a point of the
  // panel's client area.
  bool ChannelAt(POINT point, station::Kind& kind, int& index) const;

  // The trend window's keys (Tab, Escape) as well as the panel's.
  bool PreTranslateMessage(MSG* msg) override;

 protected:
  void DoDataExchange() override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void AddAboutToSystemMenu();
  void LoadSystemLibraryAndPaths();
  void OpenDevice();
  void PlaceFromCommandLine();
  void Relayout();
  void OnPaint();
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT msg);
  bool OnCommand(int id, int code);
  void OnTimer(UINT_PTR id);
  // The polling ticks: a sample of the model shown, each control set only when its value changed.
  void ShowInputs(const station::Sample& sample);
  void ShowAnalogs(const station::Sample& sample);
  void ShowTexts(const station::Sample& sample, const HWND* controls, char (*shown)[station::kReadingTextSize]);
  // Operator commands.
  void OnOutputToggle(int item);
  void OnAllOutputsLow();
  void OnAnalogCountChanged();
  void OnDistanceToggle(int label);
  void OnConfigurationManager();
  void OnDragPress(LPARAM position);
  void OnClose();
  // A double click or the "趋势" menu on a channel: the trend of that channel.
  void OnChannelDoubleClick(LPARAM position);
  bool OnChannelMenu(LPARAM screenPosition);

  station::Station m_station;
  int m_nDistanceState[4] = {};
  int m_bDragWindow = 0;
  CDigistring* m_pAnalogDisplay[kAnalogs] = {};
  // The polled controls, found once (finding an item by its number lists every child), and what the
  // polling last gave them: a tick sets only what differs, since a static control repaints whatever
  // it is given. A lamp's bitmap also sizes the lamp, so a relayout forgets the lamps' bitmaps.
  HWND m_hInputLamp[kInputs] = {};
  HBITMAP m_hLampShown[kInputs] = {};
  HWND m_hCounterText[station::kCounters] = {};
  char m_szCounterShown[station::kCounters][station::kReadingTextSize] = {};
  HWND m_hDistanceText[station::kDistances] = {};
  char m_szDistanceShown[station::kDistances][station::kReadingTextSize] = {};
  int m_nAnalogCount = 0;
  CMoveControl m_mover;
  RECT m_rcWindow{};
  fw::Bitmap m_lampOn;   // input is 1
  fw::Bitmap m_lampOff;  // anything else
  // Controls bound to dialog items.
  CColorStatic m_distanceLabel[4];        // IDC_DISTANCE_LABEL_0..3
  CDigistring m_analogReadout[kAnalogs];  // IDC_ANALOG_READOUT_0 + 2k
  HICON m_hIcon;
  // The trend window (after the station: it stops hearing it before the station goes), and where it
  // was last, kept for the run: the panel writes no settings file.
  std::optional<RECT> m_trendPlace;
  std::unique_ptr<CTrendDlg> m_trend;
};
