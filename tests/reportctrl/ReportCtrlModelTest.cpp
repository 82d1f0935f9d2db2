// The report list's rows, columns, records, states and cell setters, in a real list view.
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cmath>

#include "ReportFixture.h"
#include "framework/Gdi.h"

namespace {

using reporttest::Fill;
using reporttest::ReportDialog;
using reporttest::WideCell;
using ReportModel = reporttest::ReportTest;
using Item = CReportCtrl;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }

TEST_F(ReportModel, AdoptingAListAppliesTheStyleRules) {
  EXPECT_EQ(list->GetCheckMode(), Item::CheckMulti);
  EXPECT_EQ(list->GetSortColumn(), -1);
  EXPECT_TRUE(list->IsSortAscending());
  EXPECT_EQ(list->GetSeparator(), nullptr);
  EXPECT_FALSE(list->IsEditable());
  EXPECT_EQ(list->GetExtendedStyle(), 0x22u);
  // Child, visible, report view only; the scroll bars are the list view's to show or hide.
  EXPECT_EQ(Style(hwnd) & 0x50002203u, 0x50000001u);

  // Through the control the extended style keeps 0x22 whatever the caller asks.
  list->SetExtendedStyle(LVS_EX_GRIDLINES);
  EXPECT_EQ(list->GetExtendedStyle(), 0x23u);
  list->ModifyExtendedStyle(0x22 | LVS_EX_GRIDLINES, LVS_EX_CHECKBOXES);
  EXPECT_EQ(list->GetExtendedStyle(), 0x26u);
  list->SetGridLines(true);
  EXPECT_EQ(list->GetExtendedStyle(), 0x27u);
  list->ModifyStyle(LVS_REPORT | WS_VISIBLE, LVS_EDITLABELS | LVS_SHOWSELALWAYS);
  EXPECT_EQ(Style(hwnd) & 0x50002203u, 0x50000001u);
  EXPECT_NE(Style(hwnd) & LVS_SHOWSELALWAYS, 0u);
  // Sending the message directly bypasses the rule, as the configuration dialog does.
  SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x3D);
  EXPECT_EQ(list->GetExtendedStyle(), 0x3Du);

  // An icon view with label editing is turned into a report list.
  ReportDialog icons(IDD_REPORT_ICONVIEW);
  ASSERT_TRUE(icons.CreateModeless());
  ASSERT_TRUE(icons.bound);
  EXPECT_EQ(Style(icons.list.GetHwnd()) & 0x50002203u, 0x50000001u);
  EXPECT_TRUE(icons.list.HasColumnHeader());
  EXPECT_EQ(icons.list.InsertColumn(0, "A"), 0);
  DestroyWindow(icons.GetHwnd());
}

TEST(ReportWindow, CreatesItsOwnListAndRefusesPreconditionsItCannotMeet) {
  ReportDialog dlg(IDD_REPORT_EMPTY);
  ASSERT_TRUE(dlg.CreateModeless());
  CReportCtrl created;
  const int failures = Item::PreconditionFailures();
  EXPECT_FALSE(created.Create(nullptr, 5));
  EXPECT_FALSE(created.Create(dlg.GetHwnd(), 5, nullptr, LVS_NOCOLUMNHEADER));
  EXPECT_EQ(Item::PreconditionFailures(), failures + 2);
  EXPECT_FALSE(created.IsWindow());

  // Without a rectangle it fills the parent's client area; the style rule and 0x22 apply.
  ASSERT_TRUE(created.Create(dlg.GetHwnd(), 77, nullptr, LVS_ICON | LVS_EDITLABELS | WS_BORDER));
  RECT client{}, window{};
  GetClientRect(dlg.GetHwnd(), &client);
  GetWindowRect(created.GetHwnd(), &window);
  EXPECT_EQ(window.right - window.left, client.right);
  EXPECT_EQ(window.bottom - window.top, client.bottom);
  EXPECT_EQ(GetDlgCtrlID(created.GetHwnd()), 77);
  EXPECT_EQ(Style(created.GetHwnd()) & 0x2203, 0x1u);
  EXPECT_EQ(created.GetExtendedStyle(), 0x22u);
  const RECT small{10, 10, 110, 60};
  CReportCtrl placed;
  ASSERT_TRUE(placed.Create(dlg.GetHwnd(), 78, &small));
  placed.FitToParent();
  GetWindowRect(placed.GetHwnd(), &window);
  EXPECT_EQ(window.right - window.left, client.right);
  DestroyWindow(dlg.GetHwnd());
  EXPECT_FALSE(created.IsWindow());

  // A list without a column header is reported and cannot sort.
  ReportDialog bare(IDD_REPORT_NOHEADER);
  ASSERT_TRUE(bare.CreateModeless());
  EXPECT_EQ(Item::PreconditionFailures(), failures + 3);
  EXPECT_FALSE(bare.list.HasColumnHeader());
  EXPECT_FALSE(bare.list.IsSortable());
  ASSERT_EQ(bare.list.InsertColumn(0, "A"), 0);
  ASSERT_EQ(bare.list.InsertItem(0, "x"), 0);
  EXPECT_FALSE(bare.list.SortItems(0, true));
  DestroyWindow(bare.GetHwnd());
}

