// Fuzz target: hostile cell texts through the report list's row comparison and block sort.
// Input: a flag byte (bit 0 ascending, bit 1 the first row's text is the separator, bit 2 dates are
// recognised), then the rows, one per line. Checks for any rows: the comparison answers -1, 0 or 1,
// 0 for equal texts, the opposite for swapped texts, and the same with parsed keys as with texts;
// the sort gives a permutation that keeps separator rows in place and every row in its block,
// equals the sort that compares texts at every step, and orders blocks whose rows all compare by
// one rule (all hexadecimal, or all plain text).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzDriver.h"
#include "cfgmgr/RowSort.h"

namespace {

[[noreturn]] void Fail(const char* what, std::size_t a, std::size_t b) {
  std::fprintf(stderr, "rowsort fuzz: %s (rows %zu, %zu)\n", what, a, b);
  std::abort();
}

class Rows final : public report::RowAccessor {
 public:
  Rows(const std::vector<std::string>& texts, bool dates) : texts(texts), dates(dates) {}
  int RowCount() const override { return static_cast<int>(texts.size()); }
  std::string RowText(int row) const override { return texts.at(static_cast<std::size_t>(row)); }
  // "YYYY-MM-DD", standing for the platform's parser.
  bool ParseDateTime(const char* text, double* value) const override {
    int y = 0, m = 0, d = 0, used = 0;
    if (!dates || std::sscanf(text, "%4d-%2d-%2d%n", &y, &m, &d, &used) != 3 || text[used] != '\0') return false;
    *value = (y * 13.0 + m) * 32 + d;
    return true;
  }
  int Compare(std::size_t a, std::size_t b) const {
    return report::CompareCellTexts(texts[a].c_str(), texts[b].c_str(), *this);
  }
  // 0 hexadecimal, 1 plain text, -1 a rule that does not order all texts (decimal: NaN; dates).
  int RuleOf(std::size_t row) const {
    const char* text = texts[row].c_str();
    double ignored = 0;
    if (report::ParseHexNumber(text, nullptr)) return 0;
    return report::ParseDecimalNumber(text, &ignored) || ParseDateTime(text, &ignored) ? -1 : 1;
  }

  const std::vector<std::string>& texts;
  bool dates;
};

}  // namespace

const char* const* FuzzTokens(std::size_t* count) {
  static const char* const kTokens[] = {"\n", "0x", "-", "+", "%", ".", "e", "E+308", "e-400", "nan", "inf", "ffffffff",
      "100000000", "0x1p3", " ", "\t", "2024-02-30", "1999-12-31", "Brake", "\xC9\xE8\xB1\xB8", "\xC9", "--"};
  *count = sizeof kTokens / sizeof kTokens[0];
  return kTokens;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::vector<std::string> texts(1);
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == '\n')
      texts.emplace_back();
    else if (data[i] != '\0')  // cell texts are NUL-terminated: a NUL cannot be inside one
      texts.back() += static_cast<char>(data[i]);
  }
  const Rows rows(texts, (data[0] & 4) != 0);
  const bool ascending = (data[0] & 1) != 0;
  const char* separator = (data[0] & 2) != 0 ? texts.front().c_str() : nullptr;

  const std::size_t n = texts.size() < 40 ? texts.size() : 40;  // pairs grow fast
  const std::vector<report::SortKey> keys(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(n));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      const int c = rows.Compare(i, j);
      if (rows.Compare(j, i) != -c || report::SortKey::Compare(keys[i], keys[j], rows) != c)
        Fail("not antisymmetric, or parsed keys disagree with texts", i, j);
    }
  }

  const std::vector<int> order = report::SortRows(rows, separator, ascending);
  if (order != report::SortRowsComparingTexts(rows, separator, ascending) || order.size() != texts.size())
    Fail("parsed sort differs, or rows lost or added", order.size(), texts.size());
  std::vector<std::size_t> block(texts.size());
  for (std::size_t k = 0, b = 0; k < texts.size(); ++k) {
    const std::size_t step = separator != nullptr && texts[k] == separator ? 1 : 0;
    block[k] = b + step;  // a separator row is a block of its own
    b += 2 * step;
  }
  std::vector<bool> seen(texts.size(), false);
  std::vector<int> rule(texts.size() * 2 + 1, -2);  // per block: -2 no row yet, -1 mixed
  for (std::size_t k = 0; k < order.size(); ++k) {
    const auto row = static_cast<std::size_t>(order[k]);
    if (order[k] < 0 || row >= texts.size() || seen[row] || block[row] != block[k])
      Fail("not a permutation within the blocks", k, row);
    seen[row] = true;
    int& r = rule[block[k]];
    r = r == -2 || r == rows.RuleOf(k) ? rows.RuleOf(k) : -1;
  }
  for (std::size_t k = 0; k + 1 < order.size(); ++k) {
    if (block[k] != block[k + 1] || rule[block[k]] < 0) continue;
    const int c = rows.Compare(static_cast<std::size_t>(order[k]), static_cast<std::size_t>(order[k + 1]));
    if (ascending ? c > 0 : c < 0) Fail("a block of one rule is out of order", k, k + 1);
  }
  return 0;
}
