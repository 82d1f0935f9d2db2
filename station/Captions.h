// Channel captions collected from the station's calib.ini: every device section lists the output,
// input and analog channels it uses and describes each one; the panel shortens each description to a
// caption and joins the captions of channels shared by several devices. No window needed: the file
// is reached through a profile reader and the text is cut by the system library's field functions,
// both behind small interfaces, so the collection is tested natively and fuzzed.
#pragma once

#include <cstddef>

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

// FieldSplitter over two functions, e.g. the guarded system wrappers GetField and GetField2.
class FieldFunctions final : public FieldSplitter {
 public:
  using FieldFn = int (*)(const char* text, char* out, int index);
  using Field2Fn = int (*)(const char* text, char* out, int index, char delimiter);

  FieldFunctions(FieldFn field, Field2Fn field2) : m_field(field), m_field2(field2) {}
  int Field(const char* text, char* out, int index) override { return m_field(text, out, index); }
  int Field2(const char* text, char* out, int index, char delimiter) override {
    return m_field2(text, out, index, delimiter);
  }

 private:
  FieldFn m_field;
  Field2Fn m_field2;
};

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
