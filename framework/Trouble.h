// The program's one channel for trouble that no caller's result can carry up to the user: a
// library that could not be used and why, a check of our own that failed at run time, a setting
// that was not understood. Results (framework/Result.h) carry trouble to the caller; the layer that
// owns the user decides what the user sees, and reports the details here. Where the report goes is
// the application's choice: the panel leaves it to the debugger output (its message texts are
// fixed), spprobe writes it to standard error, a test collects it.
#pragma once

namespace fw {

// Receives one line of trouble (no line break at its end).
using TroubleSink = void (*)(const wchar_t* line);

// Sets where trouble goes; null puts back the debugger output. Returns the sink that was set.
TroubleSink SetTroubleSink(TroubleSink sink);

// Reports one line of trouble to the sink.
void ReportTrouble(const wchar_t* line);

}  // namespace fw
