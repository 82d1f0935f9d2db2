// The channels of the station's I/O card as the panel shows them and the device library numbers
// them.
#pragma once

namespace station {

constexpr int kOutputChannels = 24;  // outputs 0..23
constexpr int kInputChannels = 16;   // inputs 0..15
constexpr int kAnalogChannels = 16;  // analog channels 0..15
constexpr int kCounters = 8;         // counters kFirstCounterId + 0..7
constexpr int kDistances = 4;        // distances kFirstDistanceId + 0..3, labelled 1..4 on the panel
constexpr int kFirstCounterId = 200;
constexpr int kFirstDistanceId = 300;

}  // namespace station
