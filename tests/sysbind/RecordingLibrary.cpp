// A stand-in for the system library that records its last call: which entry, and the argument slots
// it received (an 8-bit argument as a callee reads it: its low byte alone). Its entries are
// __stdcall (our simulator's are __cdecl), so the wrappers are seen to work with both. Each entry
// answers a value that tells it apart from every other entry.
#include <cstdint>
#include <cstring>

#include "framework/EntryShapes.h"

namespace {

int g_calls = 0;
int g_position = 0;
int g_count = 0;
std::uint32_t g_slots[8];

struct Recorder {
  int position;
  template <typename... Args>
  void operator()(Args... args) const {
    const std::uint32_t slots[sizeof...(Args) + 1] = {args..., 0};
    ++g_calls;
    g_position = position;
    g_count = static_cast<int>(sizeof...(Args));
    std::memcpy(g_slots, slots, sizeof slots);
  }
};

int Answer(int position, int*) { return position * 1000 + 7; }
float Answer(int position, float*) { return static_cast<float>(position) + 0.25f; }
const char* Answer(int, const char**) { return "recorded text"; }

}  // namespace

extern "C" {

#define SYSENV_ENTRY(position, name, result, shape)                       \
  SP_RESULT_##result __stdcall name(SP_SHAPE_##shape(SP_ENTRY_PARAM)) {   \
    Recorder{position}(SP_SHAPE_##shape(SP_ARG));                         \
    return Answer(position, static_cast<SP_RESULT_##result*>(nullptr));   \
  }
#include "sysbind/SysEnvEntries.inc"

// The calls since the last reading, and the last call's entry place and slots (returns their count).
int __cdecl RecorderLast(int* calls, int* position, std::uint32_t* slots) {
  *calls = g_calls;
  *position = g_position;
  std::memcpy(slots, g_slots, sizeof g_slots);
  g_calls = 0;
  return g_count;
}

}  // extern "C"
