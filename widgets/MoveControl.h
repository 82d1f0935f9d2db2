// Keeps a dialog's controls in proportion when the dialog is resized and gives every visible
// control the dialog font configured in loginset.ini (current directory, section DLGFONT).
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Gdi.h"
#include "widgets/LayoutMath.h"

class CMoveControl {
 public:
  CMoveControl();
  CMoveControl(const CMoveControl&) = delete;
  CMoveControl& operator=(const CMoveControl&) = delete;

  // Reads FONTSIZE (tenths of a point) and FONTFOCENAME from loginset.ini in the current
  // directory, with the defaults 100 and the YouYuan face, and stores them.
  void LoadFontSettings();
  // Face name in GBK, cut to 29 bytes on a character boundary; size in tenths of a point.
  void SetFontSettings(const char* faceName, int size);

  // Takes the dialog's current client size as the reference and enables Relayout.
  void BindDialog(HWND dialog);
  // Scales the visible children to the dialog's current client size and applies the font.
  // FALSE when nothing is bound.
  BOOL Relayout();

  // Kind of a control by its window class; FALSE (kind MC_OTHER) for a missing handle.
  static BOOL ClassifyControl(HWND control, ControlKind& kind);
  // Widens a combo box's drop-down list to its longest item and returns the height of its first
  // ten items (font height + 5 each).
  static int FitComboDropDown(HWND combo);

  HFONT GetFont() const { return m_font.Get(); }

 private:
  void RelayoutChildren();
  // The configured font, created on first use. Null if it cannot be created.
  HFONT EnsureFont();

  layout::RemainderTable m_remainders;
  HWND m_hDialog = nullptr;
  RECT m_rcReference{};
  BOOL m_bEnabled = FALSE;
  BOOL m_bLaidOut = FALSE;
  BOOL m_bFontCreated = FALSE;
  fw::Font m_font;
  // Fonts of earlier bindings: controls may still use them, so they live as long as this object.
  std::vector<fw::Font> m_retiredFonts;
  int m_nFontSize = 0;
  char m_szFaceName[layout::kFaceNameBytes + 1] = {};
};
