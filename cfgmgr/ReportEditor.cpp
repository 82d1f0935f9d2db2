// The in-place cell editor: one edit control over the cell, made again only when the column's
// alignment changes, and the keys that move it between cells.
#include "cfgmgr/ReportCtrl.h"

namespace {

constexpr DWORD kEditorStyle = WS_CHILD | WS_BORDER | ES_AUTOHSCROLL | ES_NOHIDESEL;

}  // namespace

bool CReportCtrl::PreTranslateMessage(MSG* msg) {
  if (msg == nullptr || msg->message != WM_KEYDOWN || !IsWindow()) return false;
  HWND hwnd = GetHwnd();
  if (msg->hwnd != hwnd && !IsChild(hwnd, msg->hwnd)) return false;
  if (!IsEditing()) return msg->wParam == VK_SPACE;  // check marks change by mouse only
  const int row = m_nEditRow;
  const int column = m_nEditColumn;
  switch (msg->wParam) {
    case VK_TAB: {
      const int next = column + 1 < GetColumnCount() ? column + 1 : 0;
      EndEdit(true);
      StartEdit(row, next);
      return true;
    }
    case VK_RETURN:
      EndEdit(true);
      return true;
    case VK_ESCAPE:
      EndEdit(false);
      return true;
    case VK_UP:
      if (row <= 0) return false;
      EndEdit(true);
      StartEdit(row - 1, column);
      SendMessageW(hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row - 1), FALSE);
      return true;
    case VK_DOWN:
      if (row >= GetItemCount(ItemAll) - 1) return false;
      EndEdit(true);
      StartEdit(row + 1, column);
      SendMessageW(hwnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row + 1), FALSE);
      return true;
    default:
      return false;
  }
}

void CReportCtrl::SetEditable(bool editable) {
  if (!editable) EndEdit(true);
  m_bEditable = editable;
}

bool CReportCtrl::IsEditing() const {
  return m_bEditable && IsValidRow(m_nEditRow) && IsValidColumn(m_nEditColumn);
}

// A row about to go: its edit is discarded, and an edit below it moves up with its row.
void CReportCtrl::EditFollowsRemoval(int row) {
  if (m_nEditRow < 0 || !IsValidRow(row)) return;
  if (row == m_nEditRow) {
    EndEdit(false);
  } else if (row < m_nEditRow) {
    --m_nEditRow;
  }
}

bool CReportCtrl::StartEdit(int row, int column) {
  if (!m_bEditable || !IsValidRow(row) || !IsValidColumn(column)) return false;
  if (row == m_nEditRow && column == m_nEditColumn) return false;
  EndEdit(true);
  if (!IsValidRow(row)) return false;  // the parent removed rows when told of the committed edit
  m_nEditRow = row;
  m_nEditColumn = column;
  SetAllItemStates(ItemSelected, ItemUnselected);
  SetItemStates(row, ItemSelected | ItemFocused);

  int align = ES_LEFT;
  HWND header = GetHeader();
  HDITEMW headerItem{};
  headerItem.mask = HDI_FORMAT;
  if (header != nullptr &&
      SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&headerItem))) {
    const int justify = headerItem.fmt & HDF_JUSTIFYMASK;
    align = justify == HDF_CENTER ? ES_CENTER : (justify == HDF_RIGHT ? ES_RIGHT : ES_LEFT);
  }
  if (!m_pEditor->IsWindow() || align != m_nEditorAlign) {
    m_nEditorAlign = align;
    if (m_pEditor->IsWindow()) DestroyWindow(m_pEditor->GetHwnd());
    const RECT none{0, 0, 0, 0};
    if (!m_pEditor->Create(L"EDIT", L"", kEditorStyle | static_cast<DWORD>(align), 0, none, GetHwnd(), 0)) {
      return false;  // the edit state stays set; the next EndEdit clears it
    }
  }
  HWND editor = m_pEditor->GetHwnd();
  SendMessageW(editor, WM_SETFONT, static_cast<WPARAM>(SendMessageW(GetHwnd(), WM_GETFONT, 0, 0)), FALSE);
  RECT cell{};
  cell.top = column;
  cell.left = LVIR_LABEL;
  SendMessageW(GetHwnd(), LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
  if (column > 0 && GetImageList() != nullptr && GetItemImage(row, column) >= 0) cell.left += kImageWidth;
  MoveWindow(editor, cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, TRUE);
  SetWindowTextW(editor, GetCellTextWide(row, column).c_str());
  ShowWindow(editor, SW_SHOW);
  SendMessageW(editor, EM_SETSEL, 0, -1);
  SetFocus(editor);
  return true;
}

bool CReportCtrl::EndEdit(bool commit) {
  if (m_nEditRow < 0 && m_nEditColumn < 0) return false;
  const int row = m_nEditRow;
  const int column = m_nEditColumn;
  // Idle first, so that setting the text (which commits any edit) cannot come back here.
  m_nEditRow = -1;
  m_nEditColumn = -1;
  if (!m_pEditor->IsWindow()) return false;  // the editor was never made: nothing was typed
  HWND editor = m_pEditor->GetHwnd();
  const int length = GetWindowTextLengthW(editor);
  std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int got = GetWindowTextW(editor, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  const bool hadFocus = GetFocus() == editor;
  ShowWindow(editor, SW_HIDE);
  if (hadFocus && IsWindow()) SetFocus(GetHwnd());
  if (!commit || !IsValidRow(row) || !IsValidColumn(column)) return false;
  // A change of case is a change: the comparison here is exact.
  if (text == GetCellTextWide(row, column)) return false;
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = &text[0];
  if (!SendMessageW(GetHwnd(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item))) {
    return false;
  }
  ForgetSort();
  NotifyParent(WM_REPORT_EDITED, static_cast<WPARAM>(row), static_cast<LPARAM>(column));
  return true;
}
