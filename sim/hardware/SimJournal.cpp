#include "sim/hardware/SimJournal.h"

#include <cstdio>
#include <cstring>

namespace hwsim {

namespace {
constexpr char kCutMark[] = "...";
constexpr std::size_t kCutReserve = sizeof(kCutMark);  // the mark and the terminating NUL
}  // namespace

CJournalLine::CJournalLine(const char* entry) {
  m_szLine[0] = '\0';
  Append(entry, std::strlen(entry));
}

void CJournalLine::Append(const char* text, std::size_t length) {
  if (m_bCut) return;
  if (m_nLength + length + kCutReserve > kCapacity) {
    // Pieces are whole numbers or whole characters: one that does not fit is left out entirely.
    std::memcpy(m_szLine + m_nLength, kCutMark, sizeof(kCutMark));
    m_nLength += sizeof(kCutMark) - 1;
    m_bCut = true;
    return;
  }
  std::memcpy(m_szLine + m_nLength, text, length);
  m_nLength += length;
  m_szLine[m_nLength] = '\0';
}

void CJournalLine::Separate() { Append(" ", 1); }

CJournalLine& CJournalLine::Int(std::int32_t value) {
  char number[16];
  const int n = std::snprintf(number, sizeof(number), " %ld", static_cast<long>(value));
  Append(number, static_cast<std::size_t>(n));
  return *this;
}

CJournalLine& CJournalLine::Unsigned(std::uint32_t value) {
  char number[16];
  const int n = std::snprintf(number, sizeof(number), " %lu", static_cast<unsigned long>(value));
  Append(number, static_cast<std::size_t>(n));
  return *this;
}

CJournalLine& CJournalLine::Text(const char* text) {
  Separate();
  if (text == nullptr) {
    Append("null", 4);
    return *this;
  }
  Append("\"", 1);
  for (const char* p = text; *p != '\0' && !m_bCut; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      const char escaped[2] = {'\\', static_cast<char>(c)};
      Append(escaped, 2);
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      const int n = std::snprintf(escaped, sizeof(escaped), "\\x%02X", c);
      Append(escaped, static_cast<std::size_t>(n));
    } else if (c >= 0x81 && c <= 0xFE && static_cast<unsigned char>(p[1]) >= 0x40 &&
               static_cast<unsigned char>(p[1]) != 0x7F && static_cast<unsigned char>(p[1]) != 0xFF) {
      Append(p, 2);  // a double-byte GBK character stays whole
      ++p;
    } else {
      Append(p, 1);
    }
  }
  Append("\"", 1);
  return *this;
}

CJournalLine& CJournalLine::Buffer(const void* pointer) {
  Separate();
  if (pointer == nullptr) {
    Append("null", 4);
  } else {
    Append("ptr", 3);
  }
  return *this;
}

}  // namespace hwsim
