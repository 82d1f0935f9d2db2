// Calls an entry of a library we did not build, passing every argument as one 32-bit stack slot.
// The caller's stack pointer is restored after the call whatever the entry does with its
// arguments, so an entry compiled __cdecl or __stdcall, or one that expects more or fewer
// arguments than we pass, cannot corrupt our stack.
#pragma once

#include <cstdint>

namespace fw {

struct NativeResult {
  std::uint32_t eax = 0;
  std::uint32_t edx = 0;
  double st0 = 0.0;  // the x87 result, read only when asked for (float entries)
  // The same register at its full precision: a float result taken from here is rounded only once,
  // exactly as a caller storing the entry's float would round it.
  long double st0Extended = 0.0L;
};

constexpr int kMaxNativeArgs = 16;

// Calls `entry` with `count` (0..kMaxNativeArgs) slots from `args`. With readFloat the x87
// register's value is taken (and popped) after the call; only ask for it from float entries.
NativeResult CallNative(const void* entry, const std::uint32_t* args, int count, bool readFloat = false);

template <typename T>
inline std::uint32_t Slot(T value) {
  static_assert(sizeof(T) <= 4, "one 32-bit slot per argument");
  if constexpr (sizeof(T) == 4) {
    std::uint32_t slot;
    __builtin_memcpy(&slot, &value, 4);
    return slot;
  } else {
    // 8- and 16-bit arguments are widened to a whole slot, as the calling conventions do.
    return static_cast<std::uint32_t>(value);
  }
}

}  // namespace fw
