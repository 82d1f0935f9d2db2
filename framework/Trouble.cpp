#include "framework/Trouble.h"

#include <windows.h>

namespace fw {

namespace {

void ToDebuggerOutput(const wchar_t* line) {
  OutputDebugStringW(line);
  OutputDebugStringW(L"\n");
}

TroubleSink g_sink = &ToDebuggerOutput;

}  // namespace

TroubleSink SetTroubleSink(TroubleSink sink) {
  const TroubleSink previous = g_sink;
  g_sink = sink != nullptr ? sink : &ToDebuggerOutput;
  return previous;
}

void ReportTrouble(const wchar_t* line) { g_sink(line != nullptr ? line : L""); }

}  // namespace fw
