// How close a check plan's response times come to the truth: the simulator switches inputs 0-3 a
// known delay after their outputs (mirror ... after N ms); spprobe runs a plan that raises and drops
// each output and waits for its input with `within`, and writes JSON. The figures are the recorded
// response time minus the delay (the goal: within 15 ms), median and worst of the repetitions.
//
// Run by scripts/bench after it laid out the demo station: the system library it installed is
// pointed at a station folder of this benchmark while it runs, and back at the end.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kDelaysMs[] = {20, 100, 500, 1500};
constexpr int kRounds = 10;  // each output raised and dropped this often: two response times a round

void Figure(const std::string& name, double value, const char* unit, const std::string& ratio = "") {
  std::printf("@bench|%s|%.3f|%s|%s\n", name.c_str(), value, unit, ratio.c_str());
  std::fflush(stdout);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  return static_cast<bool>(file);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Folder(const char* path) {
  const std::string p = path;
  return p.substr(0, p.find_last_of("\\/"));
}

// The system library's settings name this station while the object lives.
class Station {
 public:
  Station() {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    m_settings = std::string(system) + "\\SysENV.ini";
    m_old = ReadBytes(m_settings);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_root = std::string(temp) + "sp_check_bench";
    for (const char* dir : {"", "\\Config", "\\Device"}) CreateDirectoryA((m_root + dir).c_str(), nullptr);
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    m_bin = Folder(exe);
    std::string wiring = "[Inputs]\r\n";
    for (int k = 0; k < 4; ++k) wiring += "In" + std::to_string(k) + " = mirror " + std::to_string(k) + " after " + std::to_string(kDelaysMs[k]) + "ms\r\n";
    m_ok = !m_old.empty() && WriteBytes(m_root + "\\Config\\calib.ini", "") &&
           WriteBytes(m_root + "\\Device\\HardwareSim.ini", wiring) &&
           CopyFileA((m_bin + "\\Hardware.dll").c_str(), (m_root + "\\Device\\Hardware.dll").c_str(), FALSE) &&
           WriteBytes(m_settings, "[Directories]\r\nConfig=" + m_root + "\\Config\r\nDeviceLibrary=" + m_root + "\\Device\r\n");
  }
  ~Station() {
    if (!m_old.empty()) WriteBytes(m_settings, m_old);
  }
  bool ok() const { return m_ok; }
  const std::string& Root() const { return m_root; }
  const std::string& Bin() const { return m_bin; }

 private:
  std::string m_settings, m_old, m_root, m_bin;
  bool m_ok = false;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main() {
  Station station;
  if (!station.ok()) {
    std::printf("check_bench: no station (run it from scripts/bench, which installs the system library)\n");
    return 1;
  }
  std::string plan = "title response times\r\n";
  for (int round = 0; round < kRounds; ++round) {
    for (int k = 0; k < 4; ++k) {
      plan += "set " + std::to_string(k) + " 1\r\nexpect input " + std::to_string(k) + " 1 within 3s\r\n";
      plan += "set " + std::to_string(k) + " 0\r\nexpect input " + std::to_string(k) + " 0 within 3s\r\n";
    }
  }
  const std::string planFile = station.Root() + "\\plan.txt";
  const std::string json = station.Root() + "\\results.json";
  WriteBytes(planFile, plan);
  DeleteFileA(json.c_str());
  std::string command = "\"" + station.Bin() + "\\spprobe.exe\" check --json \"" + json + "\" \"" + planFile + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, station.Root().c_str(), &si, &pi)) {
    std::printf("check_bench: cannot start spprobe.exe\n");
    return 1;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::printf("spprobe check ended with %lu\n", code);

  // One step a line: "expect input K ..." with its seconds where it passed.
  std::vector<double> errors[4];
  std::istringstream lines(ReadBytes(json));
  const std::regex step("\"step\": \"expect input (\\d) [01] within 3s\".*\"seconds\": ([0-9.]+), \"responseTime\": true");
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_search(line, m, step)) {
      const int k = std::stoi(m[1]);
      errors[k].push_back(std::stod(m[2]) * 1000 - kDelaysMs[k]);
    }
  }
  for (int k = 0; k < 4; ++k) {
    const std::string delay = std::to_string(kDelaysMs[k]) + " ms";
    std::printf("delay %s: %zu response times\n", delay.c_str(), errors[k].size());
    if (errors[k].size() != 2 * kRounds) {
      std::printf("check_bench: expected %d response times for input %d\n", 2 * kRounds, k);
      return 1;
    }
    const double worst = *std::max_element(errors[k].begin(), errors[k].end(),
                                           [](double a, double b) { return std::abs(a) < std::abs(b); });
    char ratio[48];
    std::snprintf(ratio, sizeof ratio, "worst/goal %.2f", std::abs(worst) / 15.0);
    Figure("check response time - delay, " + delay + " (median)", Median(errors[k]), "ms");
    Figure("check response time - delay, " + delay + " (worst of " + std::to_string(2 * kRounds) + ")", worst, "ms", ratio);
  }
  return code == 0 ? 0 : 1;
}
