// A station's INI files as the program reads them: through the system's private-profile functions,
// behind an interface so that the rules built on them are tested natively with readers of the
// tests' own.
#pragma once

#include <cstddef>

namespace station {

// Limits of one read.
constexpr std::size_t kProfileBufferSize = 2000;  // every profile read and every field output
constexpr int kMaxSections = 100;
constexpr std::size_t kSectionNameSize = 100;     // 99 characters and the terminator

// Reads one INI file with the system's private-profile semantics.
class ProfileReader {
 public:
  virtual ~ProfileReader() = default;
  // All section names, each NUL-terminated, the list ended by a second NUL. When the list does not
  // fit, the last name is cut to fill the buffer (a reader may stop a byte short to keep whole
  // characters), two NULs end it and the result is size - 2. Otherwise the result is the length
  // without the final NUL. A missing file gives 0 and "\0\0".
  virtual std::size_t SectionNames(char* buffer, std::size_t size) = 0;
  // The value of key in section (empty when absent), NUL-terminated and cut to size - 1 bytes.
  // Returns its length.
  virtual std::size_t String(const char* section, const char* key, char* buffer, std::size_t size) = 0;
};

}  // namespace station
