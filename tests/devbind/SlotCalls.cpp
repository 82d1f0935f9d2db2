#include "SlotCalls.h"

#include <cstdio>
#include <cstring>

#include "tests/support/TestSupport.h"

namespace devtest {

namespace {

using devbind::ResultKind;
using SlotCaller = Observed (*)(CHardWareDll&, const std::uint32_t*);

#define OBSERVE_none(call) ((call), Observed{ResultKind::None, 0.0, nullptr})
#define OBSERVE_int32(call) \
  Observed { ResultKind::Int32, static_cast<double>(call), nullptr }
#define OBSERVE_float(call) \
  Observed { ResultKind::Float, static_cast<double>(call), nullptr }
#define OBSERVE_bool8(call) \
  Observed { ResultKind::Bool8, (call) ? 1.0 : 0.0, nullptr }
#define OBSERVE_text(call) \
  Observed { ResultKind::Text, 0.0, (call) }

const SlotCaller kCallers[] = {
#define SLOT(number, entry, method, args, result, missing, faulted) \
  [](CHardWareDll& device, const std::uint32_t* v) {                \
    (void)v;                                                        \
    return OBSERVE_##result(device.method(SP_DEV_FROM_##args(v)));  \
  },
#include "devbind/DeviceSlots.inc"
#undef SLOT
};
static_assert(sizeof(kCallers) / sizeof(kCallers[0]) == devbind::kSlotCount, "one caller per slot");

}  // namespace

Observed CallSlot(CHardWareDll& device, int slot, const std::uint32_t* values) {
  return kCallers[slot - 1](device, values);
}

std::string CompareWithFallback(int slot, const Observed& observed, const devbind::Fallback& expected) {
  const devbind::SlotInfo& row = devbind::kSlots[slot - 1];
  char text[256];
  if (observed.kind != row.result) {
    std::snprintf(text, sizeof(text), "slot %d (%s): result kind differs from the table", slot, row.method);
    return text;
  }
  if (row.result == ResultKind::Text) {
    if (observed.text == nullptr || std::strcmp(observed.text, expected.text) != 0) {
      std::snprintf(text, sizeof(text), "slot %d (%s): \"%s\", expected \"%s\"", slot, row.method,
                    observed.text != nullptr ? observed.text : "(null)", expected.text);
      return text;
    }
  } else if (row.result != ResultKind::None && observed.number != expected.number) {
    std::snprintf(text, sizeof(text), "slot %d (%s): %g, expected %g", slot, row.method, observed.number,
                  expected.number);
    return text;
  }
  return std::string();
}

std::string BinPath(const char* file) { return sptest::ExeDirectory() + "\\" + file; }

void* ExceptionChainHead() {
  void* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

}  // namespace devtest
