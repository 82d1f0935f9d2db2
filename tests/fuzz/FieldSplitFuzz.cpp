// Fuzz target: hostile text through the simulated system library's field splitting (GetField,
// GetField2). Input: the GetField2 separator, a small buffer size, then the text. Every field of
// both calls, into a buffer that fits and into the small one, must be the field of a plain GBK
// split (a separator counts only as a character of its own, never as the second byte of one),
// without its blanks for GetField, cut to the whole characters that fit; the call answers its
// length, stays inside the buffer and terminates it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzDriver.h"
#include "sim/sysenv/FieldSplit.h"

namespace {

[[noreturn]] void Fail(const char* what, int index) {
  std::fprintf(stderr, "fieldsplit fuzz: %s (field %d)\n", what, index);
  std::abort();
}

// A lead byte takes a valid trail byte with it; anything else is a character of one byte.
std::size_t CharLength(const std::string& s, std::size_t i) {
  const unsigned lead = static_cast<unsigned char>(s[i]);
  const unsigned trail = static_cast<unsigned char>(s[i + 1]);  // s[size()] is the terminator
  return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0, len = 0; i < text.size(); i += len) {
    len = CharLength(text, i);
    if (len == 1 && separator != '\0' && text[i] == separator) {
      fields.emplace_back();
    } else {
      fields.back().append(text, i, len);
    }
  }
  return fields;
}

std::string Expected(std::string field, bool comma, std::size_t room) {
  if (comma) {
    field.erase(0, field.find_first_not_of(" \t"));
    field.erase(field.find_last_not_of(" \t") + 1);
  }
  std::size_t n = 0;
  while (n < field.size() && n + CharLength(field, n) <= room) n += CharLength(field, n);
  return field.substr(0, n);
}

}  // namespace

const char* const* FuzzTokens(std::size_t* count) {
  static const char* const kTokens[] = {",", " ", "\t", "(", ")", "\\", "  ,  ", ",,", "\xC9\xE8\xB1\xB8", "\x81\x5C",
      "\x81\x2C", "\x81\x20", "\xFE", "\x81", "\x7F", "\x80", "\xA1\x40", "\xFF\xFF", "Lift_Up", "K1,K2,K3"};
  *count = sizeof kTokens / sizeof kTokens[0];
  return kTokens;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const char separator = static_cast<char>(data[0]);
  const std::size_t small = 1 + data[1] % 24;
  // The library gets a terminated text: the input up to its first NUL, in a block of its own size;
  // as long as the panel's profile buffers and more (longer adds nothing but time).
  const std::string text(std::string(reinterpret_cast<const char*>(data) + 2, size < 2102 ? size - 2 : 2100).c_str());
  const std::vector<char> exact(text.c_str(), text.c_str() + text.size() + 1);

  for (const bool comma : {false, true}) {
    const std::vector<std::string> fields = Split(text, comma ? ',' : separator);
    // Every field, and one before the first and one past the last (0 and an empty buffer).
    for (int i = -1; i <= static_cast<int>(fields.size()); ++i) {
      for (const std::size_t room : {text.size() + 1, small}) {
        std::vector<char> out(room, 'X');  // exactly the buffer: a write beyond it is caught by the sanitizer
        const std::size_t n = comma ? sim::CommaField(exact.data(), i, out.data(), room)
                                    : sim::SeparatedField(exact.data(), i, separator, out.data(), room);
        const bool exists = i >= 0 && i < static_cast<int>(fields.size());
        const std::string want = exists ? Expected(fields[static_cast<std::size_t>(i)], comma, room - 1) : "";
        if (n >= room || out[n] != '\0' || std::strlen(out.data()) != n || want != out.data())
          Fail(comma ? "wrong comma field" : "wrong separated field", i);
      }
    }
  }
  // A null text or buffer answers 0; an empty buffer is not written.
  char out = 'Z';
  if (sim::CommaField("a", 0, &out, 0) != 0 || out != 'Z' || sim::CommaField("a", 0, nullptr, 9) != 0 ||
      sim::SeparatedField(nullptr, 0, separator, &out, 1) != 0 || out != '\0')
    Fail("no text or no buffer, and still a field", 0);
  return 0;
}
