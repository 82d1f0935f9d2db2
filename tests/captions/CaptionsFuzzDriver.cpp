// Runs the captions fuzz target where the compiler has no libFuzzer: every seed under every choice
// of field functions, then random mutations of the seeds for a bounded time. Deterministic for a
// given --seed; a failing input is written to captions-fuzz-failure.bin before the process dies.
//   captions_fuzz [--seconds S] [--seed N] [file-or-folder ...]
#include <chrono>
#include <csignal>
#include <cstdint>
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::string g_current;

void SaveCurrent() {
  static const char kName[] = "captions-fuzz-failure.bin";
  FILE* f = std::fopen(kName, "wb");
  if (f != nullptr) {
    std::fwrite(g_current.data(), 1, g_current.size(), f);
    std::fclose(f);
  }
  static const char kNote[] = "captions fuzz: failing input written to captions-fuzz-failure.bin\n";
  const ssize_t ignored = write(2, kNote, sizeof kNote - 1);
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

// Small, fast and reproducible.
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

// Pieces that mean something to the collection: syntax, list keys, keyword bytes (GBK), numbers
// at the range edges, cut characters.
const char* const kTokens[] = {
    "[", "]", "=", ",", "|", " ", "(", ")", "\n", "\r\n", "\n[ Spare]\n", "\n[Dev]\n",
    "AllTD_Dout=", "AllTD_Din=", "AllTD_A=", "[About]", "[About]=", "K=3\n", "K[About]=",
    "0", "15", "16", "23", "24", "-1", "2147483648", "99999999999999999999", "3abc",
    "\xCD\xA8\xB5\xC0", "\xB9\xE2\xB5\xE7", "\xD0\xC5\xBA\xC5", "\xB4\xAB\xB8\xD0\xC6\xF7", "\xBF\xD8\xD6\xC6",
    "\xC7\xB0", "\xB9", "\xA1", "\x81\x40", "/",
};

const char* const kBuiltInSeeds[] = {
    "[FrontLift]\nAllTD_Din=A,B\nA=3\nA[About]=\xC7\xB0\xB9\xE2\xB5\xE7\xBF\xAA\xB9\xD8(\xB3\xA3\xBF\xAA) 24V\n"
    "B=16\nB[About]=Beyond\n[Lift]\nAllTD_Din=C\nC=3\nC[About]=\xBE\xD9\xC9\xFD\xB5\xBD\xCE\xBB\n",
    "[Brake]\nAllTD_Dout=M1,M2\nM1=0\nM1[About]=Motor left (x)\nM2=23\nM2[About]=(none)\n"
    "AllTD_A=F\nF=2\nF[About]=\xB4\xAB\xB8\xD0\xC6\xF7 force\n[ Spare]\nAllTD_Din=Z\nZ=1\nZ[About]=Z\n",
};

void Mutate(std::string& s, Random& rnd, const std::vector<std::string>& pool) {
  const int steps = 1 + static_cast<int>(rnd.Below(8));
  for (int i = 0; i < steps; ++i) {
    const std::size_t at = rnd.Below(s.size() + 1);
    switch (rnd.Below(8)) {
      case 0:
        if (!s.empty()) s[rnd.Below(s.size())] ^= static_cast<char>(1u << rnd.Below(8));
        break;
      case 1:
        if (!s.empty()) s[rnd.Below(s.size())] = static_cast<char>(rnd.Next());
        break;
      case 2:
        s.insert(at, kTokens[rnd.Below(std::size(kTokens))]);
        break;
      case 3:
        if (!s.empty()) s.erase(rnd.Below(s.size()), 1 + rnd.Below(16));
        break;
      case 4: {  // a long run: names, keys and values beyond every limit
        const char fill[] = {'N', ',', '\xC7', '\xB0', ' ', '('};
        s.insert(at, std::string(50 + rnd.Below(2500), fill[rnd.Below(sizeof fill)]));
        break;
      }
      case 5:
        if (!s.empty()) {
          const std::size_t from = rnd.Below(s.size());
          s.insert(at, s.substr(from, 1 + rnd.Below(200)));
        }
        break;
      case 6: {  // many sections or keys
        std::string block;
        const bool sections = rnd.Below(2) == 0;
        const std::size_t n = 20 + rnd.Below(150);
        for (std::size_t k = 0; k < n; ++k) {
          block += sections ? "\n[S" + std::to_string(k) + "]\nAllTD_Din=K\nK=" + std::to_string(k % 20) + "\nK[About]=X" +
                                  std::to_string(k % 3) + "\n"
                            : "K" + std::to_string(k) + ",";
        }
        s.insert(at, block);
        break;
      }
      default: {
        const std::string& other = pool[rnd.Below(pool.size())];
        if (!other.empty()) s.insert(at, other.substr(rnd.Below(other.size())));
        break;
      }
    }
    if (s.size() > 64 * 1024) s.resize(64 * 1024);
  }
  if (rnd.Below(4) == 0) s.insert(s.begin(), static_cast<char>(rnd.Below(8)));
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
  std::vector<std::string> seeds(std::begin(kBuiltInSeeds), std::end(kBuiltInSeeds));
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
#ifdef SP_HAVE_SANITIZER_CALLBACK
  __sanitizer_set_death_callback(&SaveCurrent);
#endif
  std::signal(SIGABRT, &OnAbort);

  long runs = 0;
  for (const std::string& s : seeds) {
    for (char mode = 0; mode < 8; ++mode) {
      Run(std::string(1, mode) + s);
      ++runs;
    }
    Run(s);
    ++runs;
  }

  Random rnd{seed == 0 ? 1 : seed};
  const auto start = std::chrono::steady_clock::now();
  const auto limit = std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() - start < limit) {
    std::string input = seeds[rnd.Below(seeds.size())];
    Mutate(input, rnd, seeds);
    Run(input);
    ++runs;
  }
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("captions fuzz: %zu seeds, %ld inputs in %.1f s (seed %llu)\n", seeds.size(), runs, took,
              static_cast<unsigned long long>(seed));
  return 0;
}
