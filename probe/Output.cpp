#include "probe/Output.h"

#include "framework/Text.h"

namespace probe {

Output::Output(DWORD standardHandle) : m_handle(GetStdHandle(standardHandle)) {
  DWORD mode = 0;
  m_console = m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE && GetConsoleMode(m_handle, &mode) != 0;
}

Output::~Output() {
  if (m_owned) CloseHandle(m_handle);
}

bool Output::OpenFile(const std::string& utf8Path) {
  const HANDLE file = CreateFileW(Utf8ToWide(utf8Path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (m_owned) CloseHandle(m_handle);
  m_handle = file;
  m_owned = true;
  m_console = false;
  return true;
}

bool Output::Write(const std::string& utf8) {
  if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE) return false;
  if (m_console) {
    const std::wstring wide = Utf8ToWide(utf8);
    std::size_t done = 0;
    while (done < wide.size()) {
      const DWORD chunk = static_cast<DWORD>(wide.size() - done < 8192 ? wide.size() - done : 8192);
      DWORD written = 0;
      if (!WriteConsoleW(m_handle, wide.data() + done, chunk, &written, nullptr) || written == 0) return false;
      done += written;
    }
    return true;
  }
  std::size_t done = 0;
  while (done < utf8.size()) {
    DWORD written = 0;
    if (!WriteFile(m_handle, utf8.data() + done, static_cast<DWORD>(utf8.size() - done), &written, nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

std::string WideToUtf8(const wchar_t* text) {
  if (text == nullptr || text[0] == L'\0') return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n - 1));
  return out;
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string GbkToUtf8(const char* text) { return WideToUtf8(fw::GbkToWide(text).c_str()); }

}  // namespace probe
