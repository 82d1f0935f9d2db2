// A static-style control that shows a short text as lit and unlit segment characters, scaled to
// its window. Bind it to a static dialog item (Dialog::BindItem) or create it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Window.h"
#include "widgets/SegmentCell.h"
#include "widgets/SegmentStyle.h"

#if defined(__GNUC__)
#define SP_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define SP_PRINTF_FORMAT(f, a)
#endif

class CDigistring : public fw::Window {
 public:
  CDigistring();
  ~CDigistring() override;

  // Stores the text (nullptr counts as empty) and repaints, unless it equals the stored text.
  void SetText(const char* text);
  // printf-style into a 256-byte buffer (at most 255 characters kept), then SetText.
  void Format(const char* format, ...) SP_PRINTF_FORMAT(2, 3);
  // Colours of unlit and lit segments; repaints only when one of them changes.
  void SetSegmentColors(COLORREF off, COLORREF on);
  void SetBackgroundColor(COLORREF color);
  // style = (style | add) & ~remove. Ignored when the two sets share a bit.
  void ModifyDisplayStyle(unsigned remove, unsigned add);

  const std::string& GetText() const { return m_strText; }
  COLORREF GetOffColor() const { return m_crOff; }
  COLORREF GetOnColor() const { return m_crOn; }
  COLORREF GetBackgroundColor() const { return m_crBackground; }
  unsigned GetDisplayStyle() const { return m_nStyle; }
  // The cells as of the last paint (rebuilt lazily by the next paint after a change).
  const std::vector<CSegmentCell>& GetCells() const { return m_cells; }
  bool IsRebuildPending() const { return m_bRebuild != FALSE; }

  // Paints the whole control into `dc` over `rect` (its client rectangle in dc's coordinates).
  // Serves WM_PAINT and WM_PRINTCLIENT.
  void Paint(HDC dc, const RECT& rect);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void RebuildCells();
  void Repaint() const;

  std::string m_strText;
  BOOL m_bRebuild;
  std::vector<CSegmentCell> m_cells;
  COLORREF m_crOff;
  COLORREF m_crOn;
  COLORREF m_crBackground;
  unsigned m_nStyle;
};
