// A static text control that paints its own text and background in the program's colours. The
// text stays the window text of the control and is read again at every paint.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Gdi.h"
#include "framework/Window.h"

class CColorStatic : public fw::Window {
 public:
  CColorStatic() = default;
  ~CColorStatic() override = default;

  // Store and repaint the whole control.
  void SetTextColor(COLORREF color);
  void SetBackgroundColor(COLORREF color);
  // Store only: the next paint shows the change.
  void SetCentered(BOOL centered);
  BOOL SetTransparent(BOOL transparent);

  COLORREF GetBackgroundColor() const { return m_crBackground; }
  // The window text (GBK) as the last paint read it.
  const std::string& GetText() const { return m_strText; }

  // Draws the control into dc, whose client rectangle is rect. WM_PAINT and WM_PRINTCLIENT.
  void Paint(HDC dc, const RECT& rect);

  // The parent's colour request for this control, reflected back to it.
  bool OnReflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  HBRUSH OnReflectedColor(HDC dc);

  BOOL m_bCentered = FALSE;
  BOOL m_bTransparent = FALSE;
  COLORREF m_crText = RGB(0, 0, 0);
  COLORREF m_crBackground = RGB(222, 223, 222);
  std::string m_strText;
  // Solid brush handed out at the last colour request; empty while transparent.
  fw::Brush m_brBackground;
};
