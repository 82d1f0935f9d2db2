// Hardware.dll, the simulated station: every entry name of the device library, exported
// undecorated (__cdecl), one export per name. Configuration, journal and faults: README.md.
// No Windows header here: it declares functions of its own under some entry names (GetVersion).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/hardware/SimHost.h"

namespace {

using hwsim::CJournalLine;
using hwsim::Enter;
using hwsim::FaultConfig;
using hwsim::Now;
using hwsim::Station;

// Results of a configured "wrong" fault: its value, or a documented default.
int WrongInt(const FaultConfig* fault) {
  return fault->hasValue ? static_cast<int>(std::strtol(fault->value.c_str(), nullptr, 0)) : 12345;
}
float WrongFloat(const FaultConfig* fault) {
  return fault->hasValue ? static_cast<float>(std::strtod(fault->value.c_str(), nullptr)) : 12345.0f;
}
bool WrongBool(const FaultConfig* fault) { return fault->hasValue ? fault->value != "0" : true; }
const char* WrongText(const FaultConfig* fault) { return fault->hasValue ? fault->value.c_str() : "WRONG"; }

struct Quad {
  std::int32_t a, b, c, d;
};

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
  if (wrong != nullptr) return WrongInt(wrong);
  return Station().Input(channel, Now());
}

SIM_EXPORT void __cdecl ExtOutPutDig(std::int32_t channel, std::int32_t level) {
  CJournalLine line("ExtOutPutDig");
  if (Enter(line.Int(channel).Int(level)) != nullptr) return;
  Station().SetOutput(channel, level);
}

SIM_EXPORT int __cdecl ExtGetAnalog(std::int32_t channel, float* samples, std::int32_t count) {
  CJournalLine line("ExtGetAnalog");
  const FaultConfig* wrong = Enter(line.Int(channel).Buffer(samples).Int(count));
  if (wrong != nullptr) return WrongInt(wrong);
  return Station().ReadAnalog(channel, samples, count, Now());
}

SIM_EXPORT void __cdecl ExtResetCNT() {
  if (Enter(CJournalLine("ExtResetCNT")) != nullptr) return;
  Station().ResetCounters(Now());
}

SIM_EXPORT float __cdecl ExtGetFreb(std::int32_t id) {
  CJournalLine line("ExtGetFreb");
  const FaultConfig* wrong = Enter(line.Int(id));
  if (wrong != nullptr) return WrongFloat(wrong);
  return static_cast<float>(Station().Counter(id, Now()));
}

SIM_EXPORT float __cdecl ExtGetDis(std::int32_t id) {
  CJournalLine line("ExtGetDis");
  const FaultConfig* wrong = Enter(line.Int(id));
  if (wrong != nullptr) return WrongFloat(wrong);
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
  if (wrong != nullptr) return WrongInt(wrong);
  return Station().SetDistance(id, Now());
}

SIM_EXPORT const char* __cdecl ExtGetVersion() {
  const FaultConfig* wrong = Enter(CJournalLine("ExtGetVersion"));
  if (wrong != nullptr) return WrongText(wrong);
  return hwsim::Config().version.c_str();
}

SIM_EXPORT const char* __cdecl GetVersion() {
  const FaultConfig* wrong = Enter(CJournalLine("GetVersion"));
  if (wrong != nullptr) return WrongText(wrong);
  return hwsim::Config().version.c_str();
}

SIM_EXPORT int __cdecl ExtRun(std::int32_t mode) {
  CJournalLine line("ExtRun");
  const FaultConfig* wrong = Enter(line.Int(mode));
  if (wrong != nullptr) return WrongInt(wrong);
  Station().Run(Now());
  return 0;
}

SIM_EXPORT int __cdecl ExtStop() {
  const FaultConfig* wrong = Enter(CJournalLine("ExtStop"));
  if (wrong != nullptr) return WrongInt(wrong);
  Station().Stop(Now());
  return 0;
}

SIM_EXPORT int __cdecl ExtRelease() {
  const FaultConfig* wrong = Enter(CJournalLine("ExtRelease"));
  if (wrong != nullptr) return WrongInt(wrong);
  Station().Release(Now());
  return 0;
}

// ---- Entries that only answer (SimEntries.inc) -------------------------------------------------

#define SIM_TYPE_none void
#define SIM_TYPE_int32 int
#define SIM_TYPE_bool8 bool

