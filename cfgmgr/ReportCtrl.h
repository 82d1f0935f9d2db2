// A report-view list with a private record per row (the caller's data and per-cell colours),
// state filters, four check-box behaviours, sorting by column click, row moves and swaps, typed
// cell setters and in-place editing. It reports checks, sorts and edits to its parent window.
//
// Texts are GBK; the control talks to the list view through the wide messages, so they read
// correctly whatever the system code page is.
//
// The control adopts a dialog's list view (Subclass, e.g. through Dialog::BindItem) or creates one
// (Create). Its notifications from the list view (column click, custom draw) arrive reflected by the
// parent dialog. The owning dialog passes its messages to PreTranslateMessage first.
//
// Sorting (see cfgmgr/RowSort.h for the rules) recognises date-times with the platform's parser
// (VarDateFromStr, user's default locale, default flags): ISO dates "2024-01-15" and "2024/1/15",
// with or without a time "08:30" or "08:30:15", a time alone, and the locale's own numeric and
// month-name forms. Text order folds ASCII letters, so "axle", "Brake", "lift"; an edit counts as a
// change when the text differs in any byte, case included.
//
// Every row carries exactly one record, whoever inserts it: rows added with raw LVM_INSERTITEM get
// one too, and raw LVM_GETITEM / LVM_SETITEM see and set the caller's data, never the record.
//
// Programming errors the control checks (a row without its record, a row inserted while there is
// no column, Create without a parent, a list without a column header) are reported as trouble
// (framework/Trouble.h); the operation then fails with its failure value and touches no memory it
// does not own, in release builds as well.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/Window.h"

// Notifications sent to the parent window (SendMessage).
constexpr UINT WM_REPORT_CHECKED = WM_APP + 10000;  // wParam row, lParam the mouse message
constexpr UINT WM_REPORT_SORTED = WM_APP + 10001;   // wParam sort column, lParam 1 ascending / 0 descending
constexpr UINT WM_REPORT_EDITED = WM_APP + 10002;   // wParam row, lParam column

class CReportCtrl : public fw::Window {
 public:
  // Row state bits: both a row's description and a filter.
  enum : DWORD {
    ItemAll = 0x01,  // filter only: every row
    ItemSelected = 0x02,
    ItemUnselected = 0x04,
    ItemChecked = 0x08,
    ItemUnchecked = 0x10,
    ItemFocused = 0x20,
    ItemUnfocused = 0x40,
  };

  // Check-box behaviour of mouse clicks.
  enum : int {
    CheckNone = 0,    // no check boxes
    CheckMulti = 1,   // any number of rows checked (default)
    CheckSingle = 2,  // checking a row by mouse clears every other mark
    CheckLocked = 3,  // marks shown, clicks undone at once
  };

  // The record kept as each row's item data in the list view.
  struct RowInfo {
    DWORD data = 0;                       // the caller's item data
    std::vector<COLORREF> textColours;    // one per column
    std::vector<COLORREF> backColours;    // one per column
  };

  CReportCtrl();
  ~CReportCtrl() override;

  // Creates the list window as a child of parent (required). Without a rectangle it fills the
  // parent's client area. The style rule applies; a style without a column header is refused.
  virtual bool Create(HWND parent, UINT id, const RECT* rect = nullptr, DWORD style = WS_BORDER | WS_TABSTOP);

  // Keys for the list and its editor; the owning dialog calls this first. Returns true when the
  // message was handled and must not be dispatched.
  bool PreTranslateMessage(MSG* msg);

  void FitToParent();

  // Window styles. The rule: LVS_TYPEMASK, LVS_EDITLABELS and LVS_NOSCROLL always cleared,
  // WS_CHILD, WS_VISIBLE, WS_VSCROLL, WS_HSCROLL and LVS_REPORT always set; the extended list-view
  // style always keeps LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES.
  bool ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  bool ModifyExtendedStyle(DWORD remove, DWORD add, UINT flags = 0);
  DWORD GetExtendedStyle() const;
  void SetExtendedStyle(DWORD style);
  void SetGridLines(bool on = true);
  bool HasColumnHeader() const;
  HWND GetHeader() const;

