// How long the panel takes to read its captions (the three kinds, as at start and after the
// configuration manager) from calib.ini through the system's profile functions: a station-sized
// file and one at every limit (100 sections of 100 declared keys each); with an argument, also the
// calib.ini it names (scripts/bench gives the demo station's).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchProfile.h"
#include "station/ProfileWin32.h"
#include "framework/Text.h"

namespace {

using bench::CommaField;
using bench::Field2;

std::string MakeIni(int sections, int keysPerKind) {
  std::string ini;
  const char* kinds[] = {"AllTD_Dout", "AllTD_Din", "AllTD_A"};
  for (int s = 0; s < sections; ++s) {
    ini += "[Device" + std::to_string(s) + "]\r\n";
    for (int k = 0; k < 3; ++k) {
      std::string list;
      std::string keys;
      for (int i = 0; i < keysPerKind; ++i) {
        const std::string key = std::string(1, static_cast<char>('a' + k)) + std::to_string(i);
        list += (i ? "," : "") + key;
        keys += key + "=" + std::to_string(i % 16) + "\r\n" + key + "[About]=\xC7\xB0\xB9\xE2\xB5\xE7" +
                std::to_string(s % 4) + "(x) 24V\r\n";
      }
      ini += std::string(kinds[k]) + "=" + list + "\r\n" + keys;
    }
  }
  return ini;
}

// Median milliseconds of one round (the three kinds).
double ReadAllKinds(const std::string& path, int rounds) {
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    ChannelCaptions<24> dout{};
    ChannelCaptions<16> din{};
    ChannelCaptions<16> analog{};
    station::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, station::kDoutListKey, dout);
    station::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, station::kDinListKey, din);
    station::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, station::kAnalogListKey, analog);
    QueryPerformanceCounter(&end);
    times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The same collection on the file held in memory: the share of the collection itself.
double ReadAllKindsInMemory(const std::string& ini, int rounds) {
  bench::MemoryProfile profile(ini);
  bench::CommaFields fields;
  LARGE_INTEGER freq, start, end;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  for (int r = 0; r < rounds; ++r) {
    ChannelCaptions<24> dout{};
    ChannelCaptions<16> din{};
    ChannelCaptions<16> analog{};
    station::ReadCaptions(profile, fields, station::kDoutListKey, dout);
    station::ReadCaptions(profile, fields, station::kDinListKey, din);
    station::ReadCaptions(profile, fields, station::kAnalogListKey, analog);
  }
  QueryPerformanceCounter(&end);
  std::printf("  (%d profile reads per round)\n", profile.reads / rounds);
  return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart) / rounds;
}

}  // namespace

int main(int argc, char** argv) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  struct Case {
    const char* name;
    int sections;
    int keys;
    int rounds;
  } cases[] = {{"station (6 sections, 8 keys per kind)", 6, 8, 21}, {"limits (100 sections, 100 keys per kind)", 100, 100, 3}};
  for (const Case& c : cases) {
    const std::string path = std::string(temp) + "captions-bench.ini";
    const std::string ini = MakeIni(c.sections, c.keys);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 1;
    std::fwrite(ini.data(), 1, ini.size(), f);
    std::fclose(f);
    const double ms = ReadAllKinds(path, c.rounds);
    std::printf("captions: %s, %zu bytes: %.1f ms for the three kinds (median of %d)\n", c.name, ini.size(), ms,
                c.rounds);
    std::printf("@bench|captions, calib.ini of %d sections x %d keys per kind|%.1f|ms|\n", c.sections, c.keys, ms);
    const double memory = ReadAllKindsInMemory(ini, c.rounds);
    std::printf("  the same from memory: %.1f ms\n", memory);
    DeleteFileA(path.c_str());
  }
  if (argc > 1) {
    const double ms = ReadAllKinds(argv[1], 21);
    std::printf("captions: %s: %.1f ms for the three kinds (median of 21)\n", argv[1], ms);
    std::printf("@bench|captions, the given calib.ini (demo station)|%.1f|ms|\n", ms);
  }
  return 0;
}
