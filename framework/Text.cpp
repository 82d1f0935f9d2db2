#include "framework/Text.h"

#include <cstring>
#include <cwchar>

#include "framework/GbkText.h"

namespace fw {

std::wstring ToWide(const char* text, UINT codePage, int length, DWORD flags) {
  if (text == nullptr) return std::wstring();
  if (length < 0) length = static_cast<int>(std::strlen(text));
  const int n = length > 0 ? MultiByteToWideChar(codePage, flags, text, length, nullptr, 0) : 0;
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, flags, text, length, &out[0], n);
  return out;
}

std::string FromWide(const wchar_t* text, UINT codePage, int length) {
  if (text == nullptr) return std::string();
  if (length < 0) length = static_cast<int>(wcslen(text));
  const int n = length > 0 ? WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr) : 0;
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, text, length, &out[0], n, nullptr, nullptr);
  return out;
}

bool ToWide(const char* text, UINT codePage, wchar_t* buffer, std::size_t size, int length) {
  if (buffer == nullptr || size == 0) return false;
  if (text != nullptr && length < 0) length = static_cast<int>(std::strlen(text));
  const int room = static_cast<int>(size - 1 < 0x7FFFFFFF ? size - 1 : 0x7FFFFFFF);
  const int n = text != nullptr && length > 0 ? MultiByteToWideChar(codePage, 0, text, length, buffer, room) : 0;
  buffer[n > 0 ? n : 0] = L'\0';
  return n > 0 || text == nullptr || length <= 0;
}

BOOL SetWindowTextGbk(HWND hwnd, const char* text) {
  // The polling ticks set texts several times a second: short ones go through a fixed buffer,
  // so a tick allocates nothing.
  wchar_t wide[1024];
  if (ToWide(text, kGbkCodePage, wide, sizeof wide / sizeof wide[0])) return SetWindowTextW(hwnd, wide);
  return SetWindowTextW(hwnd, GbkToWide(text).c_str());
}

std::string GetWindowTextGbk(HWND hwnd) {
  const int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return std::string();
  std::wstring wide(static_cast<std::size_t>(len) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, &wide[0], len + 1);
  return WideToGbk(wide.c_str(), got > 0 ? got : 0);
}

std::size_t GetWindowTextGbk(HWND hwnd, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  return GbkCopyBounded(buffer, size, GetWindowTextGbk(hwnd).c_str());
}

std::wstring SystemErrorText(unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring out = n > 0 && text != nullptr ? std::wstring(text, n) : std::wstring();
  if (text != nullptr) LocalFree(text);
  while (!out.empty() && (out.back() == L'\r' || out.back() == L'\n' || out.back() == L' ')) out.pop_back();
  const std::wstring number = std::to_wstring(code);
  return out.empty() ? L"error " + number : out + L" (" + number + L")";
}

std::wstring DescribeResult(Status status, unsigned long code) {
  switch (status) {
    case Status::Ok: return std::wstring();
    case Status::Missing: return L"missing";
    case Status::Faulted: {
      wchar_t text[48];
      swprintf(text, sizeof text / sizeof text[0], L"faulted (exception 0x%08lX)", code);
      return text;
    }
    default: return L"failed: " + SystemErrorText(code);
  }
}

int MessageBoxGbk(HWND owner, const char* text, const char* caption, UINT type) {
  return MessageBoxW(owner, GbkToWide(text).c_str(), GbkToWide(caption).c_str(), type);
}

}  // namespace fw
