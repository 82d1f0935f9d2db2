// What the trend keeps of the station's readings: up to eight channels, each with a ring holding the
// last hour at its kind's period, allocated when the channel is added, so that recording a sample
// never allocates. A channel a sample did not read (an analog channel above the panel's count) gets a
// point without a value: a gap, not a repeated value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "station/Channels.h"
#include "station/Readings.h"
#include "widgets/TrendRing.h"

namespace trend {

// What a point holds besides a value (TrendPoint::state).
enum PointState : std::uint8_t {
  kValue = 0,
  kNotRead = 1,     // the sample did not read the channel
  kFaulted = 2,     // the device call faulted: the value is the panel's fallback
  kMissing = 3,     // the device library has no such entry: the value is the fallback
  kNotANumber = 4,  // the device answered, but not a number a chart can place
};

constexpr std::int64_t kKeepUs = 3600LL * 1000000;  // an hour

class TrendRecorder {
 public:
  static constexpr int kMaxChannels = 8;

  // The slot of a channel, or -1.
  int Find(station::Kind kind, int index) const;
  // Adds a channel in the first free slot (its ring allocated now) and answers the slot, or -1 when
  // every slot is taken. `last`, the station's last sample of the kind, gives it its first point.
  int Add(station::Kind kind, int index, const station::Sample* last);
  void Remove(int slot);
  void Clear();

  bool InUse(int slot) const { return slot >= 0 && slot < kMaxChannels && m_slots[slot].used; }
  station::Kind KindOf(int slot) const { return m_slots[slot].kind; }
  int IndexOf(int slot) const { return m_slots[slot].index; }
  const TrendRing& Ring(int slot) const { return m_slots[slot].ring; }
  int Count() const;
  // The rings' bytes, fixed when their channels were added.
  std::size_t Bytes() const;

  // One point per channel of the sample's kind. Allocates nothing.
  void Record(const station::Sample& sample);

  // Every point recorded with a reading, as `spprobe watch` writes them: the header, then per sample
  // one line per channel in channel order, oldest sample first. `captions` (UTF-8) by slot.
  std::string Csv(const std::string (&captions)[kMaxChannels]) const;

  // The text the panel shows for a point's value, GBK ("1", "2.450", "0x1f4", "-3").
  static void ValueText(station::Kind kind, float value, char* out, std::size_t size);

 private:
  struct Slot {
    bool used = false;
    station::Kind kind = station::Kind::Input;
    int index = 0;
    TrendRing ring;
  };
  void Push(Slot& slot, const station::Sample& sample);

  Slot m_slots[kMaxChannels];
};

}  // namespace trend
