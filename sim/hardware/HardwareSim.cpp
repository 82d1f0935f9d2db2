// Hardware.dll, the simulated station: every entry name of the device library, exported
// undecorated (__cdecl), one export per name. Configuration, journal and faults: README.md.
// No Windows header here: it declares functions of its own under some entry names (GetVersion).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>

#include "framework/EntryShapes.h"
#include "sim/hardware/SimHost.h"

namespace {

using hwsim::CJournalLine;
using hwsim::Enter;
using hwsim::FaultConfig;
using hwsim::Now;
using hwsim::Station;

// The result of a configured "wrong" fault: its value, or a documented default.
template <typename R>
R Wrong(const FaultConfig* fault) {
  const char* value = fault->value.c_str();
  if constexpr (std::is_same_v<R, float>) {
    return fault->hasValue ? static_cast<float>(std::strtod(value, nullptr)) : 12345.0f;
  } else if constexpr (std::is_same_v<R, bool>) {
    return fault->hasValue ? fault->value != "0" : true;
  } else if constexpr (std::is_pointer_v<R>) {
    return fault->hasValue ? value : "WRONG";
  } else {
    return fault->hasValue ? static_cast<int>(std::strtol(value, nullptr, 0)) : 12345;
  }
}

}  // namespace

#define SIM_EXPORT extern "C" __declspec(dllexport)

// ---- The station -------------------------------------------------------------------------------

SIM_EXPORT void __cdecl ExtOpen(const char* identity) {
  CJournalLine line("ExtOpen");
  if (Enter(line.Text(identity)) != nullptr) return;
  Station().Open(identity, Now());
}

SIM_EXPORT void __cdecl ExtClose() {
  if (Enter(CJournalLine("ExtClose")) != nullptr) return;
  Station().Close(Now());
}

SIM_EXPORT int __cdecl ExtInPutDig(std::int32_t channel) {
  CJournalLine line("ExtInPutDig");
  const FaultConfig* wrong = Enter(line.Int(channel));
  if (wrong != nullptr) return Wrong<int>(wrong);
  return Station().Input(channel, Now());
}

SIM_EXPORT void __cdecl ExtOutPutDig(std::int32_t channel, std::int32_t level) {
  CJournalLine line("ExtOutPutDig");
  if (Enter(line.Int(channel).Int(level)) != nullptr) return;
  Station().SetOutput(channel, level, Now());
}

SIM_EXPORT int __cdecl ExtGetAnalog(std::int32_t channel, float* samples, std::int32_t count) {
  CJournalLine line("ExtGetAnalog");
  const FaultConfig* wrong = Enter(line.Int(channel).Buffer(samples).Int(count));
  if (wrong != nullptr) return Wrong<int>(wrong);
  return Station().ReadAnalog(channel, samples, count, Now());
}

SIM_EXPORT void __cdecl ExtResetCNT() {
  if (Enter(CJournalLine("ExtResetCNT")) != nullptr) return;
  Station().ResetCounters(Now());
}

SIM_EXPORT float __cdecl ExtGetFreb(std::int32_t id) {
  CJournalLine line("ExtGetFreb");
  const FaultConfig* wrong = Enter(line.Int(id));
  if (wrong != nullptr) return Wrong<float>(wrong);
  return static_cast<float>(Station().Counter(id, Now()));
}

SIM_EXPORT float __cdecl ExtGetDis(std::int32_t id) {
  CJournalLine line("ExtGetDis");
  const FaultConfig* wrong = Enter(line.Int(id));
  if (wrong != nullptr) return Wrong<float>(wrong);
  return static_cast<float>(Station().Distance(id, Now()));
}

SIM_EXPORT void __cdecl ExtResetDis(std::int32_t id) {
  CJournalLine line("ExtResetDis");
  if (Enter(line.Int(id)) != nullptr) return;
  Station().ResetDistance(id, Now());
}

SIM_EXPORT int __cdecl ExtSetDis(std::int32_t id) {
  CJournalLine line("ExtSetDis");
  const FaultConfig* wrong = Enter(line.Int(id));
  if (wrong != nullptr) return Wrong<int>(wrong);
  return Station().SetDistance(id, Now());
}

SIM_EXPORT const char* __cdecl ExtGetVersion() {
  const FaultConfig* wrong = Enter(CJournalLine("ExtGetVersion"));
  if (wrong != nullptr) return Wrong<const char*>(wrong);
  return hwsim::Config().version.c_str();
}

SIM_EXPORT const char* __cdecl GetVersion() {
  const FaultConfig* wrong = Enter(CJournalLine("GetVersion"));
  if (wrong != nullptr) return Wrong<const char*>(wrong);
  return hwsim::Config().version.c_str();
}

SIM_EXPORT int __cdecl ExtRun(std::int32_t mode) {
  CJournalLine line("ExtRun");
  const FaultConfig* wrong = Enter(line.Int(mode));
  if (wrong != nullptr) return Wrong<int>(wrong);
  Station().Run(Now());
  return 0;
}

SIM_EXPORT int __cdecl ExtStop() {
  const FaultConfig* wrong = Enter(CJournalLine("ExtStop"));
  if (wrong != nullptr) return Wrong<int>(wrong);
  Station().Stop(Now());
  return 0;
}

SIM_EXPORT int __cdecl ExtRelease() {
  const FaultConfig* wrong = Enter(CJournalLine("ExtRelease"));
  if (wrong != nullptr) return Wrong<int>(wrong);
  Station().Release(Now());
  return 0;
}

// ---- Entries that only answer ------------------------------------------------------------------
// Generated from the device slot table (see CMakeLists.txt): every name not written out above, with
// the arguments, result and neutral answer of the first slot that bears it.

namespace {

void Log(CJournalLine& line, std::uint32_t value) { line.Int(static_cast<std::int32_t>(value)); }
void Log(CJournalLine& line, std::uint16_t value) { line.Unsigned(value); }
void Log(CJournalLine& line, std::uint8_t value) { line.Unsigned(value); }
void Log(CJournalLine& line, const fw::EntryQuad& q) { line.Int(q.a).Int(q.b).Int(q.c).Int(q.d); }

// Journals the call, honours a configured fault, otherwise answers `neutral`.
template <typename R>
struct Answer {
  const char* entry;
  fw::Value<R> neutral;

  template <typename... Args>
  R operator()(Args... args) const {
    CJournalLine line(entry);
    (Log(line, args), ...);
    [[maybe_unused]] const FaultConfig* wrong = Enter(line);
    if constexpr (!std::is_void_v<R>) return wrong != nullptr ? Wrong<R>(wrong) : neutral.value;
  }
};

}  // namespace

#define NEUTRAL(entry, args, result, neutral)                                                       \
  SIM_EXPORT SP_RESULT_##result __cdecl entry(SP_SHAPE_##args(SP_ENTRY_PARAM)) {                    \
    return Answer<SP_RESULT_##result>{#entry, SP_VALUE_##result(neutral)}(SP_SHAPE_##args(SP_ARG)); \
  }
#include "SimNeutral.inc"
#undef NEUTRAL
