// Runs a fuzz target where the compiler has no libFuzzer: every seed as it is (a failed check
// aborts, so the replay alone fails the test), then random mutations of the seeds for a bounded
// time, always in the same order. The input being tried is kept in <program>-input.bin, so the one
// that failed is there after the process died; it is removed when every input passed.
//   <program> [--seconds S] [file-or-folder ...]
#include "FuzzDriver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Seeds in name order, so that a run is repeatable; a path that cannot be read is an error, not
// a silently empty corpus.
void AddSeeds(const std::filesystem::path& path, std::vector<std::string>& seeds) {
  std::vector<std::filesystem::path> files{path};
  if (std::filesystem::is_directory(path)) files.assign(std::filesystem::directory_iterator(path), {});
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("fuzz: cannot read " + file.string());
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 5;
  std::vector<std::string> seeds(1);  // the empty input is always tried
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--seconds" && i + 1 < argc)
      seconds = std::atof(argv[++i]);
    else
      AddSeeds(argv[i], seeds);
  }
  const std::string program = std::filesystem::path(argv[0]).filename().string(), inputFile = program + "-input.bin";
  const auto run = [&inputFile](const std::string& input) {
    if (FILE* f = std::fopen(inputFile.c_str(), "wb")) {
      std::fwrite(input.data(), 1, input.size(), f);
      std::fclose(f);
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
  };
  for (const std::string& s : seeds) run(s);

  std::size_t tokenCount = 0;
  const char* const* tokens = FuzzTokens(&tokenCount);
  std::mt19937_64 random(20240611);
  const auto below = [&random](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
  long runs = 0;
  const auto start = std::chrono::steady_clock::now();
  for (; std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds); ++runs) {
    // A seed with a few edits: bytes erased, a piece of a seed spliced in, a token or a byte
    // inserted once or as a long run (buffer limits).
    std::string s = seeds[below(seeds.size())];
    for (std::size_t edits = 1 + below(6); edits > 0; --edits) {
      const std::size_t at = below(s.size() + 1);
      const std::string& other = seeds[below(seeds.size())];
      const std::string token = below(4) != 0 && tokenCount > 0 ? std::string(tokens[below(tokenCount)])
                                                                 : std::string(1, static_cast<char>(below(256)));
      const std::size_t kind = below(4);
      if (kind == 0)
        s.erase(at, 1 + below(16));
      else if (kind == 1)
        s.insert(at, other, below(other.size() + 1), std::string::npos);
      else
        for (std::size_t n = kind == 2 ? 1 : 1 + below(400); n > 0; --n) s.insert(at, token);
    }
    run(s.substr(0, 16 * 1024));
  }
  std::remove(inputFile.c_str());
  std::printf("%s: %zu seeds replayed, then %ld mutations\n", program.c_str(), seeds.size(), runs);
  return 0;
}
