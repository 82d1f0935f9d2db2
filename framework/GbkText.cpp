#include "framework/GbkText.h"

#include <cstring>

namespace fw {

std::size_t GbkCharLength(const char* text) {
  const unsigned char c = static_cast<unsigned char>(text[0]);
  if (IsGbkLeadByte(c) && text[1] != '\0') return 2;
  return 1;
}

std::size_t GbkBoundaryAtOrBefore(const char* text, std::size_t maxBytes) {
  std::size_t pos = 0;
  while (text[pos] != '\0') {
    const std::size_t len = GbkCharLength(text + pos);
    if (pos + len > maxBytes) break;
    pos += len;
  }
  return pos;
}

std::size_t GbkCopyBounded(char* dst, std::size_t dstSize, const char* src) {
  if (dstSize == 0) return 0;
  const std::size_t n = GbkBoundaryAtOrBefore(src, dstSize - 1);
  std::memmove(dst, src, n);
  dst[n] = '\0';
  return n;
}

bool GbkAppendBounded(char* dst, std::size_t dstSize, const char* src) {
  const std::size_t used = strnlen(dst, dstSize);
  if (used + 1 >= dstSize) return src[0] == '\0';
  const std::size_t n = GbkCopyBounded(dst + used, dstSize - used, src);
  return src[n] == '\0';
}

const char* GbkFind(const char* text, const char* needle) {
  const std::size_t n = std::strlen(needle);
  if (n == 0) return nullptr;
  for (const char* p = text; *p != '\0'; p += GbkCharLength(p)) {
    if (std::strncmp(p, needle, n) == 0) return p;
  }
  return nullptr;
}

int GbkRemoveAll(char* text, const char* keyword) {
  const std::size_t n = std::strlen(keyword);
  if (n == 0) return 0;
  int removed = 0;
  char* out = text;
  const char* in = text;
  while (*in != '\0') {
    if (std::strncmp(in, keyword, n) == 0) {
      in += n;
      ++removed;
      continue;
    }
    const std::size_t len = GbkCharLength(in);
    std::memmove(out, in, len);
    out += len;
    in += len;
  }
  *out = '\0';
  return removed;
}

int GbkCompareNoCase(const char* a, const char* b) {
  for (;;) {
    unsigned char ca = static_cast<unsigned char>(*a);
    unsigned char cb = static_cast<unsigned char>(*b);
    const bool doubleA = IsGbkLeadByte(ca) && a[1] != '\0';
    const bool doubleB = IsGbkLeadByte(cb) && b[1] != '\0';
    if (!doubleA && ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (!doubleB && cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == '\0') return 0;
    if (doubleA && doubleB) {
      const unsigned char ta = static_cast<unsigned char>(a[1]);
      const unsigned char tb = static_cast<unsigned char>(b[1]);
      if (ta != tb) return ta < tb ? -1 : 1;
      a += 2;
      b += 2;
    } else {
      a += doubleA ? 2 : 1;
      b += doubleB ? 2 : 1;
    }
  }
}

}  // namespace fw
