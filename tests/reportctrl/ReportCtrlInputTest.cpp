// The report list driven as a technician drives it: mouse clicks on check boxes and headers, keys,
// sorting, moving rows and editing cells in place.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "ReportFixture.h"

namespace {

using reporttest::CheckBoxPoint;
using reporttest::Column;
using reporttest::Fill;
using reporttest::Note;
using reporttest::Pump;
using reporttest::PumpUntil;

constexpr DWORD kSelectedFocused = CReportCtrl::ItemSelected | CReportCtrl::ItemFocused;

class ReportInput : public reporttest::ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x3D);  // as the configuration dialog sets it
  }
  // Clicks the row's check box with the real mouse and waits until the list has handled it.
  void ClickCheckBox(int row, int expectedNotes) {
    POINT point{};
    ASSERT_TRUE(CheckBoxPoint(hwnd, row, &point));
    const int before = list->GetCheck(row);
    reporttest::ClickAt(hwnd, point);
    PumpUntil(dlg, [&] { return static_cast<int>(dlg.notes.size()) >= expectedNotes && list->GetCheck(row) != before; },
              1500);
    Pump(dlg, 100);
  }
};

TEST_F(ReportInput, ACheckBoxClickTogglesTheMarkAndMakesThatRowTheOnlySelectedOne) {
  Fill(*list, 2, {{"0", "lift"}, {"1", "brake"}, {"2", "axle"}});
  list->SetItemStates(0, kSelectedFocused);
  list->SetItemStates(1, CReportCtrl::ItemSelected);
  reporttest::ShowForInput(dlg);

  ClickCheckBox(2, 1);
  EXPECT_GT(list->GetCheck(2), 0);
  EXPECT_EQ(list->GetItemCount(CReportCtrl::ItemSelected), 1);
  EXPECT_TRUE(list->ExamItemStates(2, kSelectedFocused));
  EXPECT_EQ(dlg.notes, (std::vector<Note>{{WM_REPORT_CHECKED, 2, WM_LBUTTONDOWN}}));

  Pump(dlg, GetDoubleClickTime() + 100);  // a second click, not a double click
  ClickCheckBox(2, 2);  // and off again
  EXPECT_EQ(list->GetCheck(2), 0);
  ASSERT_EQ(dlg.notes.size(), 2u);
  EXPECT_EQ(dlg.notes[1], (Note{WM_REPORT_CHECKED, 2, WM_LBUTTONDOWN}));
  EXPECT_EQ(list->GetItemCount(CReportCtrl::ItemChecked), 0);
}

TEST_F(ReportInput, CheckModesRuleWhatAClickDoes) {
  Fill(*list, 1, {{"a"}, {"b"}, {"c"}});
  list->SetCheckMode(CReportCtrl::CheckSingle);
  list->SetCheck(0, true);
  list->SetCheck(2, true);  // rows before a new mark keep theirs
  ASSERT_EQ(list->GetItemCount(CReportCtrl::ItemChecked), 2);
  reporttest::ShowForInput(dlg);
  ClickCheckBox(1, 1);  // single: only that row is marked
  EXPECT_EQ(list->GetItemCount(CReportCtrl::ItemChecked), 1);
  EXPECT_GT(list->GetCheck(1), 0);
  EXPECT_EQ(dlg.notes, (std::vector<Note>{{WM_REPORT_CHECKED, 1, WM_LBUTTONDOWN}}));

  // Locked: the mark snaps back and nothing is sent.
  list->SetCheckMode(CReportCtrl::CheckLocked);
  dlg.notes.clear();
  Pump(dlg, GetDoubleClickTime() + 100);
  for (int row = 0; row < 2; ++row) {
    const int before = list->GetCheck(row);
    POINT point{};
    ASSERT_TRUE(CheckBoxPoint(hwnd, row, &point));
    reporttest::ClickAt(hwnd, point);
    Pump(dlg, 400);
    EXPECT_EQ(list->GetCheck(row), before);
  }
  EXPECT_TRUE(dlg.notes.empty());
}

