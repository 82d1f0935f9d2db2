// Runs a fuzz target where the compiler has no libFuzzer: every seed as it is, then random
// mutations of the seeds for a bounded time. Deterministic for a given --seed; a failing input is
// written to <program>-failure.bin before the process dies.
//   <program> [--seconds S] [--seed N] [file-or-folder ...]
#include "FuzzDriver.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#if defined(__has_include)
#if __has_include(<sanitizer/common_interface_defs.h>)
#include <sanitizer/common_interface_defs.h>
#define SP_HAVE_SANITIZER_CALLBACK 1
#endif
#endif

namespace {

std::string g_current;
char g_failureName[256] = "fuzz-failure.bin";

void SaveCurrent() {
  FILE* f = std::fopen(g_failureName, "wb");
  if (f != nullptr) {
    std::fwrite(g_current.data(), 1, g_current.size(), f);
    std::fclose(f);
  }
  static const char kNote[] = "fuzz: failing input written to ";
  ssize_t ignored = write(2, kNote, sizeof kNote - 1);
  ignored = write(2, g_failureName, std::strlen(g_failureName));
  ignored = write(2, "\n", 1);
  (void)ignored;
}

void OnAbort(int) {
  SaveCurrent();
  std::signal(SIGABRT, SIG_DFL);
  std::raise(SIGABRT);
}

void Run(const std::string& input) {
  g_current = input;
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(g_current.data()), g_current.size());
}

struct Random {
  std::uint64_t state;
  std::uint64_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
};

void Mutate(std::string& s, Random& rnd, const std::vector<std::string>& pool, const char* const* tokens,
            std::size_t tokenCount) {
  const int steps = 1 + static_cast<int>(rnd.Below(6));
  for (int i = 0; i < steps; ++i) {
    const std::size_t at = rnd.Below(s.size() + 1);
    switch (rnd.Below(7)) {
      case 0:
        if (!s.empty()) s[rnd.Below(s.size())] ^= static_cast<char>(1u << rnd.Below(8));
        break;
      case 1:
        if (!s.empty()) s[rnd.Below(s.size())] = static_cast<char>(rnd.Next());
        break;
      case 2:
        if (tokenCount > 0) s.insert(at, tokens[rnd.Below(tokenCount)]);
        break;
      case 3:
        if (!s.empty()) s.erase(rnd.Below(s.size()), 1 + rnd.Below(16));
        break;
      case 4: {  // a long run of one token or byte
        const std::string piece = tokenCount > 0 && rnd.Below(2) == 0 ? std::string(tokens[rnd.Below(tokenCount)])
                                                                      : std::string(1, static_cast<char>(rnd.Next()));
        std::string run;
        for (std::size_t n = 1 + rnd.Below(400); n > 0; --n) run += piece;
        s.insert(at, run);
        break;
      }
      case 5:
        if (!s.empty()) {
          const std::size_t from = rnd.Below(s.size());
          s.insert(at, s.substr(from, 1 + rnd.Below(64)));
        }
        break;
      default: {
        const std::string& other = pool[rnd.Below(pool.size())];
        if (!other.empty()) s.insert(at, other.substr(rnd.Below(other.size())));
        break;
      }
    }
    if (s.size() > 16 * 1024) s.resize(16 * 1024);
  }
}

void AddSeeds(const std::filesystem::path& path, std::vector<std::string>& seeds) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
      if (entry.is_regular_file()) AddSeeds(entry.path(), seeds);
    }
    return;
  }
  std::ifstream in(path, std::ios::binary);
  if (in) seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 5;
  std::uint64_t seed = 20240611;
  std::vector<std::string> seeds(1);  // the empty input is always tried
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (arg == "--seed" && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else {
      AddSeeds(arg, seeds);
    }
  }
  const std::string program = std::filesystem::path(argv[0]).filename().string();
  std::snprintf(g_failureName, sizeof g_failureName, "%s-failure.bin", program.c_str());
#ifdef SP_HAVE_SANITIZER_CALLBACK
  __sanitizer_set_death_callback(&SaveCurrent);
#endif
  std::signal(SIGABRT, &OnAbort);

  std::size_t tokenCount = 0;
  const char* const* tokens = FuzzTokens(&tokenCount);

  long runs = 0;
  for (const std::string& s : seeds) {
    Run(s);
    ++runs;
  }
  Random rnd{seed == 0 ? 1 : seed};
  const auto start = std::chrono::steady_clock::now();
  const auto limit = std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() - start < limit) {
    std::string input = seeds[rnd.Below(seeds.size())];
    Mutate(input, rnd, seeds, tokens, tokenCount);
    Run(input);
    ++runs;
  }
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%s: %zu seeds, %ld inputs in %.1f s (seed %llu)\n", program.c_str(), seeds.size(), runs, took,
              static_cast<unsigned long long>(seed));
  return 0;
}
