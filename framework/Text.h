// Conversions between the stations' GBK texts (and the other code pages the programs meet) and the
// wide API, so that everything shown on screen reads correctly whatever the system code page is;
// the system's texts for errors and results.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "framework/Result.h"

namespace fw {

constexpr UINT kGbkCodePage = 936;

// The one pair of code-page conversions. `length` counts bytes or characters, -1: up to the
// terminator; null converts as empty. What a code page cannot hold becomes its default character;
// with MB_ERR_INVALID_CHARS in `flags`, a text not valid in the code page converts as empty.
std::wstring ToWide(const char* text, UINT codePage, int length = -1, DWORD flags = 0);
std::string FromWide(const wchar_t* text, UINT codePage, int length = -1);
// The same into a fixed buffer (size > 0), allocating nothing; always terminated. False, with the
// buffer empty, when the text does not fit.
bool ToWide(const char* text, UINT codePage, wchar_t* buffer, std::size_t size, int length = -1);

inline std::wstring GbkToWide(const char* text, int length = -1) { return ToWide(text, kGbkCodePage, length); }
inline std::string WideToGbk(const wchar_t* text, int length = -1) { return FromWide(text, kGbkCodePage, length); }

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