TEST_F(ReportInput, ClicksOutsideACheckBoxChangeNoMark) {
  Fill(*list, 2, {{"a", "x"}, {"b", "y"}});
  reporttest::ShowForInput(dlg);
  reporttest::ClickAt(hwnd, reporttest::CellCentre(hwnd, 1, 1));
  Pump(dlg, 300);
  EXPECT_TRUE(list->ExamItemStates(1, CReportCtrl::ItemSelected));
  EXPECT_EQ(list->GetItemCount(CReportCtrl::ItemChecked), 0);
  EXPECT_TRUE(dlg.notes.empty());
  // Other buttons go through the same procedure.
  const POINT cell = reporttest::CellCentre(hwnd, 0, 1);
  PostMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(cell.x, cell.y));
  PostMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(cell.x, cell.y));
  Pump(dlg, 50);
  EXPECT_TRUE(dlg.notes.empty());
}

TEST_F(ReportInput, SpaceChangesNoCheckMark) {
  Fill(*list, 1, {{"a"}, {"b"}});
  list->SetItemStates(0, kSelectedFocused);
  reporttest::ShowForInput(dlg);
  SetFocus(hwnd);
  PostMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
  PostMessageW(hwnd, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
  Pump(dlg, 200);
  EXPECT_EQ(list->GetCheck(0), 0);
  EXPECT_EQ(list->GetItemCount(CReportCtrl::ItemChecked), 0);
  // Space meant for another control is not the list's to swallow.
  MSG other{};
  other.hwnd = GetDlgItem(dlg.GetHwnd(), IDC_REPORT_OTHER);
  other.message = WM_KEYDOWN;
  other.wParam = VK_SPACE;
  EXPECT_FALSE(list->PreTranslateMessage(&other));
  // Without the control's filter the list view itself would toggle the mark.
  MSG direct{};
  direct.hwnd = hwnd;
  direct.message = WM_KEYDOWN;
  direct.wParam = VK_SPACE;
  EXPECT_TRUE(list->PreTranslateMessage(&direct));
  SendMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 0x00390001);
  SendMessageW(hwnd, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
  Pump(dlg, 50);
  EXPECT_GT(list->GetCheck(0), 0);
}

// The comparison rules in detail are tested without a window; here the control's part.
TEST_F(ReportInput, SortingNotifiesAndIsForgottenOnAChange) {
  Fill(*list, 3, {{"10", "1.5", "xyz"}, {"9", "12%", "abd"}, {"a", "3", "xya"}});
  ASSERT_TRUE(list->SortItems(0, true));
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"9", "a", "10"}));
  ASSERT_TRUE(list->SortItems(2, false));
  EXPECT_EQ(Column(*list, 2), (std::vector<std::string>{"xyz", "xya", "abd"}));
  EXPECT_EQ(list->GetSortColumn(), 2);
  EXPECT_FALSE(list->IsSortAscending());
  EXPECT_EQ(dlg.notes, (std::vector<Note>{{WM_REPORT_SORTED, 0, 1}, {WM_REPORT_SORTED, 2, 0}}));

  EXPECT_FALSE(list->SortItems(3, true));
  EXPECT_FALSE(list->SortItems(-1, true));
  EXPECT_EQ(dlg.notes.size(), 2u);
  list->SetSortable(false);
  EXPECT_EQ(list->GetSortColumn(), -1);
  EXPECT_FALSE(list->SortItems(0, true));
  list->SetSortable(true);
  EXPECT_TRUE(list->SortItems(0, true));
  list->SetItemText(0, 0, "b");
  EXPECT_EQ(list->GetSortColumn(), -1);
  EXPECT_TRUE(list->IsSortAscending());

  // Separator rows keep their places.
  list->DeleteAllItems();
  Fill(*list, 0, {{"b"}, {"a"}, {"--"}, {"d"}, {"c"}});
  list->SetSeparator("--");
  EXPECT_STREQ(list->GetSeparator(), "--");
  ASSERT_TRUE(list->SortItems(0, true));
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"a", "b", "--", "c", "d"}));
  list->SetSeparator(nullptr);
  ASSERT_TRUE(list->SortItems(0, true));
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"--", "a", "b", "c", "d"}));
}

