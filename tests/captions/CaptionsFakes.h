// Stand-ins for calib.ini and the system library's field functions, shared by the captions tests,
// the captions fuzz target and the section listing's test.
#pragma once

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "station/Captions.h"
#include "framework/GbkText.h"

namespace captest {

// An INI file in memory with the profile functions' narrow semantics: sections in file order with
// their names as written, the first exact match wins, values cut to the buffer, and a section list
// that does not fit cut on a character boundary, ending in two NULs.
class MemoryProfile final : public station::ProfileReader {
 public:
  // "[name]" starts a section, "key=value" adds a key to it; other lines are ignored. A NUL ends a
  // line's text, as in a file read as C strings.
  explicit MemoryProfile(const std::string& text) {
    for (std::size_t pos = 0, end = 0; pos < text.size(); pos = end + 1) {
      end = std::min(text.find('\n', pos), text.size());
      std::string line(text.c_str() + pos, strnlen(text.c_str() + pos, end - pos));
      const std::size_t eq = line.find('=');
      if (line[0] == '[') names_.push_back(line.substr(1, line.rfind(']') - 1));
      if (line[0] != '[' && eq != std::string::npos && !names_.empty()) {
        values_.emplace_back(names_.back(), line.substr(0, eq), line.substr(eq + 1));
      }
    }
  }

  std::size_t SectionNames(char* buffer, std::size_t size) override {
    std::memset(buffer, 0, size);
    std::size_t out = 0;
    for (const std::string& name : names_) {
      if (out + name.size() + 2 > size) {
        const std::size_t room = size - 2 - std::min(out, size - 2);
        std::memcpy(buffer + out, name.data(), fw::GbkBoundaryAtOrBefore(name.c_str(), room));
        return size - 2;
      }
      std::memcpy(buffer + out, name.data(), name.size());
      out += name.size() + 1;
    }
    return out;
  }

  std::size_t String(const char* section, const char* key, char* buffer, std::size_t size) override {
    buffer[0] = '\0';
    for (const auto& [name, k, value] : values_) {
      if (name == section && k == key) return fw::GbkCopyBounded(buffer, size, value.c_str());
    }
    return 0;
  }

 private:
  std::vector<std::string> names_;
  std::vector<std::tuple<std::string, std::string, std::string>> values_;  // section, key, value
};

// How a system library answers: as its contract says (field `index` of the text split at one
// separator, copied with its length as the result; 0 and an empty output when missing or empty), as
// a missing entry (the wrappers' -1000), or filling the whole output without a terminator and reporting
// it found (index 0; later ones end the list).
enum class Lib { kPlain, kMissing, kFlood };

inline int LibField(Lib lib, const char* text, char* out, int index, char separator) {
  if (lib == Lib::kMissing) return -1000;
  if (lib == Lib::kFlood && index == 0) std::memset(out, 'F', station::kProfileBufferSize);
  if (lib == Lib::kFlood) return index == 0 ? static_cast<int>(station::kProfileBufferSize) : 0;
  out[0] = '\0';
  std::istringstream in(text);
  std::string field;
  for (int i = 0; i <= index; ++i) {
    if (!std::getline(in, field, separator)) return 0;
  }
  std::memcpy(out, field.c_str(), field.size() + 1);
  return static_cast<int>(field.size());
}

// GetField splitting at `separator`, and GetField2.
struct Fields final : station::FieldSplitter {
  explicit Fields(char s = ',', Lib f = Lib::kPlain, Lib f2 = Lib::kPlain) : separator(s), field(f), field2(f2) {}
  int Field(const char* text, char* out, int index) override { return LibField(field, text, out, index, separator); }
  int Field2(const char* text, char* out, int index, char delimiter) override {
    return LibField(field2, text, out, index, delimiter);
  }
  char separator;
  Lib field, field2;
};

}  // namespace captest
