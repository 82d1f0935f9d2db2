// The station as spprobe reaches it: the system library and its record, the captions of calib.ini,
// and the device opened and closed as the panel does, through the program's one device binding.
// Reading never resets anything; each operator command makes the panel's calls.
#pragma once

#include <string>
#include <vector>

#include "probe/Report.h"
#include "station/Captions.h"
#include "station/Channels.h"

namespace probe {

class StationSession {
 public:
  StationSession() = default;
  ~StationSession() { Close(); }
  StationSession(const StationSession&) = delete;
  StationSession& operator=(const StationSession&) = delete;

  // Loads the system library (the panel's variant), reads its record and the captions, loads the
  // device library and opens the device. kExitOk, or kExitSystemLibrary / kExitDeviceLibrary with a
  // one-line `message`.
  int Open(std::string& message);
  // Closes, stops and releases the device and unloads its library (once; also on destruction).
  void Close();

  // The selected channels of one kind, or of every kind in report order.
  std::vector<Reading> Read(Kind kind, const ChannelSelection& selection);
  std::vector<Reading> Read(const ChannelSelection& selection);

  // The operator commands, each with the panel's calls; the status of the device's answer.
  Status SetOutput(int channel, int level);
  Status AllOutputsLow();
  Status ResetCounters();
  Status ResetDistance(int distance);  // 1..4
  Status SetDistance(int distance);    // 1..4

  // The caption of an output (UTF-8, empty when none).
  std::string OutputCaption(int channel) const;

  // Whether any device call faulted since Open (opening and closing included) or any entry used
  // was missing.
  bool Flagged() const;
  // Device calls that faulted while opening or closing.
  unsigned long OpenFaults() const { return m_openFaults; }
  unsigned long CloseFaults() const { return m_closeFaults; }

 private:
  // Makes `call` (device calls to `entry` only) and tells how the device answered.
  template <typename Call>
  Status Guarded(const char* entry, Call call);

  bool m_open = false;
  bool m_missing = false;
  unsigned long m_faultsAtOpen = 0;
  unsigned long m_openFaults = 0;
  unsigned long m_closeFaults = 0;
  ChannelCaptions<station::kOutputChannels> m_outputCaptions{};
  ChannelCaptions<station::kInputChannels> m_inputCaptions{};
  ChannelCaptions<station::kAnalogChannels> m_analogCaptions{};
};

}  // namespace probe
