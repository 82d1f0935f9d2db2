#include "ProcessCounts.h"

#include <psapi.h>

#include <cstdio>
#include <vector>

namespace soak {

long CountGdiObjects(bool* probed) {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (probed != nullptr) *probed = reported == 0;
  if (reported != 0) return static_cast<long>(reported);
  long live = 0;
  for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++live;
  }
  return live;
}

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
  ++*reinterpret_cast<long*>(lParam);
  return TRUE;
}

struct OwnWindows {
  DWORD process;
  long count;
};

BOOL CALLBACK CountOwnTopLevel(HWND window, LPARAM lParam) {
  auto* own = reinterpret_cast<OwnWindows*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == own->process) {
    ++own->count;
    EnumChildWindows(window, &CountChild, reinterpret_cast<LPARAM>(&own->count));  // every descendant
  }
  return TRUE;
}

}  // namespace

long CountUserObjects(bool* probed) {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (probed != nullptr) *probed = reported == 0;
  if (reported != 0) return static_cast<long>(reported);
  // Windows by enumeration (asking about every free slot of the window table is slow there), menus
  // by probing: the table hands out the lowest free slots first, so a leak shows inside the range.
  OwnWindows own{GetCurrentProcessId(), 0};
  EnumWindows(&CountOwnTopLevel, reinterpret_cast<LPARAM>(&own));
  long menus = 0;
  for (ULONG_PTR index = 0x20; index < 0x20 + 2 * kProbedSlots; index += 2) {
    if (IsMenu(reinterpret_cast<HMENU>(index))) ++menus;
  }
  return own.count + menus;
}

long CountKernelHandles() {
  DWORD reported = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported != 0) return static_cast<long>(reported);
  // Handles are multiples of four, the lowest free one handed out first.
  long live = 0;
  for (ULONG_PTR handle = 4; handle < 4 * (kProbedSlots + 1); handle += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags)) ++live;
  }
  return live;
}

std::size_t PrivateCommittedBytes() {
  std::size_t bytes = 0;
  MEMORY_BASIC_INFORMATION region{};
  const char* address = nullptr;
  while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return bytes;
}

std::size_t HeapBusyBytes(long* blocks) {
  std::vector<HANDLE> heaps(64);
  DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (count > heaps.size()) {
    heaps.resize(count);
    count = GetProcessHeaps(count, heaps.data());
  }
  std::size_t bytes = 0;
  long busy = 0;
  for (DWORD h = 0; h < count && h < heaps.size(); ++h) {
    if (!HeapLock(heaps[h])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[h], &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
        bytes += entry.cbData;
        ++busy;
      }
    }
    HeapUnlock(heaps[h]);
  }
  if (blocks != nullptr) *blocks = busy;
  return bytes;
}

ProcessCounts ReadProcessCounts() {
  ProcessCounts c;
  c.gdiObjects = CountGdiObjects(&c.gdiProbed);
  c.userObjects = CountUserObjects(&c.userProbed);
  c.kernelHandles = CountKernelHandles();
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    c.privateBytes = memory.PrivateUsage;
    c.workingSet = memory.WorkingSetSize;
  }
  // Not every system reports PrivateUsage (Wine answers 0): add up the committed private regions.
  if (c.privateBytes == 0) c.privateBytes = PrivateCommittedBytes();
  c.heapBytes = HeapBusyBytes(&c.heapBlocks);
  return c;
}

std::string Describe(const ProcessCounts& before, const ProcessCounts& after) {
  char text[1024];
  std::snprintf(text, sizeof text,
                "  GDI objects%-9s %10ld -> %10ld  (%+ld)\n"
                "  USER objects%-8s %10ld -> %10ld  (%+ld)\n"
                "  kernel handles       %10ld -> %10ld  (%+ld)\n"
                "  private bytes        %10zu -> %10zu  (%+lld)\n"
                "  working set          %10zu -> %10zu  (%+lld)\n"
                "  heap bytes in use    %10zu -> %10zu  (%+lld)\n"
                "  heap blocks in use   %10ld -> %10ld  (%+ld)\n",
                before.gdiProbed ? " (probed)" : "", before.gdiObjects, after.gdiObjects,
                after.gdiObjects - before.gdiObjects, before.userProbed ? " (probed)" : "", before.userObjects,
                after.userObjects, after.userObjects - before.userObjects, before.kernelHandles, after.kernelHandles,
                after.kernelHandles - before.kernelHandles, before.privateBytes, after.privateBytes,
                static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes),
                before.workingSet, after.workingSet,
                static_cast<long long>(after.workingSet) - static_cast<long long>(before.workingSet), before.heapBytes,
                after.heapBytes, static_cast<long long>(after.heapBytes) - static_cast<long long>(before.heapBytes),
                before.heapBlocks, after.heapBlocks, after.heapBlocks - before.heapBlocks);
  return text;
}

}  // namespace soak
