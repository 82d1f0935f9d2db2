// spprobe check: a plan read and checked whole before the device is touched, run on the station
// with a safe end, and its protocol written whole whatever ends the run.
#pragma once

#include <windows.h>

#include "probe/Arguments.h"
#include "probe/Output.h"

namespace probe {

// Runs `check` as the invocation asks; `stop` is set by Ctrl+C. Returns the exit code.
int RunCheck(const Invocation& invocation, Output& out, Output& err, HANDLE stop);

}  // namespace probe
