#include "app/StationProbeDlg.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "app/AboutDlg.h"
#include "cfgmgr/CfgDlg.h"
#include "framework/Application.h"
#include "framework/GbkText.h"
#include "framework/Messages.h"
#include "framework/Text.h"
#include "framework/Trouble.h"
#include "res/resource.h"
#include "station/PanelFormat.h"
#include "sysbind/SysEnv.h"

namespace {

using station::Kind;

// Counter channel 200 + n is shown in this item.
constexpr int kCounterItems[station::kCounters] = {IDC_COUNTER_200, IDC_COUNTER_201, IDC_COUNTER_202,
                                                   IDC_COUNTER_203, IDC_COUNTER_204, IDC_COUNTER_205,
                                                   IDC_COUNTER_206, IDC_COUNTER_207};

// Shows a GBK text in a control unless the control shows it already: a static control repaints
// whenever its text is set, changed or not.
void ShowItemTextGbk(HWND dialog, int item, const char* text) {
  const HWND control = GetDlgItem(dialog, item);
  if (fw::GetWindowTextGbk(control) != text) fw::SetWindowTextGbk(control, text);
}

// Reports a library the panel could not use, with the system's reason, to the trouble log: the
// message the technician sees is the panel's fixed text.
void ReportLibraryTrouble(const wchar_t* what, const fw::Result<int>& loaded) {
  wchar_t code[16];
  swprintf(code, sizeof code / sizeof code[0], L" %d: ", loaded.value);
  const char* entry = SysEnvMissingEntryName(loaded.value);
  const std::wstring detail = entry != nullptr ? L"the entry " + fw::GbkToWide(entry) + L" is missing" : fw::DescribeResult(loaded);
  fw::ReportTrouble((what + std::wstring(code) + detail).c_str());
}

}  // namespace

CStationProbeDlg::CStationProbeDlg(HWND parent)
    : CBDialog(IDD_STATIONPROBE_DIALOG, parent),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CStationProbeDlg::~CStationProbeDlg() = default;

int CStationProbeDlg::OutputItem(int channel) {
  if (channel == 0) return IDC_OUTPUT_0;
  if (channel >= 1 && channel <= 15) return IDC_OUTPUT_1 + channel - 1;
  if (channel >= 16 && channel <= 23) return IDC_OUTPUT_16 + channel - 16;
  return 0;
}

int CStationProbeDlg::OutputChannel(int item) {
  if (item == IDC_OUTPUT_0) return 0;
  if (item >= IDC_OUTPUT_1 && item <= IDC_OUTPUT_15) return item - IDC_OUTPUT_1 + 1;
  if (item >= IDC_OUTPUT_16 && item <= IDC_OUTPUT_23) return item - IDC_OUTPUT_16 + 16;
  return -1;
}

void CStationProbeDlg::DoDataExchange() {
  for (int d = 0; d < 4; ++d) BindItem(IDC_DISTANCE_LABEL_0 + d, m_distanceLabel[d]);
  for (int k = 0; k < kAnalogs; ++k) BindItem(IDC_ANALOG_READOUT_0 + 2 * k, m_analogReadout[k]);
}

BOOL CStationProbeDlg::OnInitDialog() {
  HWND hwnd = GetHwnd();
  CBDialog::OnInitDialog();  // binds the controls
  for (int k = 0; k < kInputs; ++k) m_hInputLamp[k] = GetDlgItem(hwnd, IDC_INPUT_LAMP_0 + k);
  for (int n = 0; n < station::kCounters; ++n) {
    m_hCounterText[n] = GetDlgItem(hwnd, kCounterItems[n]);
    fw::GetWindowTextGbk(m_hCounterText[n], m_szCounterShown[n], sizeof m_szCounterShown[n]);
  }
  for (int d = 0; d < station::kDistances; ++d) {
    m_hDistanceText[d] = GetDlgItem(hwnd, IDC_DISTANCE_VALUE_0 + d);
    fw::GetWindowTextGbk(m_hDistanceText[d], m_szDistanceShown[d], sizeof m_szDistanceShown[d]);
  }
  AddAboutToSystemMenu();
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  LoadSystemLibraryAndPaths();
  // The read-outs and the count are set before the device is opened.
  m_nAnalogCount = station::kStartAnalogCount;
  for (int k = 0; k < kAnalogs; ++k) m_pAnalogDisplay[k] = &m_analogReadout[k];
  for (int k = 0; k < kAnalogs; ++k) m_pAnalogDisplay[k]->SetText("0.000");
  SendDlgItemMessageW(hwnd, IDC_ANALOG_COUNT, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(L"8"));
  OpenDevice();

  for (const station::KindInfo& kind : station::kKinds) SetTimer(hwnd, kind.timerId, kind.periodMs, nullptr);
  m_mover.BindDialog(hwnd);
  PlaceFromCommandLine();
  Relayout();
  RefreshCaptions();
  for (int d = 0; d < 4; ++d) {
    m_distanceLabel[d].SetBackgroundColor(RGB(255, 0, 0));
    m_distanceLabel[d].SetCentered(TRUE);
  }
  return TRUE;
}

