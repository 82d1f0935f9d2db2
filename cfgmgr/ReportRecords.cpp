// Row records: each row's RowInfo is owned by the control and lent to the list view as the row's
// item data. The list view's messages that would show, replace or lose a record are intercepted
// here, and so are column changes, which every record follows.
#include "cfgmgr/ReportCtrl.h"

#include <algorithm>

namespace {

// The control reaches the list view's own handling of a message, past the hiding of the records,
// by sending it wrapped in this private message: the subclass chain can be continued only from
// inside the window's procedure.
constexpr UINT kMsgRaw = WM_APP + 10020;  // lParam: RawMessage*
struct RawMessage {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

COLORREF DefaultTextColour() { return GetSysColor(COLOR_WINDOWTEXT); }
COLORREF DefaultBackColour() { return GetSysColor(COLOR_WINDOW); }

// A row's record is lent to the list view as the row's item data and taken back with the row.
using Record = std::unique_ptr<CReportCtrl::RowInfo>;
CReportCtrl::RowInfo* RecordIn(LPARAM data) { return reinterpret_cast<CReportCtrl::RowInfo*>(data); }
Record Reclaim(LPARAM data) { return Record(RecordIn(data)); }

// Each row keeps one colour of a kind per column, so a column's colours come and go with it.
void FollowColumn(std::vector<COLORREF>& colours, std::size_t column, bool inserted, COLORREF colour) {
  if (inserted) {
    colours.insert(colours.begin() + static_cast<std::ptrdiff_t>(std::min(column, colours.size())), colour);
  } else if (column < colours.size()) {
    colours.erase(colours.begin() + static_cast<std::ptrdiff_t>(column));
  }
}

}  // namespace

// The list view's messages that would show or replace a record, or that add or remove rows or
// columns, keep the records in step.
LRESULT CReportCtrl::OnRecordMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
      return OnInsertItem(msg, wParam, lParam);
    case LVM_GETITEMA:
    case LVM_GETITEMW:
      return OnGetItem(msg, wParam, lParam);
    case LVM_SETITEMA:
    case LVM_SETITEMW:
      return OnSetItem(msg, wParam, lParam);
    case LVM_DELETEITEM:
      return OnDeleteItem(wParam, lParam);
    case LVM_DELETEALLITEMS:
      return OnDeleteAllItems(wParam, lParam);
    case LVM_INSERTCOLUMNA:
    case LVM_INSERTCOLUMNW: {
      const LRESULT index = Default(msg, wParam, lParam);
      if (index >= 0) FollowColumns(static_cast<int>(index), true);
      return index;
    }
    case LVM_DELETECOLUMN: {
      const LRESULT ok = Default(msg, wParam, lParam);
      if (ok && static_cast<int>(wParam) >= 0) FollowColumns(static_cast<int>(wParam), false);
      return ok;
    }
    case kMsgRaw: {
      const RawMessage* raw = reinterpret_cast<const RawMessage*>(lParam);
      return raw != nullptr ? Default(raw->msg, raw->wParam, raw->lParam) : 0;
    }
    default:
      return Default(msg, wParam, lParam);
  }
}

LRESULT CReportCtrl::Raw(UINT msg, WPARAM wParam, LPARAM lParam) const {
  RawMessage raw{msg, wParam, lParam};
  return SendMessageW(GetHwnd(), kMsgRaw, 0, reinterpret_cast<LPARAM>(&raw));
}

