#include "station/Station.h"

#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "devbind/HardWareDll.h"
#include "station/PanelFormat.h"
#include "sysbind/SysEnv.h"

namespace station {

namespace {

// The system library's field functions as the caption collection calls them.
int FieldOf(const char* text, char* out, int index) { return GetField(text, out, index); }
int PartOf(const char* text, char* out, int index, char delimiter) { return GetField2(text, out, index, delimiter); }

template <typename T>
void Take(Reading& reading, const fw::Result<T>& result) {
  reading.status = result.status;
  reading.code = result.code;
}

std::uint32_t AllOf(int count) { return count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1u; }

}  // namespace

void FormatDeviceLibraryPath(const char* directory, char (&path)[kDeviceLibraryPathSize]) {
  const int n = std::snprintf(path, sizeof path, "%s\\Hardware.dll", directory != nullptr ? directory : "");
  if (n < 0 || n >= static_cast<int>(sizeof path)) path[0] = '\0';
}

Station::Station() : Station(theHardWare) {}

Station::Station(CHardWareDll& device) : m_device(device) {
  for (signed char& level : m_outputLevel) level = -1;
  for (int k = 0; k < kKindCount; ++k) m_last[k].kind = static_cast<Kind>(k);
}

Station::~Station() = default;

fw::Result<int> Station::LoadSystem() {
  const fw::Result<int> loaded = LoadSysEnvLibrary(1);
  if (loaded.value == 1) GetSysEnv(&SysEnvRecord);
  m_paths = ConfigPaths::InDirectory(SysEnvConfigDirectory());  // the directory as it stands
  return loaded;
}

fw::Result<bool> Station::Open() {
  FormatDeviceLibraryPath(SysEnvDeviceLibraryDirectory(), m_szDevicePath);
  const fw::Result<bool> loaded = m_device.Load(m_szDevicePath);
  fw::Result<bool> opened{loaded.value};
  fw::Merge(opened, m_device.ExtClose());
  fw::Merge(opened, m_device.ExtOpen(kDeviceName));
  if (!loaded.value) return loaded;
  return opened;
}

bool Station::IsOpen() const { return m_device.IsLoaded(); }

fw::Result<void> Station::Close() {
  fw::Result<void> closed;
  if (!m_device.IsLoaded()) return closed;
  fw::Merge(closed, m_device.ExtClose());
  fw::Merge(closed, m_device.ExtStop());
  fw::Merge(closed, m_device.ExtRelease());
  fw::Merge(closed, m_device.Unload());
  return closed;
}

fw::Result<void> Station::Disconnect() { return m_device.ExtClose(); }

fw::Result<void> Station::SetOutput(int channel, int level) {
  if (channel < 0 || channel >= kOutputChannels) return {fw::Status::Failed, ERROR_INVALID_PARAMETER};
  const int written = level != 0 ? 1 : 0;
  const fw::Result<void> result = m_device.ExtOutPutDig(channel, written);
  m_outputLevel[channel] = static_cast<signed char>(written);
  return result;
}

fw::Result<void> Station::AllOutputsLow() {
  fw::Result<void> result;
  for (int channel = 0; channel < kOutputChannels; ++channel) fw::Merge(result, SetOutput(channel, 0));
  return result;
}

fw::Result<void> Station::ResetCounters() { return m_device.ExtResetCNT(); }

fw::Result<void> Station::ResetDistance(int index) { return m_device.ExtResetDis(DeviceId(Kind::Distance, index)); }

fw::Result<int> Station::SetDistance(int index) { return m_device.ExtSetDis(DeviceId(Kind::Distance, index)); }

int Station::OutputLevel(int channel) const {
  return channel >= 0 && channel < kOutputChannels ? m_outputLevel[channel] : -1;
}

const Sample& Station::Read(Kind kind, std::uint32_t mask) {
  Sample& sample = m_last[static_cast<int>(kind)];
  sample.kind = kind;
  sample.count = 0;
  // One buffer for the whole read, as the panel's analog tick: a short answer keeps the rest.
  float samples[kAnalogSamples] = {};
  for (int i = 0; i < ChannelCount(kind); ++i) {
    if ((mask & (1u << i)) == 0) continue;
    Reading& r = sample.readings[sample.count++];
    r.index = i;
    const int id = DeviceId(kind, i);
    switch (kind) {
      case Kind::Input: {
        const fw::Result<int> answer = m_device.ExtInPutDig(id);
        Take(r, answer);
        SetInputReading(r, answer.value);
        break;
      }
      case Kind::Analog:
        Take(r, m_device.ExtGetAnalog(id, samples, kAnalogSamples));
        SetAnalogReading(r, AnalogMean(samples));
        break;
      case Kind::Counter: {
        const fw::Result<float> answer = m_device.ExtGetFreb(id);
        Take(r, answer);
        SetCounterReading(r, answer.value);
        break;
      }
      case Kind::Distance: {
        const fw::Result<float> answer = m_device.ExtGetDis(id);
        Take(r, answer);
        SetDistanceReading(r, answer.value);
        break;
      }
    }
  }
  sample.timeUs = ClockUs();
  sample.wallUs = WallUs();
  Notify(sample);
  return sample;
}

const Sample& Station::Poll(Kind kind, int analogCount) {
  int count = ChannelCount(kind);
  if (kind == Kind::Analog) count = analogCount < 0 ? 0 : analogCount < count ? analogCount : count;
  return Read(kind, AllOf(count));
}

bool Station::Subscribe(ReadingSink* sink) {
  if (sink == nullptr) return false;
  for (ReadingSink* s : m_sinks) {
    if (s == sink) return true;
  }
  for (ReadingSink*& s : m_sinks) {
    if (s == nullptr) {
      s = sink;
      return true;
    }
  }
  return false;
}

void Station::Unsubscribe(ReadingSink* sink) {
  for (ReadingSink*& s : m_sinks) {
    if (s == sink) s = nullptr;
  }
}

void Station::Notify(const Sample& sample) {
  // A sink may unsubscribe itself (or another) while it hears: each slot is read as it is reached.
  for (ReadingSink* const& s : m_sinks) {
    if (ReadingSink* sink = s) sink->OnSample(sample);
  }
}

std::int64_t Station::ClockUs() {
  // The performance counter (mingw's steady clock): the system's tick of 15.6 ms would blur the
  // response times a check measures.
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t Station::WallUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

void Station::RefreshCaptions() {
  // One reader for the three kinds: each section of the file is read once.
  Win32SectionReader profile(m_paths.calibIni.c_str());
  FieldFunctions fields(&FieldOf, &PartOf);
  ClearFlags(m_captions.m_capDout);
  ClearFlags(m_captions.m_capDin);
  ClearFlags(m_captions.m_capAnalog);
  ReadCaptions(profile, fields, kDoutListKey, m_captions.m_capDout);
  ReadCaptions(profile, fields, kDinListKey, m_captions.m_capDin);
  ReadCaptions(profile, fields, kAnalogListKey, m_captions.m_capAnalog);
}

const char* Station::OutputCaption(int channel) const {
  const auto& table = m_captions.m_capDout;
  return channel >= 0 && channel < kOutputChannels && table.flags[channel] == 1 ? table.texts[channel] : nullptr;
}

const char* Station::Caption(Kind kind, int index) const {
  if (index < 0) return nullptr;
  if (kind == Kind::Input && index < kInputChannels && m_captions.m_capDin.flags[index] == 1) {
    return m_captions.m_capDin.texts[index];
  }
  if (kind == Kind::Analog && index < kAnalogChannels && m_captions.m_capAnalog.flags[index] == 1) {
    return m_captions.m_capAnalog.texts[index];
  }
  return nullptr;
}

LocalTime LocalTimeOf(std::int64_t wallUs) {
  // UTC microseconds since 1970 to the system's 100 ns since 1601.
  const long long ticks = (static_cast<long long>(wallUs) + 11644473600LL * 1000000) * 10;
  const FILETIME utcFile{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{};
  FileTimeToSystemTime(&utcFile, &utc);
  SYSTEMTIME local = utc;
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  FILETIME localFile{};
  SystemTimeToFileTime(&local, &localFile);
  const long long localTicks =
      static_cast<long long>((static_cast<unsigned long long>(localFile.dwHighDateTime) << 32) | localFile.dwLowDateTime);
  // Both clocks have whole milliseconds here; the offset is whole minutes.
  const long long offset = std::llround(static_cast<double>(localTicks - ticks / 10000 * 10000) / (10000000.0 * 60));
  return LocalTime{local.wYear,   local.wMonth,  local.wDay,          local.wHour,
                   local.wMinute, local.wSecond, local.wMilliseconds, static_cast<int>(offset)};
}

}  // namespace station