TEST_F(ReportInput, DatesSortByTheUsersLocale) {
  Fill(*list, 1, {{"2024-03-01"}, {"2023-12-31 23:59"}, {"2024-01-15 08:00"}, {"2024-01-15"}});
  ASSERT_TRUE(list->SortItems(0, true));
  EXPECT_EQ(Column(*list, 0),
            (std::vector<std::string>{"2023-12-31 23:59", "2024-01-15", "2024-01-15 08:00", "2024-03-01"}));
  // Before 1899-12-30 the platform counts days backwards but hours forwards: still in time order.
  list->DeleteAllItems();
  Fill(*list, 0, {{"1899-12-29 18:00"}, {"1899-12-29 06:00"}, {"1899-12-28 23:00"}, {"08:30"}});
  ASSERT_TRUE(list->SortItems(0, false));
  EXPECT_EQ(Column(*list, 0),
            (std::vector<std::string>{"08:30", "1899-12-29 18:00", "1899-12-29 06:00", "1899-12-28 23:00"}));
}

TEST_F(ReportInput, TwoHeaderClicksSortAscendingThenDescending) {
  Fill(*list, 2, {{"b", "2"}, {"c", "1"}, {"a", "3"}});
  reporttest::ShowForInput(dlg);
  HWND header = list->GetHeader();
  RECT item{};
  SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  const POINT middle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  reporttest::ClickAt(header, middle);
  ASSERT_TRUE(PumpUntil(dlg, [&] { return dlg.notes.size() >= 1; }, 2000));
  EXPECT_EQ(Column(*list, 1), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"c", "b", "a"}));
  Pump(dlg, 600);  // not a double click
  reporttest::ClickAt(header, middle);
  ASSERT_TRUE(PumpUntil(dlg, [&] { return dlg.notes.size() >= 2; }, 2000));
  EXPECT_EQ(Column(*list, 1), (std::vector<std::string>{"3", "2", "1"}));
  EXPECT_EQ(dlg.notes, (std::vector<Note>{{WM_REPORT_SORTED, 1, 1}, {WM_REPORT_SORTED, 1, 0}}));
  // Another column starts ascending again.
  NMLISTVIEW click{};
  click.hdr = {hwnd, IDC_REPORT_LIST, static_cast<UINT>(LVN_COLUMNCLICK)};
  click.iItem = -1;
  click.iSubItem = 0;
  SendMessageW(dlg.GetHwnd(), WM_NOTIFY, IDC_REPORT_LIST, reinterpret_cast<LPARAM>(&click));
  EXPECT_EQ(dlg.notes.back(), (Note{WM_REPORT_SORTED, 0, 1}));
}

// What a row carries: its texts, data, colour, image, and selection, focus and check mark.
using RowLook = std::tuple<std::string, std::string, DWORD, COLORREF, int, DWORD>;

RowLook Look(const CReportCtrl& list, int row) {
  return {list.GetItemText(row, 0), list.GetItemText(row, 1), list.GetItemData(row),
          list.GetItemBkColor(row, 1),  list.GetItemImage(row, 1), list.GetItemStates(row)};
}

