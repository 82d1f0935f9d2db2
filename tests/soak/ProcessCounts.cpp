#include "ProcessCounts.h"

#include <windows.h>

#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace soak {

const Figure kFigures[4] = {{"GDI objects", &ProcessCounts::gdiObjects, 2},
                            {"USER objects", &ProcessCounts::userObjects, 1},
                            {"kernel handles", &ProcessCounts::kernelHandles, 2},
                            {"heap bytes in use", &ProcessCounts::heapBytes, 64 * 1024}};

namespace {

// Live entries among the lowest slots of a table, which hands out its lowest free slots first, so
// that a leak shows within the range.
template <typename Live>
long long Probe(ULONG_PTR first, ULONG_PTR step, ULONG_PTR slots, Live live) {
  long long count = 0;
  for (ULONG_PTR slot = first; slot < first + step * slots; slot += step) count += live(slot) ? 1 : 0;
  return count;
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM count) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  *reinterpret_cast<long long*>(count) += owner == GetCurrentProcessId() ? 1 : 0;
  return TRUE;
}

long long GdiObjects() {
  if (const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return reported;
  // A live entry of the GDI table answers to its index alone.
  return Probe(1, 1, 0xFFFF, [](ULONG_PTR index) { return GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0; });
}

long long UserObjects() {
  if (const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return reported;
  long long windows = 0;
  EnumChildWindows(GetDesktopWindow(), CountOwnWindow, reinterpret_cast<LPARAM>(&windows));  // every window
  return windows + Probe(0x20, 2, 4096, [](ULONG_PTR index) { return IsMenu(reinterpret_cast<HMENU>(index)) != 0; });
}

long long KernelHandles() {
  DWORD reported = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported != 0) return reported;
  return Probe(4, 4, 4096, [](ULONG_PTR handle) {
    DWORD flags = 0;
    return GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags) != 0;
  });
}

long long HeapBytes() {
  HANDLE heaps[256];
  const DWORD count = GetProcessHeaps(256, heaps);
  long long bytes = 0;
  for (DWORD h = 0; h < count && h < 256; ++h) {
    if (!HeapLock(heaps[h])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[h], &entry)) bytes += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ? entry.cbData : 0;
    HeapUnlock(heaps[h]);
  }
  return bytes;
}

}  // namespace

ProcessCounts ReadProcessCounts() {
  return {GdiObjects(), UserObjects(), KernelHandles(), HeapBytes()};
}

std::string Describe(const ProcessCounts& before, const ProcessCounts& after) {
  std::string text;
  for (const Figure& f : kFigures) {
    char line[128];
    std::snprintf(line, sizeof line, "  %-18s %12lld -> %12lld  (%+lld)\n", f.name, before.*f.value, after.*f.value,
                  after.*f.value - before.*f.value);
    text += line;
  }
  return text;
}

std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) &&
      memory.PrivateUsage != 0) {
    return memory.PrivateUsage;
  }
  std::size_t bytes = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return bytes;
}

long Allocations() { return g_allocations; }

}  // namespace soak
