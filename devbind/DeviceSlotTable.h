// The device slot table as data: what DeviceSlots.inc says about each slot, for resolving the
// entries by name and for checking the binding against its own table.
#pragma once

#include "devbind/DeviceSlotShapes.h"

namespace devbind {

constexpr int kSlotCount = 165;

enum class ResultKind { None, Int32, Float, Bool8, Text };

// A fallback result. Numbers (int32, float, bool8 as 0 or 1) are held exactly in `number`; texts in
// `text`. Rows without a result hold neither.
struct Fallback {
  double number;
  const char* text;
};

struct SlotInfo {
  int number;             // 1..165
  const char* entry;      // exported name the slot is resolved from
  const char* method;     // name of the guarded method
  const char* arguments;  // argument shape as written in the table ("2x32", "32_V16", "void", ...)
  int stackSlots;         // 32-bit stack slots the method passes
  ResultKind result;
  Fallback missing;  // result when the slot is empty
  Fallback faulted;  // result when the entry ends in a fault
};

#define SP_DEV_KIND_none ResultKind::None
#define SP_DEV_KIND_int32 ResultKind::Int32
#define SP_DEV_KIND_float ResultKind::Float
#define SP_DEV_KIND_bool8 ResultKind::Bool8
#define SP_DEV_KIND_text ResultKind::Text
#define SP_DEV_FALLBACK_none(v) Fallback{0.0, nullptr}
#define SP_DEV_FALLBACK_int32(v) Fallback{static_cast<double>(v), nullptr}
#define SP_DEV_FALLBACK_float(v) Fallback{static_cast<double>(v), nullptr}
#define SP_DEV_FALLBACK_bool8(v) Fallback{(v) ? 1.0 : 0.0, nullptr}
#define SP_DEV_FALLBACK_text(v) Fallback{0.0, v}

// Row i describes slot i + 1.
inline constexpr SlotInfo kSlots[] = {
#define SLOT(number, entry, method, args, result, missing, faulted)                 \
  {number,                                                                          \
   #entry,                                                                          \
   #method,                                                                         \
   #args,                                                                           \
   SP_DEV_COUNT_##args,                                                             \
   SP_DEV_KIND_##result,                                                            \
   SP_DEV_FALLBACK_##result(missing),                                               \
   SP_DEV_FALLBACK_##result(faulted)},
#include "devbind/DeviceSlots.inc"
#undef SLOT
};

#undef SP_DEV_KIND_none
#undef SP_DEV_KIND_int32
#undef SP_DEV_KIND_float
#undef SP_DEV_KIND_bool8
#undef SP_DEV_KIND_text
#undef SP_DEV_FALLBACK_none
#undef SP_DEV_FALLBACK_int32
#undef SP_DEV_FALLBACK_float
#undef SP_DEV_FALLBACK_bool8
#undef SP_DEV_FALLBACK_text

constexpr bool SlotsInOrder() {
  for (int i = 0; i < kSlotCount; ++i) {
    if (kSlots[i].number != i + 1) return false;
  }
  return true;
}
static_assert(sizeof(kSlots) / sizeof(kSlots[0]) == kSlotCount, "one row per slot");
static_assert(SlotsInOrder(), "rows are numbered 1, 2, 3, ... in order");

// The row of a slot number, or nullptr outside 1..kSlotCount.
constexpr const SlotInfo* FindSlot(int number) {
  return number >= 1 && number <= kSlotCount ? &kSlots[number - 1] : nullptr;
}

}  // namespace devbind
