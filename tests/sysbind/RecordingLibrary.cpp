// A stand-in for the system library that records every call: which entry, and the argument slots
// it received. Its entries are __stdcall (our simulator's are __cdecl), so the wrappers are seen to
// work with both. Each entry answers a value that tells it apart from every other entry.
#include <cstdint>
#include <cstring>

#include "sysbind/SysEnvShapes.h"

namespace {

constexpr int kMaxCalls = 8;
constexpr int kMaxSlots = 8;

struct Call {
  int position;
  int count;
  std::uint32_t slots[kMaxSlots];
};

Call g_calls[kMaxCalls];
int g_callCount = 0;

std::uint32_t AsSlot(std::uint32_t value) { return value; }
// An 8-bit argument arrives widened; only its low byte is the character.
std::uint32_t AsSlot(char c) { return static_cast<unsigned char>(c); }

struct Recorder {
  int position;

  template <typename... Args>
  void operator()(Args... args) const {
    if (g_callCount < kMaxCalls) {
      Call& call = g_calls[g_callCount];
      const std::uint32_t slots[sizeof...(Args) + 1] = {AsSlot(args)..., 0};
      call.position = position;
      call.count = static_cast<int>(sizeof...(Args));
      std::memcpy(call.slots, slots, sizeof(std::uint32_t) * sizeof...(Args));
    }
    ++g_callCount;
  }
};

const char kRecordedText[] = "recorded text";

template <typename Result>
Result Answer(int position);
template <>
int Answer<int>(int position) {
  return position * 1000 + 7;
}
template <>
float Answer<float>(int position) {
  return static_cast<float>(position) + 0.25f;
}
template <>
const char* Answer<const char*>(int) {
  return kRecordedText;
}

}  // namespace

extern "C" {

#define SYSENV_ENTRY(position, name, result, shape)                              \
  SYSENV_RESULT_##result __stdcall name SYSENV_PARAMS_##shape(std::uint32_t) {   \
    Recorder{position}(SYSENV_ARGS_##shape);                                     \
    return Answer<SYSENV_RESULT_##result>(position);                             \
  }
#include "sysbind/SysEnvEntries.inc"

void __cdecl RecorderReset() { g_callCount = 0; }

int __cdecl RecorderCallCount() { return g_callCount; }

// Copies call `index` out; returns its slot count, or -1 when there is no such call.
int __cdecl RecorderCall(int index, int* position, std::uint32_t* slots) {
  if (index < 0 || index >= g_callCount || index >= kMaxCalls) return -1;
  *position = g_calls[index].position;
  std::memcpy(slots, g_calls[index].slots, sizeof(std::uint32_t) * g_calls[index].count);
  return g_calls[index].count;
}

}  // extern "C"
