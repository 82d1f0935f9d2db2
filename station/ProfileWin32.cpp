#include "station/ProfileWin32.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "framework/GbkText.h"
#include "framework/Text.h"

namespace station {

namespace {

std::string ToSystemCodePage(const wchar_t* text, std::size_t length) {
  if (length == 0) return std::string();
  const int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &out[0], n, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring FromSystemCodePage(const char* text) {
  if (text == nullptr || text[0] == '\0') return std::wstring();
  const int length = static_cast<int>(std::strlen(text));
  const int n = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, length, &out[0], n);
  return out;
}

BOOL DeleteProfileSection(const char* section, const char* gbkPath) {
  if (section == nullptr || section[0] == '\0') return FALSE;
  return WritePrivateProfileSectionW(FromSystemCodePage(section).c_str(), nullptr, fw::GbkToWide(gbkPath).c_str());
}

Win32ProfileReader::Win32ProfileReader(const char* gbkPath) : m_path(fw::GbkToWide(gbkPath)) {}

std::size_t Win32ProfileReader::SectionNames(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  std::memset(buffer, 0, size);
  if (size < 2 || m_path.empty()) return 0;

  // The whole list first (the wide answer is cut the same way when too small: grow until it fits).
  std::vector<wchar_t> wide(8192);
  DWORD got = 0;
  for (;;) {
    got = GetPrivateProfileSectionNamesW(wide.data(), static_cast<DWORD>(wide.size()), m_path.c_str());
    if (got + 2 < wide.size() || wide.size() >= (1u << 22)) break;
    wide.assign(wide.size() * 4, L'\0');
  }
  if (got >= wide.size()) got = static_cast<DWORD>(wide.size() - 1);

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

}  // namespace station
