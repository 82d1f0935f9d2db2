// The guarded wrappers, generated from the entry list: null entry -> fallback, otherwise the entry
// is called with the arguments unchanged and its result is returned unchanged.
#include "sysbind/SysEnv.h"

namespace {

// The system library's faults pass, as designed: no guard around the call.
bool Unguarded(const void* entry, const std::uint32_t* args, int count, bool readFloat, fw::NativeResult* result,
               unsigned long*) {
  *result = fw::CallNative(entry, args, count, readFloat);
  return true;
}

template <typename R>
fw::EntryCall<R> Call(const void* entry) {
  if constexpr (std::is_same_v<R, float>) {
    return {&Unguarded, entry, {kSysEnvFloatFallback}, {}};
  } else if constexpr (std::is_pointer_v<R>) {
    return {&Unguarded, entry, {kSysEnvTextFallback}, {}};
  } else {
    return {&Unguarded, entry, {kSysEnvFallback}, {}};
  }
}

}  // namespace

#define SYSENV_SECOND_WRAPPER(position, name, second, result, shape)                 \
  fw::Result<SP_RESULT_##result> second(SP_SHAPE_##shape(SP_BIND_PARAM)) {           \
    return Call<SP_RESULT_##result>(g_sysEnvEntries.name)(SP_SHAPE_##shape(SP_ARG)); \
  }
#define SYSENV_ENTRY(position, name, result, shape) SYSENV_SECOND_WRAPPER(position, name, name, result, shape)
#define SYSENV_ENTRY_NOWRAP(position, name)
#include "sysbind/SysEnvEntries.inc"
