// Base of the program's dialogs that can show a bitmap as their background: tiled, centred or
// stretched over the client area. Without a bitmap the dialog keeps its normal background.
#pragma once

#include <windows.h>

#include "framework/Dialog.h"
#include "framework/Gdi.h"

class CBDialog : public fw::Dialog {
 public:
  enum BackgroundMode { BG_TILE = 0, BG_CENTER = 1, BG_STRETCH = 2 };

  CBDialog(UINT templateId, HWND parent);
  ~CBDialog() override = default;

  // Releases the current bitmap, then loads the bitmap resource `resourceId` from the program's
  // resources. TRUE when a bitmap is loaded afterwards.
  BOOL SetBackgroundBitmap(UINT resourceId);
  // BG_TILE, BG_CENTER or BG_STRETCH; any other value leaves the mode as it is.
  void SetBackgroundMode(int mode);

  bool HasBackgroundBitmap() const { return static_cast<bool>(m_bmpBackground); }

 protected:
  // Derived dialogs pass on what they do not handle themselves.
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // The normal dialog background, then the bitmap if one is loaded. TRUE: erased.
  BOOL OnEraseBkgnd(HDC dc);

 private:
  void EraseDialogBackground(HDC dc);

  fw::Bitmap m_bmpBackground;
  int m_nBackgroundMode = BG_TILE;
};
