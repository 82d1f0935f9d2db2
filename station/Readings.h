// The station's readings as the model hands them out: one sample is one read of some channels of
// one kind at one moment, every reading with its value, its status and the text the panel shows.
// Whoever wants the readings subscribes to the model (ReadingSink) and gets every sample it reads,
// so a second consumer never costs a second device call.
//
// Portable: no Windows header.
#pragma once

#include <cstdint>

#include "framework/Result.h"
#include "station/Channels.h"

namespace station {

// Room for the longest text a reading can have ("%.3f" of the largest float and its sign).
constexpr int kReadingTextSize = 48;

struct Reading {
  int index = 0;  // the channel within its kind, from 0 (DeviceId gives the device's number)
  // input: 1 when the device answered exactly 1 (the red lamp), otherwise 0; analog: the mean of
  // the samples; counter, distance: as the device answered. A reading that did not answer holds
  // what the panel shows then (the fallback, or the samples as they were).
  float value = 0.0f;
  fw::Status status = fw::Status::Ok;  // Ok, Missing or Faulted
  unsigned long code = 0;              // a fault's exception code
  char text[kReadingTextSize] = {};    // as the panel shows it: "1"/"0", "%.3f", "0x%x", "%.0f"
};

struct Sample {
  Kind kind = Kind::Input;
  std::int64_t timeUs = 0;  // when it was read, on the model's monotonic clock (microseconds)
  std::int64_t wallUs = 0;  // the same moment as UTC microseconds since 1970-01-01
  int count = 0;            // readings in use, in channel order
  Reading readings[kMaxChannelsOfKind];

  // The reading of channel `index`, or null when this sample did not read it.
  const Reading* Find(int index) const {
    for (int i = 0; i < count; ++i) {
      if (readings[i].index == index) return &readings[i];
    }
    return nullptr;
  }
};

// Gets every sample the model reads, on the thread that read it. A sink must not read the station
// from inside OnSample.
class ReadingSink {
 public:
  virtual void OnSample(const Sample& sample) = 0;

 protected:
  ~ReadingSink() = default;
};

// How a reading becomes its value and text, as the panel shows it (PanelFormat.h has the rules).
void SetInputReading(Reading& reading, int answer);
void SetAnalogReading(Reading& reading, float mean);
void SetCounterReading(Reading& reading, float answer);
void SetDistanceReading(Reading& reading, float answer);

}  // namespace station