void CStationProbeDlg::AddAboutToSystemMenu() {
  HMENU menu = GetSystemMenu(GetHwnd(), FALSE);
  if (menu == nullptr) return;
  wchar_t text[128] = {};
  if (LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, text, 128) > 0 && text[0] != L'\0') {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
  }
}

void CStationProbeDlg::LoadSystemLibraryAndPaths() {
  const fw::Result<int> loaded = m_station.LoadSystem();
  if (loaded.value == kSysEnvLibraryUnusable) {
    // Without the system library there is no installation to show: the panel ends here.
    ReportLibraryTrouble(L"StationProbe: the system library SysENV.dll cannot be loaded", loaded);
    fw::MessageBoxGbk(nullptr, "系统库不存在或者版本错误!", fw::Application::Current()->Name(), MB_OK | MB_ICONERROR);
    std::exit(-1);
  }
  if (loaded.value < 0) {
    ReportLibraryTrouble(L"StationProbe: the system library SysENV.dll is not usable", loaded);
    fw::MessageBoxGbk(GetHwnd(), "Sysenv.dll 加载错误或者没有该文件！", fw::Application::Current()->Name(), MB_OK);
  }

  HINSTANCE exe = GetModuleHandleW(nullptr);
  if (!m_lampOn) m_lampOn.Reset(static_cast<HBITMAP>(LoadImageW(exe, MAKEINTRESOURCEW(IDB_LAMP_ON), IMAGE_BITMAP, 0, 0, 0)));
  if (!m_lampOff) m_lampOff.Reset(static_cast<HBITMAP>(LoadImageW(exe, MAKEINTRESOURCEW(IDB_LAMP_OFF), IMAGE_BITMAP, 0, 0, 0)));
}

void CStationProbeDlg::OpenDevice() {
  const fw::Result<bool> opened = m_station.Open();
  if (!opened.Ok()) {
    // No message: the panel then shows an absent device's values, as designed.
    const std::wstring line = L"StationProbe: the device library " + fw::GbkToWide(m_station.DeviceLibraryPath()) +
                              L": " + fw::DescribeResult(opened);
    fw::ReportTrouble(line.c_str());
  }
  m_station.ResetCounters();
  for (int d = 0; d < station::kDistances; ++d) m_station.ResetDistance(d);
}

void CStationProbeDlg::PlaceFromCommandLine() {
  if (__argc <= 1 || __argv == nullptr || __argv[1] == nullptr) return;
  char argument[512] = {};
  fw::GbkCopyBounded(argument, sizeof argument, __argv[1]);
  int edges[4] = {0, 0, 0, 0};
  for (int i = 0; i < 4; ++i) {
    char field[512] = {};
    GetField(argument, field, i);
    field[sizeof field - 1] = '\0';
    edges[i] = station::ToInt(field);
  }
  m_rcWindow = RECT{edges[0], edges[1], edges[2], edges[3]};
  // Fields the system library did not deliver (or nonsense) would shrink the panel to nothing and
  // leave the technician without a window: keep the template's placement then.
  if (m_rcWindow.right <= m_rcWindow.left || m_rcWindow.bottom <= m_rcWindow.top) return;
  MoveWindow(GetHwnd(), m_rcWindow.left, m_rcWindow.top, m_rcWindow.right - m_rcWindow.left,
             m_rcWindow.bottom - m_rcWindow.top, TRUE);
}

