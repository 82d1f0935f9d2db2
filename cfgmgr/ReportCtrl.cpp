#include "cfgmgr/ReportCtrl.h"

#include <oleauto.h>

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "cfgmgr/ReportFormat.h"
#include "cfgmgr/RowSort.h"
#include "framework/GbkText.h"
#include "framework/Messages.h"
#include "framework/Text.h"
#include "framework/Trouble.h"

namespace {

// The style rule: always a report view with both scroll bars, whose labels only we edit.
constexpr DWORD kStyleCleared = LVS_TYPEMASK | LVS_EDITLABELS | LVS_NOSCROLL;
constexpr DWORD kStyleSet = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LVS_REPORT;
constexpr DWORD kExStyleKept = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;

// OLE dates before 1899-12-30 count days backwards but the time of day forwards; this makes the
// value grow with time everywhere.
double LinearDate(double date) {
  if (date >= 0) return date;
  const double day = std::trunc(date);
  return day + (day - date);
}

// Locks repainting for a scope, unless the caller has locked it already (then it stays locked) or
// the window is hidden (unlocking could mark it visible).
class RedrawLock {
 public:
  RedrawLock(HWND hwnd, bool redrawing)
      : m_hwnd(redrawing && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) ? hwnd : nullptr) {
    if (m_hwnd != nullptr) SendMessageW(m_hwnd, WM_SETREDRAW, FALSE, 0);
  }
  ~RedrawLock() {
    if (m_hwnd == nullptr) return;
    SendMessageW(m_hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_hwnd, nullptr, TRUE);
  }
  RedrawLock(const RedrawLock&) = delete;
  RedrawLock& operator=(const RedrawLock&) = delete;

 private:
  HWND m_hwnd;
};

}  // namespace

// Everything a row carries, taken out of the list view so it can be written elsewhere.
struct CReportCtrl::CapturedRow {
  DWORD states = 0;
  RowInfo* record = nullptr;
  std::vector<std::wstring> texts;
  std::vector<int> images;
};

// The rows of the list as the sort sees them: texts of the sort column and the platform's
// date-time parser for the user's default locale.
class CReportCtrl::ListRows : public report::RowAccessor {
 public:
  ListRows(const CReportCtrl& list, int column) : m_list(list), m_column(column) {}
  int RowCount() const override { return m_list.GetItemCount(ItemAll); }
  std::string RowText(int row) const override { return m_list.GetItemText(row, m_column); }
  bool ParseDateTime(const char* text, double* value) const override {
    const std::wstring wide = fw::GbkToWide(text);
    DATE date = 0;
    if (FAILED(VarDateFromStr(const_cast<OLECHAR*>(wide.c_str()), LOCALE_USER_DEFAULT, 0, &date))) return false;
    *value = LinearDate(date);
    return true;
  }

 private:
  const CReportCtrl& m_list;
  int m_column;
};

CReportCtrl::CReportCtrl() : m_pEditor(std::make_unique<fw::Window>()) {}

CReportCtrl::~CReportCtrl() {
  if (IsWindow() && IsSubclassed()) {
    // The window outlives us: its rows keep the caller's data, not our records or editor.
    DetachRecords();
    if (m_pEditor->IsWindow()) DestroyWindow(m_pEditor->GetHwnd());
  }
  ReleaseImageLists();
  Unsubclass();
}

void CReportCtrl::ReportPrecondition(const wchar_t* what) {
  fw::ReportTrouble((std::wstring(L"CReportCtrl: precondition violated: ") + what).c_str());
}

// ---------------------------------------------------------------------------------------------
// Window creation and adoption

bool CReportCtrl::Create(HWND parent, UINT id, const RECT* rect, DWORD style) {
  if (parent == nullptr) {
    ReportPrecondition(L"Create without a parent window");
    return false;
  }
  style = (style & ~kStyleCleared) | kStyleSet;
  if (style & LVS_NOCOLUMNHEADER) {
    ReportPrecondition(L"list without a column header");
    return false;
  }
  RECT area{};
  if (rect != nullptr) {
    area = *rect;
  } else {
    GetClientRect(parent, &area);
  }
  if (!fw::Window::Create(WC_LISTVIEWW, L"", style, 0, area, parent, id)) return false;
  SetExtendedStyle(GetExtendedStyle());
  return true;
}

void CReportCtrl::OnSubclassed() {
  ApplyStyleRule();
  SetExtendedStyle(0);
  if (!HasColumnHeader()) ReportPrecondition(L"list without a column header");
  AttachRecords();
}

