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
#include "station/Channels.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr int kCalls = 200000;
constexpr int kRuns = 7;

// Median nanoseconds per call of `body`, which makes kCalls calls.
template <typename Body>
double NanosecondsPerCall(Body body) {
  std::vector<double> runs;
  body();  // warm up
  for (int r = 0; r < kRuns; ++r) {
    const double start = sptest::Seconds();
    body();
    runs.push_back((sptest::Seconds() - start) * 1e9 / kCalls);
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

volatile int g_sink;
volatile float g_floatSink;

}  // namespace

int main() {
  CHardWareDll device;
  const std::string library = sptest::ExeDirectory() + "\\devbench_device.dll";
  if (!device.Load(library.c_str()) || device.GetEntry(3) == nullptr || device.GetEntry(9) == nullptr) {
    std::fprintf(stderr, "devcall_bench: cannot load %s\n", library.c_str());
    return 1;
  }
  using IntEntry = int(__cdecl*)(int);
  using FloatEntry = float(__cdecl*)(int);
  IntEntry volatile intEntry = reinterpret_cast<IntEntry>(const_cast<void*>(device.GetEntry(3)));
  FloatEntry volatile floatEntry = reinterpret_cast<FloatEntry>(const_cast<void*>(device.GetEntry(9)));

  // Every call reads an input or a distance of the channel map, in turn.
  using station::Kind;
  const auto input = [](int i) { return station::DeviceId(Kind::Input, i % station::kInputChannels); };
  const auto distance = [](int i) { return station::DeviceId(Kind::Distance, i % station::kDistances); };
  const double direct = NanosecondsPerCall([&] {
    int sum = 0;
    for (int i = 0; i < kCalls; ++i) sum += intEntry(input(i));
    g_sink = sum;
  });
  const double native = NanosecondsPerCall([&] {
    std::uint32_t sum = 0;
    const void* entry = device.GetEntry(3);
    for (int i = 0; i < kCalls; ++i) {
      const std::uint32_t arg = static_cast<std::uint32_t>(input(i));
      sum += fw::CallNative(entry, &arg, 1).eax;
    }
    g_sink = static_cast<int>(sum);
  });
  const double guarded = NanosecondsPerCall([&] {
    int sum = 0;
    for (int i = 0; i < kCalls; ++i) sum += device.ExtInPutDig(input(i));
    g_sink = sum;
  });
  const double directFloat = NanosecondsPerCall([&] {
    float sum = 0;
    for (int i = 0; i < kCalls; ++i) sum += floatEntry(distance(i));
    g_floatSink = sum;
  });
  const double guardedFloat = NanosecondsPerCall([&] {
    float sum = 0;
    for (int i = 0; i < kCalls; ++i) sum += device.ExtGetDis(distance(i));
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
