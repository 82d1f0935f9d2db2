// What a process holds of the system's resources, read alike at the start and end of a long run.
// Where the system reports no count (Wine answers 0 to GetGuiResources) the handle tables are
// probed instead; `probed` says which way a count came.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace soak {

// Slots of a handle table probed where the system gives no count.
constexpr unsigned kProbedSlots = 4096;

struct ProcessCounts {
  long gdiObjects = 0;
  long userObjects = 0;
  long kernelHandles = 0;
  std::size_t privateBytes = 0;  // committed private memory (PrivateUsage)
  std::size_t workingSet = 0;
  std::size_t heapBytes = 0;     // bytes of busy blocks in every heap of the process
  long heapBlocks = 0;
  bool gdiProbed = false;
  bool userProbed = false;
};

ProcessCounts ReadProcessCounts();

// GDI objects: GetGuiResources, or live entries of the GDI handle table (a handle's low word is
// its table index there, and a live entry answers GetObjectType).
long CountGdiObjects(bool* probed = nullptr);
// USER objects: GetGuiResources, or this process's windows (enumerated) and menus (probed in the
// USER handle table by their low word, as the system accepts them).
long CountUserObjects(bool* probed = nullptr);
// Kernel handles: GetProcessHandleCount, or the valid handles among the lowest slots.
long CountKernelHandles();
// Committed private memory found by walking the address space.
std::size_t PrivateCommittedBytes();
// Busy heap blocks of every heap of the process (HeapWalk); bytes and blocks.
std::size_t HeapBusyBytes(long* blocks = nullptr);

// One line per figure, `before` and `after` side by side, for a log.
std::string Describe(const ProcessCounts& before, const ProcessCounts& after);

}  // namespace soak
