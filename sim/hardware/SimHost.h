// What the exported entries of Hardware.dll need from their host: the clock, the configuration
// and station of this library instance, and Enter, where every entry call starts. Kept free of
// the Windows headers, which declare functions of their own under some of the entry names.
#pragma once

#include <cstdint>

#include "sim/hardware/SimConfig.h"
#include "sim/hardware/SimJournal.h"
#include "sim/hardware/SimStation.h"

namespace hwsim {

std::uint64_t Now();
const SimConfig& Config();
CSimStation& Station();

// Writes the call's journal line (through to the file at once, so another process can read it
// while the caller runs), then ends in the entry's configured fault when one is due. Returns the
// fault when it asks for a wrong result, otherwise null.
const FaultConfig* Enter(const CJournalLine& line);

}  // namespace hwsim
