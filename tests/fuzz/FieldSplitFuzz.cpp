// Fuzz target: hostile text through the simulated system library's field splitting (GetField,
// GetField2). Input: the GetField2 separator, a small buffer size, then the text. Checks for any
// text: the output stays inside its buffer and is terminated; the fields joined with their
// separators give the text back (no byte lost, none doubled, no character split); GetField's field
// is GetField2's comma field without its blanks; a small buffer gets the longest whole-character
// prefix of the field that fits.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzDriver.h"
#include "sim/sysenv/FieldSplit.h"

namespace {

// Texts as long as the panel's profile buffers and more; longer inputs add nothing but time.
constexpr std::size_t kMaxText = 2100;

[[noreturn]] void Fail(const char* what, int index) {
  std::fprintf(stderr, "fieldsplit fuzz: %s (field %d)\n", what, index);
  std::abort();
}

// Characters as the library sees them: a lead byte takes a valid trail byte with it.
std::size_t CharLength(const unsigned char* p) {
  if (p[0] >= 0x81 && p[0] <= 0xFE && p[1] >= 0x40 && p[1] <= 0xFE && p[1] != 0x7F) return 2;
  return 1;
}

// Number of separators that stand as characters of their own.
int SeparatorCount(const std::string& text, char separator) {
  if (separator == '\0') return 0;
  int n = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text.c_str());
  while (*p != '\0') {
    const std::size_t len = CharLength(p);
    if (len == 1 && static_cast<char>(*p) == separator) ++n;
    p += len;
  }
  return n;
}

// One call into a buffer of exactly `size` bytes (a write beyond it is caught by the sanitizer).
std::string Call(bool comma, const char* text, int index, char separator, std::size_t size, std::size_t* length) {
  std::unique_ptr<char[]> out(new char[size]);
  std::memset(out.get(), 'X', size);
  const std::size_t n =
      comma ? sim::CommaField(text, index, out.get(), size) : sim::SeparatedField(text, index, separator, out.get(), size);
  if (n >= size) Fail("length not below the buffer size", index);
  if (out[n] != '\0' || std::strlen(out.get()) != n) Fail("length and terminator disagree", index);
  *length = n;
  return std::string(out.get(), n);
}

std::string Trimmed(const std::string& s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// The longest prefix of field made of whole characters that fits in `room` bytes.
std::size_t WholePrefix(const std::string& field, std::size_t room) {
  const auto* p = reinterpret_cast<const unsigned char*>(field.c_str());
  std::size_t n = 0;
  while (n < field.size()) {
    const std::size_t len = CharLength(p + n);
    if (n + len > room || n + len > field.size()) break;
    n += len;
  }
  return n;
}

void CheckSeparated(const char* text, char separator, std::size_t small) {
  const std::string whole(text);
  const std::size_t large = whole.size() + 1;  // every field fits
  const int fields = SeparatorCount(whole, separator) + 1;
  std::string joined;
  for (int i = 0; i <= fields; ++i) {
    std::size_t n = 0;
    const std::string field = Call(false, text, i, separator, large, &n);
    if (i == fields) {
      if (n != 0) Fail("a field beyond the last", i);
      break;
    }
    if (i > 0) joined += separator;
    joined += field;

    std::size_t cut = 0;
    const std::string part = Call(false, text, i, separator, small, &cut);
    if (cut != WholePrefix(field, small - 1) || field.compare(0, cut, part) != 0) Fail("cut field is wrong", i);
  }
  if (joined != whole) Fail("the fields do not give the text back", -1);
}

void CheckComma(const char* text, std::size_t small) {
  const std::size_t large = std::strlen(text) + 1;
  const int fields = SeparatorCount(text, ',') + 1;
  for (int i = -1; i <= fields; ++i) {
    std::size_t n = 0;
    std::size_t raw = 0;
    const std::string field = Call(true, text, i, ',', large, &n);
    const std::string plain = Call(false, text, i, ',', large, &raw);
    if (field != Trimmed(plain)) Fail("comma field is not the trimmed part", i);
    std::size_t cut = 0;
    const std::string part = Call(true, text, i, ',', small, &cut);
    if (cut != WholePrefix(field, small - 1) || field.compare(0, cut, part) != 0) Fail("cut comma field is wrong", i);
  }
}

}  // namespace

const char* const* FuzzTokens(std::size_t* count) {
  static const char* const kTokens[] = {",", " ", "\t", "(", ")", "\\", "  ,  ", ",,", "\xC9\xE8\xB1\xB8",
                                        "\x81\x5C", "\x81\x2C", "\x81\x20", "\xFE", "\x81", "\x7F", "\x80",
                                        "\xA1\x40", "\xFF\xFF", "Lift_Up", "K1,K2,K3"};
  *count = sizeof kTokens / sizeof kTokens[0];
  return kTokens;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const char separator = static_cast<char>(data[0]);
  const std::size_t small = 1 + data[1] % 24;
  // The library gets a terminated text: the input up to its first NUL, in a block of its own size.
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2 < kMaxText ? size - 2 : kMaxText);
  const std::string terminated(text.c_str());
  std::unique_ptr<char[]> exact(new char[terminated.size() + 1]);
  std::memcpy(exact.get(), terminated.c_str(), terminated.size() + 1);

  CheckSeparated(exact.get(), separator, small);
  CheckComma(exact.get(), small);
  // Null texts, negative indexes and empty buffers answer 0 and touch nothing they should not.
  char untouched = 'Z';
  if (sim::CommaField(exact.get(), 0, &untouched, 0) != 0 || untouched != 'Z') Fail("wrote into an empty buffer", 0);
  std::size_t n = 0;
  if (!Call(false, nullptr, 0, separator, small, &n).empty() || !Call(false, exact.get(), -1, separator, small, &n).empty())
    Fail("null text or negative index gave a field", -1);
  return 0;
}
