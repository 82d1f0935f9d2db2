// The station's channel map, written once: the channels of the I/O card as the device library
// numbers them, how the panel polls each kind, and the names the station's programs share. The
// panel, spprobe, the simulator and the benchmarks all read it from here.
//
// Portable: no Windows header (the simulator and the native tests use it too).
#pragma once

namespace station {

constexpr int kOutputChannels = 24;  // outputs 0..23
constexpr int kInputChannels = 16;   // inputs 0..15
constexpr int kAnalogChannels = 16;  // analog channels 0..15
constexpr int kCounters = 8;         // counters kFirstCounterId + 0..7
constexpr int kDistances = 4;        // distances kFirstDistanceId + 0..3, labelled 1..4 on the panel
constexpr int kFirstCounterId = 200;
constexpr int kFirstDistanceId = 300;

// Samples of one ExtGetAnalog call; an analog reading is their mean.
constexpr int kAnalogSamples = 50;
// The analog channels polled from start-up until the operator chooses another count.
constexpr int kStartAnalogCount = 8;

// The identity under which the station's programs open the device.
constexpr char kDeviceName[] = "ProbeDesk";
// The named mutex that marks a running panel.
constexpr char kPanelMutexName[] = "StationProbe";

// The kinds of channel that are read, in the order of the panel's timers.
enum class Kind { Input, Analog, Counter, Distance };
constexpr int kKindCount = 4;
constexpr int kMaxChannelsOfKind = 16;

struct KindInfo {
  const char* name;  // "input", "analog", "counter", "distance"
  int firstId;       // the device's number of channel 0 of the kind
  int count;
  int periodMs;      // how often the panel reads it
  unsigned timerId;  // the panel's timer that reads it
};

constexpr KindInfo kKinds[kKindCount] = {
    {"input", 0, kInputChannels, 300, 1},
    {"analog", 0, kAnalogChannels, 400, 2},
    {"counter", kFirstCounterId, kCounters, 500, 3},
    {"distance", kFirstDistanceId, kDistances, 500, 4},
};

constexpr const KindInfo& Info(Kind kind) { return kKinds[static_cast<int>(kind)]; }
constexpr int ChannelCount(Kind kind) { return Info(kind).count; }
// The device's number of channel `index` (0-based) of a kind: 0..15, 200..207, 300..303.
constexpr int DeviceId(Kind kind, int index) { return Info(kind).firstId + index; }

}  // namespace station
