// Where spprobe writes: standard output or error, or a file. Texts are UTF-8; a console gets them
// through the wide console functions (so they read right whatever the console's code page), a
// pipe or a file gets the UTF-8 bytes. Every write goes straight to the system: nothing is held
// back when the program is stopped.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Text.h"
#include "probe/Report.h"

namespace probe {

class Output {
 public:
  explicit Output(DWORD standardHandle);  // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE
  ~Output();
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Writes to the file at `utf8Path` instead (created, or emptied when it exists; others may read
  // it while it is written). False when it cannot be created.
  bool OpenFile(const std::string& utf8Path);

  // Writes the UTF-8 text whole; false when the system refused it.
  bool Write(const std::string& utf8);

  // Why the last OpenFile or Write failed: the system's text, in UTF-8.
  std::string Failure() const;

 private:
  bool Failed();

  HANDLE m_handle;
  bool m_owned = false;
  bool m_console = false;
  unsigned long m_error = 0;
};

inline std::string WideToUtf8(const wchar_t* text) { return fw::FromWide(text, CP_UTF8); }
// A GBK text of the station (caption, path) as UTF-8.
inline std::string GbkToUtf8(const char* text) { return WideToUtf8(fw::GbkToWide(text).c_str()); }


}  // namespace probe
