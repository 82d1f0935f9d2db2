#include "probe/StationSession.h"

#include <cstring>

#include "devbind/HardWareDll.h"
#include "probe/Output.h"
#include "station/PanelFormat.h"
#include "station/ProfileWin32.h"
#include "station/StationDevice.h"
#include "sysbind/SysEnv.h"

namespace probe {

namespace {

const char* MissingEntryName(int loadResult) {
  for (const SysEnvResolution& r : kSysEnvResolutionList) {
    if (SysEnvMissingEntryCode(r.position) == loadResult) return r.name;
  }
  return "?";
}

template <int N>
std::string CaptionOf(const ChannelCaptions<N>& table, int channel) {
  return table.flags[channel] != 0 ? GbkToUtf8(table.texts[channel]) : std::string();
}

template <int N>
void ReadCaptions(const std::string& calibIni, const char* listKey, ChannelCaptions<N>& table) {
  station::ReadCaptionsFromFile(calibIni.c_str(), &GetField, &GetField2, listKey, table);
}

}  // namespace

int StationSession::Open(std::string& message) {
  const int loaded = TryLoadSysEnvLibrary(1);
  if (loaded == kSysEnvLibraryUnusable || loaded == -1000) {
    wchar_t directory[MAX_PATH] = {};
    GetSystemDirectoryW(directory, MAX_PATH);
    message = "system library SysENV.dll missing or unusable in " + WideToUtf8(directory);
    return kExitSystemLibrary;
  }
  if (loaded < 0) {
    message = std::string("system library SysENV.dll lacks the entry ") + MissingEntryName(loaded);
    return kExitSystemLibrary;
  }
  GetSysEnv(&SysEnvRecord);
  const station::ConfigPaths paths = station::ConfigPaths::InDirectory(SysEnvConfigDirectory());
  ReadCaptions(paths.calibIni, station::kDoutListKey, m_outputCaptions);
  ReadCaptions(paths.calibIni, station::kDinListKey, m_inputCaptions);
  ReadCaptions(paths.calibIni, station::kAnalogListKey, m_analogCaptions);

  m_faultsAtOpen = theHardWare.FaultedCalls();
  if (!station::OpenDevice(theHardWare, SysEnvDeviceLibraryDirectory())) {
    char path[station::kDeviceLibraryPathSize] = {};
    station::FormatDeviceLibraryPath(SysEnvDeviceLibraryDirectory(), path);
    message = path[0] != '\0' ? "device library missing or unusable: " + GbkToUtf8(path)
                              : "device library path too long: " + GbkToUtf8(SysEnvDeviceLibraryDirectory());
    return kExitDeviceLibrary;
  }
  m_open = true;
  m_openFaults = theHardWare.FaultedCalls() - m_faultsAtOpen;
  return kExitOk;
}

void StationSession::Close() {
  if (!m_open) return;
  m_open = false;
  const unsigned long before = theHardWare.FaultedCalls();
  station::CloseDevice(theHardWare);
  m_closeFaults = theHardWare.FaultedCalls() - before;
}

bool StationSession::Flagged() const { return m_missing || theHardWare.FaultedCalls() != m_faultsAtOpen; }

// The call is made even for a missing entry: the binding then answers with what the panel shows.
template <typename Call>
Status StationSession::Guarded(const char* entry, Call call) {
  const bool missing = !theHardWare.HasEntry(entry);
  const unsigned long before = theHardWare.FaultedCalls();
  call();
  if (missing) {
    m_missing = true;
    return Status::Missing;
  }
  return theHardWare.FaultedCalls() == before ? Status::Ok : Status::Faulted;
}

std::vector<Reading> StationSession::Read(Kind kind, const ChannelSelection& selection) {
  std::vector<Reading> readings;
  // As the panel's analog tick: one buffer for the tick, not cleared between channels.
  float samples[station::kAnalogSamples] = {};
  char text[64] = {};
  for (int i = 0; i < ChannelCount(kind); ++i) {
    if (!selection.Has(kind, i)) continue;
    Reading r{kind, FirstChannel(kind) + i, std::string(), std::string(), Status::Ok};
    switch (kind) {
      case Kind::Input:
        r.caption = CaptionOf(m_inputCaptions, i);
        // The panel's lamp: on for 1, off for anything else.
        r.status = Guarded("ExtInPutDig", [&] { r.value = theHardWare.ExtInPutDig(i) == 1 ? "1" : "0"; });
        break;
      case Kind::Analog:
        r.caption = CaptionOf(m_analogCaptions, i);
        r.status = Guarded("ExtGetAnalog", [&] { theHardWare.ExtGetAnalog(i, samples, station::kAnalogSamples); });
        r.value = station::FormatAnalog(station::AnalogMean(samples), text, sizeof text);
        break;
      case Kind::Counter:
        r.status = Guarded("ExtGetFreb", [&] {
          r.value = station::FormatCounter(theHardWare.ExtGetFreb(station::kFirstCounterId + i), text, sizeof text);
        });
        break;
      case Kind::Distance:
        r.status = Guarded("ExtGetDis", [&] {
          r.value = station::FormatDistance(theHardWare.ExtGetDis(station::kFirstDistanceId + i), text, sizeof text);
        });
        break;
    }
    readings.push_back(r);
  }
  return readings;
}

std::vector<Reading> StationSession::Read(const ChannelSelection& selection) {
  std::vector<Reading> all;
  for (int k = 0; k < kKindCount; ++k) {
    const std::vector<Reading> some = Read(static_cast<Kind>(k), selection);
    all.insert(all.end(), some.begin(), some.end());
  }
  return all;
}

Status StationSession::SetOutput(int channel, int level) {
  return Guarded("ExtOutPutDig", [&] { theHardWare.ExtOutPutDig(channel, level != 0 ? 1 : 0); });
}

Status StationSession::AllOutputsLow() {
  return Guarded("ExtOutPutDig", [] {
    for (int channel = 0; channel < station::kOutputChannels; ++channel) theHardWare.ExtOutPutDig(channel, 0);
  });
}

Status StationSession::ResetCounters() {
  return Guarded("ExtResetCNT", [] { theHardWare.ExtResetCNT(); });
}

Status StationSession::ResetDistance(int distance) {
  return Guarded("ExtResetDis", [&] { theHardWare.ExtResetDis(station::kFirstDistanceId + distance - 1); });
}

Status StationSession::SetDistance(int distance) {
  return Guarded("ExtSetDis", [&] { theHardWare.ExtSetDis(station::kFirstDistanceId + distance - 1); });
}

std::string StationSession::OutputCaption(int channel) const { return CaptionOf(m_outputCaptions, channel); }

}  // namespace probe
