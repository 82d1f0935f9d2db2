// Fuzz target: hostile cell texts through the report list's row comparison and block sort.
// Input: a flag byte (bit 0 ascending, bit 1 the first row's text is the separator, bit 2 dates are
// recognised), then the rows, one per line. Checks for any rows: the comparison answers -1, 0 or 1,
// 0 for a text with itself, the opposite for swapped texts, and the same with parsed keys as with
// texts; the sort gives a permutation that keeps separator rows in place and every row in its block,
// equals the sort that compares texts at every step, and orders blocks whose rows all compare by one
// rule (all hexadecimal, or all plain text).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzDriver.h"
#include "cfgmgr/RowSort.h"

namespace {

constexpr std::size_t kMaxRows = 300;
constexpr std::size_t kMaxPairRows = 40;

[[noreturn]] void Fail(const char* what, std::size_t a, std::size_t b) {
  std::fprintf(stderr, "rowsort fuzz: %s (rows %zu, %zu)\n", what, a, b);
  std::abort();
}

// "YYYY-MM-DD" and nothing else.
bool ParseDate(const char* text, double* value) {
  if (std::strlen(text) != 10 || text[4] != '-' || text[7] != '-') return false;
  double v = 0;
  for (int i = 0; i < 10; ++i) {
    if (i == 4 || i == 7) continue;
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  *value = v;
  return true;
}

class Rows final : public report::RowAccessor {
 public:
  Rows(const std::vector<std::string>& texts, bool dates) : texts_(texts), dates_(dates) {}
  int RowCount() const override { return static_cast<int>(texts_.size()); }
  std::string RowText(int row) const override { return texts_.at(static_cast<std::size_t>(row)); }
  bool ParseDateTime(const char* text, double* value) const override { return dates_ && ParseDate(text, value); }

 private:
  const std::vector<std::string>& texts_;
  bool dates_;
};

void CheckComparison(const std::vector<std::string>& texts, const Rows& rows) {
  const std::size_t n = texts.size() < kMaxPairRows ? texts.size() : kMaxPairRows;
  std::vector<report::SortKey> keys;
  for (std::size_t i = 0; i < n; ++i) keys.emplace_back(texts[i]);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      const int c = report::CompareCellTexts(texts[i].c_str(), texts[j].c_str(), rows);
      if (c < -1 || c > 1) Fail("comparison outside -1..1", i, j);
      if (texts[i] == texts[j] && c != 0) Fail("equal texts compare unequal", i, j);
      if (report::CompareCellTexts(texts[j].c_str(), texts[i].c_str(), rows) != -c) Fail("not antisymmetric", i, j);
      if (report::SortKey::Compare(keys[i], keys[j], rows) != c) Fail("parsed keys disagree with texts", i, j);
    }
  }
}

enum class Rule { kHex, kText, kOther };

Rule RuleOf(const std::string& text, const Rows& rows) {
  if (report::ParseHexNumber(text.c_str(), nullptr)) return Rule::kHex;
  double ignored = 0;
  if (report::ParseDecimalNumber(text.c_str(), &ignored) || rows.ParseDateTime(text.c_str(), &ignored))
    return Rule::kOther;
  return Rule::kText;
}

void CheckSort(const std::vector<std::string>& texts, const Rows& rows, const char* separator, bool ascending) {
  const std::vector<int> order = report::SortRows(rows, separator, ascending);
  if (order != report::SortRowsComparingTexts(rows, separator, ascending)) Fail("parsed sort differs", 0, 0);
  if (order.size() != texts.size()) Fail("sort lost or added rows", order.size(), texts.size());
  std::vector<bool> seen(texts.size(), false);
  // Block number of every position: separator rows end blocks and stay where they are.
  std::vector<int> block(texts.size(), 0);
  int b = 0;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const bool isSeparator = separator != nullptr && texts[k] == separator;
    if (isSeparator) ++b;
    block[k] = b;
    if (isSeparator) ++b;
  }
  for (std::size_t k = 0; k < order.size(); ++k) {
    const int row = order[k];
    if (row < 0 || static_cast<std::size_t>(row) >= texts.size() || seen[static_cast<std::size_t>(row)])
      Fail("not a permutation", k, static_cast<std::size_t>(row));
    seen[static_cast<std::size_t>(row)] = true;
    if (block[static_cast<std::size_t>(row)] != block[k]) Fail("a row left its block", k, static_cast<std::size_t>(row));
  }
  // Blocks of one rule are totally ordered: they must come out sorted.
  std::size_t start = 0;
  while (start < order.size()) {
    std::size_t end = start;
    while (end < order.size() && block[end] == block[start]) ++end;
    const Rule first = RuleOf(texts[static_cast<std::size_t>(order[start])], rows);
    bool uniform = first != Rule::kOther;
    for (std::size_t k = start; k < end && uniform; ++k)
      uniform = RuleOf(texts[static_cast<std::size_t>(order[k])], rows) == first;
    for (std::size_t k = start; uniform && k + 1 < end; ++k) {
      const int c = report::CompareCellTexts(texts[static_cast<std::size_t>(order[k])].c_str(),
                                             texts[static_cast<std::size_t>(order[k + 1])].c_str(), rows);
      if (ascending ? c > 0 : c < 0) Fail("a uniform block is out of order", k, k + 1);
    }
    start = end;
  }
}

}  // namespace

const char* const* FuzzTokens(std::size_t* count) {
  static const char* const kTokens[] = {"\n", "0x", "0X", "-", "+", "%", ".", "e", "E+308", "e-400", "nan", "inf",
                                        "ffffffff", "100000000", "0x1p3", " ", "\t", "2024-02-30", "1999-12-31",
                                        "Brake", "brake", "\xC9\xE8\xB1\xB8", "\xC9", "12.5%", "--"};
  *count = sizeof kTokens / sizeof kTokens[0];
  return kTokens;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const unsigned flags = data[0];
  std::vector<std::string> texts;
  std::string line;
  for (std::size_t i = 1; i < size && texts.size() < kMaxRows; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\n') {
      texts.push_back(line);
      line.clear();
    } else if (c != '\0') {  // cell texts are NUL-terminated: a NUL cannot be inside one
      line += c;
    }
  }
  if (texts.size() < kMaxRows) texts.push_back(line);

  const Rows rows(texts, (flags & 4) != 0);
  const std::string separator = texts.front();
  CheckComparison(texts, rows);
  CheckSort(texts, rows, (flags & 2) != 0 ? separator.c_str() : nullptr, (flags & 1) != 0);
  return 0;
}
