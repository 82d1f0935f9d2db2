// GBK text helpers that need no window: character boundaries, bounded copies, keyword removal,
// ASCII-only case folding. GBK is a double-byte code page: a byte 0x81..0xFE starts a two-byte
// character whose second byte may look like ASCII, so byte-wise search and cutting can split or
// falsely match characters.
#pragma once

#include <cstddef>

namespace fw {

inline bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Length in bytes of the character starting at text[0] (1 or 2); a lead byte followed by the
// terminator counts as one byte so the terminator is never swallowed.
std::size_t GbkCharLength(const char* text);

// Largest length <= maxBytes that ends on a character boundary of the NUL-terminated text.
std::size_t GbkBoundaryAtOrBefore(const char* text, std::size_t maxBytes);

// Copies src into dst (size dstSize, > 0) NUL-terminated, cutting on a character boundary.
// Returns the number of bytes copied (without the terminator).
std::size_t GbkCopyBounded(char* dst, std::size_t dstSize, const char* src);

// Appends src to the NUL-terminated dst (size dstSize) as far as it fits on a character boundary.
// Returns false when src was cut or nothing fitted.
bool GbkAppendBounded(char* dst, std::size_t dstSize, const char* src);

// First occurrence of needle in text that starts on a character boundary, or nullptr.
// An empty needle is never found.
const char* GbkFind(const char* text, const char* needle);

// Removes every occurrence of keyword from text in place (whole characters only).
// Returns the number of occurrences removed.
int GbkRemoveAll(char* text, const char* keyword);

// Compares two texts, folding only ASCII letters (bytes of double-byte characters compare exactly).
// Returns <0, 0, >0 like strcmp.
int GbkCompareNoCase(const char* a, const char* b);

}  // namespace fw
