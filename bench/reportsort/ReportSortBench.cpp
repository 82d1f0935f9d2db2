// Sorting the report list by a header click, against the list view's own sort (LVM_SORTITEMSEX)
// with the same row comparison, on the same rows of mixed texts: hexadecimal and decimal numbers,
// dates and words.
//
//   reportsort_bench [rows ...]      default: 1000 10000 50000
//
// The list view's own sort compares texts it fetches and parses at every comparison. It is skipped
// for a row count when the previous count's time, grown as n log n, would exceed 10 minutes
// (SP_BENCH_BUDGET seconds to change that).
#include <windows.h>
#include <commctrl.h>
#include <oleauto.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cfgmgr/ReportCtrl.h"
#include "cfgmgr/RowSort.h"
#include "framework/Dialog.h"
#include "framework/Text.h"
#include "tests/support/TestSupport.h"

namespace {

class BenchDialog : public fw::Dialog {
 public:
  BenchDialog() : fw::Dialog(100, nullptr) {}
  int sorts = 0;

 protected:
  bool HandleMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
    if (msg != WM_REPORT_SORTED) return false;
    ++sorts;
    result = 0;
    return true;
  }
};

// Deterministic mixed rows: a quarter each of hexadecimal numbers, decimal numbers (some with a
// percent sign), date-times and words.
std::vector<std::string> MakeRows(int count) {
  static const char* words[] = {"lift", "brake", "axle", "speed", "light", "switch", "motor", "sensor", "roller",
                                "gauge", "plate", "window", "pedal", "wheel", "horn", "lamp"};
  unsigned int state = 20240601u;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  std::vector<std::string> rows;
  rows.reserve(static_cast<std::size_t>(count));
  char text[64];
  for (int i = 0; i < count; ++i) {
    switch (next() % 4) {
      case 0:
        std::snprintf(text, sizeof(text), "%X", next() * 977u);
        break;
      case 1:
        if (next() % 3 == 0) {
          std::snprintf(text, sizeof(text), "%u.%u%%", next() % 100, next() % 10);
        } else {
          std::snprintf(text, sizeof(text), "%d.%02u", static_cast<int>(next() % 20000) - 10000, next() % 100);
        }
        break;
      case 2:
        std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u", 2000 + next() % 25, 1 + next() % 12,
                      1 + next() % 28, next() % 24, next() % 60);
        break;
      default:
        std::snprintf(text, sizeof(text), "%s %u", words[next() % 16], next() % 1000);
        break;
    }
    rows.push_back(text);
  }
  return rows;
}

double Fill(CReportCtrl& list, const std::vector<std::string>& rows) {
  const double start = sptest::Seconds();
  SendMessageW(list.GetHwnd(), WM_SETREDRAW, FALSE, 0);
  list.DeleteAllItems();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int row = list.InsertItem(static_cast<int>(i), rows[i].c_str());
    list.SetItemText(row, 1, std::to_string(i).c_str());
  }
  SendMessageW(list.GetHwnd(), WM_SETREDRAW, TRUE, 0);
  sptest::PumpMessages();
  return sptest::Seconds() - start;
}

// The platform's date-time parser, as the control uses it.
class DateRows : public report::RowAccessor {
 public:
  DateRows() = default;
  explicit DateRows(const std::vector<std::string>* rows) : rows_(rows) {}
  int RowCount() const override { return rows_ != nullptr ? static_cast<int>(rows_->size()) : 0; }
  std::string RowText(int row) const override { return (*rows_)[static_cast<std::size_t>(row)]; }
  bool ParseDateTime(const char* text, double* value) const override {
    const std::wstring wide = fw::GbkToWide(text);
    DATE date = 0;
    if (FAILED(VarDateFromStr(const_cast<OLECHAR*>(wide.c_str()), LOCALE_USER_DEFAULT, 0, &date))) return false;
    *value = date >= 0 ? date : 2 * std::trunc(date) - date;
    return true;
  }

 private:
  const std::vector<std::string>* rows_ = nullptr;
};

struct SortContext {
  HWND list;
  DateRows dates;
  long long comparisons = 0;
};

std::string CellText(HWND list, int row) {
  wchar_t buffer[128] = {};
  LVITEMW item{};
  item.iSubItem = 0;
  item.pszText = buffer;
  item.cchTextMax = 128;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return fw::WideToGbk(buffer);
}

