#include "sim/sysenv/FieldSplit.h"

#include <cstring>

namespace sim {

namespace {

// Bytes of the GBK character at p: two for a lead byte followed by a valid trail byte, else one.
// Checking the trail byte keeps a separator after a stray lead byte visible.
std::size_t CharLength(const char* p) {
  const unsigned char lead = static_cast<unsigned char>(p[0]);
  const unsigned char trail = static_cast<unsigned char>(p[1]);
  if (lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F) return 2;
  return 1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Finds field `index`: [begin, end) in text. False when the text has fewer fields.
bool FindField(const char* text, int index, char separator, const char** begin, const char** end) {
  const char* p = text;
  const char* fieldBegin = text;
  int field = 0;
  while (*p != '\0') {
    const std::size_t len = CharLength(p);
    if (len == 1 && *p == separator && separator != '\0') {
      if (field == index) break;
      ++field;
      fieldBegin = p + 1;
    }
    p += len;
  }
  if (field != index) return false;
  *begin = fieldBegin;
  *end = p;
  return true;
}

std::size_t CopyField(const char* begin, const char* end, char* out, std::size_t outSize) {
  const std::size_t room = outSize - 1;
  std::size_t n = 0;
  while (begin + n < end) {
    const std::size_t len = CharLength(begin + n);
    if (n + len > room || begin + n + len > end) break;
    n += len;
  }
  std::memcpy(out, begin, n);
  out[n] = '\0';
  return n;
}

std::size_t Field(const char* text, int index, char separator, bool trim, char* out, std::size_t outSize) {
  if (out == nullptr || outSize == 0) return 0;
  out[0] = '\0';
  if (text == nullptr || index < 0) return 0;
  const char* begin = nullptr;
  const char* end = nullptr;
  if (!FindField(text, index, separator, &begin, &end)) return 0;
  if (trim) {
    // A blank is never the second byte of a GBK character, so trimming byte-wise is safe.
    while (begin < end && IsBlank(*begin)) ++begin;
    while (end > begin && IsBlank(end[-1])) --end;
  }
  return CopyField(begin, end, out, outSize);
}

}  // namespace

std::size_t CommaField(const char* text, int index, char* out, std::size_t outSize) {
  return Field(text, index, ',', true, out, outSize);
}

std::size_t SeparatedField(const char* text, int index, char separator, char* out, std::size_t outSize) {
  return Field(text, index, separator, false, out, outSize);
}

}  // namespace sim