void CReportCtrl::ApplyStyleRule() {
  const LONG_PTR style = GetWindowLongPtrW(GetHwnd(), GWL_STYLE);
  const LONG_PTR wanted = (style & ~static_cast<LONG_PTR>(kStyleCleared)) | static_cast<LONG_PTR>(kStyleSet);
  if (wanted != style) SetWindowLongPtrW(GetHwnd(), GWL_STYLE, wanted);
}

void CReportCtrl::FitToParent() {
  if (!IsWindow()) return;
  HWND parent = GetParent(GetHwnd());
  if (parent == nullptr) return;
  RECT area{};
  GetClientRect(parent, &area);
  MoveWindow(GetHwnd(), area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
  RedrawWindow(GetHwnd(), nullptr, nullptr, kRedrawNow);
}

bool CReportCtrl::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  if (!IsWindow()) return false;
  remove = (remove | kStyleCleared) & ~kStyleSet;
  add = (add & ~kStyleCleared) | kStyleSet;
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(GetHwnd(), GWL_STYLE));
  const DWORD wanted = (style & ~remove) | add;
  if (wanted == style) return false;
  SetWindowLongPtrW(GetHwnd(), GWL_STYLE, static_cast<LONG_PTR>(wanted));
  if (flags != 0) {
    SetWindowPos(GetHwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  }
  return true;
}

bool CReportCtrl::ModifyExtendedStyle(DWORD remove, DWORD add, UINT flags) {
  if (!IsWindow()) return false;
  remove &= ~kExStyleKept;
  add |= kExStyleKept;
  const DWORD style = GetExtendedStyle();
  const DWORD wanted = (style & ~remove) | add;
  if (wanted == style) return false;
  SetExtendedStyle(wanted);
  if (flags != 0) {
    SetWindowPos(GetHwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  }
  return true;
}

DWORD CReportCtrl::GetExtendedStyle() const {
  if (!IsWindow()) return 0;
  return static_cast<DWORD>(SendMessageW(GetHwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

void CReportCtrl::SetExtendedStyle(DWORD style) {
  if (!IsWindow()) return;
  SendMessageW(GetHwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style | kExStyleKept));
}

void CReportCtrl::SetGridLines(bool on) {
  const DWORD style = GetExtendedStyle();
  SetExtendedStyle(on ? (style | LVS_EX_GRIDLINES) : (style & ~static_cast<DWORD>(LVS_EX_GRIDLINES)));
}

bool CReportCtrl::HasColumnHeader() const {
  return IsWindow() && (GetWindowLongPtrW(GetHwnd(), GWL_STYLE) & LVS_NOCOLUMNHEADER) == 0;
}

HWND CReportCtrl::GetHeader() const {
  if (!IsWindow()) return nullptr;
  return reinterpret_cast<HWND>(SendMessageW(GetHwnd(), LVM_GETHEADER, 0, 0));
}

// ---------------------------------------------------------------------------------------------
// The window's messages

LRESULT CReportCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnButton(msg, wParam, lParam, true);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      OnButton(msg, wParam, lParam, false);
      return 0;
    case WM_SETREDRAW:
      m_bRedraw = wParam != FALSE;
      return Default(msg, wParam, lParam);
    case WM_DESTROY:
      OnDestroyWindow();
      return Default(msg, wParam, lParam);
    default:
      return OnRecordMessage(msg, wParam, lParam);
  }
}

void CReportCtrl::OnDestroyWindow() {
  DeleteAllItems(ItemAll);
  if (m_pEditor->IsWindow()) DestroyWindow(m_pEditor->GetHwnd());
  ReleaseImageLists();
}

bool CReportCtrl::OnReflect(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
  if (msg != WM_NOTIFY || lParam == 0) return false;
  NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->hwndFrom != GetHwnd()) return false;
  switch (header->code) {
    case LVN_COLUMNCLICK: {
      const int column = reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem;
      const bool ascending = column != m_nSortColumn || !m_bSortAscending;
      SortItems(column, ascending);
      result = 0;
      return true;
    }
    case NM_CUSTOMDRAW: {
      NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
      const DWORD stage = draw->nmcd.dwDrawStage;
      if (stage != CDDS_PREPAINT && stage != CDDS_ITEMPREPAINT && stage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
        return false;
      }
      result = OnCustomDraw(draw);
      return true;
    }
    default:
      return false;
  }
}

