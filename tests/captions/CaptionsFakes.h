// Stand-ins for calib.ini and the system library's field functions, shared by the tests and the
// fuzz target.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "app/Captions.h"

namespace captest {

// An INI file in memory with the system's profile semantics: sections in file order, names and keys
// matched without regard to ASCII case, the first match wins, values cut to the buffer.
class MemoryProfile final : public panel::ProfileReader {
 public:
  // Starts a section; Set adds keys to the last section started.
  MemoryProfile& Section(std::string name);
  MemoryProfile& Set(std::string key, std::string value);
  // Removes every key named key from the section named section.
  void Erase(const std::string& section, const std::string& key);

  // "[name]" starts a section (kept as written, blanks included), "key=value" adds a key (blanks
  // around both trimmed), other lines are ignored.
  static MemoryProfile Parse(const char* text, std::size_t size);

  std::size_t SectionNames(char* buffer, std::size_t size) override;
  std::size_t String(const char* section, const char* key, char* buffer, std::size_t size) override;

  int reads = 0;

 private:
  struct Entry {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
  };
  std::vector<Entry> sections_;
};

// Contract-honouring field functions: field index of text split at one separator byte, copied to
// out with its length as the result; 0 and an empty out when missing or empty.
int SplitField(const char* text, char* out, int index, char separator);

// GetField with a given separator; GetField2 as the system library's.
class SeparatorFields final : public panel::FieldSplitter {
 public:
  explicit SeparatorFields(char separator) : separator_(separator) {}
  int Field(const char* text, char* out, int index) override;
  int Field2(const char* text, char* out, int index, char delimiter) override;
  int fieldCalls = 0;

 private:
  char separator_;
};

// The system library without GetField (and, if asked, without GetField2): the wrappers' -1000.
class MissingFields final : public panel::FieldSplitter {
 public:
  explicit MissingFields(bool field2Too) : field2Too_(field2Too) {}
  int Field(const char* text, char* out, int index) override;
  int Field2(const char* text, char* out, int index, char delimiter) override;

 private:
  bool field2Too_;
};

// A library that fills the whole 2000-byte output without a terminator and reports it found.
// Field does so for index 0 only (then ends the list); Field2 always.
class UnterminatedFields final : public panel::FieldSplitter {
 public:
  UnterminatedFields(char fieldByte, char field2Byte) : fieldByte_(fieldByte), field2Byte_(field2Byte) {}
  int Field(const char* text, char* out, int index) override;
  int Field2(const char* text, char* out, int index, char delimiter) override;

 private:
  char fieldByte_;
  char field2Byte_;
};

}  // namespace captest
