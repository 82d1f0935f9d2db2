#include "app/TrendDlg.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "framework/Application.h"
#include "framework/Messages.h"
#include "framework/Text.h"
#include "framework/Trouble.h"
#include "res/resource.h"
#include "widgets/PngWriter.h"

namespace {

using station::Kind;

constexpr std::int64_t kMinuteUs = 60LL * 1000000;
constexpr COLORREF kPalette[trend::TrendRecorder::kMaxChannels] = {
    RGB(31, 119, 180), RGB(214, 39, 40),  RGB(44, 160, 44),  RGB(255, 127, 14),
    RGB(148, 103, 189), RGB(23, 170, 190), RGB(140, 86, 75), RGB(227, 119, 194)};

// A point as the panel shows its value, or what kept it from having one.
template <Kind K>
void FormatPoint(const TrendPoint& point, char* out, std::size_t size) {
  switch (point.state) {
    case trend::kNotRead: std::snprintf(out, size, "%s", "未读"); break;
    case trend::kFaulted: std::snprintf(out, size, "%s", "故障"); break;
    case trend::kMissing: std::snprintf(out, size, "%s", "缺失"); break;
    default: trend::TrendRecorder::ValueText(K, point.value, out, size); break;
  }
}

ChartValueFormat FormatOf(Kind kind) {
  switch (kind) {
    case Kind::Input: return &FormatPoint<Kind::Input>;
    case Kind::Analog: return &FormatPoint<Kind::Analog>;
    case Kind::Counter: return &FormatPoint<Kind::Counter>;
    default: return &FormatPoint<Kind::Distance>;
  }
}

// The file written whole or not at all: into a file beside it, then put in its place.
bool WriteWhole(const std::wstring& path, const void* data, std::size_t size, std::wstring& error) {
  const std::wstring part = path + L".part";
  HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = fw::SystemErrorText(GetLastError());
    return false;
  }
  const char* at = static_cast<const char*>(data);
  bool ok = true;
  while (ok && size > 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
    ok = WriteFile(file, at, chunk, &written, nullptr) && written == chunk;
    at += written;
    size -= written;
  }
  if (!ok) error = fw::SystemErrorText(GetLastError());
  if (!CloseHandle(file) && ok) {
    error = fw::SystemErrorText(GetLastError());
    ok = false;
  }
  if (ok && !MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error = fw::SystemErrorText(GetLastError());
    ok = false;
  }
  if (!ok) DeleteFileW(part.c_str());
  return ok;
}

// Where the window goes: beside the panel on the side with the most room for it (right, below, left,
// above), as large as it wants up to that room; over the panel's corner when no side has room.
RECT PlaceBeside(const RECT& panel, const RECT& work, SIZE want, SIZE least) {
  const int panelW = panel.right - panel.left, panelH = panel.bottom - panel.top;
  const int workW = work.right - work.left, workH = work.bottom - work.top;
  RECT best{};
  long bestArea = 0;
  for (int side = 0; side < 4; ++side) {
    const bool across = side == 0 || side == 2;  // right or left of the panel
    const int room = side == 0 ? work.right - panel.right : side == 1 ? work.bottom - panel.bottom
                     : side == 2 ? panel.left - work.left : panel.top - work.top;
    const int w = across ? std::min<int>(want.cx, room) : std::min(std::max<int>(want.cx, panelW), workW);
    const int h = across ? std::min(std::max<int>(want.cy, panelH), workH) : std::min<int>(want.cy, room);
    if (w < least.cx || h < least.cy || long(w) * h <= bestArea) continue;
    const int x = side == 0 ? panel.right : side == 2 ? panel.left - w : std::clamp<int>(panel.left, work.left, work.right - w);
    const int y = side == 1 ? panel.bottom : side == 3 ? panel.top - h : std::clamp<int>(panel.top, work.top, work.bottom - h);
    best = RECT{x, y, x + w, y + h};
    bestArea = long(w) * h;
  }
  if (bestArea > 0) return best;
  const int w = std::min<int>(want.cx, workW), h = std::min<int>(want.cy, workH);
  return RECT{work.right - w, work.bottom - h, work.right, work.bottom};
}

