// Helpers shared by the Windows tests and the benchmarks (no GoogleTest here).
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

// Seconds on the system's monotonic high-resolution clock, from some fixed moment.
double Seconds();

// Directory of the running test executable, without a trailing backslash (GBK).
std::string ExeDirectory();

}  // namespace sptest
