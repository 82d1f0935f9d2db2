// Row comparison and block sorting of the report list, kept free of any window so that it can be
// tested and fuzzed on its own. The list control reaches its rows through RowAccessor.
//
// Comparison of two cell texts A and B, first rule that applies:
//   1. both hexadecimal numbers (strtoul base 16 consumes the whole text): compare as unsigned 32-bit;
//   2. both decimal numbers (strtod consumes the whole text, or all of it but a final '%'): compare
//      as doubles (a NaN compares equal to everything);
//   3. both date-times (the accessor's parser): compare in time order;
//   4. text order: ASCII letters folded, then plain byte order as a tie-break, so "Brake" sorts
//      between "axle" and "lift" and texts that differ only in case still have a fixed order.
// The sort parses each row's text once per sort; the result is exactly what comparing the texts
// at every step would give (SortRowsComparingTexts is that reference).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace report {

// Access to the rows being sorted: the text of each row in the sort column (GBK) and the date-time
// parser the comparison uses.
class RowAccessor {
 public:
  virtual ~RowAccessor() = default;
  virtual int RowCount() const = 0;
  virtual std::string RowText(int row) const = 0;
  // True when text is a date-time; value then orders like the point in time it names.
  virtual bool ParseDateTime(const char* text, double* value) const = 0;
};

// The number classifications of rules 1 and 2, exposed for tests and the control's own use.
// Same grammar and results as the C library conversions with a 32-bit unsigned long (leading
// white space, optional sign, optional 0x prefix; a value beyond 32 bits gives 0xFFFFFFFF,
// a minus sign negates modulo 2^32). At least one digit must be converted.
bool ParseHexNumber(const char* text, std::uint32_t* value);
// strtod with the whole text consumed, or all but a last '%'. At least one character must be
// converted, so "%" alone is not a number.
bool ParseDecimalNumber(const char* text, double* value);

// The comparison above on two texts, parsing both at every call. Returns -1, 0 or 1.
int CompareCellTexts(const char* a, const char* b, const RowAccessor& rows);

// A row's text with its classifications, parsed once per sort. The date-time is parsed on first
// need only, since most comparisons are settled by the number rules.
class SortKey {
 public:
  explicit SortKey(std::string text);
  const std::string& Text() const { return m_text; }
  // Same result as CompareCellTexts on the two texts.
  static int Compare(const SortKey& a, const SortKey& b, const RowAccessor& rows);

 private:
  bool DateTime(const RowAccessor& rows, double* value) const;

  std::string m_text;
  std::uint32_t m_hex = 0;
  double m_decimal = 0;
  bool m_isHex = false;
  bool m_isDecimal = false;
  mutable signed char m_dateState = -1;  // -1 not parsed yet, 0 not a date-time, 1 a date-time
  mutable double m_date = 0;
};

// Quicksort of the index array a[lo..hi] with cmp(x, y) returning <0, 0, >0 for rows x and y.
// Partitioning as the list always did: middle pivot, i and j moving towards each other. It needs
// only that cmp gives the same answer for the same pair and 0 for a row with itself, not that it
// is transitive (the mixed rules are not: "10" < "11.5" < "f" < "10"): the pivot row, and after
// each swap the element just swapped, stop i and j inside the range. The smaller part is sorted by
// recursion and the larger by the loop, so the stack stays shallow for any input; the two parts
// are disjoint, so this changes nothing in the result.
template <typename Compare>
void QuickSortIndexes(std::vector<int>& a, int lo, int hi, bool ascending, Compare cmp) {
  while (lo < hi) {
    const int pivot = a[static_cast<std::size_t>((lo + hi) / 2)];
    int i = lo;
    int j = hi;
    do {
      if (ascending) {
        while (cmp(a[static_cast<std::size_t>(i)], pivot) < 0) ++i;
        while (cmp(a[static_cast<std::size_t>(j)], pivot) > 0) --j;
      } else {
        while (cmp(a[static_cast<std::size_t>(i)], pivot) > 0) ++i;
        while (cmp(a[static_cast<std::size_t>(j)], pivot) < 0) --j;
      }
      if (i <= j) {
        if (i != j) std::swap(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    // Both parts are strictly smaller than lo..hi: the first pass always swaps or meets at the pivot.
    if (j - lo < hi - i) {
      if (lo < j) QuickSortIndexes(a, lo, j, ascending, cmp);
      lo = i;
    } else {
      if (i < hi) QuickSortIndexes(a, i, hi, ascending, cmp);
      hi = j;
    }
  }
}

// Sorts the rows in blocks split by separator rows (rows whose text equals separator exactly;
// none when separator is null). Separator rows keep their places. Returns the new order:
// element k is the row that goes to position k. Rows that compare equal have no guaranteed order.
std::vector<int> SortRows(const RowAccessor& rows, const char* separator, bool ascending);

// The same sort comparing the texts at every step (no parsed keys): the reference for tests.
std::vector<int> SortRowsComparingTexts(const RowAccessor& rows, const char* separator, bool ascending);

// Entry point for arbitrary text rows (tests, fuzzing): sorts `texts` with the given date-time
// parser (null: nothing is a date-time) and returns the new order as SortRows does.
using DateTimeParser = bool (*)(const char* text, double* value);
std::vector<int> SortTextRows(const std::vector<std::string>& texts, const char* separator, bool ascending,
                              DateTimeParser parser);

}  // namespace report
