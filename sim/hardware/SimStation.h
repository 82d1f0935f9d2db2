// The simulated station's state: outputs, wired inputs, analog waveforms, counters and distances,
// and whether the device is open and running. Time comes from the caller (milliseconds on any
// monotonic clock), so the behaviour can be checked without waiting.
#pragma once

#include <cstdint>

#include "sim/hardware/SimConfig.h"

namespace hwsim {

class CSimStation {
 public:
  CSimStation(const SimConfig& config, std::uint64_t nowMs);

  // Device state. Open starts it running; Stop and Run pause and resume the counters and distances;
  // Close and Release end the connection (Release also forgets the identity). A closed device
  // reads every input, sample, counter and distance as 0 and ignores commands.
  void Open(const char* identity, std::uint64_t nowMs);
  void Close(std::uint64_t nowMs);
  void Stop(std::uint64_t nowMs);
  void Run(std::uint64_t nowMs);
  void Release(std::uint64_t nowMs);
  bool IsOpen() const { return m_bOpen; }
  bool IsRunning() const { return m_bOpen && m_bRunning; }

  // Outputs 0..23; a level other than 0 switches the output on. Outside the range: ignored.
  void SetOutput(int channel, int level, std::uint64_t nowMs);
  int Output(int channel) const;
  // What output `channel` was at `atMs` (as far as its last kOutputHistory changes tell).
  int OutputAt(int channel, std::uint64_t atMs) const;

  static constexpr int kOutputHistory = 16;

  // Inputs 0..15: 1 on, 0 off (also outside the range and while closed).
  int Input(int channel, std::uint64_t nowMs) const;

  // Fills `count` samples of an analog channel, one per sampling interval from now. Returns
  // `count`; -1 (samples set to 0) while closed or for a channel outside 0..15; 0 for no buffer.
  int ReadAnalog(int channel, float* samples, int count, std::uint64_t nowMs);

  // Counters 200..207: whole counts since the last reset, counted while running.
  void ResetCounters(std::uint64_t nowMs);
  double Counter(int id, std::uint64_t nowMs) const;

  // Distances 300..303: reset to 0, set to the configured value; they move with the configured
  // speed while running. SetDistance returns 1 when applied, 0 otherwise.
  void ResetDistance(int id, std::uint64_t nowMs);
  int SetDistance(int id, std::uint64_t nowMs);
  double Distance(int id, std::uint64_t nowMs) const;

 private:
  // Milliseconds spent running, up to `nowMs`.
  double RunningMs(std::uint64_t nowMs) const;
  void Pause(std::uint64_t nowMs);
  static int DistanceIndex(int id);

  const SimConfig& m_config;
  std::uint64_t m_nStartMs;
  bool m_bOpen = false;
  bool m_bRunning = false;
  char m_szIdentity[64] = {};
  double m_dRunningMs = 0.0;  // running time before m_nRunSinceMs
  std::uint64_t m_nRunSinceMs = 0;
  double m_dCounterMark = 0.0;  // running time at the last counter reset
  double m_dDistanceBase[station::kDistances] = {};
  double m_dDistanceMark[station::kDistances] = {};
  bool m_bOutputs[station::kOutputChannels] = {};
  // The last changes of each output, for inputs that follow it with a delay.
  struct Changes {
    bool before = false;  // the level before the oldest change kept
    int count = 0;
    std::uint64_t atMs[kOutputHistory] = {};
    bool level[kOutputHistory] = {};
  };
  Changes m_changes[station::kOutputChannels];
  std::uint32_t m_nNoise[station::kAnalogChannels] = {};
};

}  // namespace hwsim