// A rectangle moved (and if need be shrunk) into a work area.
RECT Within(RECT r, const RECT& work) {
  const int w = std::min<int>(r.right - r.left, work.right - work.left);
  const int h = std::min<int>(r.bottom - r.top, work.bottom - work.top);
  const int x = std::clamp<int>(r.left, work.left, work.right - w), y = std::clamp<int>(r.top, work.top, work.bottom - h);
  return RECT{x, y, x + w, y + h};
}

RECT WorkAreaOf(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
  return info.rcWork;
}

RECT ClientRectOf(HWND control, HWND parent) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

COLORREF CTrendDlg::ColourOf(int slot) { return kPalette[slot % trend::TrendRecorder::kMaxChannels]; }

CTrendDlg::CTrendDlg(HWND panel, station::Station& station, std::optional<RECT>& place)
    : CBDialog(IDD_TREND, panel), m_hPanel(panel), m_station(station), m_place(place) {}

CTrendDlg::~CTrendDlg() {
  if (m_subscribed) m_station.Unsubscribe(this);
}

void CTrendDlg::DoDataExchange() {
  BindItem(IDC_TREND_ANALOG, m_analog);
  BindItem(IDC_TREND_COUNTERS, m_counters);
  BindItem(IDC_TREND_DISTANCES, m_distances);
  BindItem(IDC_TREND_INPUTS, m_inputs);
}

