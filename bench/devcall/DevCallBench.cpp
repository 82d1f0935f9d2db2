// The cost of one guarded device call (CHardWareDll method: slot test, structured-exception frame,
// abort hook, stack-preserving call) against one direct call through the same entry pointer.
// Prints nanoseconds per call (median of several runs) and the ratio.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "devbind/DeviceCall.h"
#include "devbind/HardWareDll.h"
#include "framework/NativeCall.h"

namespace {

constexpr int kCalls = 200000;
constexpr int kRuns = 7;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median nanoseconds per call of `body`, which makes kCalls calls.
template <typename Body>
double NanosecondsPerCall(Body body) {
  std::vector<double> runs;
  body();  // warm up
  for (int r = 0; r < kRuns; ++r) {
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    body();
    QueryPerformanceCounter(&end);
    runs.push_back(Seconds(start, end) * 1e9 / kCalls);
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

std::string ExeFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  return folder.substr(0, folder.find_last_of('\\'));
}

volatile int g_sink;
volatile float g_floatSink;

}  // namespace

int main() {
  CHardWareDll device;
  const std::string library = ExeFolder() + "\\devbench_device.dll";
  if (!device.Load(library.c_str()) || device.GetEntry(3) == nullptr || device.GetEntry(9) == nullptr) {
    std::fprintf(stderr, "devcall_bench: cannot load %s\n", library.c_str());
    return 1;
  }
  using IntEntry = int(__cdecl*)(int);
  using FloatEntry = float(__cdecl*)(int);
  IntEntry volatile intEntry = reinterpret_cast<IntEntry>(const_cast<void*>(device.GetEntry(3)));
  FloatEntry volatile floatEntry = reinterpret_cast<FloatEntry>(const_cast<void*>(device.GetEntry(9)));

  const double direct = NanosecondsPerCall([&] {
    int sum = 0;
    for (int i = 0; i < kCalls; ++i) sum += intEntry(i);
    g_sink = sum;
  });
  const double native = NanosecondsPerCall([&] {
    std::uint32_t sum = 0;
    const void* entry = device.GetEntry(3);
    for (int i = 0; i < kCalls; ++i) {
      const std::uint32_t arg = static_cast<std::uint32_t>(i);
      sum += fw::CallNative(entry, &arg, 1).eax;
    }
    g_sink = static_cast<int>(sum);
  });
  const double guarded = NanosecondsPerCall([&] {
    int sum = 0;
    for (int i = 0; i < kCalls; ++i) sum += device.ExtInPutDig(i);
    g_sink = sum;
  });
  const double directFloat = NanosecondsPerCall([&] {
    float sum = 0;
    for (int i = 0; i < kCalls; ++i) sum += floatEntry(i & 7);
    g_floatSink = sum;
  });
  const double guardedFloat = NanosecondsPerCall([&] {
    float sum = 0;
    for (int i = 0; i < kCalls; ++i) sum += device.ExtGetDis(i & 7);
    g_floatSink = sum;
  });

  std::printf("devcall: %d calls per run, median of %d runs\n", kCalls, kRuns);
  std::printf("  int32 entry  direct call through the pointer      %8.1f ns\n", direct);
  std::printf("               stack-preserving call (unguarded)    %8.1f ns\n", native);
  std::printf("               guarded method ExtInPutDig           %8.1f ns   ratio guarded/direct %.1f\n", guarded,
              guarded / direct);
  std::printf("  float entry  direct call through the pointer      %8.1f ns\n", directFloat);
  std::printf("               guarded method ExtGetDis             %8.1f ns   ratio guarded/direct %.1f\n",
              guardedFloat, guardedFloat / directFloat);
  // For scripts/bench's table.
  std::printf("@bench|direct device call (int entry)|%.1f|ns|\n", direct);
  std::printf("@bench|guarded device call (int entry)|%.1f|ns|guarded/direct %.1f\n", guarded, guarded / direct);
  std::printf("@bench|direct device call (float entry)|%.1f|ns|\n", directFloat);
  std::printf("@bench|guarded device call (float entry)|%.1f|ns|guarded/direct %.1f\n", guardedFloat,
              guardedFloat / directFloat);
  device.Unload();
  return 0;
}
