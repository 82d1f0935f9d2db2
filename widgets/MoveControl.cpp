#include "widgets/MoveControl.h"

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>

#include "framework/GbkText.h"
#include "framework/Text.h"
#include "station/PanelFormat.h"

namespace {

constexpr const char* kSettingsFile = "loginset.ini";
constexpr const char* kFontSection = "DLGFONT";
constexpr const char* kFontSizeKey = "FONTSIZE";
constexpr const char* kFaceNameKey = "FONTFOCENAME";
constexpr const char* kDefaultFaceName = "幼圆";
// Each setting is read into a buffer of this size.
constexpr DWORD kSettingBufferSize = 255;

// Height of a short capital text in a control's own context with the context's default font:
// the least a control must offer to show one line.
class ControlTextHeight final : public layout::TextHeightSource {
 public:
  explicit ControlTextHeight(HWND control) : m_control(control) {}
  int TextHeight() override {
    fw::WindowDC dc(m_control);
    if (dc.Get() == nullptr) return 0;
    SIZE size{};
    if (!GetTextExtentPoint32W(dc.Get(), L"FON", 3, &size)) return 0;
    return size.cy;
  }

 private:
  HWND m_control;
};

}  // namespace

CMoveControl::CMoveControl() { LoadFontSettings(); }

void CMoveControl::LoadFontSettings() {
  char size[kSettingBufferSize] = {};
  char face[kSettingBufferSize] = {};
  char directory[MAX_PATH] = {};
  char path[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, directory);
  const int written =
      length > 0 && length < MAX_PATH ? std::snprintf(path, sizeof path, "%s\\%s", directory, kSettingsFile) : -1;
  if (written > 0 && written < static_cast<int>(sizeof path)) {
    GetPrivateProfileStringA(kFontSection, kFontSizeKey, layout::kDefaultFontSize, size, kSettingBufferSize, path);
    GetPrivateProfileStringA(kFontSection, kFaceNameKey, kDefaultFaceName, face, kSettingBufferSize, path);
  } else {
    // A directory too long for a path: the file cannot be named, so the defaults apply.
    fw::GbkCopyBounded(size, sizeof size, layout::kDefaultFontSize);
    fw::GbkCopyBounded(face, sizeof face, kDefaultFaceName);
  }
  SetFontSettings(face, station::ToInt(size));
}

void CMoveControl::SetFontSettings(const char* faceName, int size) {
  fw::GbkCopyBounded(m_szFaceName, sizeof m_szFaceName, faceName != nullptr ? faceName : "");
  m_nFontSize = size;
}

void CMoveControl::BindDialog(HWND dialog) {
  m_remainders.Clear();
  m_bEnabled = TRUE;
  m_bLaidOut = FALSE;
  m_bFontCreated = FALSE;
  m_hDialog = dialog;
  m_rcReference = RECT{};
  if (dialog != nullptr) GetClientRect(dialog, &m_rcReference);
}

BOOL CMoveControl::Relayout() {
  if (!m_bEnabled || m_hDialog == nullptr) return FALSE;
  try {
    RelayoutChildren();
  } catch (...) {
    // Whatever was moved stays moved; the next resize starts from there.
  }
  return TRUE;
}

void CMoveControl::RelayoutChildren() {
  RECT client{};
  if (!GetClientRect(m_hDialog, &client)) return;
  const int oldWidth = m_rcReference.right - m_rcReference.left;
  const int oldHeight = m_rcReference.bottom - m_rcReference.top;
  const int newWidth = client.right - client.left;
  const int newHeight = client.bottom - client.top;
  // Minimised (or bound while empty): keep the last real size as the reference.
  if (oldWidth < 1 || oldHeight < 1 || newWidth < 1 || newHeight < 1) return;

  const float rx = layout::Ratio(newWidth, oldWidth);
  const float ry = layout::Ratio(newHeight, oldHeight);
  int index = 0;
  for (HWND child = GetWindow(m_hDialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    // The style bit, not IsWindowVisible: a hidden dialog still lays out its shown controls.
    if ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) == 0) continue;
    RECT rc{};
    GetWindowRect(child, &rc);
    ControlKind kind = MC_OTHER;
    if (!ClassifyControl(child, kind)) continue;
    MapWindowPoints(nullptr, m_hDialog, reinterpret_cast<POINT*>(&rc), 2);

    ControlTextHeight text(child);
    layout::Rect placed = layout::ScaleControlRect(layout::Rect{rc.left, rc.top, rc.right, rc.bottom}, kind, rx, ry,
                                                   m_remainders, index, reinterpret_cast<std::uintptr_t>(child), text);
    if (HFONT font = EnsureFont()) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (kind == MC_COMBOBOX) placed.bottom += FitComboDropDown(child);
    MoveWindow(child, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, FALSE);
    ++index;
  }
  InvalidateRect(m_hDialog, nullptr, TRUE);
  GetClientRect(m_hDialog, &m_rcReference);
  m_bLaidOut = TRUE;
}

HFONT CMoveControl::EnsureFont() {
  if (m_bFontCreated && m_font) return m_font.Get();
  int height = 0;
  {
    fw::WindowDC screen(nullptr);
    height = layout::FontHeightFromTenths(m_nFontSize, GetDeviceCaps(screen.Get(), LOGPIXELSY));
  }
  const std::wstring face = fw::GbkToWide(m_szFaceName);
  // A later binding with unchanged settings keeps the font its controls already have.
  if (m_font) {
    LOGFONTW current{};
    if (GetObjectW(m_font.Get(), sizeof current, &current) == sizeof current && current.lfHeight == height &&
        face == current.lfFaceName) {
      m_bFontCreated = TRUE;
      return m_font.Get();
    }
  }
  fw::Font fresh(CreateFontW(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
  if (!fresh) return nullptr;
  if (m_font) m_retiredFonts.push_back(std::move(m_font));
  m_font = std::move(fresh);
  m_bFontCreated = TRUE;
  return m_font.Get();
}

BOOL CMoveControl::ClassifyControl(HWND control, ControlKind& kind) {
  kind = MC_OTHER;
  if (control == nullptr) return FALSE;
  char name[64] = {};
  if (GetClassNameA(control, name, static_cast<int>(sizeof name)) > 0) kind = layout::ControlKindFromClassName(name);
  return TRUE;
}

int CMoveControl::FitComboDropDown(HWND combo) {
  if (combo == nullptr) return 0;
  int widest = 0;
  int total = 0;
  {
    fw::WindowDC dc(combo);
    if (dc.Get() == nullptr) return 0;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(combo, WM_GETFONT, 0, 0));
    fw::ScopedSelect select(dc.Get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.Get(), &metrics);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    std::wstring item;
    for (LRESULT i = 0; i < count; ++i) {
      const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
      if (length < 0) continue;
      item.assign(static_cast<std::size_t>(length) + 1, L'\0');
      const LRESULT got = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]));
      SIZE extent{};
      if (got > 0)
        GetTextExtentPoint32W(dc.Get(), item.c_str(), static_cast<int>(got < length ? got : length), &extent);
      const int width = extent.cx + metrics.tmAveCharWidth;
      if (width > widest) widest = width;
      if (i < 10) total += metrics.tmHeight + 5;
    }
  }
  const int dropWidth = widest + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE);
  SendMessageW(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(dropWidth), 0);
  return total;
}
