#include "cfgmgr/RowSort.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "framework/GbkText.h"

namespace report {

namespace {

// White space as the C library sees it in the "C" locale (the program never changes the locale).
bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

template <typename T>
int Order(T a, T b) {
  if (a < b) return -1;
  if (a > b) return 1;
  return 0;
}

// Rule 4: letters folded, then bytes, so the order is total and does not depend on the locale.
int TextOrder(const char* a, const char* b) {
  const int folded = fw::GbkCompareNoCase(a, b);
  if (folded != 0) return folded < 0 ? -1 : 1;
  const int exact = std::strcmp(a, b);
  return exact < 0 ? -1 : (exact > 0 ? 1 : 0);
}

bool IsSeparator(const std::string& text, const char* separator) {
  return separator != nullptr && std::strcmp(text.c_str(), separator) == 0;
}

// First separator row with index >= from, or -1.
int FindSeparator(const std::vector<std::string>& texts, const char* separator, int from) {
  if (separator == nullptr) return -1;
  for (int row = from < 0 ? 0 : from; row < static_cast<int>(texts.size()); ++row) {
    if (IsSeparator(texts[static_cast<std::size_t>(row)], separator)) return row;
  }
  return -1;
}

// Splits the rows into blocks at separator rows and quicksorts the index array of each block.
template <typename Compare>
std::vector<int> SortBlocks(const std::vector<std::string>& texts, const char* separator, bool ascending,
                            Compare cmp) {
  const int count = static_cast<int>(texts.size());
  std::vector<int> order(static_cast<std::size_t>(count));
  for (int row = 0; row < count; ++row) order[static_cast<std::size_t>(row)] = row;
  int start = -1;
  int next = FindSeparator(texts, separator, start + 1);
  bool last = false;
  do {
    if (next < 0) {
      next = count;
      last = true;
    }
    const int lo = start + 1;
    const int hi = next - 1;
    if (lo < hi && lo >= 0 && hi < count) QuickSortIndexes(order, lo, hi, ascending, cmp);
    start = FindSeparator(texts, separator, next);
    next = start < 0 ? -1 : FindSeparator(texts, separator, start + 1);
  } while (!last && start >= 0);
  return order;
}

std::vector<std::string> CollectTexts(const RowAccessor& rows) {
  const int count = rows.RowCount();
  std::vector<std::string> texts;
  if (count <= 0) return texts;
  texts.reserve(static_cast<std::size_t>(count));
  for (int row = 0; row < count; ++row) texts.push_back(rows.RowText(row));
  return texts;
}

// Adapts a list of texts and a plain parser function to the accessor.
class TextRows : public RowAccessor {
 public:
  TextRows(const std::vector<std::string>& texts, DateTimeParser parser) : m_texts(texts), m_parser(parser) {}
  int RowCount() const override { return static_cast<int>(m_texts.size()); }
  std::string RowText(int row) const override { return m_texts[static_cast<std::size_t>(row)]; }
  bool ParseDateTime(const char* text, double* value) const override {
    return m_parser != nullptr && m_parser(text, value);
  }

 private:
  const std::vector<std::string>& m_texts;
  DateTimeParser m_parser;
};

}  // namespace

bool ParseHexNumber(const char* text, std::uint32_t* value) {
  if (text == nullptr || *text == '\0') return false;
  const char* p = text;
  while (IsCSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // "0x" counts as a prefix only when a hex digit follows; otherwise the conversion stops at the x.
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigit(p[2]) >= 0) p += 2;
  if (HexDigit(*p) < 0) return false;
  std::uint64_t magnitude = 0;
  bool overflow = false;
  for (; HexDigit(*p) >= 0; ++p) {
    if (!overflow) {
      magnitude = magnitude * 16 + static_cast<std::uint64_t>(HexDigit(*p));
      if (magnitude > 0xFFFFFFFFull) overflow = true;
    }
  }
  if (*p != '\0') return false;
  std::uint32_t result = 0xFFFFFFFFu;
  if (!overflow) {
    result = static_cast<std::uint32_t>(magnitude);
    if (negative) result = static_cast<std::uint32_t>(0u - result);
  }
  if (value != nullptr) *value = result;
  return true;
}

bool ParseDecimalNumber(const char* text, double* value) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  const double parsed = std::strtod(text, &end);
  if (end == nullptr || end == text) return false;
  if (!(*end == '\0' || (*end == '%' && end[1] == '\0'))) return false;
  if (value != nullptr) *value = parsed;
  return true;
}

int CompareCellTexts(const char* a, const char* b, const RowAccessor& rows) {
  std::uint32_t hexA = 0;
  std::uint32_t hexB = 0;
  if (ParseHexNumber(a, &hexA) && ParseHexNumber(b, &hexB)) return Order(hexA, hexB);
  double decA = 0;
  double decB = 0;
  if (ParseDecimalNumber(a, &decA) && ParseDecimalNumber(b, &decB)) return Order(decA, decB);
  double dateA = 0;
  double dateB = 0;
  if (rows.ParseDateTime(a, &dateA) && rows.ParseDateTime(b, &dateB)) return Order(dateA, dateB);
  return TextOrder(a, b);
}

SortKey::SortKey(std::string text) : m_text(std::move(text)) {
  m_isHex = ParseHexNumber(m_text.c_str(), &m_hex);
  m_isDecimal = ParseDecimalNumber(m_text.c_str(), &m_decimal);
}

bool SortKey::DateTime(const RowAccessor& rows, double* value) const {
  if (m_dateState < 0) {
    double parsed = 0;
    m_dateState = rows.ParseDateTime(m_text.c_str(), &parsed) ? 1 : 0;
    m_date = parsed;
  }
  *value = m_date;
  return m_dateState == 1;
}

int SortKey::Compare(const SortKey& a, const SortKey& b, const RowAccessor& rows) {
  if (a.m_isHex && b.m_isHex) return Order(a.m_hex, b.m_hex);
  if (a.m_isDecimal && b.m_isDecimal) return Order(a.m_decimal, b.m_decimal);
  double dateA = 0;
  double dateB = 0;
  if (a.DateTime(rows, &dateA) && b.DateTime(rows, &dateB)) return Order(dateA, dateB);
  return TextOrder(a.m_text.c_str(), b.m_text.c_str());
}

std::vector<int> SortRows(const RowAccessor& rows, const char* separator, bool ascending) {
  std::vector<std::string> texts = CollectTexts(rows);
  std::vector<SortKey> keys;
  keys.reserve(texts.size());
  for (const std::string& text : texts) keys.emplace_back(text);
  return SortBlocks(texts, separator, ascending, [&](int x, int y) {
    return SortKey::Compare(keys[static_cast<std::size_t>(x)], keys[static_cast<std::size_t>(y)], rows);
  });
}

std::vector<int> SortRowsComparingTexts(const RowAccessor& rows, const char* separator, bool ascending) {
  const std::vector<std::string> texts = CollectTexts(rows);
  return SortBlocks(texts, separator, ascending, [&](int x, int y) {
    return CompareCellTexts(texts[static_cast<std::size_t>(x)].c_str(), texts[static_cast<std::size_t>(y)].c_str(),
                            rows);
  });
}

std::vector<int> SortTextRows(const std::vector<std::string>& texts, const char* separator, bool ascending,
                              DateTimeParser parser) {
  const TextRows rows(texts, parser);
  return SortRows(rows, separator, ascending);
}

}  // namespace report
