// Conversions between the stations' GBK texts and the wide API, so that everything shown on screen
// reads correctly whatever the system code page is.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "framework/Result.h"

namespace fw {

constexpr UINT kGbkCodePage = 936;

std::wstring GbkToWide(const char* text, int length = -1);
std::string WideToGbk(const wchar_t* text, int length = -1);

// Sets a window's text from GBK bytes through the wide API.
BOOL SetWindowTextGbk(HWND hwnd, const char* text);
// Reads a window's text as GBK bytes.
std::string GetWindowTextGbk(HWND hwnd);
// Bounded form: copies at most size - 1 bytes (cut on a character boundary), always terminated.
// Returns the number of bytes copied.
std::size_t GetWindowTextGbk(HWND hwnd, char* buffer, std::size_t size);

// The system's own text for an error code, without its line break, followed by the code:
// "The specified module could not be found. (126)"; "error 126" where the system has no text.
std::wstring SystemErrorText(unsigned long code);
// How a call went, for a message: empty for ok; "missing"; "faulted (exception 0xC0000005)";
// "failed: " and the system's text.
std::wstring DescribeResult(Status status, unsigned long code);
template <typename T>
std::wstring DescribeResult(const Result<T>& result) {
  return DescribeResult(result.status, result.code);
}

// Message box with GBK texts.
int MessageBoxGbk(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace fw
