// Channel captions collected from the station's calib.ini: every device section lists the output,
// input and analog channels it uses and describes each one; the panel shortens each description to a
// caption and joins the captions of channels shared by several devices. No window needed: the file
// is reached through a profile reader and the text is cut by the system library's field functions,
// both behind small interfaces, so the collection is tested natively and fuzzed.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "station/Profile.h"

// Captions of one kind of channel: a flag per channel (1 = has a caption) and a 500-byte GBK text.
// The owner zero-fills it; reading never clears it.
template <int N>
struct ChannelCaptions {
  static constexpr int kCount = N;
  static constexpr int kTextSize = 500;
  int flags[N];
  char texts[N][kTextSize];
};

namespace station {

constexpr int kCaptionTextSize = 500;
using CaptionText = char[kCaptionTextSize];

// List keys of the three kinds of channel.
constexpr const char kDoutListKey[] = "AllTD_Dout";
constexpr const char kDinListKey[] = "AllTD_Din";
constexpr const char kAnalogListKey[] = "AllTD_A";

constexpr int kMaxListedKeys = 100;

// The system library's field functions. Only "positive means found and copied into out" counts;
// the separator of Field belongs to the library. out has kProfileBufferSize bytes.
class FieldSplitter {
 public:
  virtual ~FieldSplitter() = default;
  virtual int Field(const char* text, char* out, int index) = 0;
  virtual int Field2(const char* text, char* out, int index, char delimiter) = 0;
};

// FieldSplitter over two callables, e.g. the guarded system wrappers GetField and GetField2.
// A callable that takes a writable text gets a private copy, never the caller's buffer.
template <typename FieldFn, typename Field2Fn>
class FieldFunctions final : public FieldSplitter {
 public:
  FieldFunctions(FieldFn field, Field2Fn field2) : m_field(std::move(field)), m_field2(std::move(field2)) {}

  int Field(const char* text, char* out, int index) override {
    if constexpr (std::is_invocable_v<FieldFn&, const char*, char*, int>) {
      return static_cast<int>(m_field(text, out, index));
    } else {
      return static_cast<int>(m_field(Scratch(text), out, index));
    }
  }
  int Field2(const char* text, char* out, int index, char delimiter) override {
    if constexpr (std::is_invocable_v<Field2Fn&, const char*, char*, int, char>) {
      return static_cast<int>(m_field2(text, out, index, delimiter));
    } else {
      return static_cast<int>(m_field2(Scratch(text), out, index, delimiter));
    }
  }

 private:
  char* Scratch(const char* text) {
    std::size_t n = 0;
    while (n + 1 < sizeof m_scratch && text[n] != '\0') {
      m_scratch[n] = text[n];
      ++n;
    }
    m_scratch[n] = '\0';
    return m_scratch;
  }

  FieldFn m_field;
  Field2Fn m_field2;
  char m_scratch[kProfileBufferSize] = {};
};

template <typename FieldFn, typename Field2Fn>
FieldFunctions<FieldFn, Field2Fn> MakeFieldFunctions(FieldFn field, Field2Fn field2) {
  return FieldFunctions<FieldFn, Field2Fn>(std::move(field), std::move(field2));
}

// Collects the captions of one kind (listKey) from every section into flags/texts of count
// channels. Sections are scanned in file order up to an empty name or one starting with a blank;
// names longer than 99 characters are skipped (a cut name would address another section).
void CollectCaptions(ProfileReader& profile, FieldSplitter& fields, const char* listKey, int count, int* flags,
                     CaptionText* texts);

template <int N>
void ReadCaptions(ProfileReader& profile, FieldSplitter& fields, const char* listKey, ChannelCaptions<N>& table) {
  CollectCaptions(profile, fields, listKey, N, table.flags, table.texts);
}

// Shortens a description to its caption in place: the part before the first "(" (none: no caption,
// false), then the part before the first blank, then the five keywords removed.
bool ShortenDescription(FieldSplitter& fields, char (&description)[kProfileBufferSize],
                        char (&caption)[kProfileBufferSize]);

// Stores a caption for one channel: a flagged text that differs (ASCII case folded) gets "/" and the
// caption appended as far as the slot holds; an equal one stays; an unflagged one is replaced.
void StoreCaption(int& flag, CaptionText& text, const char* caption);

// The text a channel's control shows: its caption when flagged, otherwise its number.
// Returns either the table's text or number (size >= 12).
const char* ChannelText(int flag, const char* text, int channel, char* number, std::size_t size);

template <int N>
const char* ChannelText(const ChannelCaptions<N>& table, int channel, char (&number)[12]) {
  return ChannelText(table.flags[channel], table.texts[channel], channel, number, sizeof number);
}

template <int N>
void ClearFlags(ChannelCaptions<N>& table) {
  for (int k = 0; k < N; ++k) table.flags[k] = 0;
}

}  // namespace station