  // Columns.
  int GetColumnCount() const;
  int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
  bool DeleteColumn(int column);
  void DeleteAllColumns();
  bool SetColumnHeader(const char* layout);

  // Rows. Every insert commits any edit, forgets the sort and attaches a fresh record.
  int GetItemCount(DWORD states = ItemAll) const;
  int InsertItem(int row, const char* text);
  int InsertItem(int row, const char* text, int image);
  int InsertItem(UINT mask, int row, const char* text, UINT state, UINT stateMask, int image, LPARAM data);
  // pszText is GBK; a parameter (LVIF_PARAM) becomes the row's data.
  int InsertItem(const LVITEMA* item);
  // Texts of columns 0, 1, 2 ... ending with a null text.
  int InsertItemEx(int row, const char* text, ...);
  bool DeleteItem(int row, bool selectNext = false);
  int DeleteAllItems(DWORD states = ItemAll);

  // Cells.
  bool SetItemText(int row, int column, const char* text);
  std::string GetItemText(int row, int column) const;
  // Copies at most length - 1 bytes (cut on a GBK character boundary); returns the bytes copied.
  int GetItemText(int row, int column, char* buffer, int length) const;
  bool SetItemNumber(int row, int column, double value, int precision = -1);
  bool SetItemInt(int row, int column, int value);
  bool SetItemUInt(int row, int column, unsigned int value);
  // value is an OLE date-time; a NaN (a null or invalid date) or a value the platform cannot
  // format gives an empty cell. flags as for VarBstrFromDate, in the user's default locale.
  bool SetItemDate(int row, int column, double value, DWORD flags = 0);
  bool SetItemChar(int row, int column, char value);
  bool SetItemImage(int row, int column, int image);
  int GetItemImage(int row, int column) const;

  // Whole-item access with the record hidden: LVIF_PARAM reads and writes the caller's data.
  bool GetItem(LVITEMW* item) const;
  bool SetItem(const LVITEMW* item);
  bool SetItemData(int row, DWORD data);
  DWORD GetItemData(int row) const;

  // Colours. -1 is the system default; rows and columns out of range mean every row / column.
  void SetItemTextColor(int row = -1, int column = -1, COLORREF colour = kDefaultColour, bool redraw = true);
  void SetItemBkColor(int row = -1, int column = -1, COLORREF colour = kDefaultColour, bool redraw = true);
  // The stored colour, or 0xFFFFFFFF when the row or column is out of range.
  COLORREF GetItemTextColor(int row, int column) const;
  COLORREF GetItemBkColor(int row, int column) const;

  // States and filters.
  int GetCheck(int row) const;  // >0 checked, 0 clear, <0 no check box
  bool SetCheck(int row, bool checked = true);
  DWORD GetItemStates(int row) const;
  bool ExamItemStates(int row, DWORD states) const;
  bool SetItemStates(int row, DWORD actions);
  void SetAllItemStates(DWORD filter, DWORD actions);
  int GetFirstItem(DWORD states, int after = -1) const;
  int GetLastItem(DWORD states, int before = -1) const;
  void InvertItems(int what);  // 0 selection, 1 check marks
  bool SetCheckMode(int mode);
  int GetCheckMode() const { return m_nCheckMode; }

  // Sorting.
  bool SortItems(int column, bool ascending);
  int GetSortColumn() const { return m_nSortColumn; }
  bool IsSortAscending() const { return m_bSortAscending; }
  bool IsSortable() const;
  bool SetSortable(bool sortable);
  void SetSeparator(const char* separator);
  const char* GetSeparator() const { return m_pszSeparator.get(); }

  // Moving rows with everything attached (texts, images, record, states).
  int MoveItem(int from, int to);
  int MoveUp(int row, int count = 1);
  int MoveDown(int row, int count = 1);
  int MoveToTop(int row);
  int MoveToBottom(int row);
  bool SwapItems(int a, int b);

  // In-place editing.
  void SetEditable(bool editable = true);
  bool IsEditable() const { return m_bEditable; }
  bool IsEditing() const;
  bool StartEdit(int row, int column);
  bool EndEdit(bool commit = true);
  fw::Window* GetEditControl() const { return m_pEditor.get(); }

