// A dialog holding one report list that records what the list reports, and helpers driving it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReportCtrlTestIds.h"
#include "cfgmgr/ReportCtrl.h"
#include "framework/Dialog.h"
#include "framework/Text.h"
#include "tests/support/TestSupport.h"

namespace reporttest {

struct Note {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Note& other) const {
    return msg == other.msg && wParam == other.wParam && lParam == other.lParam;
  }
};

inline std::ostream& operator<<(std::ostream& out, const Note& n) { return out << n.msg << "," << n.wParam << "," << n.lParam; }

class ReportDialog : public fw::Dialog {
 public:
  explicit ReportDialog(UINT templateId = IDD_REPORT_TEST) : fw::Dialog(templateId, nullptr) {}
  CReportCtrl list;
  std::vector<Note> notes;
  bool bound = false;

  bool PreTranslateMessage(MSG* msg) override {
    if (list.PreTranslateMessage(msg)) return true;
    return fw::Dialog::PreTranslateMessage(msg);
  }

 protected:
  void DoDataExchange() override { bound = BindItem(IDC_REPORT_LIST, list); }
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    if (msg >= WM_REPORT_CHECKED && msg <= WM_REPORT_EDITED) {
      notes.push_back({msg, wParam, lParam});
      result = 0;
      return true;
    }
    return false;
  }
};

// Runs the dialog's part of a message loop: the dialog (and so the list) sees keys first.
inline void Pump(fw::Dialog& dialog, DWORD milliseconds = 0) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (dialog.PreTranslateMessage(&msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (milliseconds == 0) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

template <typename F>
bool PumpUntil(fw::Dialog& dialog, F done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return done();
    Pump(dialog, 10);
  }
  return true;
}

// The cell text as the list view holds it, in UTF-16.
inline std::wstring WideCell(HWND list, int row, int column) {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

inline std::vector<std::string> Column(const CReportCtrl& list, int column) {
  std::vector<std::string> texts;
  for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
  return texts;
}

// A list with the given columns (widths 100) and rows (texts of column 0, then column 1...).
inline void Fill(CReportCtrl& list, int columns, const std::vector<std::vector<std::string>>& rows) {
  for (int c = 0; c < columns; ++c) list.InsertColumn(c, ("C" + std::to_string(c)).c_str(), LVCFMT_LEFT, 100);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const int row = list.InsertItem(static_cast<int>(r), rows[r].empty() ? "" : rows[r][0].c_str());
    for (std::size_t c = 1; c < rows[r].size(); ++c) list.SetItemText(row, static_cast<int>(c), rows[r][c].c_str());
  }
}

// Real mouse input at a point of a window's client area.
inline void ClickAt(HWND hwnd, POINT client, bool doubleClick = false) {
  ClientToScreen(hwnd, &client);
  INPUT inputs[5] = {};
  const DWORD flags[5] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 5; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dx = static_cast<LONG>((client.x * 65535LL) / (GetSystemMetrics(SM_CXSCREEN) - 1));
    inputs[i].mi.dy = static_cast<LONG>((client.y * 65535LL) / (GetSystemMetrics(SM_CYSCREEN) - 1));
    inputs[i].mi.dwFlags = flags[i] | MOUSEEVENTF_ABSOLUTE;
  }
  SendInput(doubleClick ? 5 : 3, inputs, sizeof(INPUT));
}

// Where the list view puts a row's check box, found by hit-testing across the row.
inline bool CheckBoxPoint(HWND list, int row, POINT* point) {
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (!SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds))) return false;
  for (int x = bounds.left; x < bounds.left + 40; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, (bounds.top + bounds.bottom) / 2};
    SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON)) {
      *point = {x + 4, hit.pt.y};
      return true;
    }
  }
  return false;
}

inline POINT CellCentre(HWND list, int row, int column) {
  RECT cell{};
  cell.top = column;
  cell.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
}

// A dialog shown at the screen's corner, on top, ready for input.
inline void ShowForInput(fw::Dialog& dialog) {
  SetWindowPos(dialog.GetHwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(dialog.GetHwnd());
  UpdateWindow(dialog.GetHwnd());
  Pump(dialog, 50);
}

// A report dialog created for each test.
class ReportTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dlg.CreateModeless());
    ASSERT_TRUE(dlg.bound);
    list = &dlg.list;
    hwnd = list->GetHwnd();
  }
  void TearDown() override {
    if (dlg.GetHwnd() != nullptr) DestroyWindow(dlg.GetHwnd());
    Pump(dlg, 20);
  }
  ReportDialog dlg;
  CReportCtrl* list = nullptr;
  HWND hwnd = nullptr;
};

}  // namespace reporttest
