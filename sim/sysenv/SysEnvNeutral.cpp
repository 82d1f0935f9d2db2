// Every entry of the system library that the simulator does not implement: it takes its argument
// list and answers 0 (0.0 for the float entries), touching none of its arguments.
#include "framework/EntryShapes.h"

// These are implemented in SysEnvSim.cpp; their neutral forms are generated under other names that
// the export list does not mention.
#define GetSysEnv NeutralUnused_GetSysEnv
#define GetSysEnvStrSize NeutralUnused_GetSysEnvStrSize
#define GetField NeutralUnused_GetField
#define GetField2 NeutralUnused_GetField2
#define GetLangueString NeutralUnused_GetLangueString

extern "C" {
#define SYSENV_ENTRY(position, name, result, shape) \
  SP_RESULT_##result __cdecl name(SP_SHAPE_##shape(SP_ENTRY_PARAM)) { return {}; }
#include "sysbind/SysEnvEntries.inc"
}