TEST_F(ReportModel, InsertingARowWithoutColumnsFailsAndIsReported) {
  const int failures = Item::PreconditionFailures();
  EXPECT_EQ(list->InsertItem(0, "orphan"), -1);
  EXPECT_EQ(list->InsertItemEx(0, "a", "b", nullptr), -1);
  LVITEMW raw{};
  raw.mask = LVIF_TEXT;
  raw.pszText = const_cast<wchar_t*>(L"raw");
  EXPECT_EQ(SendMessageW(hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&raw)), -1);
  EXPECT_EQ(list->GetItemCount(), 0);
  EXPECT_EQ(Item::PreconditionFailures(), failures + 3);
}

TEST_F(ReportModel, CountsFindsAndDeletesRowsByStateFilters) {
  Fill(*list, 2, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}});
  list->SetCheck(1);
  list->SetCheck(3);
  list->SetItemStates(2, Item::ItemSelected | Item::ItemFocused);

  const struct { DWORD filter; int count; } counts[] = {
      {Item::ItemAll, 5}, {Item::ItemChecked, 2}, {Item::ItemUnchecked, 3}, {Item::ItemChecked | Item::ItemUnchecked, 0},
      {0, 0}, {Item::ItemSelected | Item::ItemFocused, 1}, {Item::ItemUnchecked | Item::ItemUnselected, 2}};
  for (const auto& c : counts) EXPECT_EQ(list->GetItemCount(c.filter), c.count) << std::hex << c.filter;
  EXPECT_EQ(list->GetItemStates(2), static_cast<DWORD>(Item::ItemSelected | Item::ItemUnchecked | Item::ItemFocused));
  EXPECT_TRUE(list->ExamItemStates(0, Item::ItemAll | Item::ItemChecked));
  EXPECT_FALSE(list->ExamItemStates(9, Item::ItemAll));

  EXPECT_EQ(list->GetFirstItem(Item::ItemChecked), 1);
  EXPECT_EQ(list->GetFirstItem(Item::ItemChecked, 1), 3);
  EXPECT_EQ(list->GetFirstItem(Item::ItemChecked, -7), 1);
  EXPECT_EQ(list->GetFirstItem(Item::ItemChecked, 3), -1);
  EXPECT_EQ(list->GetLastItem(Item::ItemAll, -1), 4);
  EXPECT_EQ(list->GetLastItem(Item::ItemAll, 99), 4);
  EXPECT_EQ(list->GetLastItem(Item::ItemChecked, 3), 1);
  EXPECT_EQ(list->GetLastItem(Item::ItemChecked, 1), -1);

  list->InvertItems(1);
  EXPECT_EQ(list->GetFirstItem(Item::ItemChecked), 0);
  EXPECT_EQ(list->GetItemCount(Item::ItemChecked), 3);
  list->InvertItems(0);
  EXPECT_EQ(list->GetItemCount(Item::ItemSelected), 4);
  list->InvertItems(2);  // neither selection nor marks
  EXPECT_EQ(list->GetItemCount(Item::ItemSelected), 4);

  // Removing by filter walks on after each removal; a hidden list stays hidden.
  ShowWindow(hwnd, SW_HIDE);
  EXPECT_EQ(list->DeleteAllItems(Item::ItemChecked), 3);
  EXPECT_EQ(Style(hwnd) & WS_VISIBLE, 0u);
  EXPECT_EQ(reporttest::Column(*list, 0), (std::vector<std::string>{"b", "d"}));
  EXPECT_EQ(list->DeleteAllItems(), 2);
  EXPECT_EQ(list->GetLastItem(Item::ItemAll, -1), -1);
}