TEST_F(ReportInput, RowsTakeEverythingWithThemThroughSortMoveAndSwap) {
  Fill(*list, 2, {{"c", "z"}, {"a", "y"}, {"d", "x"}, {"b", "w"}});
  for (int row = 0; row < 4; ++row) {
    list->SetItemData(row, 100 + static_cast<DWORD>(row));
    list->SetItemBkColor(row, 1, RGB(row, 0, 0), false);
    list->SetItemImage(row, 1, row);
  }
  list->SetCheck(0);        // "c"
  list->SetItemStates(2, kSelectedFocused);  // "d"
  list->SetItemStates(3, CReportCtrl::ItemSelected);  // "b"
  std::map<std::string, RowLook> before;
  for (int row = 0; row < 4; ++row) before[list->GetItemText(row, 0)] = Look(*list, row);

  auto expectAllTravelled = [&] {
    for (int row = 0; row < list->GetItemCount(); ++row) EXPECT_EQ(Look(*list, row), before[list->GetItemText(row, 0)]);
    EXPECT_EQ(list->GetItemCount(CReportCtrl::ItemFocused), 1);
  };
  ASSERT_TRUE(list->SortItems(0, true));
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"a", "b", "c", "d"}));
  expectAllTravelled();
  ASSERT_TRUE(list->SortItems(1, true));
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"b", "d", "a", "c"}));
  expectAllTravelled();

  EXPECT_EQ(list->MoveItem(3, 0), 0);  // "c" to the top
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"c", "b", "d", "a"}));
  EXPECT_EQ(list->GetSortColumn(), -1);
  expectAllTravelled();
  EXPECT_EQ(list->MoveDown(0, 100), 3);  // clamped to the last row
  EXPECT_EQ(list->MoveUp(3, 1), 2);
  EXPECT_EQ(list->MoveToTop(1), 0);  // "d"
  EXPECT_EQ(list->MoveToBottom(0), 3);
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"b", "c", "a", "d"}));
  expectAllTravelled();
  EXPECT_EQ(list->MoveItem(2, 2), 2);
  EXPECT_EQ(list->MoveItem(4, 0), -1);

  ASSERT_TRUE(list->SwapItems(0, 3));
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"d", "c", "a", "b"}));
  expectAllTravelled();
  EXPECT_FALSE(list->SwapItems(1, 1));
  EXPECT_FALSE(list->SwapItems(1, 4));
}

TEST_F(ReportInput, DeletingRowsFreesThemAndCanSelectTheNext) {
  Fill(*list, 2, {{"a"}, {"b"}, {"c"}});
  list->SetItemData(2, 7);
  EXPECT_TRUE(list->DeleteItem(1, true));
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"a", "c"}));
  EXPECT_TRUE(list->ExamItemStates(1, CReportCtrl::ItemSelected));
  EXPECT_EQ(list->GetItemData(1), 7u);
  EXPECT_FALSE(list->DeleteItem(2));
  // A raw deletion frees the record too; the list stays consistent.
  ASSERT_TRUE(SendMessageW(hwnd, LVM_DELETEITEM, 0, 0));
  EXPECT_EQ(list->GetItemData(0), 7u);
}

