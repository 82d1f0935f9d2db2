#include "station/ProfileWin32.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <string_view>
#include <vector>

#include "framework/GbkText.h"
#include "framework/Text.h"

namespace station {

namespace {

// The profile functions read a file without byte-order mark in the system code page and the narrow
// ones answer in it; converting with the same code page both ways gives the narrow functions' bytes.
std::wstring FromSystemCodePage(const char* text) { return fw::ToWide(text, CP_ACP); }
std::string ToSystemCodePage(const wchar_t* text, std::size_t n) { return fw::FromWide(text, CP_ACP, static_cast<int>(n)); }

// Fills `list` through a profile function that answers a list of NUL-terminated strings, growing
// the buffer until the answer fits (the functions answer size - 2 when it does not). Returns the
// length answered; `whole` tells whether it fitted in the end.
template <typename Read>
DWORD ReadList(std::vector<wchar_t>& list, bool& whole, Read read) {
  if (list.size() < 8192) list.assign(8192, L'\0');
  for (;;) {
    DWORD got = read(list.data(), static_cast<DWORD>(list.size()));
    whole = got + 2 < list.size();
    if (whole || list.size() >= (1u << 22)) return got < list.size() ? got : static_cast<DWORD>(list.size() - 1);
    list.assign(list.size() * 4, L'\0');
  }
}

// Every character some system might trim as a blank around a name or a value.
bool MaybeBlank(wchar_t c) {
  if (c < 0x80) return c <= L' ';
  return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
         c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF || std::iswspace(c);
}

bool BlankAtEnds(std::wstring_view text) {
  return !text.empty() && (MaybeBlank(text.front()) || MaybeBlank(text.back()));
}

std::wstring_view Trimmed(std::wstring_view text) {
  while (!text.empty() && MaybeBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && MaybeBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Upper, then lower case: names that any case-insensitive comparison takes for equal fold alike.
std::wstring Folded(std::wstring text) {
  if (!text.empty()) {
    CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  }
  return text;
}

// A letter beyond ASCII that has another case: comparisons without case treat it in their own ways.
bool HasCasedBeyondAscii(std::wstring_view text) {
  for (wchar_t c : text) {
    if (c < 0x80 || (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)) continue;  // CJK has no case
    wchar_t upper = c, lower = c;
    CharUpperBuffW(&upper, 1);
    CharLowerBuffW(&lower, 1);
    if (upper != c || lower != c) return true;
  }
  return false;
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// The text in the system code page into `wide`, straight for ASCII.
void Widen(const char* text, std::wstring& wide) {
  wide.clear();
  for (const char* p = text; *p != '\0'; ++p) {
    if (static_cast<unsigned char>(*p) >= 0x80) {
      wide = FromSystemCodePage(text);
      return;
    }
    wide += static_cast<wchar_t>(*p);
  }
}

}  // namespace

fw::Result<void> DeleteProfileSection(const char* section, const char* gbkPath) {
  if (section == nullptr || section[0] == '\0') return {fw::Status::Failed, ERROR_INVALID_PARAMETER};
  const std::wstring name = FromSystemCodePage(section), path = fw::GbkToWide(gbkPath);
  if (WritePrivateProfileSectionW(name.c_str(), nullptr, path.c_str())) return {};
  return {fw::Status::Failed, GetLastError()};
}

Win32ProfileReader::Win32ProfileReader(const char* gbkPath) : m_path(fw::GbkToWide(gbkPath)) {}

std::size_t Win32ProfileReader::SectionNames(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  std::memset(buffer, 0, size);
  if (size < 2 || m_path.empty()) return 0;

  // The whole list first (the wide answer is cut the same way when too small: grow until it fits).
  std::vector<wchar_t> wide;
  bool whole = false;
  const DWORD got = ReadList(wide, whole, [&](wchar_t* list, DWORD size) {
    return GetPrivateProfileSectionNamesW(list, size, m_path.c_str());
  });

  std::string list;
  for (std::size_t pos = 0; pos < got && wide[pos] != L'\0';) {
    std::size_t len = 0;
    while (pos + len < got && wide[pos + len] != L'\0') ++len;
    list += ToSystemCodePage(&wide[pos], len);
    list += '\0';
    pos += len + 1;
  }

  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    return list.size();
  }
  // Too long: fill the buffer, the last name cut on a character boundary, two NULs at the end.
  const std::size_t room = size - 2;
  std::size_t start = room;
  while (start > 0 && list[start - 1] != '\0') --start;
  std::memcpy(buffer, list.data(), start);
  const std::string last(list.c_str() + start);
  const std::size_t keep = fw::GbkBoundaryAtOrBefore(last.c_str(), room - start);
  std::memcpy(buffer + start, last.data(), keep);
  return room;
}

std::size_t Win32ProfileReader::String(const char* section, const char* key, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  if (section == nullptr || key == nullptr || m_path.empty()) return 0;
  // Every character takes at least one byte, so size characters fill the narrow buffer.
  std::vector<wchar_t> wide(size + 1, L'\0');
  const DWORD got = GetPrivateProfileStringW(FromSystemCodePage(section).c_str(), FromSystemCodePage(key).c_str(), L"",
                                             wide.data(), static_cast<DWORD>(wide.size()), m_path.c_str());
  const std::string value = ToSystemCodePage(wide.data(), got < wide.size() ? got : wide.size() - 1);
  return fw::GbkCopyBounded(buffer, size, value.c_str());
}

std::size_t Win32SectionReader::FoldedHash::operator()(std::wstring_view name) const {
  std::size_t hash = 2166136261u;
  for (wchar_t c : name) hash = (hash ^ FoldAscii(c)) * 16777619u;
  return hash;
}

bool Win32SectionReader::FoldedEqual::operator()(std::wstring_view a, std::wstring_view b) const {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

Win32SectionReader::Win32SectionReader(const char* gbkPath) : m_perKey(gbkPath), m_path(fw::GbkToWide(gbkPath)) {}

std::size_t Win32SectionReader::SectionNames(char* buffer, std::size_t size) {
  return m_perKey.SectionNames(buffer, size);
}

const Win32SectionReader::Section& Win32SectionReader::Read(const char* name) {
  const auto found = m_sections.find(name);
  if (found != m_sections.end()) return found->second;
  Section& section = m_sections[name];
  bool whole = false;
  if (!m_namesRead) {
    m_namesRead = true;
    const DWORD got = ReadList(m_scratch, whole, [&](wchar_t* names, DWORD size) {
      return GetPrivateProfileSectionNamesW(names, size, m_path.c_str());
    });
    for (std::size_t pos = 0; whole && pos < got && m_scratch[pos] != L'\0'; pos += m_names.back().size() + 1) {
      m_names.push_back(&m_scratch[pos]);
    }
    for (std::wstring& listed : m_names) listed = Folded(listed);
  }
  const std::wstring wide = FromSystemCodePage(name);
  const bool namedOnce = std::count(m_names.begin(), m_names.end(), Folded(wide)) == 1;
  if (wide.empty() || BlankAtEnds(wide) || !namedOnce) return section;

  const DWORD got = ReadList(m_scratch, whole, [&](wchar_t* text, DWORD size) {
    return GetPrivateProfileSectionW(wide.c_str(), text, size, m_path.c_str());
  });
  if (!whole) return section;
  section.text.assign(m_scratch.begin(), m_scratch.begin() + got + 1);
  section.text.back() = L'\0';
  section.entries.reserve(static_cast<std::size_t>(std::count(section.text.begin(), section.text.end(), L'\0')));
  for (std::size_t pos = 0; pos < got && section.text[pos] != L'\0';) {
    const std::wstring_view line(&section.text[pos]);
    pos += line.size() + 1;
    const std::size_t equals = line.find(L'=');
    const std::wstring_view key = line.substr(0, equals);
    const std::wstring_view value = equals == std::wstring_view::npos ? std::wstring_view() : line.substr(equals + 1);
    const bool quoted = !value.empty() && (value[0] == L'"' || value[0] == L'\'');
    const bool certain = equals != std::wstring_view::npos && !BlankAtEnds(key) && !BlankAtEnds(value) && !quoted;
    section.entries.emplace(Trimmed(key), Entry{value, certain});
  }
  section.known = true;
  return section;
}

std::size_t Win32SectionReader::String(const char* section, const char* key, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  buffer[0] = '\0';
  if (section == nullptr || key == nullptr || m_path.empty()) return 0;
  const Section& cached = Read(section);
  Widen(key, m_key);
  if (!cached.known || m_key.empty() || BlankAtEnds(m_key) || m_key[0] == L';' || HasCasedBeyondAscii(m_key)) {
    return m_perKey.String(section, key, buffer, size);
  }
  const auto found = cached.entries.find(m_key);
  if (found == cached.entries.end()) return 0;
  const Entry& entry = found->second;
  // A value as long as the buffer may come back cut: the system's cut is its own.
  if (!entry.certain || entry.value.size() + 1 >= size) return m_perKey.String(section, key, buffer, size);
  std::size_t n = 0;
  while (n < entry.value.size() && entry.value[n] < 0x80) ++n;
  if (n == entry.value.size()) {  // ASCII, the same in every code page
    for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<char>(entry.value[i]);
    buffer[n] = '\0';
    return n;
  }
  return fw::GbkCopyBounded(buffer, size, ToSystemCodePage(entry.value.data(), entry.value.size()).c_str());
}

}  // namespace station
