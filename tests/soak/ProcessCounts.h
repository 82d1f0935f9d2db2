// What a process holds of the system's resources, read alike before and after a long run. Wine
// answers 0 to GetGuiResources: there the handle tables are probed instead, counts that move when
// something is held.
#pragma once

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
// One line per figure, before and after side by side, for a log.
std::string Describe(const ProcessCounts& before, const ProcessCounts& after);

}  // namespace soak