LRESULT CReportCtrl::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
  if (draw->nmcd.dwDrawStage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) return CDRF_NOTIFYSUBITEMDRAW;
  const int row = static_cast<int>(draw->nmcd.dwItemSpec);
  const RowInfo* record = CheckedRecord(row);
  if (record != nullptr && draw->iSubItem >= 0) {
    const std::size_t column = static_cast<std::size_t>(draw->iSubItem);
    if (column < record->textColours.size()) draw->clrText = record->textColours[column];
    if (column < record->backColours.size()) draw->clrTextBk = record->backColours[column];
  }
  return CDRF_DODEFAULT;
}

// ---------------------------------------------------------------------------------------------
// Mouse clicks

void CReportCtrl::OnButton(UINT msg, WPARAM wParam, LPARAM lParam, bool left) {
  HWND hwnd = GetHwnd();
  LVHITTESTINFO hit{};
  hit.pt.x = fw::PointX(lParam);
  hit.pt.y = fw::PointY(lParam);
  SendMessageW(hwnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  const int row = IsValidRow(hit.iItem) ? hit.iItem : -1;
  const int column = hit.iSubItem;
  const bool wasChecked = row >= 0 && GetCheck(row) > 0;
  const bool wasEditing = IsEditing();
  EndEdit(true);
  const bool wasActive = left && row >= 0 && ExamItemStates(row, ItemSelected | ItemFocused);
  Default(msg, wParam, lParam);
  // The list view's own handling runs the parent's click notifications, which may close the list.
  if (!::IsWindow(hwnd) || GetHwnd() != hwnd) return;
  const bool isChecked = row >= 0 && GetCheck(row) > 0;
  const bool changed = CheckChanged(row, wasChecked, isChecked, msg);
  if (left && m_bEditable && !changed && !wasEditing && wasActive) StartEdit(row, column);
}

bool CReportCtrl::CheckChanged(int row, bool wasChecked, bool isChecked, UINT msg) {
  if (!IsValidRow(row) || m_nCheckMode == CheckNone || wasChecked == isChecked) return false;
  if (m_nCheckMode == CheckLocked) {
    SetItemStates(row, wasChecked ? ItemChecked : ItemUnchecked);
    return true;
  }
  if (m_nCheckMode == CheckSingle && !wasChecked && isChecked) {
    SetAllItemStates(ItemChecked, ItemUnchecked);
    SetItemStates(row, ItemChecked);
  }
  SetAllItemStates(ItemSelected, ItemUnselected);
  SetItemStates(row, ItemSelected | ItemFocused);
  NotifyParent(WM_REPORT_CHECKED, static_cast<WPARAM>(row), static_cast<LPARAM>(msg));
  return true;
}

// ---------------------------------------------------------------------------------------------
// Indexes, the sort state and the parent

bool CReportCtrl::IsValidRow(int row) const { return row >= 0 && row < GetItemCount(ItemAll); }

bool CReportCtrl::IsValidColumn(int column) const { return column >= 0 && column < GetColumnCount(); }

void CReportCtrl::ForgetSort() {
  m_nSortColumn = -1;
  m_bSortAscending = true;
}

void CReportCtrl::NotifyParent(UINT msg, WPARAM wParam, LPARAM lParam) const {
  HWND parent = IsWindow() ? GetParent(GetHwnd()) : nullptr;
  if (parent == nullptr) {
    ReportPrecondition(L"list without a parent window");
    return;
  }
  SendMessageW(parent, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Columns

int CReportCtrl::GetColumnCount() const {
  if (!IsWindow()) return 0;
  HWND header = GetHeader();
  if (header != nullptr) return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  int count = 0;
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  while (SendMessageW(GetHwnd(), LVM_GETCOLUMNW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&column))) {
    ++count;
  }
  return count;
}

int CReportCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem) {
  if (!IsWindow()) return -1;
  EndEdit(true);
  std::wstring text = fw::GbkToWide(heading);
  LVCOLUMNW item{};
  item.mask = LVCF_FMT | LVCF_TEXT;
  item.fmt = format;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  if (width != -1) {
    item.mask |= LVCF_WIDTH;
    item.cx = width;
  }
  if (subItem != -1) {
    item.mask |= LVCF_SUBITEM;
    item.iSubItem = subItem;
  }
  return static_cast<int>(
      SendMessageW(GetHwnd(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item)));
}

bool CReportCtrl::DeleteColumn(int column) {
  if (!IsWindow()) return false;
  EndEdit(true);
  return SendMessageW(GetHwnd(), LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0) != 0;
}

void CReportCtrl::DeleteAllColumns() {
  // Stops when the list view refuses, so a column that cannot go never loops.
  while (GetColumnCount() > 0 && DeleteColumn(0)) {
  }
}

bool CReportCtrl::SetColumnHeader(const char* layout) {
  if (!IsWindow()) return false;
  DeleteAllItems(ItemAll);
  DeleteAllColumns();
  EndEdit(true);
  bool any = false;
  for (const report::ColumnSpec& column : report::ParseColumnHeader(layout)) {
    const int format = column.align == report::ColumnAlign::Centre
                           ? LVCFMT_CENTER
                           : (column.align == report::ColumnAlign::Right ? LVCFMT_RIGHT : LVCFMT_LEFT);
    if (InsertColumn(GetColumnCount(), column.heading.c_str(), format, column.width, -1) >= 0) any = true;
  }
  return any;
}

// ---------------------------------------------------------------------------------------------
// Rows

int CReportCtrl::GetItemCount(DWORD states) const {
  if (!IsWindow()) return 0;
  const int count = static_cast<int>(SendMessageW(GetHwnd(), LVM_GETITEMCOUNT, 0, 0));
  if (states == ItemAll) return count;
  int matching = 0;
  for (int row = 0; row < count; ++row) {
    if (ExamItemStates(row, states)) ++matching;
  }
  return matching;
}

int CReportCtrl::InsertRow(const LVITEMW& item) {
  if (!IsWindow()) return -1;
  EndEdit(true);
  ForgetSort();
  LVITEMW copy = item;
  return static_cast<int>(SendMessageW(GetHwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&copy)));
}