int CALLBACK CompareByIndex(LPARAM first, LPARAM second, LPARAM context) {
  SortContext* sort = reinterpret_cast<SortContext*>(context);
  ++sort->comparisons;
  const std::string a = CellText(sort->list, static_cast<int>(first));
  const std::string b = CellText(sort->list, static_cast<int>(second));
  return report::CompareCellTexts(a.c_str(), b.c_str(), sort->dates);
}

double ClickHeader(BenchDialog& dialog, CReportCtrl& list, int column) {
  HWND header = list.GetHeader();
  RECT item{};
  SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  const int before = dialog.sorts;
  const double start = sptest::Seconds();
  PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageW(header, WM_LBUTTONUP, 0, point);
  while (dialog.sorts == before) {
    MSG msg;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  const double elapsed = sptest::Seconds() - start;
  Sleep(GetDoubleClickTime() + 50);  // the next click is not a double click
  sptest::PumpMessages();
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {1000, 10000, 50000};
  const char* budgetText = std::getenv("SP_BENCH_BUDGET");
  const double budget = budgetText != nullptr ? std::atof(budgetText) : 600.0;

  BenchDialog dialog;
  if (!dialog.CreateModeless()) {
    std::fprintf(stderr, "reportsort: cannot create the dialog\n");
    return 1;
  }
  CReportCtrl list;
  if (!list.Create(dialog.GetHwnd(), 1164)) {
    std::fprintf(stderr, "reportsort: cannot create the list\n");
    return 1;
  }
  list.InsertColumn(0, "text", LVCFMT_LEFT, 200);
  list.InsertColumn(1, "n", LVCFMT_LEFT, 80);
  ShowWindow(dialog.GetHwnd(), SW_SHOW);
  sptest::PumpMessages();

  std::printf("Sorting mixed rows (hex, decimal, date-time, words) in a report list under the platform's list view\n");
  std::printf("%8s %8s %12s %12s %10s %18s %12s\n", "rows", "fill s", "click asc s", "click desc s", "order s",
              "LVM_SORTITEMSEX s", "comparisons");
  double lastNative = 0;
  int lastCount = 0;
  for (int count : counts) {
    const std::vector<std::string> rows = MakeRows(count);
    const double fill = Fill(list, rows);
    const double ascending = ClickHeader(dialog, list, 0);
    // The order alone (texts in memory, keys parsed once, no list view), for the share of the click.
    const DateRows memory(&rows);
    double start = sptest::Seconds();
    report::SortRows(memory, nullptr, true);
    const double order = sptest::Seconds() - start;
    const double descending = ClickHeader(dialog, list, 0);

    // The same rows again, in the same order, for the list view's own sort.
    Fill(list, rows);
    double native = -1;
    long long comparisons = 0;
    double projected = 0;
    if (lastCount > 0) {
      projected = lastNative * (count * std::log(static_cast<double>(count))) /
                  (lastCount * std::log(static_cast<double>(lastCount)));
    }
    if (projected <= budget) {
      SortContext context;
      context.list = list.GetHwnd();
      start = sptest::Seconds();
      SendMessageW(list.GetHwnd(), LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(&context),
                   reinterpret_cast<LPARAM>(&CompareByIndex));
      native = sptest::Seconds() - start;
      comparisons = context.comparisons;
      lastNative = native;
      lastCount = count;
    }
    std::printf("@bench|report list sort by header click, %d rows|%.3f|s|\n", count, ascending);
    if (native >= 0) {
      std::printf("@bench|list view sort (LVM_SORTITEMSEX), %d rows|%.3f|s|list view/report list %.1f\n", count,
                  native, native / ascending);
      std::printf("%8d %8.2f %12.3f %12.3f %10.3f %18.3f %12lld\n", count, fill, ascending, descending, order,
                  native, comparisons);
    } else {
      std::printf("@bench|list view sort (LVM_SORTITEMSEX), %d rows|-|s|skipped, projected %.0f s\n", count, projected);
      std::printf("%8d %8.2f %12.3f %12.3f %10.3f %18s %12s  (list view sort skipped: projected %.0f s)\n", count,
                  fill, ascending, descending, order, "-", "-", projected);
    }
    std::fflush(stdout);
  }
  DestroyWindow(dialog.GetHwnd());
  return 0;
}