TEST_F(ReportModel, SingleCheckModeKeepsOnlyTheFirstMark) {
  Fill(*list, 1, {{"a"}, {"b"}, {"c"}, {"d"}});
  list->SetCheckMode(Item::CheckMulti);  // check boxes on
  list->SetCheck(1);
  list->SetCheck(3);
  list->SetCheckMode(Item::CheckSingle);  // the rule with no row: the first mark stays
  EXPECT_EQ(list->GetItemCount(Item::ItemChecked), 1);
  EXPECT_GT(list->GetCheck(1), 0);
  list->SetCheck(0);  // rows after the new mark lose theirs
  EXPECT_EQ(list->GetItemCount(Item::ItemChecked), 1);
  EXPECT_GT(list->GetCheck(0), 0);
  list->SetCheck(2);  // rows before it are left alone
  EXPECT_EQ(list->GetItemCount(Item::ItemChecked), 2);
  list->SetAllItemStates(Item::ItemAll, Item::ItemChecked);
  EXPECT_EQ(list->GetItemCount(Item::ItemChecked), 1);
  EXPECT_FALSE(list->SetCheckMode(4));
  EXPECT_EQ(list->GetCheckMode(), Item::CheckSingle);
  list->SetCheckMode(Item::CheckNone);
  EXPECT_EQ(list->GetExtendedStyle() & LVS_EX_CHECKBOXES, 0u);
}

TEST_F(ReportModel, ColoursCoverCellsRowsColumnsAndFollowColumnChanges) {
  Fill(*list, 2, {{"a", "a1"}, {"b", "b1"}, {"c", "c1"}});
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  const COLORREF back = GetSysColor(COLOR_WINDOW);
  list->SetItemTextColor(-1, -1, kRed);
  list->SetItemTextColor(-1, 1, kBlue);        // column 1 of every row
  list->SetItemTextColor(1, 7, RGB(1, 2, 3));  // every cell of row 1
  list->SetItemTextColor(2, 1);                // one cell back to the default
  EXPECT_EQ(list->GetItemTextColor(0, 0), kRed);
  EXPECT_EQ(list->GetItemTextColor(0, 1), kBlue);
  EXPECT_EQ(list->GetItemTextColor(1, 0), RGB(1, 2, 3));
  EXPECT_EQ(list->GetItemTextColor(2, 1), text);
  EXPECT_EQ(list->GetItemTextColor(3, 0), Item::kDefaultColour);
  EXPECT_EQ(list->GetItemTextColor(0, -1), Item::kDefaultColour);
  list->SetItemTextColor(-1, 0, kRed, false);
  list->SetItemTextColor(-1, 1, text, false);
  list->SetItemBkColor(5, 1, kBlue, false);  // no such row: column 1 of every row
  EXPECT_EQ(list->GetItemBkColor(2, 1), kBlue);
  EXPECT_EQ(list->GetItemBkColor(2, 0), back);

  ASSERT_EQ(list->InsertColumn(1, "new", LVCFMT_LEFT, 60), 1);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(list->GetItemTextColor(row, 0), kRed);
    EXPECT_EQ(list->GetItemTextColor(row, 1), text);
    EXPECT_EQ(list->GetItemBkColor(row, 1), back);
    EXPECT_EQ(list->GetItemBkColor(row, 2), kBlue);  // the old column 1 moved right
  }
  // A column added by a raw message is followed too.
  LVCOLUMNW raw{};
  raw.mask = LVCF_TEXT | LVCF_WIDTH;
  raw.pszText = const_cast<wchar_t*>(L"raw");
  raw.cx = 40;
  ASSERT_EQ(SendMessageW(hwnd, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&raw)), 0);
  EXPECT_EQ(list->GetItemTextColor(2, 0), text);
  EXPECT_EQ(list->GetItemTextColor(2, 1), kRed);

  ASSERT_TRUE(list->DeleteColumn(0));
  ASSERT_TRUE(list->DeleteColumn(1));
  EXPECT_EQ(list->GetColumnCount(), 2);
  EXPECT_EQ(list->GetItemTextColor(1, 0), kRed);
  EXPECT_EQ(list->GetItemBkColor(1, 1), kBlue);
  EXPECT_EQ(list->GetItemBkColor(1, 2), Item::kDefaultColour);
  EXPECT_FALSE(list->DeleteColumn(5));
  // New rows start with the defaults in every column.
  const int row = list->InsertItem(3, "d");
  EXPECT_EQ(list->GetItemTextColor(row, 0), text);
  EXPECT_EQ(list->GetItemBkColor(row, 1), back);
}