int CReportCtrl::InsertItem(int row, const char* text) { return InsertItem(LVIF_TEXT, row, text, 0, 0, 0, 0); }

int CReportCtrl::InsertItem(int row, const char* text, int image) {
  return InsertItem(LVIF_TEXT | LVIF_IMAGE, row, text, 0, 0, image, 0);
}

int CReportCtrl::InsertItem(UINT mask, int row, const char* text, UINT state, UINT stateMask, int image,
                            LPARAM data) {
  std::wstring wide = fw::GbkToWide(text);
  LVITEMW item{};
  item.mask = mask;
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(wide.c_str());
  item.state = state;
  item.stateMask = stateMask;
  item.iImage = image;
  item.lParam = data;
  return InsertRow(item);
}

int CReportCtrl::InsertItem(const LVITEMA* item) {
  if (item == nullptr) return -1;
  LVITEMW wide{};
  wide.mask = item->mask;
  wide.iItem = item->iItem;
  wide.iSubItem = item->iSubItem;
  wide.state = item->state;
  wide.stateMask = item->stateMask;
  wide.iImage = item->iImage;
  wide.lParam = item->lParam;
  wide.iIndent = item->iIndent;
  std::wstring text;
  if (item->mask & LVIF_TEXT) {
    if (item->pszText == LPSTR_TEXTCALLBACKA) {
      wide.pszText = LPSTR_TEXTCALLBACKW;
    } else {
      text = fw::GbkToWide(item->pszText);
      wide.pszText = const_cast<wchar_t*>(text.c_str());
    }
  }
  return InsertRow(wide);
}

int CReportCtrl::InsertItemEx(int row, const char* text, ...) {
  const int index = InsertItem(row, text);
  if (index < 0) return index;
  va_list texts;
  va_start(texts, text);
  const int columns = GetColumnCount();
  for (int column = 1; column < columns; ++column) {
    const char* next = va_arg(texts, const char*);
    if (next == nullptr) break;
    SetCellText(index, column, next);
  }
  va_end(texts);
  return index;
}