namespace {

int InputCaptionItem(int k) { return IDC_INPUT_CAPTION_0 + k; }
int AnalogCaptionItem(int k) { return IDC_ANALOG_CAPTION_0 + 2 * k; }

// Shows each channel's caption, or its number.
template <int N>
void ShowCaptions(HWND dialog, const ChannelCaptions<N>& table, int (*itemOf)(int)) {
  for (int k = 0; k < N; ++k) {
    char number[12];
    ShowItemTextGbk(dialog, itemOf(k), station::ChannelText(table, k, number));
  }
}

}  // namespace

void CStationProbeDlg::RefreshCaptions() {
  m_station.RefreshCaptions();
  const station::StationCaptions& captions = m_station.Captions();
  ShowCaptions(GetHwnd(), captions.m_capDout, &CStationProbeDlg::OutputItem);
  ShowCaptions(GetHwnd(), captions.m_capDin, &InputCaptionItem);
  ShowCaptions(GetHwnd(), captions.m_capAnalog, &AnalogCaptionItem);
  if (CTrendDlg* trend = Trend()) trend->RefreshCaptions();
}

void CStationProbeDlg::ShowInputs(const station::Sample& sample) {
  for (int i = 0; i < sample.count; ++i) {
    const station::Reading& r = sample.readings[i];
    const HBITMAP image = r.value == 1.0f ? m_lampOn.Get() : m_lampOff.Get();
    if (m_hLampShown[r.index] == image) continue;
    SendMessageW(m_hInputLamp[r.index], STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    m_hLampShown[r.index] = image;
  }
}

void CStationProbeDlg::ShowAnalogs(const station::Sample& sample) {
  // Read-outs of channels the tick did not read keep what they show.
  for (int i = 0; i < sample.count; ++i) {
    const station::Reading& r = sample.readings[i];
    if (m_pAnalogDisplay[r.index] != nullptr) m_pAnalogDisplay[r.index]->SetText(r.text);
  }
}

void CStationProbeDlg::ShowTexts(const station::Sample& sample, const HWND* controls,
                                 char (*shown)[station::kReadingTextSize]) {
  for (int i = 0; i < sample.count; ++i) {
    const station::Reading& r = sample.readings[i];
    if (std::strcmp(shown[r.index], r.text) == 0) continue;
    fw::SetWindowTextGbk(controls[r.index], r.text);
    std::memcpy(shown[r.index], r.text, sizeof r.text);
  }
}

void CStationProbeDlg::OnTimer(UINT_PTR id) {
  for (const station::KindInfo& info : station::kKinds) {
    if (info.timerId != id) continue;
    const Kind kind = static_cast<Kind>(&info - station::kKinds);
    const station::Sample& sample = m_station.Poll(kind, m_nAnalogCount);
    switch (kind) {
      case Kind::Input: ShowInputs(sample); break;
      case Kind::Analog: ShowAnalogs(sample); break;
      case Kind::Counter: ShowTexts(sample, m_hCounterText, m_szCounterShown); break;
      case Kind::Distance: ShowTexts(sample, m_hDistanceText, m_szDistanceShown); break;
    }
  }
}

void CStationProbeDlg::Relayout() {
  m_mover.Relayout();
  for (HBITMAP& shown : m_hLampShown) shown = nullptr;
}

void CStationProbeDlg::OnPaint() {
  HWND hwnd = GetHwnd();
  const fw::PaintDC paint(hwnd);
  HDC dc = paint.Get();
  SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT rc;
  GetClientRect(hwnd, &rc);
  const int x = (rc.right - rc.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (rc.bottom - rc.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon);
}

HBRUSH CStationProbeDlg::OnCtlColor(HDC dc, HWND control, UINT msg) {
  const HBRUSH brush = reinterpret_cast<HBRUSH>(DefaultDialog(msg, reinterpret_cast<WPARAM>(dc),
                                                               reinterpret_cast<LPARAM>(control)));
  const int id = GetDlgCtrlID(control);
  if (id == IDC_ANALOG_HEADING || id == IDC_INPUT_HEADING || id == IDC_OUTPUT_HEADING || id == IDC_COUNTER_204) {
    ::SetTextColor(dc, RGB(200, 0, 0));
  }
  return brush;
}

void CStationProbeDlg::OnOK() {
  // Enter never closes the panel.
}

void CStationProbeDlg::OnCancel() {
  HWND hwnd = GetHwnd();
  for (const station::KindInfo& kind : station::kKinds) KillTimer(hwnd, kind.timerId);
  if (CTrendDlg* trend = Trend()) trend->EndDialog(IDCANCEL);
  try {
    m_station.Close();
  } catch (...) {
    // Closing goes on whatever the library does.
  }
  EndDialog(0);
}

void CStationProbeDlg::OnOutputToggle(int item) {
  const int channel = OutputChannel(item);
  if (channel < 0) return;
  const LRESULT state = SendDlgItemMessageW(GetHwnd(), item, BM_GETCHECK, 0, 0);
  m_station.SetOutput(channel, state == BST_CHECKED ? 1 : 0);
}

void CStationProbeDlg::OnAllOutputsLow() {
  m_station.AllOutputsLow();
  for (int channel = 0; channel < kOutputs; ++channel) {
    SendDlgItemMessageW(GetHwnd(), OutputItem(channel), BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void CStationProbeDlg::OnAnalogCountChanged() {
  char text[10] = {};
  fw::GetWindowTextGbk(GetDlgItem(GetHwnd(), IDC_ANALOG_COUNT), text, sizeof text);
  m_nAnalogCount = station::ToInt(text);
}

void CStationProbeDlg::OnDistanceToggle(int label) {
  const int d = label - IDC_DISTANCE_LABEL_0;  // 0..3
  if (d < 0 || d > 3) return;
  m_nDistanceState[d] = (m_nDistanceState[d] + 1) % 2;
  if (m_nDistanceState[d] == 1) {
    m_station.ResetDistance(d);
  } else {
    m_station.SetDistance(d);
  }
  m_distanceLabel[d].SetBackgroundColor(m_nDistanceState[d] == 1 ? RGB(255, 0, 0) : RGB(192, 192, 192));
}

bool CStationProbeDlg::OnCommand(int id, int code) {
  if (code != BN_CLICKED && code != STN_CLICKED && !(id == IDC_ANALOG_COUNT && code == CBN_SELCHANGE)) return false;
  if (OutputChannel(id) >= 0) {
    OnOutputToggle(id);
    return true;
  }
  switch (id) {
    case IDC_ALL_OUTPUTS_LOW: OnAllOutputsLow(); return true;
    case IDC_RESET_COUNTERS: m_station.ResetCounters(); return true;
    case IDC_ANALOG_COUNT: OnAnalogCountChanged(); return true;
    case IDC_DRAG:
      m_bDragWindow = SendDlgItemMessageW(GetHwnd(), IDC_DRAG, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
      return true;
    case IDC_EXIT: OnCancel(); return true;
    case IDC_CFGMGR: OnConfigurationManager(); return true;
    default:
      if (id >= IDC_DISTANCE_LABEL_0 && id < IDC_DISTANCE_LABEL_0 + 4) {
        OnDistanceToggle(id);
        return true;
      }
      return false;
  }
}

void CStationProbeDlg::OnConfigurationManager() {
  // Parentless, so owned by the application's main window: the panel is disabled while it runs.
  CCfgDlg dlg(nullptr, m_station.Paths());
  dlg.DoModal();
  RefreshCaptions();
}

void CStationProbeDlg::OnDragPress(LPARAM position) {
  // A caption drag moves the window; a client hit does nothing. The panel has no caption bar.
  PostMessageW(GetHwnd(), WM_NCLBUTTONDOWN, m_bDragWindow != 0 ? HTCAPTION : HTCLIENT,
               MAKELPARAM(fw::PointX(position), fw::PointY(position)));
}

void CStationProbeDlg::OnClose() { m_station.Disconnect(); }

bool CStationProbeDlg::ChannelAt(POINT point, Kind& kind, int& index) const {
  // The statics are transparent to the mouse, so the panel hears the clicks on them; the frames
  // around the input rows lie over the lamps, so the place decides, not the window found there.
  const auto at = [&](int item) {
    const HWND control = GetDlgItem(GetHwnd(), item);
    RECT r{};
    if (control == nullptr || !IsWindowVisible(control) || !GetWindowRect(control, &r)) return false;
    MapWindowPoints(nullptr, GetHwnd(), reinterpret_cast<POINT*>(&r), 2);
    return PtInRect(&r, point) != FALSE;
  };
  for (int k = 0; k < kAnalogs; ++k) {
    if (at(IDC_ANALOG_READOUT_0 + 2 * k) || at(AnalogCaptionItem(k))) return kind = Kind::Analog, index = k, true;
  }
  for (int k = 0; k < kInputs; ++k) {
    if (at(IDC_INPUT_LAMP_0 + k) || at(InputCaptionItem(k))) return kind = Kind::Input, index = k, true;
  }
  for (int n = 0; n < station::kCounters; ++n) {
    if (at(kCounterItems[n])) return kind = Kind::Counter, index = n, true;
  }
  for (int d = 0; d < station::kDistances; ++d) {
    if (at(IDC_DISTANCE_VALUE_0 + d)) return kind = Kind::Distance, index = d, true;
  }
  return false;
}

void CStationProbeDlg::ShowTrend(Kind kind, int index) {
  if (Trend() == nullptr) {
    m_trend.reset();  // a closed window's object: it wrote back where it was
    m_trend = std::make_unique<CTrendDlg>(GetHwnd(), m_station, m_trendPlace);
    if (!m_trend->Open()) {
      fw::ReportTrouble((L"StationProbe: the trend window cannot be created: " + fw::SystemErrorText(GetLastError())).c_str());
      m_trend.reset();
      return;
    }
  }
  // Shown again if the technician put it away.
  if (IsIconic(m_trend->GetHwnd())) ShowWindow(m_trend->GetHwnd(), SW_RESTORE);
  SetWindowPos(m_trend->GetHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  m_trend->AddChannel(kind, index);
}

void CStationProbeDlg::OnChannelDoubleClick(LPARAM position) {
  Kind kind;
  int index;
  if (ChannelAt(POINT{fw::PointX(position), fw::PointY(position)}, kind, index)) ShowTrend(kind, index);
}

bool CStationProbeDlg::OnChannelMenu(LPARAM screenPosition) {
  if (screenPosition == -1) return false;  // from the keyboard: no place, no channel
  const POINT screen{fw::PointX(screenPosition), fw::PointY(screenPosition)};
  POINT point = screen;
  ScreenToClient(GetHwnd(), &point);
  Kind kind;
  int index;
  if (!ChannelAt(point, kind, index)) return false;
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return false;
  AppendMenuW(menu, MF_STRING, IDM_TREND, L"趋势");
  const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, 0,
                                     GetHwnd(), nullptr);
  DestroyMenu(menu);
  if (chosen == IDM_TREND) ShowTrend(kind, index);
  return true;
}

bool CStationProbeDlg::PreTranslateMessage(MSG* msg) {
  if (CTrendDlg* trend = Trend()) {
    if (trend->PreTranslateMessage(msg)) return true;
  }
  return CBDialog::PreTranslateMessage(msg);
}

bool CStationProbeDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_TIMER:
      OnTimer(wParam);
      return false;  // the default timer handling follows
    case WM_PAINT:
      if (IsIconic(GetHwnd())) {
        OnPaint();
        result = 0;
        return true;
      }
      return false;
    case WM_QUERYDRAGICON:
      result = reinterpret_cast<LRESULT>(m_hIcon);
      return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX:
      result = reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), msg));
      return true;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(GetHwnd());
        about.DoModal();
        result = 0;
        return true;
      }
      return false;
    case WM_SIZE:
      result = DefaultDialog(msg, wParam, lParam);
      Relayout();
      return true;
    case WM_LBUTTONDOWN:
      OnDragPress(lParam);
      return false;  // then the default handling
    case WM_LBUTTONDBLCLK:
      OnChannelDoubleClick(lParam);
      return false;
    case WM_CONTEXTMENU:
      if (OnChannelMenu(lParam)) {
        result = 0;
        return true;
      }
      return CBDialog::HandleMessage(msg, wParam, lParam, result);
    case WM_CLOSE:
      OnClose();
      return false;  // the default close handling issues Cancel
    case WM_COMMAND:
      if (lParam != 0 && OnCommand(fw::CommandId(wParam), fw::CommandCode(wParam))) {
        result = 0;
        return true;
      }
      return CBDialog::HandleMessage(msg, wParam, lParam, result);
    default:
      return CBDialog::HandleMessage(msg, wParam, lParam, result);
  }
}