// The colours reach the screen through the reflected custom-draw notification.
TEST_F(ReportModel, CustomDrawPaintsTheCellColours) {
  Fill(*list, 2, {{"", ""}, {"", ""}});
  list->SetItemBkColor(0, 1, kRed, false);
  list->SetItemBkColor(1, 0, kBlue, false);
  RECT client{};
  GetClientRect(hwnd, &client);
  {
    fw::WindowDC screen(hwnd);
    fw::MemoryDC memory(screen.Get());
    fw::Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
    fw::ScopedSelect select(memory.Get(), bitmap.Get());
    SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT | PRF_ERASEBKGND);
    const struct { int row, column; COLORREF colour; } cells[] = {{0, 1, kRed}, {1, 0, kBlue}, {0, 0, GetSysColor(COLOR_WINDOW)}};
    for (const auto& c : cells) {
      const POINT at = reporttest::CellCentre(hwnd, c.row, c.column);
      EXPECT_EQ(GetPixel(memory.Get(), at.x, at.y), c.colour) << c.row << "," << c.column;
    }
  }

  NMLVCUSTOMDRAW draw{};
  draw.nmcd.hdr = {hwnd, IDC_REPORT_LIST, static_cast<UINT>(NM_CUSTOMDRAW)};
  auto answer = [&](DWORD stage, int row, int column) {
    draw.nmcd.dwDrawStage = stage;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    draw.iSubItem = column;
    draw.clrText = draw.clrTextBk = RGB(9, 9, 9);
    return SendMessageW(dlg.GetHwnd(), WM_NOTIFY, IDC_REPORT_LIST, reinterpret_cast<LPARAM>(&draw));
  };
  EXPECT_EQ(answer(CDDS_PREPAINT, 0, 0), 0x20);
  EXPECT_EQ(answer(CDDS_ITEMPREPAINT, 0, 0), 0x20);
  EXPECT_EQ(answer(CDDS_ITEMPREPAINT | CDDS_SUBITEM, 0, 1), 0);
  EXPECT_EQ(draw.clrTextBk, kRed);
  EXPECT_EQ(draw.clrText, GetSysColor(COLOR_WINDOWTEXT));
  answer(CDDS_ITEMPREPAINT | CDDS_SUBITEM, 7, 1);  // no such row: colours untouched
  EXPECT_EQ(draw.clrTextBk, RGB(9, 9, 9));
  EXPECT_EQ(answer(CDDS_ITEMPOSTPAINT, 0, 0), 0);  // other stages: the dialog's own answer
}

