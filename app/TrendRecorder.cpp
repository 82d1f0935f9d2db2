#include "app/TrendRecorder.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "station/Records.h"
#include "station/Station.h"

namespace trend {

using station::Kind;

int TrendRecorder::Find(Kind kind, int index) const {
  for (int s = 0; s < kMaxChannels; ++s) {
    if (m_slots[s].used && m_slots[s].kind == kind && m_slots[s].index == index) return s;
  }
  return -1;
}

int TrendRecorder::Add(Kind kind, int index, const station::Sample* last) {
  if (index < 0 || index >= station::ChannelCount(kind) || Find(kind, index) >= 0) return -1;
  for (int s = 0; s < kMaxChannels; ++s) {
    Slot& slot = m_slots[s];
    if (slot.used) continue;
    const std::int64_t period = station::Info(kind).periodMs * 1000LL;
    slot.ring = TrendRing(TrendRing::CapacityFor(kKeepUs, period));
    slot.kind = kind;
    slot.index = index;
    slot.used = true;
    if (last != nullptr && last->kind == kind && last->count > 0) Push(slot, *last);
    return s;
  }
  return -1;
}

void TrendRecorder::Remove(int slot) {
  if (InUse(slot)) m_slots[slot] = Slot{};  // the ring's memory goes with it
}

void TrendRecorder::Clear() {
  for (int s = 0; s < kMaxChannels; ++s) Remove(s);
}

int TrendRecorder::Count() const {
  int n = 0;
  for (const Slot& slot : m_slots) n += slot.used ? 1 : 0;
  return n;
}

std::size_t TrendRecorder::Bytes() const {
  std::size_t bytes = 0;
  for (const Slot& slot : m_slots) bytes += slot.ring.Bytes();
  return bytes;
}

void TrendRecorder::Push(Slot& slot, const station::Sample& sample) {
  TrendPoint point;
  point.timeUs = sample.timeUs;
  point.wallUs = sample.wallUs;
  const station::Reading* reading = sample.Find(slot.index);
  if (reading == nullptr) {
    point.state = kNotRead;
  } else {
    point.value = reading->value;
    point.state = reading->status == fw::Status::Faulted   ? kFaulted
                  : reading->status != fw::Status::Ok      ? kMissing
                  : !std::isfinite(reading->value)         ? kNotANumber
                                                           : kValue;
  }
  slot.ring.Push(point);
}

void TrendRecorder::Record(const station::Sample& sample) {
  for (Slot& slot : m_slots) {
    if (slot.used && slot.kind == sample.kind) Push(slot, sample);
  }
}

void TrendRecorder::ValueText(Kind kind, float value, char* out, std::size_t size) {
  station::Reading reading;
  switch (kind) {
    case Kind::Input: station::SetInputReading(reading, value == 1.0f ? 1 : 0); break;
    case Kind::Analog: station::SetAnalogReading(reading, value); break;
    case Kind::Counter: station::SetCounterReading(reading, value); break;
    case Kind::Distance: station::SetDistanceReading(reading, value); break;
  }
  std::snprintf(out, size, "%s", reading.text);
}

std::string TrendRecorder::Csv(const std::string (&captions)[kMaxChannels]) const {
  std::string out = station::CsvHeader();
  std::size_t next[kMaxChannels] = {};
  std::vector<station::ChannelRecord> records;
  for (;;) {
    // The oldest sample not written yet: the channels of its kind read at its time, in channel order.
    int oldest = -1;
    for (int s = 0; s < kMaxChannels; ++s) {
      const Slot& slot = m_slots[s];
      while (slot.used && next[s] < slot.ring.Size() && slot.ring[next[s]].state == kNotRead) ++next[s];
      if (!slot.used || next[s] >= slot.ring.Size()) continue;
      if (oldest < 0 || slot.ring[next[s]].timeUs < m_slots[oldest].ring[next[oldest]].timeUs) oldest = s;
    }
    if (oldest < 0) break;
    const TrendPoint moment = m_slots[oldest].ring[next[oldest]];
    const Kind kind = m_slots[oldest].kind;
    records.clear();
    for (int index = 0; index < station::ChannelCount(kind); ++index) {
      const int s = Find(kind, index);
      if (s < 0 || next[s] >= m_slots[s].ring.Size() || m_slots[s].ring[next[s]].timeUs != moment.timeUs) continue;
      const TrendPoint& p = m_slots[s].ring[next[s]++];
      char text[station::kReadingTextSize];
      ValueText(kind, p.value, text, sizeof text);
      const fw::Status status = p.state == kFaulted ? fw::Status::Faulted
                                : p.state == kMissing ? fw::Status::Missing
                                                      : fw::Status::Ok;
      records.push_back({kind, station::ReportedChannel(kind, index), captions[s], text, status});
    }
    out += station::CsvLines(station::FormatTimestamp(station::LocalTimeOf(moment.wallUs)), records);
  }
  return out;
}

}  // namespace trend
