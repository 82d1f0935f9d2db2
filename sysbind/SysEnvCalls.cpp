// The guarded wrappers, generated from the entry list: null entry -> fallback, otherwise the entry
// is called with the arguments unchanged and its result is returned unchanged.
#include "sysbind/SysEnv.h"

namespace {

inline std::uint32_t ToSlot(SysArg arg) { return arg.Slot(); }
inline std::uint32_t ToSlot(char c) { return fw::Slot(c); }

// Bound to one entry; called with the wrapper's arguments. (A function object rather than a
// function so that entries without arguments need no special case in the generator.)
template <typename Result>
struct GuardedCall {
  const void* entry;

  template <typename... Args>
  Result operator()(Args... args) const {
    if (entry == nullptr) return Fallback();
    const std::uint32_t slots[sizeof...(Args) + 1] = {ToSlot(args)..., 0};
    const bool isFloat = std::is_same_v<Result, float>;
    const fw::NativeResult r = fw::CallNative(entry, slots, static_cast<int>(sizeof...(Args)), isFloat);
    if constexpr (std::is_same_v<Result, float>) {
      return static_cast<float>(r.st0);
    } else if constexpr (std::is_pointer_v<Result>) {
      return reinterpret_cast<Result>(static_cast<std::uintptr_t>(r.eax));
    } else {
      return static_cast<Result>(r.eax);
    }
  }

  static Result Fallback() {
    if constexpr (std::is_same_v<Result, float>) {
      return kSysEnvFloatFallback;
    } else if constexpr (std::is_pointer_v<Result>) {
      return kSysEnvTextFallback;
    } else {
      return kSysEnvFallback;
    }
  }
};

}  // namespace

#define SYSENV_ENTRY(position, name, result, shape)                                         \
  SYSENV_RESULT_##result name SYSENV_PARAMS_##shape(SysArg) {                               \
    return GuardedCall<SYSENV_RESULT_##result>{g_sysEnvEntries.name}(SYSENV_ARGS_##shape); \
  }
#define SYSENV_ENTRY_NOWRAP(position, name)
#define SYSENV_SECOND_WRAPPER(position, name, second, result, shape)                       \
  SYSENV_RESULT_##result second SYSENV_PARAMS_##shape(SysArg) {                             \
    return GuardedCall<SYSENV_RESULT_##result>{g_sysEnvEntries.name}(SYSENV_ARGS_##shape); \
  }
#include "sysbind/SysEnvEntries.inc"