TEST_F(ReportModel, TheCallerSeesItsDataNeverTheRecord) {
  Fill(*list, 2, {{"a"}, {"b"}});
  EXPECT_EQ(list->GetItemData(0), 0u);
  EXPECT_TRUE(list->SetItemData(0, 1234));
  EXPECT_FALSE(list->SetItemData(5, 1));
  EXPECT_EQ(list->GetItemData(5), 0u);

  LVITEMW item{};
  item.mask = LVIF_PARAM | LVIF_TEXT;
  wchar_t text[16] = {};
  item.pszText = text;
  item.cchTextMax = 16;
  ASSERT_TRUE(list->GetItem(&item));
  EXPECT_EQ(item.lParam, 1234);
  EXPECT_STREQ(text, L"a");
  item.lParam = 0;  // raw messages are answered the same way
  ASSERT_TRUE(SendMessageW(hwnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.lParam, 1234);

  // A whole-item write, through the control or raw, stores the caller's value and keeps the record.
  list->SetItemTextColor(1, 1, kRed, false);
  LVITEMW write{};
  write.mask = LVIF_PARAM | LVIF_TEXT;
  write.iItem = 1;
  write.pszText = const_cast<wchar_t*>(L"B");
  write.lParam = 99;
  ASSERT_TRUE(list->SetItem(&write));
  EXPECT_EQ(list->GetItemData(1), 99u);
  EXPECT_EQ(list->GetItemText(1, 0), "B");
  write.lParam = 100;
  write.mask = LVIF_PARAM;
  ASSERT_TRUE(SendMessageW(hwnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&write)));
  EXPECT_EQ(list->GetItemData(1), 100u);
  EXPECT_EQ(list->GetItemTextColor(1, 1), kRed);

  // Data given with an insert is kept; a raw insert gets a record of its own.
  EXPECT_EQ(list->InsertItem(LVIF_TEXT | LVIF_PARAM, 2, "c", 0, 0, 0, 555), 2);
  EXPECT_EQ(list->GetItemData(2), 555u);
  LVITEMW raw{};
  raw.mask = LVIF_TEXT | LVIF_PARAM;
  raw.iItem = 3;
  raw.pszText = const_cast<wchar_t*>(L"raw");
  raw.lParam = 777;
  ASSERT_EQ(SendMessageW(hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&raw)), 3);
  EXPECT_EQ(raw.lParam, 777);  // the caller's structure is left as it was
  EXPECT_EQ(list->GetItemData(3), 777u);
  EXPECT_EQ(list->GetItemBkColor(3, 1), GetSysColor(COLOR_WINDOW));
  LVITEMA narrow{};
  narrow.mask = LVIF_TEXT | LVIF_PARAM;
  narrow.iItem = 4;
  narrow.pszText = const_cast<char*>("\xc9\xe8\xb1\xb8");
  narrow.lParam = 8;
  EXPECT_EQ(list->InsertItem(&narrow), 4);
  EXPECT_EQ(WideCell(hwnd, 4, 0), L"\u8bbe\u5907");
  EXPECT_EQ(list->GetItemData(4), 8u);
}