#define SIM_I32(n) std::int32_t a##n
#define SIM_PARAMS_void ()
#define SIM_PARAMS_32 (SIM_I32(1))
#define SIM_PARAMS_2x32 (SIM_I32(1), SIM_I32(2))
#define SIM_PARAMS_3x32 (SIM_I32(1), SIM_I32(2), SIM_I32(3))
#define SIM_PARAMS_4x32 (SIM_I32(1), SIM_I32(2), SIM_I32(3), SIM_I32(4))
#define SIM_PARAMS_5x32 (SIM_I32(1), SIM_I32(2), SIM_I32(3), SIM_I32(4), SIM_I32(5))
#define SIM_PARAMS_6x32 (SIM_I32(1), SIM_I32(2), SIM_I32(3), SIM_I32(4), SIM_I32(5), SIM_I32(6))
#define SIM_PARAMS_8x32 (SIM_I32(1), SIM_I32(2), SIM_I32(3), SIM_I32(4), SIM_I32(5), SIM_I32(6), SIM_I32(7), SIM_I32(8))
#define SIM_PARAMS_9x32 \
  (SIM_I32(1), SIM_I32(2), SIM_I32(3), SIM_I32(4), SIM_I32(5), SIM_I32(6), SIM_I32(7), SIM_I32(8), SIM_I32(9))
#define SIM_PARAMS_10x32                                                                                       \
  (SIM_I32(1), SIM_I32(2), SIM_I32(3), SIM_I32(4), SIM_I32(5), SIM_I32(6), SIM_I32(7), SIM_I32(8), SIM_I32(9), \
   SIM_I32(10))
#define SIM_PARAMS_11x32                                                                                       \
  (SIM_I32(1), SIM_I32(2), SIM_I32(3), SIM_I32(4), SIM_I32(5), SIM_I32(6), SIM_I32(7), SIM_I32(8), SIM_I32(9), \
   SIM_I32(10), SIM_I32(11))
#define SIM_PARAMS_V16 (Quad q1)
#define SIM_PARAMS_V16_V16 (Quad q1, Quad q2)
#define SIM_PARAMS_32_V16 (SIM_I32(1), Quad q2)
#define SIM_PARAMS_2x32_V16 (SIM_I32(1), SIM_I32(2), Quad q3)
#define SIM_PARAMS_8x32_16b \
  (SIM_I32(1), SIM_I32(2), SIM_I32(3), SIM_I32(4), SIM_I32(5), SIM_I32(6), SIM_I32(7), SIM_I32(8), std::uint16_t u9)
#define SIM_PARAMS_8b_2x32 (std::uint8_t u1, SIM_I32(2), SIM_I32(3))

#define SIM_Q(q) Int(q.a).Int(q.b).Int(q.c).Int(q.d)
#define SIM_LOG_void(line) line
#define SIM_LOG_32(line) line.Int(a1)
#define SIM_LOG_2x32(line) SIM_LOG_32(line).Int(a2)
#define SIM_LOG_3x32(line) SIM_LOG_2x32(line).Int(a3)
#define SIM_LOG_4x32(line) SIM_LOG_3x32(line).Int(a4)
#define SIM_LOG_5x32(line) SIM_LOG_4x32(line).Int(a5)
#define SIM_LOG_6x32(line) SIM_LOG_5x32(line).Int(a6)
#define SIM_LOG_7x32(line) SIM_LOG_6x32(line).Int(a7)
#define SIM_LOG_8x32(line) SIM_LOG_7x32(line).Int(a8)
#define SIM_LOG_9x32(line) SIM_LOG_8x32(line).Int(a9)
#define SIM_LOG_10x32(line) SIM_LOG_9x32(line).Int(a10)
#define SIM_LOG_11x32(line) SIM_LOG_10x32(line).Int(a11)
#define SIM_LOG_V16(line) line.SIM_Q(q1)
#define SIM_LOG_V16_V16(line) line.SIM_Q(q1).SIM_Q(q2)
#define SIM_LOG_32_V16(line) line.Int(a1).SIM_Q(q2)
#define SIM_LOG_2x32_V16(line) line.Int(a1).Int(a2).SIM_Q(q3)
#define SIM_LOG_8x32_16b(line) SIM_LOG_8x32(line).Unsigned(u9)
#define SIM_LOG_8b_2x32(line) line.Unsigned(u1).Int(a2).Int(a3)

#define SIM_ANSWER_none(wrong, neutral) (void)wrong
#define SIM_ANSWER_int32(wrong, neutral) return wrong != nullptr ? WrongInt(wrong) : (neutral)
#define SIM_ANSWER_bool8(wrong, neutral) return wrong != nullptr ? WrongBool(wrong) : (neutral)

#define ENTRY(name, args, result, neutral)                      \
  SIM_EXPORT SIM_TYPE_##result __cdecl name SIM_PARAMS_##args { \
    CJournalLine line(#name);                                   \
    const FaultConfig* wrong = Enter(SIM_LOG_##args(line));     \
    SIM_ANSWER_##result(wrong, neutral);                        \
  }
#include "sim/hardware/SimEntries.inc"
#undef ENTRY
