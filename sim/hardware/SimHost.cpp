#include "sim/hardware/SimHost.h"

#include <chrono>

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Text.h"
#include "framework/Trouble.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace hwsim {

namespace {

// The folder of this library, with a trailing backslash.
std::wstring LibraryFolder() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH * 2);
  std::wstring folder(path, n < MAX_PATH * 2 ? n : 0);
  const std::size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

std::string ReadSmallFile(const std::wstring& path) {
  std::string text;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char chunk[4096];
  DWORD got = 0;
  while (text.size() < (1u << 20) && ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    text.append(chunk, got);
  }
  CloseHandle(file);
  return text;
}

bool IsAbsolute(const std::wstring& path) {
  return (path.size() > 1 && path[1] == L':') || (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
}

struct Simulator {
  Simulator()
      : config(ParseSimConfig(ReadSmallFile(LibraryFolder() + L"HardwareSim.ini"))),
        station(config, Now()),
        faultsLeft(config.faults.size()) {
    for (std::size_t i = 0; i < config.faults.size(); ++i) faultsLeft[i] = config.faults[i].times;
    if (!config.journalFile.empty()) {
      std::wstring path = fw::GbkToWide(config.journalFile.c_str());
      if (!IsAbsolute(path)) path = LibraryFolder() + path;
      journal = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (journal == INVALID_HANDLE_VALUE) {
        const std::wstring reason = fw::SystemErrorText(GetLastError());
        fw::ReportTrouble((L"HardwareSim.ini: cannot open the journal " + path + L": " + reason).c_str());
      }
    }
    // Whoever wrote a value the simulator ignores learns it: in the trouble log, and in the journal
    // as a line no entry call can start with.
    for (const std::string& problem : config.problems) {
      const CJournalLine line = CJournalLine("# HardwareSim.ini: not understood, the default stays:").Text(problem.c_str());
      fw::ReportTrouble(fw::GbkToWide(line.c_str() + 2).c_str());
      Journal(line);
    }
  }
  ~Simulator() {
    if (journal != INVALID_HANDLE_VALUE) CloseHandle(journal);
  }
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Appends the line with its CR LF, through to the file at once; allocates nothing.
  void Journal(const CJournalLine& line) const {
    if (journal == INVALID_HANDLE_VALUE) return;
    char text[CJournalLine::kCapacity + 2];
    const std::size_t n = line.size();
    std::memcpy(text, line.c_str(), n);
    text[n] = '\r';
    text[n + 1] = '\n';
    DWORD written = 0;
    WriteFile(journal, text, static_cast<DWORD>(n + 2), &written, nullptr);
  }

  SimConfig config;
  CSimStation station;
  std::vector<int> faultsLeft;  // per configured fault with times > 0: faulting calls still due
  HANDLE journal = INVALID_HANDLE_VALUE;
};

Simulator& Sim() {
  static Simulator simulator;
  return simulator;
}

volatile std::uintptr_t g_badAddress = 16;
volatile int g_zero = 0;
volatile int g_dividend = 1;  // volatile too, or the compiler may turn the division into a comparison

}  // namespace

// Whole milliseconds of the performance counter (mingw's steady clock): the system's tick (15.6 ms on Windows) would make
// the delays of delayed inputs that much late.
std::uint64_t Now() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

const SimConfig& Config() { return Sim().config; }

CSimStation& Station() { return Sim().station; }

const FaultConfig* Enter(const CJournalLine& line) {
  Simulator& sim = Sim();
  sim.Journal(line);
  // The entry name starts the line. No heap memory from here on: a fault below leaves by a jump
  // that skips destructors.
  char name[64];
  const std::size_t length = std::strcspn(line.c_str(), " ");
  const std::size_t kept = length < sizeof(name) - 1 ? length : sizeof(name) - 1;
  std::memcpy(name, line.c_str(), kept);
  name[kept] = '\0';
  const FaultConfig* fault = sim.config.FaultFor(name);
  if (fault == nullptr) return nullptr;
  if (fault->times > 0) {
    int& left = sim.faultsLeft[static_cast<std::size_t>(fault - sim.config.faults.data())];
    if (left <= 0) return nullptr;
    --left;
  }
  switch (fault->kind) {
    case FaultKind::AccessViolation:
      *reinterpret_cast<volatile int*>(g_badAddress) = 1;
      break;
    case FaultKind::DivideByZero:
      g_zero = g_dividend / g_zero;
      break;
    case FaultKind::Raise:
      RaiseException(static_cast<DWORD>(fault->code), 0, 0, nullptr);
      break;
    case FaultKind::ForeignCpp: {
      const ULONG_PTR info[3] = {0x19930520, 0, 0};
      RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 3, info);
      break;
    }
    case FaultKind::OwnCpp:
      throw std::runtime_error("simulated device fault");
    case FaultKind::WrongResult:
      return fault;
  }
  return nullptr;
}

}  // namespace hwsim
