// Helpers shared by the Windows tests.
#pragma once

#include <windows.h>

#include <string>

namespace sptest {

// Dispatches pending messages for up to `milliseconds` (at least one pass).
void PumpMessages(DWORD milliseconds = 0);

// Pumps messages until `done()` is true or the time runs out. Returns done().
template <typename F>
bool PumpUntil(F done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return done();
    PumpMessages(10);
  }
  return true;
}

// GDI objects the process holds, where the system reports it (0 where it does not, e.g. Wine).
DWORD GdiObjectCount();

// The code page the test process runs under (936 at the stations; 1252 in the second text run).
UINT ActiveCodePage();

// Directory of the running test executable, without a trailing backslash (GBK).
std::string ExeDirectory();

}  // namespace sptest