class ReportEdit : public ReportInput {
 protected:
  void SetUp() override {
    ReportInput::SetUp();
    Fill(*list, 3, {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
    list->SetEditable(true);
    reporttest::ShowForInput(dlg);
  }
  HWND Editor() const { return list->GetEditControl()->GetHwnd(); }
  void Key(UINT key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    Pump(dlg, 50);
  }
};

TEST_F(ReportEdit, ReturnCommitsTheEditAndNotifies) {
  ASSERT_TRUE(list->StartEdit(1, 1));
  EXPECT_TRUE(list->IsEditing());
  ASSERT_NE(Editor(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Editor()));
  EXPECT_EQ(GetFocus(), Editor());
  EXPECT_EQ(fw::GetWindowTextGbk(Editor()), "e");
  EXPECT_TRUE(list->ExamItemStates(1, kSelectedFocused));
  EXPECT_EQ(list->GetItemCount(CReportCtrl::ItemSelected), 1);
  fw::SetWindowTextGbk(Editor(), "\xd0\xc2");  // 新
  Key(VK_RETURN);
  EXPECT_FALSE(list->IsEditing());
  EXPECT_FALSE(IsWindowVisible(Editor()));
  EXPECT_EQ(list->GetItemText(1, 1), "\xd0\xc2");
  EXPECT_EQ(dlg.notes, (std::vector<Note>{{WM_REPORT_EDITED, 1, 1}}));
  EXPECT_EQ(GetFocus(), hwnd);
}

TEST_F(ReportEdit, EscapeDiscardsTheEdit) {
  ASSERT_TRUE(list->StartEdit(2, 0));
  fw::SetWindowTextGbk(Editor(), "changed");
  Key(VK_ESCAPE);
  EXPECT_FALSE(list->IsEditing());
  EXPECT_EQ(list->GetItemText(2, 0), "g");
  EXPECT_TRUE(dlg.notes.empty());
  // The dialog never saw the key: it is still open.
  EXPECT_TRUE(IsWindowVisible(dlg.GetHwnd()));
}

TEST_F(ReportEdit, TabAndArrowsMoveTheEditorAndCommitOnTheWay) {
  ASSERT_TRUE(list->StartEdit(0, 2));
  fw::SetWindowTextGbk(Editor(), "C");
  Key(VK_TAB);  // after the last column: column 0 of the same row
  EXPECT_EQ(list->GetItemText(0, 2), "C");
  EXPECT_TRUE(list->IsEditing());
  EXPECT_EQ(fw::GetWindowTextGbk(Editor()), "a");
  Key(VK_UP);  // the first row: the key goes on to the editor, nothing moves
  EXPECT_EQ(fw::GetWindowTextGbk(Editor()), "a");
  Key(VK_DOWN);
  EXPECT_EQ(fw::GetWindowTextGbk(Editor()), "d");
  Key(VK_DOWN);
  Key(VK_DOWN);  // the last row
  EXPECT_EQ(fw::GetWindowTextGbk(Editor()), "g");
  EXPECT_TRUE(list->ExamItemStates(2, kSelectedFocused));
  // Only the changed cell was reported.
  EXPECT_EQ(dlg.notes, (std::vector<Note>{{WM_REPORT_EDITED, 0, 2}}));
  // Unchanged text is no change; a change of case is.
  fw::SetWindowTextGbk(Editor(), "G");
  EXPECT_TRUE(list->EndEdit(true));
  EXPECT_FALSE(list->EndEdit(true));
}

TEST_F(ReportEdit, TheEditorFollowsTheColumnAlignmentAndTheCellImage) {
  LVCOLUMNW column{};
  column.mask = LVCF_FMT;
  column.fmt = LVCFMT_RIGHT;
  SendMessageW(hwnd, LVM_SETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
  ASSERT_TRUE(list->StartEdit(0, 1));
  const LONG_PTR style = GetWindowLongPtrW(Editor(), GWL_STYLE);
  // (The edit control trades WS_BORDER for a border of its own.)
  EXPECT_EQ(style & 0x40000183, 0x40000180 | ES_RIGHT);
  EXPECT_EQ(GetDlgCtrlID(Editor()), 0);
  RECT plain{};
  GetWindowRect(Editor(), &plain);
  list->EndEdit(false);

  ASSERT_TRUE(list->SetRowImages(IDB_REPORT_IMAGES, RGB(255, 0, 255)));
  list->SetItemImage(0, 1, 0);
  ASSERT_TRUE(list->StartEdit(0, 1));
  RECT shifted{};
  GetWindowRect(Editor(), &shifted);
  EXPECT_EQ(shifted.left - plain.left, 16);
  list->EndEdit(false);
}

TEST_F(ReportEdit, AClickOnTheActiveRowStartsEditingThatCell) {
  list->SetItemStates(1, kSelectedFocused);
  reporttest::ClickAt(hwnd, reporttest::CellCentre(hwnd, 1, 2));
  ASSERT_TRUE(PumpUntil(dlg, [&] { return list->IsEditing(); }, 1500));
  EXPECT_EQ(fw::GetWindowTextGbk(Editor()), "f");
  // Row operations first commit the edit.
  fw::SetWindowTextGbk(Editor(), "F");
  EXPECT_EQ(list->InsertItem(3, "j"), 3);
  EXPECT_FALSE(list->IsEditing());
  EXPECT_EQ(list->GetItemText(1, 2), "F");
  // Not editable: a click only selects.
  list->SetEditable(false);
  list->SetItemStates(0, kSelectedFocused);
  reporttest::ClickAt(hwnd, reporttest::CellCentre(hwnd, 0, 1));
  Pump(dlg, 300);
  EXPECT_FALSE(list->IsEditing());
  EXPECT_FALSE(list->StartEdit(0, 1));
}

TEST_F(ReportEdit, DeletingTheEditedRowDiscardsTheEdit) {
  ASSERT_TRUE(list->StartEdit(1, 0));
  fw::SetWindowTextGbk(Editor(), "lost");
  EXPECT_TRUE(list->DeleteItem(1));
  EXPECT_FALSE(list->IsEditing());
  EXPECT_EQ(Column(*list, 0), (std::vector<std::string>{"a", "g"}));
  EXPECT_TRUE(dlg.notes.empty());
}

}  // namespace