LPARAM CReportCtrl::RawParam(int row) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return Raw(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

bool CReportCtrl::SetRawParam(int row, LPARAM data) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = data;
  return Raw(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

// LVITEMA and LVITEMW share their layout up to the text pointer's type, so both are handled alike.
LRESULT CReportCtrl::OnInsertItem(UINT msg, WPARAM wParam, LPARAM lParam) {
  LVITEMW* item = reinterpret_cast<LVITEMW*>(lParam);
  if (item == nullptr) return Default(msg, wParam, lParam);
  if (GetColumnCount() == 0) {
    ReportPrecondition(L"row inserted while the list has no column");
    return -1;
  }
  const UINT mask = item->mask;
  const LPARAM data = item->lParam;
  Record record = NewRecord((mask & LVIF_PARAM) ? static_cast<DWORD>(data) : 0);
  item->mask = mask | LVIF_PARAM;
  item->lParam = reinterpret_cast<LPARAM>(record.get());
  const LRESULT index = Default(msg, wParam, lParam);
  item->mask = mask;
  item->lParam = data;
  if (index >= 0) record.release();  // the new row holds it
  return index;
}

LRESULT CReportCtrl::OnGetItem(UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT ok = Default(msg, wParam, lParam);
  LVITEMW* item = reinterpret_cast<LVITEMW*>(lParam);
  if (ok && item != nullptr && (item->mask & LVIF_PARAM)) {
    const RowInfo* record = RecordIn(RawParam(item->iItem));
    item->lParam = record != nullptr ? static_cast<LPARAM>(record->data) : 0;
  }
  return ok;
}

LRESULT CReportCtrl::OnSetItem(UINT msg, WPARAM wParam, LPARAM lParam) {
  LVITEMW* item = reinterpret_cast<LVITEMW*>(lParam);
  if (item == nullptr || (item->mask & LVIF_PARAM) == 0) return Default(msg, wParam, lParam);
  RowInfo* record = RecordIn(RawParam(item->iItem));
  if (record == nullptr) {
    if (IsValidRow(item->iItem)) ReportPrecondition(L"row without its record");
    return FALSE;
  }
  const UINT mask = item->mask;
  item->mask = mask & ~static_cast<UINT>(LVIF_PARAM);
  const LRESULT ok = (item->mask == 0) ? TRUE : Default(msg, wParam, lParam);
  item->mask = mask;
  if (ok) record->data = static_cast<DWORD>(item->lParam);
  return ok;
}

LRESULT CReportCtrl::OnDeleteItem(WPARAM wParam, LPARAM lParam) {
  const int row = static_cast<int>(wParam);
  const LPARAM record = RawParam(row);
  EditFollowsRemoval(row);
  const LRESULT ok = Default(LVM_DELETEITEM, wParam, lParam);
  if (ok) Reclaim(record);  // freed with its row
  return ok;
}

LRESULT CReportCtrl::OnDeleteAllItems(WPARAM wParam, LPARAM lParam) {
  EndEdit(false);
  std::vector<LPARAM> records;
  const int count = GetItemCount(ItemAll);
  for (int row = 0; row < count; ++row) records.push_back(RawParam(row));
  const LRESULT ok = Default(LVM_DELETEALLITEMS, wParam, lParam);
  if (ok) {
    for (LPARAM record : records) Reclaim(record);
  }
  return ok;
}

void CReportCtrl::FollowColumns(int column, bool inserted) {
  const int count = GetItemCount(ItemAll);
  for (int row = 0; row < count; ++row) {
    RowInfo* record = RecordIn(RawParam(row));
    if (record == nullptr) continue;
    FollowColumn(record->textColours, static_cast<std::size_t>(column), inserted, DefaultTextColour());
    FollowColumn(record->backColours, static_cast<std::size_t>(column), inserted, DefaultBackColour());
  }
}

Record CReportCtrl::NewRecord(DWORD data) const {
  Record record = std::make_unique<RowInfo>();
  record->data = data;
  const std::size_t columns = static_cast<std::size_t>(GetColumnCount());
  record->textColours.assign(columns, DefaultTextColour());
  record->backColours.assign(columns, DefaultBackColour());
  return record;
}

CReportCtrl::RowInfo* CReportCtrl::CheckedRecord(int row) const {
  if (!IsValidRow(row)) return nullptr;
  RowInfo* record = RecordIn(RawParam(row));
  if (record == nullptr) ReportPrecondition(L"row without its record");
  return record;
}

// Nothing of ours is attached to an adopted list's rows yet: whatever each holds is the caller's.
void CReportCtrl::AttachRecords() {
  const int count = GetItemCount(ItemAll);
  for (int row = 0; row < count; ++row) {
    Record record = NewRecord(static_cast<DWORD>(RawParam(row)));
    if (SetRawParam(row, reinterpret_cast<LPARAM>(record.get()))) record.release();
  }
}

void CReportCtrl::DetachRecords() {
  const int count = GetItemCount(ItemAll);
  for (int row = 0; row < count; ++row) {
    const Record record = Reclaim(RawParam(row));
    if (record != nullptr) SetRawParam(row, static_cast<LPARAM>(record->data));
  }
}

int CReportCtrl::InsertRowWithRecord(int row, Record record) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.pszText = const_cast<wchar_t*>(L"");
  item.lParam = reinterpret_cast<LPARAM>(record.get());
  const int index = static_cast<int>(Raw(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (index >= 0) record.release();  // the new row holds it; otherwise it goes here
  return index;
}
