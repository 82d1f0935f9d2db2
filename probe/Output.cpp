#include "probe/Output.h"

#include <cmath>

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

LocalTime LocalTimeOf(std::int64_t wallUs) {
  // UTC microseconds since 1970 to the system's 100 ns since 1601.
  const long long ticks = (static_cast<long long>(wallUs) + 11644473600LL * 1000000) * 10;
  const FILETIME utcFile{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{};
  FileTimeToSystemTime(&utcFile, &utc);
  SYSTEMTIME local = utc;
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  FILETIME localFile{};
  SystemTimeToFileTime(&local, &localFile);
  const long long localTicks =
      static_cast<long long>((static_cast<unsigned long long>(localFile.dwHighDateTime) << 32) | localFile.dwLowDateTime);
  // Both clocks have whole milliseconds here; the offset is whole minutes.
  const long long offset = std::llround(static_cast<double>(localTicks - ticks / 10000 * 10000) / (10000000.0 * 60));
  return LocalTime{local.wYear,   local.wMonth,  local.wDay,          local.wHour,
                   local.wMinute, local.wSecond, local.wMilliseconds, static_cast<int>(offset)};
}

}  // namespace probe
