// Calls any guarded method of CHardWareDll by slot number, generated from the binding's own slot
// table, so a test can sweep all 165 methods.
#pragma once

#include <cstdint>
#include <string>

#include "devbind/DeviceSlotTable.h"
#include "devbind/HardWareDll.h"

namespace devtest {

// What a method returned, whatever its result type.
struct Observed {
  devbind::ResultKind kind;
  double number;     // int32, float, bool8 (0 or 1)
  const char* text;  // text results
};

// Calls the method of `slot` (1..165) with arguments taken from values[0], values[1], ... (a text
// argument is SP_DEV_SAMPLE_TEXT).
Observed CallSlot(CHardWareDll& device, int slot, const std::uint32_t* values);

// Empty when `observed` is the fallback `expected` of the slot's row; otherwise what differs.
std::string CompareWithFallback(int slot, const Observed& observed, const devbind::Fallback& expected);

// The folder of the test executable and the libraries built beside it, with a file name.
std::string BinPath(const char* file);

// The head of the calling thread's structured-exception chain.
void* ExceptionChainHead();

}  // namespace devtest
