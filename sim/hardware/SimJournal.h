// One journal line per entry call: the entry name, then its arguments separated by blanks.
// Integers are written in decimal (32-bit arguments as signed), a text argument in double quotes
// (a quote or backslash inside it preceded by a backslash, control bytes as \xHH), a buffer
// argument as "ptr" or "null". The line is built in a fixed buffer (a long line is cut between
// two characters and marked with "..."), so writing it needs no memory from the heap, even when a fault follows.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hwsim {

class CJournalLine {
 public:
  static constexpr std::size_t kCapacity = 512;

  explicit CJournalLine(const char* entry);

  CJournalLine& Int(std::int32_t value);
  CJournalLine& Unsigned(std::uint32_t value);
  CJournalLine& Text(const char* text);
  CJournalLine& Buffer(const void* pointer);

  // The line without its end-of-line.
  const char* c_str() const { return m_szLine; }
  std::size_t size() const { return m_nLength; }

 private:
  void Append(const char* text, std::size_t length);
  void Separate();

  char m_szLine[kCapacity];
  std::size_t m_nLength = 0;
  bool m_bCut = false;
};

}  // namespace hwsim