// When the control object goes before its window, the rows keep the caller's data.
TEST(ReportWindow, ReleasingTheControlGivesTheRowsTheirDataBack) {
  ReportDialog dlg(IDD_REPORT_EMPTY);
  ASSERT_TRUE(dlg.CreateModeless());
  HWND hwnd = nullptr;
  {
    CReportCtrl list;
    ASSERT_TRUE(list.Create(dlg.GetHwnd(), 9));
    hwnd = list.GetHwnd();
    Fill(list, 1, {{"a"}, {"b"}});
    list.SetItemData(1, 42);
  }
  ASSERT_TRUE(IsWindow(hwnd));
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = 1;
  ASSERT_TRUE(SendMessageW(hwnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.lParam, 42);
  // Adopting the list again turns that data back into records.
  CReportCtrl again;
  ASSERT_TRUE(again.Subclass(hwnd));
  EXPECT_EQ(again.GetItemData(1), 42u);
  EXPECT_EQ(again.GetItemTextColor(0, 0), GetSysColor(COLOR_WINDOWTEXT));
  DestroyWindow(dlg.GetHwnd());
}

TEST_F(ReportModel, TypedSettersFormatTheirValues) {
  Fill(*list, 2, {{"a"}});
  list->SetItemNumber(0, 1, 3, 2);
  EXPECT_EQ(list->GetItemText(0, 1), "3.00");
  list->SetItemInt(0, 1, -42);
  EXPECT_EQ(list->GetItemText(0, 1), "-42");
  list->SetItemUInt(0, 1, 4000000000u);
  EXPECT_EQ(list->GetItemText(0, 1), "4000000000");
  list->SetItemChar(0, 1, 'Z');
  EXPECT_EQ(list->GetItemText(0, 1), "Z");
  EXPECT_FALSE(list->SetItemInt(5, 0, 1));
  // A date in the user's locale; an invalid one empties the cell.
  DATE date = 0;
  ASSERT_EQ(VarDateFromStr(const_cast<OLECHAR*>(L"2024-03-05"), LOCALE_USER_DEFAULT, 0, &date), S_OK);
  list->SetItemDate(0, 1, date, VAR_DATEVALUEONLY);
  const std::string shown = list->GetItemText(0, 1);
  EXPECT_NE(shown.find("2024"), std::string::npos) << shown;
  EXPECT_NE(shown.find('5'), std::string::npos) << shown;
  list->SetItemDate(0, 1, std::nan(""));
  EXPECT_EQ(list->GetItemText(0, 1), "");
  list->SetItemText(0, 1, "x");
  list->SetItemDate(0, 1, 1e10);  // beyond the year 9999
  EXPECT_EQ(list->GetItemText(0, 1), "");
}

TEST_F(ReportModel, ColumnHeaderSpecificationsRebuildTheList) {
  Fill(*list, 3, {{"a"}, {"b"}});
  EXPECT_TRUE(list->SetColumnHeader("ID,50,1;\xc9\xe8\xb1\xb8,160,2;;Note"));
  EXPECT_EQ(list->GetItemCount(), 0);
  ASSERT_EQ(list->GetColumnCount(), 3);
  const struct { int width, align; } expected[] = {{50, LVCFMT_CENTER}, {160, LVCFMT_RIGHT}, {100, LVCFMT_LEFT}};
  for (int c = 0; c < 3; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH;
    SendMessageW(hwnd, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    EXPECT_EQ(column.cx, expected[c].width) << c;
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, expected[c].align) << c;
  }
  EXPECT_EQ(list->GetHeaderText(1), "\xc9\xe8\xb1\xb8");
  EXPECT_TRUE(list->SetHeaderText(2, nullptr));
  EXPECT_EQ(list->GetHeaderText(2), "");
  EXPECT_EQ(list->GetHeaderText(9), "");
  EXPECT_FALSE(list->SetColumnHeader(";;,"));
  EXPECT_EQ(list->GetColumnCount(), 0);
}

// Texts are GBK on our side and UTF-16 in the list view, whatever the system code page.
TEST_F(ReportModel, GbkTextsReachTheListViewAsUnicode) {
  ASSERT_EQ(list->InsertColumn(0, "\xc9\xe8\xb1\xb8"), 0);  // 设备
  ASSERT_EQ(list->InsertColumn(1, "ID"), 1);
  ASSERT_EQ(list->InsertItemEx(0, "\xd6\xc6\xb6\xaf", "\xbe\xd9\xc9\xfd", "ignored", nullptr), 0);  // 制动, 举升
  EXPECT_EQ(WideCell(hwnd, 0, 0), L"\u5236\u52a8");
  EXPECT_EQ(WideCell(hwnd, 0, 1), L"\u4e3e\u5347");
  EXPECT_EQ(list->GetItemText(0, 1), "\xbe\xd9\xc9\xfd");
  char small[4];
  EXPECT_EQ(list->GetItemText(0, 0, small, 4), 2);  // never half a character
  EXPECT_STREQ(small, "\xd6\xc6");
  HDITEMW header{};
  wchar_t text[16] = {};
  header.mask = HDI_TEXT;
  header.pszText = text;
  header.cchTextMax = 16;
  SendMessageW(list->GetHeader(), HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&header));
  EXPECT_STREQ(text, L"\u8bbe\u5907");
}

TEST_F(ReportModel, RowAndHeaderImages) {
  Fill(*list, 2, {{"a"}, {"b"}});
  ASSERT_TRUE(list->SetRowImages(IDB_REPORT_IMAGES, RGB(255, 0, 255)));
  HIMAGELIST images = list->GetImageList();
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 4);
  EXPECT_TRUE(list->SetItemImage(1, 1, 2));
  EXPECT_EQ(list->GetItemImage(1, 1), 2);
  EXPECT_EQ(list->GetItemImage(9, 1), -1);
  // The header borrows the rows' list when it has none.
  EXPECT_TRUE(list->SetHeaderImage(1, 3, false));
  EXPECT_EQ(list->GetHeaderImage(1), 3);
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageW(list->GetHeader(), HDM_GETIMAGELIST, 0, 0)), images);
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  SendMessageW(list->GetHeader(), HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_EQ(item.fmt & (HDF_IMAGE | HDF_BITMAP_ON_RIGHT), HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
  // Replacing the lists twice leaves the list view with working ones.
  ASSERT_TRUE(list->SetHeaderImages(IDB_REPORT_IMAGES, RGB(255, 0, 255)));
  ASSERT_TRUE(list->SetHeaderImages(IDB_REPORT_IMAGES, RGB(255, 0, 255)));
  ASSERT_TRUE(list->SetRowImages(IDB_REPORT_IMAGES, RGB(255, 0, 255)));
  EXPECT_EQ(ImageList_GetImageCount(list->GetImageList()), 4);
  EXPECT_FALSE(list->SetRowImages(9999, 0));
  EXPECT_EQ(list->GetHeaderImage(9), -1);
}

}  // namespace
