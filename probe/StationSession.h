// The station as spprobe reaches it: the station model opened as the panel opens it, with spprobe's
// messages for what could not be used, and the model's samples as spprobe reports them. Reading
// never resets anything; each operator command makes the panel's calls.
#pragma once

#include <string>
#include <vector>

#include "probe/Report.h"
#include "station/Station.h"

namespace probe {

class StationSession {
 public:
  StationSession() = default;
  ~StationSession() { Close(); }
  StationSession(const StationSession&) = delete;
  StationSession& operator=(const StationSession&) = delete;

  // Loads the system library (the panel's variant), reads its record and the captions, loads the
  // device library and opens the device. kExitOk, or kExitSystemLibrary / kExitDeviceLibrary with a
  // one-line `message` that carries the system's reason.
  int Open(std::string& message);
  // The same in two halves: the system library and the captions (no device call), then the device.
  int LoadSystem(std::string& message);
  int OpenDevice(std::string& message);
  // Closes, stops and releases the device and unloads its library (once; also on destruction).
  fw::Result<void> Close();

  station::Station& Station() { return m_station; }
  // Whether opening faulted (the device was opened all the same).
  bool OpenFaulted() const { return m_openFaulted; }

  // The selected channels of one kind, or of every kind in report order, read through the model.
  std::vector<Reading> Read(Kind kind, const ChannelSelection& selection);
  std::vector<Reading> Read(const ChannelSelection& selection);
  // A sample of the model as spprobe reports it: the selected channels, captions in UTF-8.
  std::vector<Reading> ReadingsOf(const station::Sample& sample, const ChannelSelection& selection) const;

  // The caption of an output (UTF-8, empty when none).
  std::string OutputCaption(int channel) const;

 private:
  station::Station m_station;
  bool m_open = false;
  bool m_openFaulted = false;
};

// The bits of the selected channels of a kind, as the model reads them.
std::uint32_t SelectionMask(Kind kind, const ChannelSelection& selection);

// Whether the panel runs (it marks its run with a named mutex; looking does not create it).
bool PanelIsRunning();

}  // namespace probe
