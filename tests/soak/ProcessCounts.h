// What a process holds of the system's resources, read alike before and after a long run. Wine
// answers 0 to GetGuiResources: there the handle tables are probed instead, counts that move when
// something is held.
#pragma once

#include <cstddef>
#include <string>

namespace soak {

struct ProcessCounts {
  long long gdiObjects = 0;
  long long userObjects = 0;  // windows and menus
  long long kernelHandles = 0;
  long long heapBytes = 0;     // busy blocks of every heap
};

struct Figure {
  const char* name;
  long long ProcessCounts::*value;
  long long slack;  // what a long run may leave behind (caches settling), and no more
};
extern const Figure kFigures[4];

ProcessCounts ReadProcessCounts();
// Committed private memory: PrivateUsage, or (Wine reports none) the private regions added up.
std::size_t PrivateBytes();
// Allocations through operator new in this process so far, the panel's included (linking this
// library replaces operator new with a counting one).
long Allocations();
// One line per figure, before and after side by side, for a log.
std::string Describe(const ProcessCounts& before, const ProcessCounts& after);

}  // namespace soak