  // Images. Image lists made from bitmaps here are owned by the control; lists given by the caller
  // are not.
  HIMAGELIST SetImageList(HIMAGELIST images);
  HIMAGELIST GetImageList() const;
  HIMAGELIST SetHeaderImageList(HIMAGELIST images);
  bool SetRowImages(UINT bitmapId, COLORREF mask);
  bool SetHeaderImages(UINT bitmapId, COLORREF mask);
  bool SetHeaderImage(int column, int image, bool leftSide = true);
  int GetHeaderImage(int column) const;
  std::string GetHeaderText(int column) const;
  bool SetHeaderText(int column, const char* text);

  static constexpr COLORREF kDefaultColour = static_cast<COLORREF>(-1);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool OnReflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void OnSubclassed() override;

 private:
  struct CapturedRow;
  class ListRows;
  // An image list the control made; the list view and its header only borrow it.
  struct ImageListDestroyer {
    void operator()(HIMAGELIST images) const { ImageList_Destroy(images); }
  };
  using ImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDestroyer>;
  static constexpr int kImageWidth = 16;  // of the row images, and the room the editor leaves for one

  static void ReportPrecondition(const wchar_t* what);
  void OnButton(UINT msg, WPARAM wParam, LPARAM lParam, bool left);
  bool CheckChanged(int row, bool wasChecked, bool isChecked, UINT msg);
  void OnDestroyWindow();
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
  void ApplyStyleRule();
  bool IsValidRow(int row) const;
  bool IsValidColumn(int column) const;
  void ForgetSort();
  void ApplySingleCheck(int row);
  bool SetCheckRaw(int row, bool checked);
  bool ApplyStates(int row, DWORD actions);
  bool SetStateBits(int row, UINT state, UINT mask);
  bool SetCellText(int row, int column, const char* text);
  std::wstring GetCellTextWide(int row, int column) const;
  bool CaptureRow(int row, int columns, CapturedRow* out) const;
  void WriteRow(int row, const CapturedRow& captured);
  static DWORD StatesFromBits(UINT state);
  static void StateBitsFor(DWORD actions, UINT* state, UINT* mask);
  void SetColours(int row, int column, COLORREF colour, bool text, bool redraw);
  COLORREF GetColour(int row, int column, bool text) const;
  int InsertRow(const LVITEMW& item);
  void NotifyParent(UINT msg, WPARAM wParam, LPARAM lParam) const;

  // Row records (ReportRecords.cpp).
  LRESULT OnRecordMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnInsertItem(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnGetItem(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnSetItem(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnDeleteItem(WPARAM wParam, LPARAM lParam);
  LRESULT OnDeleteAllItems(WPARAM wParam, LPARAM lParam);
  void FollowColumns(int column, bool inserted);
  // The list view's own answer, records not hidden.
  LRESULT Raw(UINT msg, WPARAM wParam, LPARAM lParam) const;
  LPARAM RawParam(int row) const;
  bool SetRawParam(int row, LPARAM data);
  std::unique_ptr<RowInfo> NewRecord(DWORD data) const;
  RowInfo* CheckedRecord(int row) const;
  void AttachRecords();
  void DetachRecords();
  int InsertRowWithRecord(int row, std::unique_ptr<RowInfo> record);

  // The in-place editor (ReportEditor.cpp) and the image lists (ReportImages.cpp).
  void EditFollowsRemoval(int row);
  static ImageList LoadImages(UINT bitmapId, COLORREF mask);
  void ReleaseImageLists();

  std::unique_ptr<fw::Window> m_pEditor;
  std::unique_ptr<char[]> m_pszSeparator;
  bool m_bEditable = false;
  int m_nEditRow = -1;
  int m_nEditColumn = -1;
  int m_nCheckMode = CheckMulti;
  int m_nEditorAlign = ES_LEFT;
  ImageList m_rowImages;
  ImageList m_headerImages;
  int m_nSortColumn = -1;
  bool m_bSortAscending = true;
  bool m_bRedraw = true;  // WM_SETREDRAW as last set, so bulk work never unlocks a caller's lock
};