bool CReportCtrl::DeleteItem(int row, bool selectNext) {
  if (!IsValidRow(row)) return false;
  EndEdit(row != m_nEditRow);  // an edit of this row goes with it
  if (selectNext) SetItemStates(row + 1, ItemSelected);
  return SendMessageW(GetHwnd(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0) != 0;
}

int CReportCtrl::DeleteAllItems(DWORD states) {
  if (!IsWindow()) return 0;
  EndEdit(false);
  RedrawLock lock(GetHwnd(), m_bRedraw);
  if (states & ItemAll) {
    const int count = GetItemCount(ItemAll);
    return SendMessageW(GetHwnd(), LVM_DELETEALLITEMS, 0, 0) ? count : 0;
  }
  int removed = 0;
  int row = 0;
  while (row < GetItemCount(ItemAll)) {
    if (ExamItemStates(row, states) && DeleteItem(row, false)) {
      ++removed;  // the next row moved up into this index
    } else {
      ++row;
    }
  }
  return removed;
}

// ---------------------------------------------------------------------------------------------
// Cells

std::wstring CReportCtrl::GetCellTextWide(int row, int column) const {
  if (!IsWindow()) return std::wstring();
  std::wstring buffer(256, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = &buffer[0];
    item.cchTextMax = static_cast<int>(buffer.size());
    const int length = static_cast<int>(
        SendMessageW(GetHwnd(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (length < static_cast<int>(buffer.size()) - 1 || buffer.size() >= (1u << 20)) {
      buffer.resize(static_cast<std::size_t>(length > 0 ? length : 0));
      return buffer;
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

std::string CReportCtrl::GetItemText(int row, int column) const {
  const std::wstring wide = GetCellTextWide(row, column);
  return fw::WideToGbk(wide.c_str(), static_cast<int>(wide.size()));
}

int CReportCtrl::GetItemText(int row, int column, char* buffer, int length) const {
  if (buffer == nullptr || length <= 0) return 0;
  return static_cast<int>(fw::GbkCopyBounded(buffer, static_cast<std::size_t>(length), GetItemText(row, column).c_str()));
}

bool CReportCtrl::SetCellText(int row, int column, const char* text) {
  const std::wstring wide = fw::GbkToWide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(wide.c_str());
  return SendMessageW(GetHwnd(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

bool CReportCtrl::SetItemText(int row, int column, const char* text) {
  if (!IsWindow()) return false;
  EndEdit(true);
  ForgetSort();
  return SetCellText(row, column, text);
}

bool CReportCtrl::SetItemNumber(int row, int column, double value, int precision) {
  return SetItemText(row, column, report::FormatNumber(value, precision).c_str());
}

bool CReportCtrl::SetItemInt(int row, int column, int value) {
  return SetItemText(row, column, std::to_string(value).c_str());
}

bool CReportCtrl::SetItemUInt(int row, int column, unsigned int value) {
  return SetItemText(row, column, std::to_string(value).c_str());
}

bool CReportCtrl::SetItemDate(int row, int column, double value, DWORD flags) {
  std::string text;
  BSTR formatted = nullptr;
  if (!std::isnan(value) && SUCCEEDED(VarBstrFromDate(value, LOCALE_USER_DEFAULT, flags, &formatted))) {
    text = fw::WideToGbk(formatted, static_cast<int>(SysStringLen(formatted)));
  }
  if (formatted != nullptr) SysFreeString(formatted);
  return SetItemText(row, column, text.c_str());
}

bool CReportCtrl::SetItemChar(int row, int column, char value) {
  const char text[2] = {value, '\0'};
  return SetItemText(row, column, text);
}

bool CReportCtrl::SetItemImage(int row, int column, int image) {
  if (!IsWindow()) return false;
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iSubItem = column;
  item.iImage = image;
  return SendMessageW(GetHwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

int CReportCtrl::GetItemImage(int row, int column) const {
  if (!IsWindow()) return -1;
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iSubItem = column;
  if (!SendMessageW(GetHwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return item.iImage;
}

bool CReportCtrl::GetItem(LVITEMW* item) const {
  if (!IsWindow() || item == nullptr) return false;
  return SendMessageW(GetHwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item)) != 0;
}

bool CReportCtrl::SetItem(const LVITEMW* item) {
  if (!IsWindow() || item == nullptr) return false;
  LVITEMW copy = *item;
  return SendMessageW(GetHwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&copy)) != 0;
}

bool CReportCtrl::SetItemData(int row, DWORD data) {
  RowInfo* record = CheckedRecord(row);
  if (record == nullptr) return false;
  record->data = data;
  return true;
}

DWORD CReportCtrl::GetItemData(int row) const {
  const RowInfo* record = CheckedRecord(row);
  return record != nullptr ? record->data : 0;
}

// ---------------------------------------------------------------------------------------------
// Colours

void CReportCtrl::SetColours(int row, int column, COLORREF colour, bool text, bool redraw) {
  if (!IsWindow()) return;
  if (colour == kDefaultColour) colour = GetSysColor(text ? COLOR_WINDOWTEXT : COLOR_WINDOW);
  const int rows = GetItemCount(ItemAll);
  const int columns = GetColumnCount();
  const bool oneRow = row >= 0 && row < rows;
  const bool oneColumn = column >= 0 && column < columns;
  const int firstRow = oneRow ? row : 0;
  const int lastRow = oneRow ? row : rows - 1;
  const int firstColumn = oneColumn ? column : 0;
  const int lastColumn = oneColumn ? column : columns - 1;
  for (int r = firstRow; r <= lastRow; ++r) {
    RowInfo* record = CheckedRecord(r);
    if (record == nullptr) continue;
    std::vector<COLORREF>& colours = text ? record->textColours : record->backColours;
    for (int c = firstColumn; c <= lastColumn; ++c) {
      if (static_cast<std::size_t>(c) < colours.size()) colours[static_cast<std::size_t>(c)] = colour;
    }
  }
  if (redraw) RedrawWindow(GetHwnd(), nullptr, nullptr, kRedrawNow);
}

COLORREF CReportCtrl::GetColour(int row, int column, bool text) const {
  if (!IsValidRow(row) || !IsValidColumn(column)) return kDefaultColour;
  const RowInfo* record = CheckedRecord(row);
  if (record == nullptr) return kDefaultColour;
  const std::vector<COLORREF>& colours = text ? record->textColours : record->backColours;
  const std::size_t at = static_cast<std::size_t>(column);
  return at < colours.size() ? colours[at] : kDefaultColour;
}

void CReportCtrl::SetItemTextColor(int row, int column, COLORREF colour, bool redraw) {
  SetColours(row, column, colour, true, redraw);
}

void CReportCtrl::SetItemBkColor(int row, int column, COLORREF colour, bool redraw) {
  SetColours(row, column, colour, false, redraw);
}

COLORREF CReportCtrl::GetItemTextColor(int row, int column) const { return GetColour(row, column, true); }

COLORREF CReportCtrl::GetItemBkColor(int row, int column) const { return GetColour(row, column, false); }

// ---------------------------------------------------------------------------------------------
// States

int CReportCtrl::GetCheck(int row) const {
  if (!IsWindow()) return -1;
  const UINT state = static_cast<UINT>(
      SendMessageW(GetHwnd(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
  return static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12) - 1;
}

bool CReportCtrl::SetStateBits(int row, UINT state, UINT mask) {
  LVITEMW item{};
  item.state = state;
  item.stateMask = mask;
  return SendMessageW(GetHwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

bool CReportCtrl::SetCheckRaw(int row, bool checked) {
  return SetStateBits(row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

bool CReportCtrl::SetCheck(int row, bool checked) {
  if (!IsWindow()) return false;
  const bool ok = SetCheckRaw(row, checked);
  if (ok && checked) ApplySingleCheck(row);
  return ok;
}

DWORD CReportCtrl::StatesFromBits(UINT state) {
  DWORD states = (state & LVIS_SELECTED) ? ItemSelected : ItemUnselected;
  states |= (static_cast<int>((state & LVIS_STATEIMAGEMASK) >> 12) - 1 > 0) ? ItemChecked : ItemUnchecked;
  states |= (state & LVIS_FOCUSED) ? ItemFocused : ItemUnfocused;
  return states;
}

DWORD CReportCtrl::GetItemStates(int row) const {
  if (!IsValidRow(row)) return 0;
  return StatesFromBits(static_cast<UINT>(SendMessageW(GetHwnd(), LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                                                       LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK)));
}

bool CReportCtrl::ExamItemStates(int row, DWORD states) const {
  if (states == 0 || !IsValidRow(row)) return false;
  if (states & ItemAll) return true;
  return (GetItemStates(row) & states) == states;
}

// The list-view bits for the action bits applied in order (a later opposite bit wins).
void CReportCtrl::StateBitsFor(DWORD actions, UINT* state, UINT* mask) {
  *state = 0;
  *mask = 0;
  const auto apply = [&](DWORD action, UINT bits, UINT value) {
    if ((actions & action) == 0) return;
    *state = (*state & ~bits) | value;
    *mask |= bits;
  };
  apply(ItemSelected, LVIS_SELECTED, LVIS_SELECTED);
  apply(ItemUnselected, LVIS_SELECTED, 0);
  apply(ItemChecked, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(2));
  apply(ItemUnchecked, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));
  apply(ItemFocused, LVIS_FOCUSED, LVIS_FOCUSED);
  apply(ItemUnfocused, LVIS_FOCUSED, 0);
}

bool CReportCtrl::ApplyStates(int row, DWORD actions) {
  UINT state = 0;
  UINT mask = 0;
  StateBitsFor(actions, &state, &mask);
  return mask == 0 || SetStateBits(row, state, mask);
}

bool CReportCtrl::SetItemStates(int row, DWORD actions) {
  if (!IsValidRow(row)) return false;
  const bool ok = ApplyStates(row, actions);
  if (actions & ItemChecked) ApplySingleCheck(row);
  return ok;
}

void CReportCtrl::SetAllItemStates(DWORD filter, DWORD actions) {
  if (filter == 0 || actions == 0) return;
  const int count = GetItemCount(ItemAll);
  // The single-check rule runs once at the end; running it after every row as well would only
  // clear marks that the final run clears anyway.
  for (int row = 0; row < count; ++row) {
    if (filter == ItemAll || ExamItemStates(row, filter)) ApplyStates(row, actions);
  }
  if (actions & ItemChecked) ApplySingleCheck(-1);
}

void CReportCtrl::ApplySingleCheck(int row) {
  if (m_nCheckMode != CheckSingle) return;
  const int start = row >= 0 ? row : GetFirstItem(ItemChecked, -1);
  if (start < 0) return;
  const int count = GetItemCount(ItemAll);
  for (int r = start + 1; r < count; ++r) {
    if (GetCheck(r) > 0) SetCheckRaw(r, false);
  }
}

int CReportCtrl::GetFirstItem(DWORD states, int after) const {
  if (after < -1) after = -1;
  const int count = GetItemCount(ItemAll);
  for (int row = after + 1; row < count; ++row) {
    if (ExamItemStates(row, states)) return row;
  }
  return -1;
}

int CReportCtrl::GetLastItem(DWORD states, int before) const {
  const int count = GetItemCount(ItemAll);
  if (before < 0 || before > count) before = count;
  for (int row = before - 1; row >= 0; --row) {
    if (ExamItemStates(row, states)) return row;
  }
  return -1;
}

void CReportCtrl::InvertItems(int what) {
  if (what != 0 && what != 1) return;
  const int count = GetItemCount(ItemAll);
  for (int row = 0; row < count; ++row) {
    if (what == 0) {
      SetItemStates(row, ExamItemStates(row, ItemSelected) ? ItemUnselected : ItemSelected);
    } else {
      SetItemStates(row, ExamItemStates(row, ItemChecked) ? ItemUnchecked : ItemChecked);
    }
  }
}

bool CReportCtrl::SetCheckMode(int mode) {
  if (mode < CheckNone || mode > CheckLocked) return false;
  m_nCheckMode = mode;
  EndEdit(true);
  const DWORD style = GetExtendedStyle();
  if (mode != CheckNone) {
    ApplySingleCheck(-1);
    SetExtendedStyle(style | LVS_EX_CHECKBOXES);
  } else {
    SetExtendedStyle(style & ~static_cast<DWORD>(LVS_EX_CHECKBOXES));
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Sorting, moving and swapping

bool CReportCtrl::IsSortable() const {
  HWND header = HasColumnHeader() ? GetHeader() : nullptr;
  return header != nullptr && (GetWindowLongPtrW(header, GWL_STYLE) & HDS_BUTTONS) != 0;
}

bool CReportCtrl::SetSortable(bool sortable) {
  HWND header = HasColumnHeader() ? GetHeader() : nullptr;
  if (header == nullptr) return false;
  LONG_PTR style = GetWindowLongPtrW(header, GWL_STYLE);
  style = sortable ? (style | HDS_BUTTONS) : (style & ~static_cast<LONG_PTR>(HDS_BUTTONS));
  SetWindowLongPtrW(header, GWL_STYLE, style);
  if (!sortable) ForgetSort();
  RedrawWindow(header, nullptr, nullptr, kRedrawNow);
  return true;
}

void CReportCtrl::SetSeparator(const char* separator) {
  m_pszSeparator.reset();
  if (separator == nullptr) return;
  const std::size_t length = std::strlen(separator);
  m_pszSeparator = std::make_unique<char[]>(length + 1);
  std::memcpy(m_pszSeparator.get(), separator, length + 1);
}

// One list-view call per cell: column 0 brings the states and the record along.
bool CReportCtrl::CaptureRow(int row, int columns, CapturedRow* out) const {
  if (columns < 1) columns = 1;  // column 0 holds the row's own text even without a header item
  out->texts.assign(static_cast<std::size_t>(columns), std::wstring());
  out->images.assign(static_cast<std::size_t>(columns), -1);
  wchar_t buffer[260];
  for (int column = 0; column < columns; ++column) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 260;
    buffer[0] = L'\0';
    if (column == 0) {
      item.mask |= LVIF_STATE | LVIF_PARAM;
      item.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
    }
    if (!Raw(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return false;
    std::wstring& text = out->texts[static_cast<std::size_t>(column)];
    text.assign(item.pszText != nullptr && item.pszText != LPSTR_TEXTCALLBACKW ? item.pszText : L"");
    if (text.size() >= 259) text = GetCellTextWide(row, column);  // longer than the quick buffer
    out->images[static_cast<std::size_t>(column)] = item.iImage;
    if (column == 0) {
      out->states = StatesFromBits(item.state);
      out->record = reinterpret_cast<RowInfo*>(item.lParam);
      if (out->record == nullptr) ReportPrecondition(L"row without its record");
    }
  }
  return true;
}

void CReportCtrl::WriteRow(int row, const CapturedRow& captured) {
  for (std::size_t column = 0; column < captured.texts.size(); ++column) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = static_cast<int>(column);
    item.pszText = const_cast<wchar_t*>(captured.texts[column].c_str());
    item.iImage = captured.images[column];
    if (column == 0) {
      item.mask |= LVIF_STATE | LVIF_PARAM;
      StateBitsFor(captured.states, &item.state, &item.stateMask);
      item.lParam = reinterpret_cast<LPARAM>(captured.record);
    }
    Raw(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  if (captured.states & ItemChecked) ApplySingleCheck(row);
}

bool CReportCtrl::SortItems(int column, bool ascending) {
  if (!IsWindow()) return false;
  EndEdit(true);
  if (column < 0 || column >= GetColumnCount() || !IsSortable()) return false;
  m_nSortColumn = column;
  m_bSortAscending = ascending;

  const ListRows rows(*this, column);
  const std::vector<int> order = report::SortRows(rows, m_pszSeparator.get(), ascending);
  // Capture every row that moves, then write each once at its new place.
  const int columns = GetColumnCount();
  std::vector<std::pair<int, CapturedRow>> moved;
  for (std::size_t position = 0; position < order.size(); ++position) {
    if (order[position] == static_cast<int>(position)) continue;
    moved.emplace_back(static_cast<int>(position), CapturedRow());
    // A row that cannot be read would be written back empty: leave the list as it is.
    if (!CaptureRow(order[position], columns, &moved.back().second)) {
      ForgetSort();
      return false;
    }
  }
  for (const auto& entry : moved) WriteRow(entry.first, entry.second);

  NotifyParent(WM_REPORT_SORTED, static_cast<WPARAM>(column), ascending ? 1 : 0);
  return true;
}

int CReportCtrl::MoveItem(int from, int to) {
  if (!IsValidRow(from)) return -1;
  EndEdit(true);
  const int count = GetItemCount(ItemAll);
  if (to < 0) to = 0;
  if (to > count - 1) to = count - 1;
  if (to == from) return from;
  ForgetSort();
  CapturedRow captured;
  if (!CaptureRow(from, GetColumnCount(), &captured)) return -1;
  // The record leaves with the row and comes back with the new one.
  if (!Raw(LVM_DELETEITEM, static_cast<WPARAM>(from), 0)) return -1;
  const int index = InsertRowWithRecord(to, std::unique_ptr<RowInfo>(captured.record));
  if (index < 0) return -1;
  WriteRow(index, captured);
  return index;
}

int CReportCtrl::MoveUp(int row, int count) {
  const long long to = static_cast<long long>(row) - count;
  return MoveItem(row, to < INT_MIN ? INT_MIN : static_cast<int>(to));
}

int CReportCtrl::MoveDown(int row, int count) {
  const long long to = static_cast<long long>(row) + count;
  return MoveItem(row, to > INT_MAX ? INT_MAX : static_cast<int>(to));
}

int CReportCtrl::MoveToTop(int row) { return MoveItem(row, -1); }

int CReportCtrl::MoveToBottom(int row) { return MoveItem(row, INT_MAX); }

bool CReportCtrl::SwapItems(int a, int b) {
  if (!IsValidRow(a) || !IsValidRow(b) || a == b) return false;
  EndEdit(true);
  ForgetSort();
  CapturedRow first;
  CapturedRow second;
  const int columns = GetColumnCount();
  if (!CaptureRow(a, columns, &first) || !CaptureRow(b, columns, &second)) return false;
  WriteRow(a, second);
  WriteRow(b, first);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Header texts

std::string CReportCtrl::GetHeaderText(int column) const {
  HWND header = GetHeader();
  if (header == nullptr) return std::string();
  wchar_t text[256] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT;
  item.pszText = text;
  item.cchTextMax = 256;
  if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) {
    return std::string();
  }
  text[255] = L'\0';
  return fw::WideToGbk(text);
}

bool CReportCtrl::SetHeaderText(int column, const char* text) {
  HWND header = GetHeader();
  if (header == nullptr) return false;
  std::wstring wide = fw::GbkToWide(text != nullptr ? text : "");
  HDITEMW item{};
  item.mask = HDI_TEXT;
  item.pszText = const_cast<wchar_t*>(wide.c_str());
  return SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item)) != 0;
}
