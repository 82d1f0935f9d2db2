#include "app/StationProbeDlg.h"

#include <shellapi.h>

#include <cstring>
#include <cwchar>

#include "app/AboutDlg.h"
#include "cfgmgr/CfgDlg.h"
#include "devbind/HardWareDll.h"
#include "framework/Application.h"
#include "framework/GbkText.h"
#include "framework/Messages.h"
#include "framework/Text.h"
#include "res/resource.h"
#include "station/PanelFormat.h"
#include "station/StationDevice.h"
#include "sysbind/SysEnv.h"

namespace {

constexpr UINT_PTR kTimerInputs = 1;
constexpr UINT_PTR kTimerAnalogs = 2;
constexpr UINT_PTR kTimerCounters = 3;
constexpr UINT_PTR kTimerDistances = 4;

// Counter channel 200 + n is shown in this item.
constexpr int kCounterItems[8] = {IDC_COUNTER_200, IDC_COUNTER_201, IDC_COUNTER_202, IDC_COUNTER_203,
                                  IDC_COUNTER_204, IDC_COUNTER_205, IDC_COUNTER_206, IDC_COUNTER_207};

// Shows a GBK text in a control unless the control shows it already: a static control repaints
// whenever its text is set, changed or not.
void ShowTextGbk(HWND control, const char* text) {
  wchar_t wanted[1024];
  const int length = text != nullptr ? static_cast<int>(strnlen(text, 1024)) : 0;
  if (length >= 1024) {
    fw::SetWindowTextGbk(control, text);
    return;
  }
  const int n = length > 0 ? MultiByteToWideChar(fw::kGbkCodePage, 0, text, length, wanted, length) : 0;
  const int wantedLength = n > 0 ? n : 0;
  wanted[wantedLength] = L'\0';
  wchar_t shown[1024];
  if (GetWindowTextLengthW(control) == wantedLength && GetWindowTextW(control, shown, 1024) == wantedLength &&
      std::wmemcmp(shown, wanted, static_cast<std::size_t>(wantedLength)) == 0) {
    return;
  }
  SetWindowTextW(control, wanted);
}

void ShowItemTextGbk(HWND dialog, int item, const char* text) { ShowTextGbk(GetDlgItem(dialog, item), text); }

// Sets a polled text unless it is the one the control was last given.
void ShowPolledText(HWND control, std::string& shown, const char* text) {
  if (shown == text) return;
  fw::SetWindowTextGbk(control, text);
  shown = text;
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
  for (int n = 0; n < 8; ++n) {
    m_hCounterText[n] = GetDlgItem(hwnd, kCounterItems[n]);
    m_strCounterShown[n] = fw::GetWindowTextGbk(m_hCounterText[n]);
  }
  for (int d = 0; d < 4; ++d) {
    m_hDistanceText[d] = GetDlgItem(hwnd, IDC_DISTANCE_VALUE_0 + d);
    m_strDistanceShown[d] = fw::GetWindowTextGbk(m_hDistanceText[d]);
  }
  AddAboutToSystemMenu();
  SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  LoadSystemLibraryAndPaths();
  // The read-outs and the count are set before the device is opened.
  m_nAnalogCount = 8;
  for (int k = 0; k < kAnalogs; ++k) m_pAnalogDisplay[k] = &m_analogReadout[k];
  for (int k = 0; k < kAnalogs; ++k) m_pAnalogDisplay[k]->SetText("0.000");
  SendDlgItemMessageW(hwnd, IDC_ANALOG_COUNT, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(L"8"));
  OpenDevice();

  SetTimer(hwnd, kTimerInputs, 300, nullptr);
  SetTimer(hwnd, kTimerAnalogs, 400, nullptr);
  SetTimer(hwnd, kTimerCounters, 500, nullptr);
  SetTimer(hwnd, kTimerDistances, 500, nullptr);
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
  if (LoadSysEnvLibrary(1) < 0) {
    fw::MessageBoxGbk(GetHwnd(), "Sysenv.dll 加载错误或者没有该文件！", fw::Application::Current()->Name(), MB_OK);
  } else {
    GetSysEnv(&SysEnvRecord);
  }
  m_paths = station::ConfigPaths::InDirectory(SysEnvConfigDirectory());  // the directory as it stands

  HINSTANCE exe = GetModuleHandleW(nullptr);
  if (!m_lampOn) m_lampOn.Reset(static_cast<HBITMAP>(LoadImageW(exe, MAKEINTRESOURCEW(IDB_LAMP_ON), IMAGE_BITMAP, 0, 0, 0)));
  if (!m_lampOff) m_lampOff.Reset(static_cast<HBITMAP>(LoadImageW(exe, MAKEINTRESOURCEW(IDB_LAMP_OFF), IMAGE_BITMAP, 0, 0, 0)));
}

void CStationProbeDlg::OpenDevice() {
  station::OpenDevice(theHardWare, SysEnvDeviceLibraryDirectory());
  theHardWare.ExtResetCNT();
  for (int id = 300; id <= 303; ++id) theHardWare.ExtResetDis(id);
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

// The system library's field functions as the caption collection calls them.
int FieldOf(const char* text, char* out, int index) { return GetField(text, out, index); }
int PartOf(const char* text, char* out, int index, char delimiter) { return GetField2(text, out, index, delimiter); }

// Reads one kind of channel afresh and shows each caption, or the channel's number.
template <int N>
void RefreshKind(HWND dialog, station::ProfileReader& profile, station::FieldSplitter& fields, const char* listKey,
                 ChannelCaptions<N>& table, int (*itemOf)(int)) {
  station::ClearFlags(table);
  station::ReadCaptions(profile, fields, listKey, table);
  for (int k = 0; k < N; ++k) {
    char number[12];
    ShowItemTextGbk(dialog, itemOf(k), station::ChannelText(table, k, number));
  }
}

int InputCaptionItem(int k) { return IDC_INPUT_CAPTION_0 + k; }
int AnalogCaptionItem(int k) { return IDC_ANALOG_CAPTION_0 + 2 * k; }

}  // namespace

void CStationProbeDlg::RefreshCaptions() {
  // One reader for the three kinds: each section of the file is read once.
  station::Win32SectionReader profile(m_paths.calibIni.c_str());
  auto fields = station::MakeFieldFunctions(&FieldOf, &PartOf);
  RefreshKind(GetHwnd(), profile, fields, station::kDoutListKey, m_capDout, &CStationProbeDlg::OutputItem);
  RefreshKind(GetHwnd(), profile, fields, station::kDinListKey, m_capDin, &InputCaptionItem);
  RefreshKind(GetHwnd(), profile, fields, station::kAnalogListKey, m_capAnalog, &AnalogCaptionItem);
}

void CStationProbeDlg::PollInputs() {
  for (int k = 0; k < kInputs; ++k) {
    const int v = theHardWare.ExtInPutDig(k);
    const HBITMAP image = v == 1 ? m_lampOn.Get() : m_lampOff.Get();
    if (m_hLampShown[k] == image) continue;
    SendMessageW(m_hInputLamp[k], STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    m_hLampShown[k] = image;
  }
}

void CStationProbeDlg::PollAnalogs() {
  char text[100] = {};
  float samples[station::kAnalogSamples] = {};
  const int count = m_nAnalogCount < kAnalogs ? m_nAnalogCount : kAnalogs;
  for (int j = 0; j < count; ++j) {
    // The samples are deliberately not cleared between channels: a short reading keeps the rest.
    theHardWare.ExtGetAnalog(j, samples, station::kAnalogSamples);
    station::FormatAnalog(station::AnalogMean(samples), text, sizeof text);
    if (m_pAnalogDisplay[j] != nullptr) m_pAnalogDisplay[j]->SetText(text);
  }
}

void CStationProbeDlg::PollCounters() {
  char text[550] = {};
  for (int n = 0; n < 8; ++n) {
    station::FormatCounter(theHardWare.ExtGetFreb(200 + n), text, sizeof text);
    ShowPolledText(m_hCounterText[n], m_strCounterShown[n], text);
  }
}

void CStationProbeDlg::PollDistances() {
  char text[550] = {};
  for (int d = 0; d < 4; ++d) {
    station::FormatDistance(theHardWare.ExtGetDis(300 + d), text, sizeof text);
    ShowPolledText(m_hDistanceText[d], m_strDistanceShown[d], text);
  }
}

void CStationProbeDlg::OnTimer(UINT_PTR id) {
  switch (id) {
    case kTimerInputs: PollInputs(); break;
    case kTimerAnalogs: PollAnalogs(); break;
    case kTimerCounters: PollCounters(); break;
    case kTimerDistances: PollDistances(); break;
    default: break;
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
  for (UINT_PTR id = kTimerInputs; id <= kTimerDistances; ++id) KillTimer(hwnd, id);
  try {
    station::CloseDevice(theHardWare);
  } catch (...) {
    // Closing goes on whatever the library does.
  }
  EndDialog(0);
}

void CStationProbeDlg::OnOutputToggle(int item) {
  const int channel = OutputChannel(item);
  if (channel < 0) return;
  const LRESULT state = SendDlgItemMessageW(GetHwnd(), item, BM_GETCHECK, 0, 0);
  theHardWare.ExtOutPutDig(channel, state == BST_CHECKED ? 1 : 0);
}

void CStationProbeDlg::OnAllOutputsLow() {
  for (int channel = 0; channel < kOutputs; ++channel) theHardWare.ExtOutPutDig(channel, 0);
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
    theHardWare.ExtResetDis(300 + d);
  } else {
    theHardWare.ExtSetDis(300 + d);
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
    case IDC_RESET_COUNTERS: theHardWare.ExtResetCNT(); return true;
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
  CCfgDlg dlg(nullptr, m_paths);
  dlg.DoModal();
  RefreshCaptions();
}

void CStationProbeDlg::OnDragPress(LPARAM position) {
  // A caption drag moves the window; a client hit does nothing. The panel has no caption bar.
  PostMessageW(GetHwnd(), WM_NCLBUTTONDOWN, m_bDragWindow != 0 ? HTCAPTION : HTCLIENT,
               MAKELPARAM(fw::PointX(position), fw::PointY(position)));
}

void CStationProbeDlg::OnClose() {
  theHardWare.ExtClose();
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
