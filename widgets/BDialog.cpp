#include "widgets/BDialog.h"

#include "framework/ResourceModule.h"

CBDialog::CBDialog(UINT templateId, HWND parent) : fw::Dialog(templateId, parent) {}

BOOL CBDialog::SetBackgroundBitmap(UINT resourceId) {
  m_bmpBackground.Reset();
  m_bmpBackground.Reset(LoadBitmapW(fw::GetResourceModule(), MAKEINTRESOURCEW(resourceId)));
  if (IsWindow()) Invalidate(TRUE);
  return HasBackgroundBitmap() ? TRUE : FALSE;
}

void CBDialog::SetBackgroundMode(int mode) {
  if (mode != BG_TILE && mode != BG_CENTER && mode != BG_STRETCH) return;
  m_nBackgroundMode = mode;
  if (IsWindow()) Invalidate(TRUE);
}

bool CBDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // Without a bitmap the dialog's own erase runs untouched.
  if (msg == WM_ERASEBKGND && m_bmpBackground) {
    result = OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    return true;
  }
  return fw::Dialog::HandleMessage(msg, wParam, lParam, result);
}

void CBDialog::EraseDialogBackground(HDC dc) {
  // What the default erase paints, with the colour asked of the dialog itself so that a derived
  // dialog answering WM_CTLCOLORDLG keeps its colour around the bitmap.
  HBRUSH brush = reinterpret_cast<HBRUSH>(
      SendMessageW(GetHwnd(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetHwnd())));
  if (brush == nullptr) brush = GetSysColorBrush(COLOR_3DFACE);
  RECT client{};
  GetClientRect(GetHwnd(), &client);
  FillRect(dc, &client, brush);
}

BOOL CBDialog::OnEraseBkgnd(HDC dc) {
  EraseDialogBackground(dc);
  if (!m_bmpBackground) return TRUE;

  fw::MemoryDC memory(dc);
  if (!memory) return TRUE;
  BITMAP info{};
  if (GetObjectW(m_bmpBackground.Get(), sizeof info, &info) != sizeof info) return TRUE;
  const int bw = info.bmWidth;
  const int bh = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  if (bw <= 0 || bh <= 0) return TRUE;
  RECT client{};
  GetClientRect(GetHwnd(), &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;

  fw::ScopedSelect select(memory.Get(), m_bmpBackground.Get());
  switch (m_nBackgroundMode) {
    case BG_TILE:
      for (int y = 0; y < height; y += bh) {
        for (int x = 0; x < width; x += bw) BitBlt(dc, x, y, bw, bh, memory.Get(), 0, 0, SRCCOPY);
      }
      break;
    case BG_CENTER: {
      const int x = width > bw ? (width - bw) / 2 : 0;
      const int y = height > bh ? (height - bh) / 2 : 0;
      BitBlt(dc, x, y, bw, bh, memory.Get(), 0, 0, SRCCOPY);
      break;
    }
    case BG_STRETCH: {
      // Colour bitmaps shrink by dropping pixels, not by combining them into black.
      const int previous = SetStretchBltMode(dc, COLORONCOLOR);
      StretchBlt(dc, 0, 0, width, height, memory.Get(), 0, 0, bw, bh, SRCCOPY);
      if (previous != 0) SetStretchBltMode(dc, previous);
      break;
    }
    default:
      break;
  }
  return TRUE;
}
