// The station as the panel, spprobe and every feature on their readings see it, without a window:
// the system library and the configuration it names, the device session (opened and closed as
// every program of the station does), the channel captions of calib.ini, the operator commands and
// the readings. It is the only code that calls the device: views ask it, or subscribe to it and get
// every sample it reads, so a second consumer never costs a second device call.
//
// One thread: whoever owns the model calls it and its sinks hear from it on that thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/Result.h"
#include "station/Captions.h"
#include "station/Channels.h"
#include "station/ProfileWin32.h"
#include "station/Readings.h"
#include "station/Records.h"

class CHardWareDll;

namespace station {

constexpr std::size_t kDeviceLibraryPathSize = 256;

// "<directory>\Hardware.dll", or empty when that does not fit: a cut path would name another file
// (the load then fails cleanly).
void FormatDeviceLibraryPath(const char* directory, char (&path)[kDeviceLibraryPathSize]);

// A moment of the model's wall clock (UTC microseconds since 1970) as local time, with the offset
// from UTC in effect then.
LocalTime LocalTimeOf(std::int64_t wallUs);

// The captions of the three kinds of channel that calib.ini names.
struct StationCaptions {
  ChannelCaptions<kOutputChannels> m_capDout;
  ChannelCaptions<kInputChannels> m_capDin;
  ChannelCaptions<kAnalogChannels> m_capAnalog;
};

class Station {
 public:
  static constexpr int kMaxSinks = 8;

  // On the program's one device binding; tests and benchmarks may give another.
  Station();
  explicit Station(CHardWareDll& device);
  ~Station();
  Station(const Station&) = delete;
  Station& operator=(const Station&) = delete;

  // ---- System library and configuration ----------------------------------------------------

  // Loads the system library (variant 1, as the panel does) and, when it loaded whole, fills the
  // system settings record with GetSysEnv; then takes the configuration paths from the record. The
  // result is the load's (LoadSysEnvLibrary): telling the user is the caller's.
  fw::Result<int> LoadSystem();
  // The configuration files, from the record's directory (empty until LoadSystem; "\calib.ini" when
  // the record has no directory).
  const ConfigPaths& Paths() const { return m_paths; }

  // ---- Device session ---------------------------------------------------------------------------

  // Loads the device library from the record's library directory, then ExtClose and
  // ExtOpen(kDeviceName); the two calls are made whether or not the library loaded (the binding
  // answers them). The value tells whether a library is loaded; a load the system refused is Failed
  // with its error code, otherwise the worse status of the two calls.
  fw::Result<bool> Open();
  // The path Open loads from (GBK; empty when it does not fit).
  const char* DeviceLibraryPath() const { return m_szDevicePath; }
  bool IsOpen() const;
  // ExtClose, ExtStop, ExtRelease and unloading, when a library is loaded; the worst status of them.
  fw::Result<void> Close();
  // ExtClose alone: the device connection ends, the library stays (a close request of the panel).
  fw::Result<void> Disconnect();

  // ---- Operator commands, each with the panel's calls ----------------------------------------

  fw::Result<void> SetOutput(int channel, int level);  // ExtOutPutDig(channel, level ? 1 : 0)
  fw::Result<void> AllOutputsLow();                    // ExtOutPutDig(0..23, 0)
  fw::Result<void> ResetCounters();                    // ExtResetCNT
  fw::Result<void> ResetDistance(int index);           // ExtResetDis(300 + index), index 0..3
  fw::Result<int> SetDistance(int index);              // ExtSetDis(300 + index)
  // The level last written to an output through this model: 0, 1, or -1 when never written.
  int OutputLevel(int channel) const;

  // ---- Readings ---------------------------------------------------------------------------------

  // Reads the channels of `kind` whose bits are set in `mask` (bit i: channel i), in channel order,
  // exactly as the panel's tick does: analog channels share one sample buffer, zeroed once per read
  // and not between channels. Every subscriber gets the sample before it is returned.
  const Sample& Read(Kind kind, std::uint32_t mask);
  // What the panel's tick reads: every channel of the kind; analog channels 0 to analogCount - 1.
  const Sample& Poll(Kind kind, int analogCount = kAnalogChannels);
  // The last sample of a kind (count 0 before the first read).
  const Sample& Last(Kind kind) const { return m_last[static_cast<int>(kind)]; }

  // Adds a sink (at most kMaxSinks; false when full or null); a sink added twice hears once.
  bool Subscribe(ReadingSink* sink);
  void Unsubscribe(ReadingSink* sink);

  // The model's monotonic clock (microseconds) and the wall clock (UTC microseconds since 1970).
  static std::int64_t ClockUs();
  static std::int64_t WallUs();

  // ---- Captions --------------------------------------------------------------------------------

  // Reads the captions of outputs, inputs and analog channels afresh from calib.ini: the first
  // caption found for a channel replaces the earlier one; a channel no longer named has none.
  void RefreshCaptions();
  const StationCaptions& Captions() const { return m_captions; }
  // A channel's caption (GBK), or null when calib.ini names none: outputs, inputs and analog
  // channels have captions, counters and distances none.
  const char* OutputCaption(int channel) const;
  const char* Caption(Kind kind, int index) const;

 private:
  void Notify(const Sample& sample);

  CHardWareDll& m_device;
  ConfigPaths m_paths;
  char m_szDevicePath[kDeviceLibraryPathSize] = {};
  StationCaptions m_captions{};
  signed char m_outputLevel[kOutputChannels];
  Sample m_last[kKindCount];
  ReadingSink* m_sinks[kMaxSinks] = {};
};

}  // namespace station
