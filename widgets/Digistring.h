// A static-style control that shows a short text as lit and unlit segment characters, scaled to
// its window. Bind it to a static dialog item (Dialog::BindItem) or create it.
#pragma once

#include <windows.h>

#include <memory>
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

  // Stores the text (nullptr counts as empty) and repaints, unless it equals the stored text. A
  // visible control paints at once, as the system's static controls show a new text; once it has
  // painted, a text of up to 63 characters is shown without allocating.
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
  // Serves WM_PAINT and WM_PRINTCLIENT. Into a window context the picture is kept between paints: a
  // paint with nothing changed copies it, a new value redraws only the characters that changed.
  void Paint(HDC dc, const RECT& rect);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct KeptPicture;

  void RebuildCells();
  void Repaint() const;
  // Draws the cells at rects into dc: every one, or those that differ from the cells `shown` there.
  void DrawCells(HDC dc, const std::vector<CRealRect>& rects, const std::vector<CSegmentCell>* shown) const;
  // Paints through the kept picture; false where dc needs the picture drawn afresh.
  bool PaintKept(HDC dc, const RECT& rect);

  std::string m_strText;
  BOOL m_bRebuild;
  std::vector<CSegmentCell> m_cells;
  COLORREF m_crOff;
  COLORREF m_crOn;
  COLORREF m_crBackground;
  unsigned m_nStyle;
  std::unique_ptr<KeptPicture> m_picture;
};
