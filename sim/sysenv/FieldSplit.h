// Field splitting of the simulated system library (GetField, GetField2). Portable and free of
// global state, so it is tested natively and can be fed hostile input by fuzz targets.
//
// Texts are GBK: a separator is only recognised as a whole single-byte character, never as the
// second byte of a double-byte one, and a field cut to fit its buffer ends on a character boundary.
#pragma once

#include <cstddef>

namespace sim {

// Field `index` (counted from 0) of `text` split at commas, with blanks (spaces, tabs) around it
// dropped, copied NUL-terminated into `out` (`outSize` bytes), cut to outSize - 1 bytes if longer.
// Returns the number of bytes copied: 0 when the field is missing or empty, or when `text` is
// null or `index` negative. `out` is always terminated when outSize > 0.
std::size_t CommaField(const char* text, int index, char* out, std::size_t outSize);

// Field `index` of `text` split at `separator`, kept exactly as it is (blanks included); otherwise
// as CommaField. A NUL separator does not split: the whole text is field 0.
std::size_t SeparatedField(const char* text, int index, char separator, char* out, std::size_t outSize);

}  // namespace sim
