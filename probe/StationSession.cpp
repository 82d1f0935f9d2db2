#include "probe/StationSession.h"

#include <windows.h>

#include "framework/Text.h"
#include "probe/Output.h"
#include "sysbind/SysEnv.h"

namespace probe {

namespace {

std::string Utf8(const std::wstring& text) { return WideToUtf8(text.c_str()); }

std::string CaptionText(const char* gbk) { return gbk != nullptr ? GbkToUtf8(gbk) : std::string(); }

}  // namespace

std::uint32_t SelectionMask(Kind kind, const ChannelSelection& selection) {
  std::uint32_t mask = 0;
  for (int i = 0; i < ChannelCount(kind); ++i) {
    if (selection.Has(kind, i)) mask |= 1u << i;
  }
  return mask;
}

bool PanelIsRunning() {
  const HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, station::kPanelMutexName);
  if (mutex != nullptr) {
    CloseHandle(mutex);
    return true;
  }
  return GetLastError() == ERROR_ACCESS_DENIED;
}

int StationSession::Open(std::string& message) {
  const int loaded = LoadSystem(message);
  return loaded != kExitOk ? loaded : OpenDevice(message);
}

int StationSession::LoadSystem(std::string& message) {
  const fw::Result<int> loaded = m_station.LoadSystem();
  if (loaded.value == kSysEnvLibraryUnusable || loaded.value == -1000) {
    wchar_t directory[MAX_PATH] = {};
    GetSystemDirectoryW(directory, MAX_PATH);
    message = "system library SysENV.dll missing or unusable in " + WideToUtf8(directory) + " (" +
              Utf8(fw::DescribeResult(loaded)) + ")";
    return kExitSystemLibrary;
  }
  if (loaded.value < 0) {
    const char* entry = SysEnvMissingEntryName(loaded.value);
    message = std::string("system library SysENV.dll lacks the entry ") + (entry != nullptr ? entry : "?");
    return kExitSystemLibrary;
  }
  m_station.RefreshCaptions();
  return kExitOk;
}

int StationSession::OpenDevice(std::string& message) {
  const fw::Result<bool> opened = m_station.Open();
  if (!opened.value) {
    const char* path = m_station.DeviceLibraryPath();
    message = path[0] != '\0' ? "device library missing or unusable: " + GbkToUtf8(path) + " (" +
                                    Utf8(fw::DescribeResult(opened)) + ")"
                              : "device library path too long: " + GbkToUtf8(SysEnvDeviceLibraryDirectory());
    return kExitDeviceLibrary;
  }
  m_open = true;
  m_openFaulted = opened.status == fw::Status::Faulted;
  return kExitOk;
}

fw::Result<void> StationSession::Close() {
  if (!m_open) return {};
  m_open = false;
  return m_station.Close();
}

std::vector<Reading> StationSession::ReadingsOf(const station::Sample& sample, const ChannelSelection& selection) const {
  std::vector<Reading> readings;
  for (int i = 0; i < sample.count; ++i) {
    const station::Reading& r = sample.readings[i];
    if (!selection.Has(sample.kind, r.index)) continue;
    readings.push_back(Reading{sample.kind, FirstChannel(sample.kind) + r.index,
                               CaptionText(m_station.Caption(sample.kind, r.index)), r.text, r.status});
  }
  return readings;
}

std::vector<Reading> StationSession::Read(Kind kind, const ChannelSelection& selection) {
  const std::uint32_t mask = SelectionMask(kind, selection);
  if (mask == 0) return {};
  return ReadingsOf(m_station.Read(kind, mask), selection);
}

std::vector<Reading> StationSession::Read(const ChannelSelection& selection) {
  std::vector<Reading> all;
  for (int k = 0; k < kKindCount; ++k) {
    const std::vector<Reading> some = Read(static_cast<Kind>(k), selection);
    all.insert(all.end(), some.begin(), some.end());
  }
  return all;
}

std::string StationSession::OutputCaption(int channel) const { return CaptionText(m_station.OutputCaption(channel)); }

}  // namespace probe
