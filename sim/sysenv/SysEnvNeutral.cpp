// Every entry of the system library that the simulator does not implement: it takes its argument
// list and answers 0 (0.0 for the float entries), touching none of its arguments.
#include <cstdint>

#include "sysbind/SysEnvShapes.h"

// These are implemented in SysEnvSim.cpp; their neutral forms are generated under other names that
// the export list does not mention.
#define GetSysEnv NeutralUnused_GetSysEnv
#define GetSysEnvStrSize NeutralUnused_GetSysEnvStrSize
#define GetField NeutralUnused_GetField
#define GetField2 NeutralUnused_GetField2
#define GetLangueString NeutralUnused_GetLangueString

namespace {
template <typename Result>
Result Neutral() {
  return Result{};
}
}  // namespace

extern "C" {
#define SYSENV_ENTRY(position, name, result, shape) \
  SYSENV_RESULT_##result __cdecl name SYSENV_PARAMS_##shape([[maybe_unused]] std::uint32_t) { return Neutral<SYSENV_RESULT_##result>(); }
#include "sysbind/SysEnvEntries.inc"
}
