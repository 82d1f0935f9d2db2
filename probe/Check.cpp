#include "probe/Check.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/Text.h"
#include "probe/CheckRunner.h"
#include "probe/Plan.h"
#include "probe/Protocol.h"
#include "probe/Sha256.h"
#include "probe/StationSession.h"

namespace probe {

namespace {

// Plan errors shown at most; a file of garbage would otherwise flood the console.
constexpr std::size_t kMaxErrorsShown = 100;

std::string Utf8(const std::wstring& text) { return WideToUtf8(text.c_str()); }

std::string Steps(std::size_t n) { return std::to_string(n) + (n == 1 ? " step" : " steps"); }

bool GbkDecode(const std::string& gbk, std::string& utf8) {
  if (gbk.empty()) return utf8.clear(), true;
  const std::wstring wide =
      fw::ToWide(gbk.data(), fw::kGbkCodePage, static_cast<int>(gbk.size()), MB_ERR_INVALID_CHARS);
  if (wide.empty()) return false;
  utf8 = WideToUtf8(wide.c_str());
  return true;
}

// The plan file's bytes; false with why it is no plan file (a folder, a device, too large,
// unreadable). Nothing past the size limit is read.
bool ReadPlanFile(const std::string& path, std::string& bytes, std::string& error) {
  const std::wstring wide = fw::ToWide(path.c_str(), CP_UTF8);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = "a folder, not a plan file";
    return false;
  }
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = "cannot read it: " + Utf8(fw::SystemErrorText(GetLastError()));
    return false;
  }
  LARGE_INTEGER size{};
  bool ok = false;
  if (GetFileType(file) != FILE_TYPE_DISK) {
    error = "not a file";
  } else if (!GetFileSizeEx(file, &size) || size.QuadPart > static_cast<LONGLONG>(kMaxPlanBytes)) {
    error = "too large for a plan (more than " + std::to_string(kMaxPlanBytes / 1024) + " KiB)";
  } else {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    ok = bytes.empty() || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
    if (!ok) error = "cannot read it: " + Utf8(fw::SystemErrorText(GetLastError()));
  }
  CloseHandle(file);
  return ok;
}

