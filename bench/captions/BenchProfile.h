// calib.ini held in memory and the system library's comma fields, so the benchmark can tell the
// collection's own share from that of the profile functions.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "station/Captions.h"

namespace bench {

// "[name]" starts a section, "key=value" adds a key to it. Section lists and values that do not fit
// are cut to the buffer (the benchmark's files fit).
class MemoryProfile final : public station::ProfileReader {
 public:
  explicit MemoryProfile(const std::string& text) {
    for (std::size_t pos = 0, end = 0; pos < text.size(); pos = end + 1) {
      end = std::min(text.find('\n', pos), text.size());
      std::string line = text.substr(pos, end - pos);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const std::size_t eq = line.find('=');
      if (!line.empty() && line[0] == '[') {
        sections_.push_back({line.substr(1, line.rfind(']') - 1), {}});
      } else if (eq != std::string::npos && !sections_.empty()) {
        sections_.back().second.emplace_back(line.substr(0, eq), line.substr(eq + 1));
      }
    }
  }

  std::size_t SectionNames(char* buffer, std::size_t size) override {
    ++reads;
    std::string list;
    for (const auto& section : sections_) list += section.first + '\0';
    std::memset(buffer, 0, size);
    const std::size_t n = std::min(list.size(), size - 2);
    std::memcpy(buffer, list.data(), n);
    return n;
  }

  std::size_t String(const char* section, const char* key, char* buffer, std::size_t size) override {
    ++reads;
    buffer[0] = '\0';
    for (const auto& s : sections_) {
      if (s.first != section) continue;
      for (const auto& kv : s.second) {
        if (kv.first != key) continue;
        const std::size_t n = std::min(kv.second.size(), size - 1);
        std::memcpy(buffer, kv.second.data(), n);
        buffer[n] = '\0';
        return n;
      }
      return 0;
    }
    return 0;
  }

  int reads = 0;

 private:
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections_;
};

// Field index of text split at separator, copied to out; its length, or 0 when missing or empty.
inline int SplitField(const char* text, char* out, int index, char separator) {
  out[0] = '\0';
  const char* start = text;
  for (int i = 0; i < index && start != nullptr; ++i) {
    start = std::strchr(start, separator);
    if (start != nullptr) ++start;
  }
  if (start == nullptr || index < 0) return 0;
  const char* end = std::strchr(start, separator);
  const std::size_t n = end == nullptr ? std::strlen(start) : static_cast<std::size_t>(end - start);
  std::memcpy(out, start, n);
  out[n] = '\0';
  return static_cast<int>(n);
}

inline int CommaField(const char* text, char* out, int index) { return SplitField(text, out, index, ','); }
inline int Field2(const char* text, char* out, int index, char delimiter) {
  return SplitField(text, out, index, delimiter);
}

class CommaFields final : public station::FieldSplitter {
 public:
  int Field(const char* text, char* out, int index) override { return CommaField(text, out, index); }
  int Field2(const char* text, char* out, int index, char delimiter) override {
    return SplitField(text, out, index, delimiter);
  }
};

}  // namespace bench
