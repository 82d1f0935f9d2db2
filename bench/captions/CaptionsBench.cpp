// How long the panel takes to read its captions (the three kinds, as at start and after the
// configuration manager) from calib.ini through the system's profile functions: a station-sized
// file and one at every limit (100 sections of 100 declared keys each); with an argument, also the
// calib.ini it names (scripts/bench gives the demo station's).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "sim/sysenv/FieldSplit.h"
#include "station/Channels.h"
#include "station/ProfileWin32.h"
#include "tests/captions/CaptionsFakes.h"
#include "tests/support/TestSupport.h"

namespace {

// The simulated system library's field splitting, as the panel meets it on the demo station.
int CommaField(const char* text, char* out, int index) {
  return static_cast<int>(sim::CommaField(text, index, out, station::kProfileBufferSize));
}
int Field2(const char* text, char* out, int index, char delimiter) {
  return static_cast<int>(sim::SeparatedField(text, index, delimiter, out, station::kProfileBufferSize));
}

// The tests' reader takes lines ended by LF alone.
std::string WithoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// calib.ini in memory (the tests' reader), counting the reads the collection makes.
class CountingProfile final : public station::ProfileReader {
 public:
  explicit CountingProfile(const std::string& ini) : file_(WithoutCarriageReturns(ini)) {}
  std::size_t SectionNames(char* buffer, std::size_t size) override {
    ++reads;
    return file_.SectionNames(buffer, size);
  }
  std::size_t String(const char* section, const char* key, char* buffer, std::size_t size) override {
    ++reads;
    return file_.String(section, key, buffer, size);
  }
  int reads = 0;

 private:
  captest::MemoryProfile file_;
};

std::string MakeIni(int sections, int keysPerKind) {
  std::string ini;
  const char* kinds[] = {station::kDoutListKey, station::kDinListKey, station::kAnalogListKey};
  for (int s = 0; s < sections; ++s) {
    ini += "[Device" + std::to_string(s) + "]\r\n";
    for (int k = 0; k < 3; ++k) {
      std::string list;
      std::string keys;
      for (int i = 0; i < keysPerKind; ++i) {
        const std::string key = std::string(1, static_cast<char>('a' + k)) + std::to_string(i);
        list += (i ? "," : "") + key;
        keys += key + "=" + std::to_string(i % station::kInputChannels) + "\r\n" + key + "[About]=\xC7\xB0\xB9\xE2\xB5\xE7" +
                std::to_string(s % 4) + "(x) 24V\r\n";
      }
      ini += std::string(kinds[k]) + "=" + list + "\r\n" + keys;
    }
  }
  return ini;
}

// Median milliseconds of one round (the three kinds).
double ReadAllKinds(const std::string& path, int rounds) {
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    const double start = sptest::Seconds();
    ChannelCaptions<station::kOutputChannels> dout{};
    ChannelCaptions<station::kInputChannels> din{};
    ChannelCaptions<station::kAnalogChannels> analog{};
    station::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, station::kDoutListKey, dout);
    station::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, station::kDinListKey, din);
    station::ReadCaptionsFromFile(path.c_str(), &CommaField, &Field2, station::kAnalogListKey, analog);
    times.push_back((sptest::Seconds() - start) * 1000.0);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// The same collection on the file held in memory: the share of the collection itself.
double ReadAllKindsInMemory(const std::string& ini, int rounds) {
  CountingProfile profile(ini);
  station::FieldFunctions fields(&CommaField, &Field2);
  const double start = sptest::Seconds();
  for (int r = 0; r < rounds; ++r) {
    ChannelCaptions<station::kOutputChannels> dout{};
    ChannelCaptions<station::kInputChannels> din{};
    ChannelCaptions<station::kAnalogChannels> analog{};
    station::ReadCaptions(profile, fields, station::kDoutListKey, dout);
    station::ReadCaptions(profile, fields, station::kDinListKey, din);
    station::ReadCaptions(profile, fields, station::kAnalogListKey, analog);
  }
  const double ms = (sptest::Seconds() - start) * 1000.0 / rounds;
  std::printf("  (%d profile reads per round)\n", profile.reads / rounds);
  return ms;
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