// A protocol file written whole or not at all: a temporary file beside it from the start (so a
// folder that cannot be written to is known before the station is touched), moved into place
// with the complete text.
class ProtocolFile {
 public:
  explicit ProtocolFile(const std::string& path) : m_path(path) {
    m_temp = fw::ToWide(path.c_str(), CP_UTF8) + L".partial-" + std::to_wstring(GetCurrentProcessId());
    m_file = CreateFileW(m_temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~ProtocolFile() {
    if (m_file != INVALID_HANDLE_VALUE) {
      CloseHandle(m_file);
      DeleteFileW(m_temp.c_str());
    }
  }
  ProtocolFile(const ProtocolFile&) = delete;
  ProtocolFile& operator=(const ProtocolFile&) = delete;

  bool Ready() const { return m_file != INVALID_HANDLE_VALUE; }
  const std::string& Path() const { return m_path; }

  bool Commit(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
      DWORD written = 0;
      if (!WriteFile(m_file, text.data() + done, static_cast<DWORD>(text.size() - done), &written, nullptr) || written == 0) {
        return false;
      }
      done += written;
    }
    const bool flushed = FlushFileBuffers(m_file) != 0;
    CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    if (flushed && MoveFileExW(m_temp.c_str(), fw::ToWide(m_path.c_str(), CP_UTF8).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    DeleteFileW(m_temp.c_str());
    return false;
  }

 private:
  std::string m_path;
  std::wstring m_temp;
  HANDLE m_file = INVALID_HANDLE_VALUE;
};

std::string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return GetComputerNameW(name, &size) ? WideToUtf8(name) : std::string();
}

std::string Now() { return station::FormatTimestamp(station::LocalTimeOf(station::Station::WallUs())); }

StationNames NamesOf(const station::Station& station) {
  StationNames names;
  const auto utf8 = [](const char* gbk) { return gbk != nullptr ? GbkToUtf8(gbk) : std::string(); };
  for (int i = 0; i < station::kOutputChannels; ++i) names.output[i] = utf8(station.OutputCaption(i));
  for (int i = 0; i < station::kInputChannels; ++i) names.input[i] = utf8(station.Caption(station::Kind::Input, i));
  for (int i = 0; i < station::kAnalogChannels; ++i) names.analog[i] = utf8(station.Caption(station::Kind::Analog, i));
  return names;
}

// The plan's steps as resolved, for --dry-run.
std::string DryRunText(const std::string& file, const Plan& plan, const StationNames& names, bool gbk) {
  std::string text = file + ": " + Steps(plan.steps.size()) + ", no errors" + (gbk ? " (read as GBK)" : "") +
                     (plan.title.empty() ? "" : "; title: " + plan.title) + "\r\n";
  for (std::size_t i = 0; i < plan.steps.size(); ++i) {
    const Step& s = plan.steps[i];
    const std::string channel = ChannelName(s.signal, s.index);
    const std::string& caption = CaptionOf(names, s.signal, s.index);
    char head[48];
    std::snprintf(head, sizeof head, "%3zu  line %-4d ", i + 1, s.line);
    text += head + s.text + (channel.empty() ? "" : "  [" + channel + (caption.empty() ? "" : " " + caption) + "]") + "\r\n";
  }
  return text;
}

}  // namespace

int RunCheck(const Invocation& invocation, Output& out, Output& err, HANDLE stop) {
  const std::string& file = invocation.planFile;
  std::string bytes;
  std::string error;
  PlanText text;
  if (!invocation.planTemplate) {
    if (ReadPlanFile(file, bytes, error)) text = DecodePlanBytes(bytes, &GbkDecode);
    if (!error.empty() || !text.error.empty()) {
      err.Write("spprobe: " + file + ": " + (error.empty() ? text.error : error) + "\r\n");
      return kExitUsage;
    }
  }

  StationSession session;
  std::string message;
  const int loaded = session.LoadSystem(message);
  if (loaded != kExitOk) {
    err.Write("spprobe: " + message + "\r\n");
    return loaded;
  }
  station::Station& station = session.Station();
  const StationNames names = NamesOf(station);

  if (invocation.planTemplate) {
    std::string lines;
    for (const char c : PlanTemplate(names)) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
    if (!invocation.outputFile.empty()) {
      ProtocolFile target(invocation.outputFile);
      if (!target.Ready() || !target.Commit(lines)) {
        err.Write("spprobe: cannot write " + invocation.outputFile + "\r\n");
        return kExitOutput;
      }
      return kExitOk;
    }
    return out.Write(lines) ? kExitOk : kExitOutput;
  }

  const Plan plan = ParsePlan(text.utf8, names);
  if (!plan.errors.empty()) {
    for (std::size_t i = 0; i < plan.errors.size() && i < kMaxErrorsShown; ++i) {
      const PlanError& e = plan.errors[i];
      err.Write("spprobe: " + file + (e.line > 0 ? ":" + std::to_string(e.line) : "") + ": " + e.what + "\r\n");
    }
    if (plan.errors.size() > kMaxErrorsShown) {
      err.Write("spprobe: " + file + ": " + std::to_string(plan.errors.size() - kMaxErrorsShown) + " more errors\r\n");
    }
    return kExitUsage;
  }
  if (invocation.dryRun) return out.Write(DryRunText(file, plan, names, text.gbk)) ? kExitOk : kExitOutput;

  std::vector<std::unique_ptr<ProtocolFile>> files;
  for (const std::string* path : {&invocation.htmlFile, &invocation.junitFile, &invocation.jsonFile}) {
    if (path->empty()) {
      files.emplace_back();
      continue;
    }
    files.emplace_back(new ProtocolFile(*path));
    if (!files.back()->Ready()) {
      err.Write("spprobe: cannot write " + *path + "\r\n");
      return kExitOutput;
    }
  }

  if (PanelIsRunning()) err.Write("spprobe: the panel (StationProbe.exe) is running and uses the same device\r\n");
  const int opened = session.OpenDevice(message);
  if (opened != kExitOk) {
    err.Write("spprobe: " + message + "\r\n");
    return opened;
  }
  if (session.OpenFaulted()) err.Write("spprobe: the device faulted while being opened\r\n");

  CheckRecord record;
  std::string name = file;
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  record.title = plan.title.empty() ? name : plan.title;
  record.planFile = file;
  record.planSha256 = Sha256Hex(bytes);
  record.computer = ComputerName();
  record.operatorName = invocation.operatorName;
  record.keepOutputs = invocation.keepOutputs;
  record.started = Now();
  const std::int64_t start = station::Station::ClockUs();
  out.Write(record.title + ": " + Steps(plan.steps.size()) + "\r\n");
  {
    CheckRunner runner(station, names, stop, out, CheckOptions{invocation.stopOnFail, invocation.keepOutputs, invocation.yes});
    runner.Run(plan, record);
  }
  if (session.Close().status == fw::Status::Faulted) err.Write("spprobe: the device faulted while being closed\r\n");
  record.ended = Now();
  record.seconds = static_cast<double>(station::Station::ClockUs() - start) / 1e6;

  const Summary s = Summarize(record);
  out.Write(Steps(record.steps.size()) + ": " + std::to_string(s.passed) + " passed, " +
            std::to_string(s.failed) + " failed, " + std::to_string(s.faulted) + " faulted, " + std::to_string(s.notRun) +
            " not run (" + record.endedBy + ")\r\n");
  int result = s.AllPassed() ? kExitOk : kExitCheckFailed;
  std::string (*const writers[])(const CheckRecord&) = {&HtmlProtocol, &JunitXml, &JsonResults};
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i] != nullptr && !files[i]->Commit(writers[i](record))) {
      err.Write("spprobe: cannot write " + files[i]->Path() + "\r\n");
      result = kExitOutput;
    }
  }
  return result;
}

}  // namespace probe
