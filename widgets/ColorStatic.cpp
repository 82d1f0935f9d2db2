#include "widgets/ColorStatic.h"

#include "framework/Messages.h"
#include "framework/Text.h"

namespace {

// Single line, vertically centred; horizontally centred on request (left is the default).
constexpr UINT kTextFlags = DT_SINGLELINE | DT_VCENTER;      // 36
constexpr UINT kCenteredTextFlags = kTextFlags | DT_CENTER;  // 37
// The parent repaints the area under the control minus this border, so that a changed colour
// around the text never leaves stale pixels at the control's edge.
constexpr int kParentRepaintInset = 2;

}  // namespace

void CColorStatic::SetTextColor(COLORREF color) {
  m_crText = color;
  if (IsWindow()) Invalidate(TRUE);
}

void CColorStatic::SetBackgroundColor(COLORREF color) {
  m_crBackground = color;
  if (IsWindow()) Invalidate(TRUE);
}

void CColorStatic::SetCentered(BOOL centered) { m_bCentered = centered; }

BOOL CColorStatic::SetTransparent(BOOL transparent) {
  m_bTransparent = transparent;
  return TRUE;
}

void CColorStatic::Paint(HDC dc, const RECT& rect) {
  m_strText = fw::GetWindowTextGbk(GetHwnd());
  RECT area = rect;
  if (m_bTransparent) {
    SetBkMode(dc, TRANSPARENT);
  } else {
    // An opaque fill without a brush of its own.
    SetBkColor(dc, m_crBackground);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  }
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetHwnd(), WM_GETFONT, 0, 0));
  fw::ScopedSelect select(dc, font);
  ::SetTextColor(dc, m_crText);
  const std::wstring text = fw::GbkToWide(m_strText.c_str(), static_cast<int>(m_strText.size()));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, m_bCentered ? kCenteredTextFlags : kTextFlags);
}

bool CColorStatic::OnReflect(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
  if (!fw::IsControlColorMessage(msg)) return false;
  result = reinterpret_cast<LRESULT>(OnReflectedColor(reinterpret_cast<HDC>(wParam)));
  return true;
}

HBRUSH CColorStatic::OnReflectedColor(HDC dc) {
  m_brBackground.Reset();
  HBRUSH brush = nullptr;
  if (m_bTransparent) {
    brush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    SetBkMode(dc, TRANSPARENT);
  } else {
    m_brBackground.Reset(CreateSolidBrush(m_crBackground));
    brush = m_brBackground.Get();
    SetBkColor(dc, m_crBackground);
  }
  const HWND parent = GetParent(GetHwnd());
  if (parent != nullptr) {
    RECT under{};
    GetWindowRect(GetHwnd(), &under);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&under), 2);
    InflateRect(&under, -kParentRepaintInset, -kParentRepaintInset);
    InvalidateRect(parent, &under, TRUE);
  }
  ::SetTextColor(dc, m_crText);
  return brush;
}

LRESULT CColorStatic::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      RECT rect{};
      GetClientRect(GetHwnd(), &rect);
      if (wParam != 0) {
        // Painting into a context the sender supplies, as common controls accept.
        Paint(reinterpret_cast<HDC>(wParam), rect);
        return 0;
      }
      fw::PaintDC dc(GetHwnd());
      Paint(dc.Get(), rect);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT rect{};
      GetClientRect(GetHwnd(), &rect);
      Paint(reinterpret_cast<HDC>(wParam), rect);
      return 0;
    }
    case WM_ERASEBKGND:
      // The paint that follows draws its text into this same context without a text cell.
      SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return Default(msg, wParam, lParam);
    case WM_CREATE:
      return Default(msg, wParam, lParam) == -1 ? -1 : 0;
    default:
      break;
  }
  if (fw::IsControlColorMessage(msg)) {
    // Children of the caption show through it.
    if (msg == WM_CTLCOLORSTATIC) SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return Default(msg, wParam, lParam);
}
