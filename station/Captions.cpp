#include "station/Captions.h"

#include <cstdio>
#include <cstring>

#include "station/PanelFormat.h"
#include "station/SectionList.h"
#include "framework/GbkText.h"

namespace station {

namespace {

static_assert(ChannelCaptions<1>::kTextSize == kCaptionTextSize, "caption slots and tables must agree");

// Removed from every caption, in this order (GBK bytes, so the portable build matches too):
// "通道" channel, "光电" light barrier, "信号" signal, "传感器" sensor, "控制" control.
constexpr const char* kKeywords[] = {
    "\xCD\xA8\xB5\xC0",
    "\xB9\xE2\xB5\xE7",
    "\xD0\xC5\xBA\xC5",
    "\xB4\xAB\xB8\xD0\xC6\xF7",
    "\xBF\xD8\xD6\xC6",
};

constexpr std::size_t kBuf = kProfileBufferSize;

// Reads key in section into buffer; false when the value is empty. A reader terminates what it
// writes, so the buffer is not cleared first.
bool ReadValue(ProfileReader& profile, const char* section, const char* key, char (&buffer)[kBuf]) {
  buffer[0] = '\0';
  profile.String(section, key, buffer, kBuf);
  buffer[kBuf - 1] = '\0';
  return buffer[0] != '\0';
}

// True when name is the list's last field and runs to the list's end: in a cut list, such a name
// may be a cut one that would address another key. scratch takes the probe of the next field.
bool IsLastFieldAtEnd(FieldSplitter& fields, const char* list, const char* name, int index, char (&scratch)[kBuf]) {
  const std::size_t listLength = std::strlen(list);
  const std::size_t nameLength = std::strlen(name);
  if (nameLength > listLength || std::memcmp(list + listLength - nameLength, name, nameLength) != 0) return false;
  std::memset(scratch, 0, kBuf);
  return fields.Field(list, scratch, index + 1) <= 0;
}

}  // namespace

bool ShortenDescription(FieldSplitter& fields, char (&description)[kBuf], char (&caption)[kBuf]) {
  std::memset(caption, 0, kBuf);
  const int found = fields.Field2(description, caption, 0, '(');
  caption[kBuf - 1] = '\0';
  if (found <= 0) return false;
  std::memcpy(description, caption, std::strlen(caption) + 1);
  // Cleared first, so a library that writes nothing for "nothing before the blank" gives "".
  std::memset(caption, 0, kBuf);
  fields.Field2(description, caption, 0, ' ');
  caption[kBuf - 1] = '\0';
  for (const char* keyword : kKeywords) fw::GbkRemoveAll(caption, keyword);
  return true;
}

void StoreCaption(int& flag, CaptionText& text, const char* caption) {
  text[kCaptionTextSize - 1] = '\0';
  if (flag != 1) {
    fw::GbkCopyBounded(text, kCaptionTextSize, caption);
  } else if (fw::GbkCompareNoCase(text, caption) != 0) {
    // Join only when the separator and at least the caption's first character fit, so a full slot
    // never ends in a dangling "/".
    const std::size_t used = std::strlen(text);
    const std::size_t first = caption[0] == '\0' ? 0 : fw::GbkCharLength(caption);
    if (used + 1 + first < kCaptionTextSize) {
      fw::GbkAppendBounded(text, kCaptionTextSize, "/");
      fw::GbkAppendBounded(text, kCaptionTextSize, caption);
    }
  }
  flag = 1;
}

void CollectCaptions(ProfileReader& profile, FieldSplitter& fields, const char* listKey, int count, int* flags,
                     CaptionText* texts) {
  if (listKey == nullptr || count <= 0 || flags == nullptr || texts == nullptr) return;

  SectionNameTable names;
  const int sections = ReadSectionNames(profile, names);

  char list[kBuf];
  char keyName[kBuf];
  char value[kBuf];
  char description[kBuf];
  char aboutKey[kBuf];
  for (int s = 0; s < sections; ++s) {
    const char* section = names[s];
    std::memset(keyName, 0, kBuf);
    std::memset(description, 0, kBuf);
    if (!ReadValue(profile, section, listKey, list)) continue;
    // A list that filled the buffer (a reader may stop a byte short on a character boundary) was
    // probably cut, and its last key name with it.
    const bool listCut = std::strlen(list) >= kBuf - 2;

    for (int i = 0; i < kMaxListedKeys; ++i) {
      std::memset(keyName, 0, kBuf);
      const int found = fields.Field(list, keyName, i);
      keyName[kBuf - 1] = '\0';
      if (found <= 0) break;
      if (keyName[0] == '\0') continue;
      if (listCut && IsLastFieldAtEnd(fields, list, keyName, i, value)) continue;

      if (!ReadValue(profile, section, keyName, value)) continue;
      const int channel = ToInt(value);
      if (channel < 0 || channel >= count) continue;

      // A key name too long for its "[About]" key would address another key: no description.
      const int n = std::snprintf(aboutKey, kBuf, "%s[About]", keyName);
      if (n < 0 || static_cast<std::size_t>(n) >= kBuf) continue;
      if (!ReadValue(profile, section, aboutKey, description)) continue;

      // The value buffer is free again and takes the caption.
      if (!ShortenDescription(fields, description, value)) continue;
      StoreCaption(flags[channel], texts[channel], value);
    }
  }
}

const char* ChannelText(int flag, const char* text, int channel, char* number, std::size_t size) {
  if (flag == 1 && text != nullptr) return text;
  if (number == nullptr || size == 0) return "";
  std::snprintf(number, size, "%d", channel);
  return number;
}

}  // namespace station
