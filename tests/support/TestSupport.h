// Helpers shared by the Windows tests and the benchmarks (no GoogleTest here).
#pragma once

#include <windows.h>

#include <string>

namespace sptest {

// Dispatches pending messages for up to `milliseconds` (at least one pass).
void PumpMessages(DWORD milliseconds = 0);

// Seconds on the system's monotonic high-resolution clock, from some fixed moment.
double Seconds();

// Directory of the running test executable, without a trailing backslash (GBK).
std::string ExeDirectory();

}  // namespace sptest