BOOL CTrendDlg::OnInitDialog() {
  CBDialog::OnInitDialog();
  HWND hwnd = GetHwnd();
  {
    const fw::WindowDC screen(hwnd);
    const fw::ScopedSelect font(screen.Get(), reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    const wchar_t lane[] = L"输入15 前举升到位开关/举升";
    GetTextExtentPoint32W(screen.Get(), lane, static_cast<int>(wcslen(lane)), &size);
    m_labelMargin = size.cx;
    GetTextExtentPoint32W(screen.Get(), L"-10000.00", 9, &size);
    m_axisMargin = size.cx + 12;
  }
  CheckRadioButton(hwnd, IDC_TREND_1MIN, IDC_TREND_60MIN, IDC_TREND_10MIN);
  SetSpan(10 * kMinuteUs);
  m_subscribed = m_station.Subscribe(this);
  if (!m_subscribed) fw::ReportTrouble(L"StationProbe: the trend cannot hear the station (every listener's place is taken)");
  Layout();
  ShowStatus();
  return TRUE;
}

bool CTrendDlg::Open() {
  if (!CreateModeless()) return false;
  HWND hwnd = GetHwnd();
  RECT panel{}, own{};
  GetWindowRect(m_hPanel, &panel);
  GetWindowRect(hwnd, &own);
  RECT place;
  if (m_place) {
    place = Within(*m_place, WorkAreaOf(MonitorFromRect(&*m_place, MONITOR_DEFAULTTONEAREST)));
  } else {
    const SIZE want{own.right - own.left, own.bottom - own.top};
    place = PlaceBeside(panel, WorkAreaOf(MonitorFromWindow(m_hPanel, MONITOR_DEFAULTTONEAREST)), want,
                        SIZE{want.cx * 2 / 3, want.cy * 2 / 3});
  }
  SetWindowPos(hwnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return true;
}

void CTrendDlg::OnDestroy() {
  HWND hwnd = GetHwnd();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  RECT r{};
  if (IsIconic(hwnd) || IsZoomed(hwnd)) {
    if (GetWindowPlacement(hwnd, &placement)) m_place = placement.rcNormalPosition;
  } else if (GetWindowRect(hwnd, &r)) {
    m_place = r;
  }
  if (m_subscribed) m_station.Unsubscribe(this);
  m_subscribed = false;
  for (int slot = 0; slot < trend::TrendRecorder::kMaxChannels; ++slot) {
    if (m_recorder.InUse(slot)) ChartOf(m_recorder.KindOf(slot)).RemoveSeries(slot);
  }
  m_recorder.Clear();
}

CTimeChart& CTrendDlg::ChartOf(Kind kind) {
  if (kind == Kind::Input) return m_inputs;
  return LineChartOf(kind);
}

CLineChart& CTrendDlg::LineChartOf(Kind kind) {
  return kind == Kind::Counter ? m_counters : kind == Kind::Distance ? m_distances : m_analog;
}

std::wstring CTrendDlg::Label(int slot) const {
  const Kind kind = m_recorder.KindOf(slot);
  const int index = m_recorder.IndexOf(slot);
  const char* names[] = {"输入", "模拟", "计数器", "距离"};
  const char* caption = m_station.Caption(kind, index);
  char text[600];
  std::snprintf(text, sizeof text, "%s%d%s%s", names[static_cast<int>(kind)], station::ReportedChannel(kind, index),
                caption != nullptr ? " " : "", caption != nullptr ? caption : "");
  return fw::GbkToWide(text);
}

bool CTrendDlg::AddChannel(Kind kind, int index) {
  if (m_recorder.Find(kind, index) >= 0) return true;
  if (m_recorder.Count() >= trend::TrendRecorder::kMaxChannels) {
    fw::MessageBoxGbk(GetHwnd(), "趋势最多同时显示8个通道，请先移除一个。", fw::Application::Current()->Name(),
                      MB_OK | MB_ICONINFORMATION);
    return false;
  }
  const int slot = m_recorder.Add(kind, index, &m_station.Last(kind));
  if (slot < 0) return false;
  const std::int64_t join = 4LL * station::Info(kind).periodMs * 1000;
  ChartOf(kind).AddSeries(slot, &m_recorder.Ring(slot), ColourOf(slot), Label(slot).c_str(), join, FormatOf(kind));
  ChartOf(kind).Advance(station::Station::ClockUs());
  Layout();
  ShowStatus();
  return true;
}

void CTrendDlg::RemoveChannel(int slot) {
  if (!m_recorder.InUse(slot)) return;
  ChartOf(m_recorder.KindOf(slot)).RemoveSeries(slot);
  m_recorder.Remove(slot);
  Layout();
  ShowStatus();
}

void CTrendDlg::RefreshCaptions() {
  for (int slot = 0; slot < trend::TrendRecorder::kMaxChannels; ++slot) {
    if (m_recorder.InUse(slot)) ChartOf(m_recorder.KindOf(slot)).SetCaption(slot, Label(slot).c_str());
  }
}

void CTrendDlg::Layout() {
  HWND hwnd = GetHwnd();
  if (hwnd == nullptr) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  const HWND status = GetDlgItem(hwnd, IDC_TREND_STATUS);
  RECT r = ClientRectOf(status, hwnd);
  SetWindowPos(status, nullptr, r.left, r.top, std::max<int>(0, client.right - 6 - r.left), r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  const int top = ClientRectOf(GetDlgItem(hwnd, IDC_TREND_1MIN), hwnd).bottom + 4;
  const int height = std::max<int>(0, client.bottom - 2 - top);

  CLineChart* lines[] = {&m_analog, &m_counters, &m_distances};
  int shownLines = 0;
  for (CLineChart* chart : lines) shownLines += chart->SeriesCount() > 0 ? 1 : 0;
  const bool lanes = m_inputs.SeriesCount() > 0;
  // The lanes take what they need (at most three fifths when lines are shown), the lines share the rest.
  const int lanesHeight = !lanes ? 0 : shownLines == 0 ? height : std::min(m_inputs.HeightFor(m_inputs.SeriesCount()), height * 3 / 5);
  const int lineHeight = shownLines > 0 ? (height - lanesHeight) / shownLines : 0;
  const int margin = lanes ? m_labelMargin : m_axisMargin;
  int y = top;
  const auto place = [&](CTimeChart& chart, bool shown, int h, bool lowest) {
    chart.SetMargin(margin);
    chart.ShowTimeLabels(lowest);
    if (shown) SetWindowPos(chart.GetHwnd(), nullptr, 0, y, client.right, h, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(chart.GetHwnd(), shown ? SW_SHOWNA : SW_HIDE);
    y += shown ? h : 0;
  };
  int left = shownLines;
  for (CLineChart* chart : lines) {
    const bool shown = chart->SeriesCount() > 0;
    left -= shown ? 1 : 0;
    place(*chart, shown, lineHeight, shown && left == 0 && !lanes);
  }
  place(m_inputs, lanes, lanesHeight, true);
}

void CTrendDlg::SetSpan(std::int64_t spanUs) {
  for (const Kind kind : {Kind::Input, Kind::Analog, Kind::Counter, Kind::Distance}) ChartOf(kind).SetSpan(spanUs);
}

void CTrendDlg::OnPause() {
  const bool paused = IsDlgButtonChecked(GetHwnd(), IDC_TREND_PAUSE) == BST_CHECKED;
  for (const Kind kind : {Kind::Input, Kind::Analog, Kind::Counter, Kind::Distance}) ChartOf(kind).Freeze(paused);
  fw::SetWindowTextGbk(GetDlgItem(GetHwnd(), IDC_TREND_PAUSE), paused ? "继续" : "暂停");
  ShowStatus();
}

void CTrendDlg::ShowStatus(const std::wstring& text) {
  std::wstring shown = text;
  if (shown.empty() && m_recorder.Count() == 0) shown = L"双击面板上的读数、指示灯、计数或距离，加入趋势";
  if (shown.empty() && IsDlgButtonChecked(GetHwnd(), IDC_TREND_PAUSE) == BST_CHECKED) shown = L"已暂停，记录照常进行";
  SetDlgItemTextW(GetHwnd(), IDC_TREND_STATUS, shown.c_str());
}

void CTrendDlg::OnCursor(const std::int64_t* timeUs) {
  for (const Kind kind : {Kind::Input, Kind::Analog, Kind::Counter, Kind::Distance}) ChartOf(kind).SetCursor(timeUs);
  if (timeUs == nullptr) {
    ShowStatus();
    return;
  }
  char clock[32];
  chart::FormatClock(*timeUs + m_localOffsetUs, true, true, clock, sizeof clock);
  ShowStatus(L"光标 " + fw::GbkToWide(clock));
}

void CTrendDlg::OnSample(const station::Sample& sample) {
  m_recorder.Record(sample);
  if (!IsWindow()) return;
  // The zone's offset is read once a minute; local time follows the wall clock the samples carry.
  if (!m_zoneKnown || sample.wallUs - m_zoneCheckedUs > kMinuteUs || sample.wallUs < m_zoneCheckedUs) {
    m_zoneOffsetUs = station::LocalTimeOf(sample.wallUs).offsetMinutes * kMinuteUs;
    m_zoneCheckedUs = sample.wallUs;
    m_zoneKnown = true;
  }
  m_localOffsetUs = sample.wallUs + m_zoneOffsetUs - sample.timeUs;
  for (const Kind kind : {Kind::Input, Kind::Analog, Kind::Counter, Kind::Distance}) {
    CTimeChart& chart = ChartOf(kind);
    if (chart.SeriesCount() == 0) continue;
    chart.SetClock(m_localOffsetUs);
    chart.Advance(sample.timeUs);
  }
}

bool CTrendDlg::ExportCsv(const std::wstring& path, std::wstring& error) const {
  std::string captions[trend::TrendRecorder::kMaxChannels];
  for (int slot = 0; slot < trend::TrendRecorder::kMaxChannels; ++slot) {
    if (!m_recorder.InUse(slot)) continue;
    const char* caption = m_station.Caption(m_recorder.KindOf(slot), m_recorder.IndexOf(slot));
    if (caption != nullptr) captions[slot] = fw::FromWide(fw::GbkToWide(caption).c_str(), CP_UTF8);
  }
  const std::string text = m_recorder.Csv(captions);
  return WriteWhole(path, text.data(), text.size(), error);
}

bool CTrendDlg::ExportPng(const std::wstring& path, std::wstring& error) {
  HWND hwnd = GetHwnd();
  RECT area{};
  for (const Kind kind : {Kind::Input, Kind::Analog, Kind::Counter, Kind::Distance}) {
    const HWND chart = ChartOf(kind).GetHwnd();
    if (!IsWindowVisible(chart)) continue;
    const RECT r = ClientRectOf(chart, hwnd);
    UnionRect(&area, &area, &r);
  }
  const int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) {
    error = L"没有曲线可以导出";
    return false;
  }
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  fw::Bitmap picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  fw::MemoryDC dc(nullptr);
  if (!picture || !dc) {
    error = fw::SystemErrorText(GetLastError());
    return false;
  }
  {
    const fw::ScopedSelect select(dc.Get(), picture.Get());
    const RECT all{0, 0, width, height};
    FillRect(dc.Get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    for (const Kind kind : {Kind::Input, Kind::Analog, Kind::Counter, Kind::Distance}) {
      const HWND chart = ChartOf(kind).GetHwnd();
      if (!IsWindowVisible(chart)) continue;
      const RECT r = ClientRectOf(chart, hwnd);
      SetViewportOrgEx(dc.Get(), r.left - area.left, r.top - area.top, nullptr);
      SendMessageW(chart, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    }
    GdiFlush();
  }
  const std::vector<unsigned char> png = EncodePng(static_cast<const std::uint32_t*>(bits), width, height);
  return WriteWhole(path, png.data(), png.size(), error);
}

void CTrendDlg::ChooseFileAndExport(bool png) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t file[MAX_PATH];
  // An ASCII name: it can be written wherever the file goes, whatever the system's code page.
  swprintf(file, MAX_PATH, L"trend_%04d%02d%02d_%02d%02d%02d.%ls", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
           now.wSecond, png ? L"png" : L"csv");
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetHwnd();
  dialog.lpstrFilter = png ? L"PNG 图片 (*.png)\0*.png\0" : L"CSV 文件 (*.csv)\0*.csv\0";
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = png ? L"png" : L"csv";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&dialog)) return;
  std::wstring error;
  if (png ? ExportPng(file, error) : ExportCsv(file, error)) {
    ShowStatus(std::wstring(L"已导出 ") + file);
    return;
  }
  const std::wstring message = std::wstring(L"导出失败：") + file + L"\r\n" + error;
  MessageBoxW(GetHwnd(), message.c_str(), fw::GbkToWide(fw::Application::Current()->Name()).c_str(), MB_OK | MB_ICONERROR);
}

bool CTrendDlg::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_SIZE:
      Layout();
      return false;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{420, 300};
      result = 0;
      return true;
    case WM_CHART_CURSOR:
      OnCursor(reinterpret_cast<const std::int64_t*>(lParam));
      result = 0;
      return true;
    case WM_CHART_REMOVE:
      RemoveChannel(static_cast<int>(lParam));
      result = 0;
      return true;
    case WM_COMMAND:
      if (lParam == 0 || fw::CommandCode(wParam) != BN_CLICKED) break;
      switch (fw::CommandId(wParam)) {
        case IDC_TREND_1MIN: SetSpan(kMinuteUs); return true;
        case IDC_TREND_10MIN: SetSpan(10 * kMinuteUs); return true;
        case IDC_TREND_60MIN: SetSpan(60 * kMinuteUs); return true;
        case IDC_TREND_PAUSE: OnPause(); return true;
        case IDC_TREND_EXPORT_CSV: ChooseFileAndExport(false); return true;
        case IDC_TREND_EXPORT_PNG: ChooseFileAndExport(true); return true;
        default: break;
      }
      break;
    default:
      break;
  }
  return CBDialog::HandleMessage(msg, wParam, lParam, result);
}
