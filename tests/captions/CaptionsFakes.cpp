#include "CaptionsFakes.h"

#include <algorithm>
#include <cstring>

#include "framework/GbkText.h"

namespace captest {

namespace {

bool SameName(const std::string& a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string Trim(std::string s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.back())) s.pop_back();
  std::size_t first = 0;
  while (first < s.size() && blank(s[first])) ++first;
  return s.substr(first);
}

}  // namespace

MemoryProfile& MemoryProfile::Section(std::string name) {
  sections_.push_back(Entry{std::move(name), {}});
  return *this;
}

MemoryProfile& MemoryProfile::Set(std::string key, std::string value) {
  if (sections_.empty()) Section("");
  sections_.back().keys.emplace_back(std::move(key), std::move(value));
  return *this;
}

void MemoryProfile::Erase(const std::string& section, const std::string& key) {
  for (Entry& e : sections_) {
    if (!SameName(e.name, section.c_str())) continue;
    e.keys.erase(std::remove_if(e.keys.begin(), e.keys.end(),
                                [&](const auto& kv) { return SameName(kv.first, key.c_str()); }),
                 e.keys.end());
  }
}

MemoryProfile MemoryProfile::Parse(const char* text, std::size_t size) {
  MemoryProfile profile;
  bool inSection = false;
  std::size_t pos = 0;
  while (pos < size) {
    std::size_t end = pos;
    while (end < size && text[end] != '\n') ++end;
    // Embedded NULs end a line's text, as they would in a file read as C strings.
    std::string line(text + pos, strnlen(text + pos, end - pos));
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      const std::size_t close = line.find(']');
      profile.Section(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      inSection = true;
      continue;
    }
    const std::size_t eq = line.find('=');
    if (!inSection || eq == std::string::npos) continue;
    profile.Set(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
  }
  return profile;
}

std::size_t MemoryProfile::SectionNames(char* buffer, std::size_t size) {
  ++reads;
  if (size == 0) return 0;
  std::memset(buffer, 0, size);
  if (size < 2) return 0;
  std::size_t out = 0;
  for (const Entry& e : sections_) {
    const std::string& name = e.name;
    if (out + name.size() + 2 <= size) {
      std::memcpy(buffer + out, name.data(), name.size());
      out += name.size() + 1;
      continue;
    }
    // Does not fit: the name is cut on a character boundary to fill the buffer, which ends in two
    // NULs.
    const std::size_t room = size - 2;
    if (out < room) std::memcpy(buffer + out, name.data(), fw::GbkBoundaryAtOrBefore(name.c_str(), room - out));
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return room;
  }
  return out;
}

std::size_t MemoryProfile::String(const char* section, const char* key, char* buffer, std::size_t size) {
  ++reads;
  if (size == 0) return 0;
  buffer[0] = '\0';
  for (const Entry& e : sections_) {
    if (!SameName(e.name, section)) continue;
    for (const auto& kv : e.keys) {
      if (!SameName(kv.first, key)) continue;
      const std::size_t n = std::min(kv.second.size(), size - 1);
      std::memcpy(buffer, kv.second.data(), n);
      buffer[n] = '\0';
      return n;
    }
    return 0;
  }
  return 0;
}

int SplitField(const char* text, char* out, int index, char separator) {
  out[0] = '\0';
  if (index < 0) return 0;
  const char* start = text;
  for (int i = 0; i < index; ++i) {
    start = std::strchr(start, separator);
    if (start == nullptr) return 0;
    ++start;
  }
  const char* end = std::strchr(start, separator);
  const std::size_t n = end == nullptr ? std::strlen(start) : static_cast<std::size_t>(end - start);
  std::memcpy(out, start, n);
  out[n] = '\0';
  return static_cast<int>(n);
}

int SeparatorFields::Field(const char* text, char* out, int index) {
  ++fieldCalls;
  return SplitField(text, out, index, separator_);
}

int SeparatorFields::Field2(const char* text, char* out, int index, char delimiter) {
  return SplitField(text, out, index, delimiter);
}

int MissingFields::Field(const char*, char*, int) { return -1000; }

int MissingFields::Field2(const char* text, char* out, int index, char delimiter) {
  if (field2Too_) return -1000;
  return SplitField(text, out, index, delimiter);
}

int UnterminatedFields::Field(const char*, char* out, int index) {
  if (index > 0) return 0;
  std::memset(out, fieldByte_, panel::kProfileBufferSize);
  return static_cast<int>(panel::kProfileBufferSize);
}

int UnterminatedFields::Field2(const char*, char* out, int, char) {
  std::memset(out, field2Byte_, panel::kProfileBufferSize);
  return static_cast<int>(panel::kProfileBufferSize);
}

}  // namespace captest
