#include "station/SectionList.h"

#include <cstring>

namespace station {

int ReadSectionNames(ProfileReader& profile, SectionNameTable& names) {
  std::memset(names, 0, sizeof names);
  char buffer[kProfileBufferSize] = {};
  const std::size_t got = profile.SectionNames(buffer, sizeof buffer);
  // Whatever the reader did, the walk below ends inside the buffer.
  buffer[sizeof buffer - 1] = '\0';
  buffer[sizeof buffer - 2] = '\0';
  // A cut list comes back as size - 2, and so does one that just fits. A larger read tells them
  // apart: a whole list gives the same length again, a cut one more.
  char larger[kProfileBufferSize + 2];
  const bool cut = got == sizeof buffer - 2 && profile.SectionNames(larger, sizeof larger) != got;

  const char* const end = buffer + sizeof buffer;
  int count = 0;
  for (const char* p = buffer; p < end && *p != '\0' && *p != ' ' && count < kMaxSections;) {
    const std::size_t len = strnlen(p, static_cast<std::size_t>(end - p));
    const char* next = p + len + 1;
    const bool last = next >= end || *next == '\0';
    if (len < kSectionNameSize && !(cut && last)) {
      std::memcpy(names[count], p, len);
      ++count;
    }
    p = next;
  }
  return count;
}

}  // namespace station
