#include "sim/hardware/SimStation.h"

#include <cmath>
#include <cstring>

namespace hwsim {

namespace {

constexpr double kTwoPi = 6.283185307179586476925;

// xorshift32: a small generator whose sequence a test can repeat from the seed.
std::uint32_t NextNoise(std::uint32_t& state) {
  std::uint32_t x = state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  state = x;
  return x;
}

}  // namespace

CSimStation::CSimStation(const SimConfig& config, std::uint64_t nowMs) : m_config(config), m_nStartMs(nowMs) {
  for (int i = 0; i < station::kAnalogChannels; ++i) m_nNoise[i] = config.analog[i].seed != 0 ? config.analog[i].seed : 1;
}

double CSimStation::RunningMs(std::uint64_t nowMs) const {
  double ms = m_dRunningMs;
  if (IsRunning() && nowMs > m_nRunSinceMs) ms += static_cast<double>(nowMs - m_nRunSinceMs);
  return ms;
}

void CSimStation::Pause(std::uint64_t nowMs) {
  m_dRunningMs = RunningMs(nowMs);
  m_nRunSinceMs = nowMs;
}

void CSimStation::Open(const char* identity, std::uint64_t nowMs) {
  Pause(nowMs);
  m_bOpen = true;
  m_bRunning = true;
  m_nRunSinceMs = nowMs;
  std::strncpy(m_szIdentity, identity != nullptr ? identity : "", sizeof(m_szIdentity) - 1);
  m_szIdentity[sizeof(m_szIdentity) - 1] = '\0';
}

void CSimStation::Close(std::uint64_t nowMs) {
  Pause(nowMs);
  m_bOpen = false;
}

void CSimStation::Stop(std::uint64_t nowMs) {
  Pause(nowMs);
  m_bRunning = false;
}

void CSimStation::Run(std::uint64_t nowMs) {
  Pause(nowMs);
  m_bRunning = true;
}

void CSimStation::Release(std::uint64_t nowMs) {
  Close(nowMs);
  m_bRunning = false;
  m_szIdentity[0] = '\0';
}

void CSimStation::SetOutput(int channel, int level, std::uint64_t nowMs) {
  if (!m_bOpen || channel < 0 || channel >= station::kOutputChannels) return;
  const bool on = level != 0;
  if (m_bOutputs[channel] == on) return;
  m_bOutputs[channel] = on;
  Changes& changes = m_changes[channel];
  if (changes.count == kOutputHistory) {
    changes.before = changes.level[0];
    for (int i = 1; i < kOutputHistory; ++i) {
      changes.atMs[i - 1] = changes.atMs[i];
      changes.level[i - 1] = changes.level[i];
    }
    --changes.count;
  }
  changes.atMs[changes.count] = nowMs;
  changes.level[changes.count++] = on;
}

int CSimStation::OutputAt(int channel, std::uint64_t atMs) const {
  if (channel < 0 || channel >= station::kOutputChannels) return 0;
  const Changes& changes = m_changes[channel];
  bool on = changes.before;
  for (int i = 0; i < changes.count && changes.atMs[i] <= atMs; ++i) on = changes.level[i];
  return on ? 1 : 0;
}

int CSimStation::Output(int channel) const {
  return channel >= 0 && channel < station::kOutputChannels && m_bOutputs[channel] ? 1 : 0;
}

int CSimStation::Input(int channel, std::uint64_t nowMs) const {
  if (!m_bOpen || channel < 0 || channel >= station::kInputChannels) return 0;
  const InputConfig& input = m_config.inputs[channel];
  switch (input.mode) {
    case InputMode::Fixed:
      return input.value != 0 ? 1 : 0;
    case InputMode::Mirror:
    case InputMode::Invert: {
      const int level = input.delayMs == 0 ? Output(input.output)
                        : nowMs < static_cast<std::uint64_t>(input.delayMs)
                            ? OutputAt(input.output, 0)
                            : OutputAt(input.output, nowMs - static_cast<std::uint64_t>(input.delayMs));
      return input.mode == InputMode::Mirror ? level : 1 - level;
    }
    case InputMode::Toggle: {
      const std::uint64_t period = static_cast<std::uint64_t>(input.periodMs);
      const std::uint64_t phase = (nowMs >= m_nStartMs ? nowMs - m_nStartMs : 0) % period;
      return phase * 2 >= period ? 1 : 0;
    }
  }
  return 0;
}

int CSimStation::ReadAnalog(int channel, float* samples, int count, std::uint64_t nowMs) {
  if (samples == nullptr || count <= 0) return 0;
  if (!m_bOpen || channel < 0 || channel >= station::kAnalogChannels) {
    for (int k = 0; k < count; ++k) samples[k] = 0.0f;
    return -1;
  }
  const AnalogConfig& wave = m_config.analog[channel];
  const double start = nowMs >= m_nStartMs ? static_cast<double>(nowMs - m_nStartMs) / 1000.0 : 0.0;
  for (int k = 0; k < count; ++k) {
    const double t = start + k / m_config.sampleRate;
    double v = wave.offset;
    switch (wave.wave) {
      case Waveform::Constant:
        break;
      case Waveform::Sine:
        v += wave.amplitude * std::sin(kTwoPi * wave.frequency * t);
        break;
      case Waveform::Ramp: {
        const double cycles = wave.frequency * t;
        v += wave.amplitude * (cycles - std::floor(cycles));
        break;
      }
      case Waveform::Noise: {
        const double unit = NextNoise(m_nNoise[channel]) / 4294967296.0;  // [0, 1)
        v += wave.amplitude * (2.0 * unit - 1.0);
        break;
      }
    }
    samples[k] = static_cast<float>(v);
  }
  return count;
}

void CSimStation::ResetCounters(std::uint64_t nowMs) {
  if (!m_bOpen) return;
  m_dCounterMark = RunningMs(nowMs);
}

double CSimStation::Counter(int id, std::uint64_t nowMs) const {
  const int i = id - station::kFirstCounterId;
  if (!m_bOpen || i < 0 || i >= station::kCounters) return 0.0;
  return std::floor(m_config.counterRate[i] * (RunningMs(nowMs) - m_dCounterMark) / 1000.0);
}

int CSimStation::DistanceIndex(int id) {
  const int i = id - station::kFirstDistanceId;
  return i >= 0 && i < station::kDistances ? i : -1;
}

void CSimStation::ResetDistance(int id, std::uint64_t nowMs) {
  const int i = DistanceIndex(id);
  if (!m_bOpen || i < 0) return;
  m_dDistanceBase[i] = 0.0;
  m_dDistanceMark[i] = RunningMs(nowMs);
}

int CSimStation::SetDistance(int id, std::uint64_t nowMs) {
  const int i = DistanceIndex(id);
  if (!m_bOpen || i < 0) return 0;
  m_dDistanceBase[i] = m_config.distanceSet[i];
  m_dDistanceMark[i] = RunningMs(nowMs);
  return 1;
}

double CSimStation::Distance(int id, std::uint64_t nowMs) const {
  const int i = DistanceIndex(id);
  if (!m_bOpen || i < 0) return 0.0;
  return m_dDistanceBase[i] + m_config.distanceSpeed[i] * (RunningMs(nowMs) - m_dDistanceMark[i]) / 1000.0;
}

}  // namespace hwsim
