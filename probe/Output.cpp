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
  const std::wstring path = fw::ToWide(utf8Path.c_str(), CP_UTF8, static_cast<int>(utf8Path.size()));
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failed();
  if (m_owned) CloseHandle(m_handle);
  m_handle = file;
  m_owned = true;
  m_console = false;
  return true;
}

bool Output::Write(const std::string& utf8) {
  if (m_handle == nullptr || m_handle == INVALID_HANDLE_VALUE) {
    m_error = ERROR_INVALID_HANDLE;
    return false;
  }
  if (m_console) {
    const std::wstring wide = fw::ToWide(utf8.c_str(), CP_UTF8, static_cast<int>(utf8.size()));
    std::size_t done = 0;
    while (done < wide.size()) {
      const DWORD chunk = static_cast<DWORD>(wide.size() - done < 8192 ? wide.size() - done : 8192);
      DWORD written = 0;
      if (!WriteConsoleW(m_handle, wide.data() + done, chunk, &written, nullptr) || written == 0) return Failed();
      done += written;
    }
    return true;
  }
  std::size_t done = 0;
  while (done < utf8.size()) {
    DWORD written = 0;
    if (!WriteFile(m_handle, utf8.data() + done, static_cast<DWORD>(utf8.size() - done), &written, nullptr) ||
        written == 0) {
      return Failed();
    }
    done += written;
  }
  return true;
}

bool Output::Failed() {
  m_error = GetLastError();
  if (m_error == ERROR_SUCCESS) m_error = ERROR_WRITE_FAULT;  // the system took nothing yet said yes
  return false;
}

std::string Output::Failure() const { return WideToUtf8(fw::SystemErrorText(m_error).c_str()); }

}  // namespace probe
