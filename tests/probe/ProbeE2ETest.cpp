// spprobe.exe against the simulated station: what it prints for the simulator's scripted values,
// what it did to the device (the simulator's journal), and how it ends when a library is missing,
// the device faults or the arguments are hostile.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/SystemFiles.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

struct Result {
  long code;
  std::string out, err;
};

std::string Declare(const char* listKey, int channel, const char* about) {
  return std::string("[S") + about + "]\r\n" + listKey + "=K\r\nK=" + std::to_string(channel) + "\r\nK[About]=" + about + "\r\n";
}

// Analog channel n reads n / 4 - 1, inputs 0 and 2 are on, every counter 26 and every distance 1234.4.
std::string ScriptedStation() {
  std::string ini = "[Inputs]\r\nIn0=fixed 1\r\nIn2=fixed 1\r\n[Analog]\r\n";
  for (int n = 0; n < 16; ++n) ini += "Ch" + std::to_string(n) + "=constant offset=" + std::to_string(n / 4.0 - 1) + "\r\n";
  return ini + "[Faults]\r\nExtGetFreb=wrong value=26\r\nExtGetDis=wrong value=1234.4\r\n";
}

std::string NoTime(const std::string& text) {
  return std::regex_replace(text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)"), "T");
}

// The journal of one run: the panel's opening, `calls` (one a line), the panel's closing.
std::string Framed(const std::string& calls) {
  return "ExtClose\nExtOpen \"ProbeDesk\"\n" + calls + "ExtClose\nExtStop\nExtRelease\n";
}

class ProbeTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* dir : {"Config", "Device"}) fs::create_directories(root_ / dir);
    ASSERT_TRUE(sptest::WriteFileBytes((root_ / "Config/calib.ini").string(),
                                       Declare("AllTD_Din", 0, "门开关 (常开)") + Declare("AllTD_Din", 2, "Say\"hi\",x\ty(z)") +
                                           Declare("AllTD_A", 1, "Weight(kg)") + Declare("AllTD_Dout", 23, "LiftUp(24V)")));
  }
  void TearDown() override { fs::remove_all(root_); }

  void Install(const std::string& simulator, bool device = true, const char* library = "SysENV.dll") {
    for (const char* file : {"Device/journal.txt", "Device/Hardware.dll"}) fs::remove(root_ / file);
    const fs::path bin = sptest::ExeDirectory();
    if (device) fs::copy_file(bin / "Hardware.dll", root_ / "Device/Hardware.dll");
    ASSERT_TRUE(sptest::WriteFileBytes((root_ / "Device/HardwareSim.ini").string(), "[Journal]\r\nFile=journal.txt\r\n" + simulator));
    library_.Remove();
    ASSERT_TRUE(library == nullptr || library_.CopyFrom((bin / library).string()));
    const std::string dir = root_.string();
    ASSERT_TRUE(settings_.Write("[Directories]\r\nConfig=" + dir + "\\Config\r\nDeviceLibrary=" + dir + "\\Device\r\n"));
  }

  std::string Read(const char* name) const {
    std::ifstream file(root_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  // The simulator's journal, one call a line.
  std::string Calls() const { return std::regex_replace(Read("Device/journal.txt"), std::regex("\r\n"), "\n"); }

  PROCESS_INFORMATION Start(const Lines& args) const {
    std::string command = "\"" + sptest::ExeDirectory() + "\\spprobe.exe\"";
    for (const std::string& a : args) command += " \"" + a + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const auto file = [&](const char* name) {
      return CreateFileA((root_ / name).string().c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    };
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = file("out.txt");
    si.hStdError = file("err.txt");
    PROCESS_INFORMATION pi{};
    EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, root_.string().c_str(), &si, &pi));
    CloseHandle(si.hStdOutput);
    CloseHandle(si.hStdError);
    return pi;
  }
  Result Finish(const PROCESS_INFORMATION& pi) const {
    DWORD code = 259;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    TerminateProcess(pi.hProcess, 99);  // a probe that did not end fails the test, and goes
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return Result{static_cast<long>(code), Read("out.txt"), Read("err.txt")};
  }
  Result Run(const Lines& args) const { return Finish(Start(args)); }

  const fs::path root_ = fs::temp_directory_path() / ("sp_probe_" + std::to_string(GetCurrentProcessId()));
  sptest::SystemDirFile library_{"SysENV.dll", "probe"};
  sptest::SystemDirFile settings_{"SysENV.ini", "probe"};
};

TEST_F(ProbeTest, ReadShowsTheScriptedValuesWithCaptionsInEachFormat) {
  ASSERT_NO_FATAL_FAILURE(Install(ScriptedStation()));
  const char* some = "input:0,2,analog:1,counter:207,distance:4";
  const struct {
    Lines args;
    std::string expected;
  } formats[] = {
      {{"read", "--channels", some}, u8"kind     channel   value  caption\r\ninput          0       1  门开关\r\n"
                 u8"input          2       1  Say\"hi\",x?y\r\nanalog         1  -0.750  Weight\r\n"
                 u8"counter      207    0x1a\r\ndistance       4    1234\r\n"},
      {{"read", "--json", "--channels", some}, u8"{\r\n  \"time\": \"T\",\r\n  \"channels\": [\r\n"
                 u8"    {\"kind\": \"input\", \"channel\": 0, \"caption\": \"门开关\", \"value\": \"1\", \"status\": \"ok\"},\r\n"
                 u8"    {\"kind\": \"input\", \"channel\": 2, \"caption\": \"Say\\\"hi\\\",x\\u0009y\", \"value\": \"1\", \"status\": \"ok\"},\r\n"
                 u8"    {\"kind\": \"analog\", \"channel\": 1, \"caption\": \"Weight\", \"value\": \"-0.750\", \"status\": \"ok\"},\r\n"
                 u8"    {\"kind\": \"counter\", \"channel\": 207, \"caption\": \"\", \"value\": \"0x1a\", \"status\": \"ok\"},\r\n"
                 u8"    {\"kind\": \"distance\", \"channel\": 4, \"caption\": \"\", \"value\": \"1234\", \"status\": \"ok\"}\r\n"
                 u8"  ]\r\n}\r\n"},
      {{"read", "--csv", "--channels", some}, u8"time,kind,channel,caption,value,status\r\nT,input,0,门开关,1,ok\r\nT,input,2,\"Say\"\"hi\"\",x\ty\",1,ok\r\n"
                u8"T,analog,1,Weight,-0.750,ok\r\nT,counter,207,,0x1a,ok\r\nT,distance,4,,1234,ok\r\n"},
  };
  for (const auto& f : formats) {
    const Result r = Run(f.args);
    EXPECT_EQ(r.code, 0) << f.args[1] << r.err;
    EXPECT_EQ(NoTime(r.out), f.expected) << f.args[1];
  }

  // Every channel once, in order, each with its own value, and nothing reset.
  fs::remove(root_ / "Device/journal.txt");
  const Result all = Run({"read", "--csv"});
  EXPECT_EQ(all.code, 0) << all.err;
  std::string calls;
  for (int k = 0; k < 16; ++k) calls += "ExtInPutDig " + std::to_string(k) + "\n";
  for (int j = 0; j < 16; ++j) calls += "ExtGetAnalog " + std::to_string(j) + " ptr 50\n";
  for (int n = 200; n < 208; ++n) calls += "ExtGetFreb " + std::to_string(n) + "\n";
  for (int d = 300; d < 304; ++d) calls += "ExtGetDis " + std::to_string(d) + "\n";
  EXPECT_EQ(Calls(), Framed(calls));
}

// Until Ctrl+C, sent to the console this test shares with the probe, with the file complete.
TEST_F(ProbeTest, WatchSamplesTheChosenChannelsUntilCtrlC) {
  ASSERT_NO_FATAL_FAILURE(Install(ScriptedStation()));
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  const PROCESS_INFORMATION pi = Start({"watch", "--channels", "analog:1,input:2", "--output", "rec.csv"});
  SetConsoleCtrlHandler(nullptr, TRUE);  // the test ignores it; after the start, as children inherit that
  const DWORD start = GetTickCount();
  const auto sampled = [&] { const std::string c = Calls(); return std::count(c.begin(), c.end(), '\n') >= 8; };
  while (!sampled() && GetTickCount() - start < 60000) Sleep(50);
  ASSERT_TRUE(sampled() || !TerminateProcess(pi.hProcess, 99)) << "no samples";
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  const Result r = Finish(pi);
  EXPECT_EQ(r.code, 0) << r.err;
  const std::string csv = NoTime(Read("rec.csv"));
  const char* sample = R"(T,(analog,1,Weight,-0\.750|input,2,"Say""hi"",x\ty",1),ok\r\n)";
  EXPECT_TRUE(std::regex_match(csv, std::regex(std::string("time,kind,channel,caption,value,status\r\n(") + sample + ")+")))
      << csv;
  EXPECT_TRUE(csv.find(",analog,") != std::string::npos && csv.find(",input,") != std::string::npos) << csv;
  EXPECT_TRUE(std::regex_match(Calls(), std::regex(Framed("((ExtGetAnalog 1 ptr 50|ExtInPutDig 2)\n)+")))) << Calls();
}

// Every command on its own station set-up: exit code, output (times as T), how standard error
// begins, and the device calls between the panel's opening and closing. Usage errors and missing
// libraries leave the device untouched.
TEST_F(ProbeTest, CommandsEndWithTheirCodesAndCalls) {
  const char* faulty = "[Faults]\r\nExtInPutDig=access\r\nExtGetAnalog=divide times=1\r\nExtGetDis=msvc\r\n"
                       "ExtOutPutDig=raise\r\n[Analog]\r\nCh1=constant offset=2\r\n";
  std::string allLow, huge(30000, '9');
  for (int k = 0; k < 24; ++k) allLow += "ExtOutPutDig " + std::to_string(k) + " 0\n";
  const struct {
    Lines args;
    long code;
    const char* out;             // a regular expression
    const char* err;             // how it begins after "spprobe: "; empty: nothing
    std::string calls = "";      // a regular expression, one call a line
    const char* simulator = "";  // HardwareSim.ini
    const char* library = "SysENV.dll";
    bool device = true;
  } cases[] = {
      {{"set", "23", "1"}, 0, "output 23 set to 1 \\(LiftUp\\)\r\n", "", "ExtOutPutDig 23 1\n"},
      {{"all-low"}, 0, "outputs 0-23 set to 0\r\n", "", allLow},
      {{"reset-counters"}, 0, "counters reset\r\n", "", "ExtResetCNT\n"},
      {{"reset-distance", "1"}, 0, "distance 1 reset\r\n", "", "ExtResetDis 300\n"},
      {{"set-distance", "4"}, 0, "distance 4 set\r\n", "", "ExtSetDis 303\n"},
      {{"read", "--csv", "--channels", "input:1,analog:0-1,distance:1"}, 1,
       "time,.*\r\nT,input,1,,0,faulted\r\nT,analog,0,,0.000,faulted\r\nT,analog,1,Weight,2.000,ok\r\n"
       "T,distance,1,,-10000,faulted\r\n",
       "device entries faulted", "ExtInPutDig 1\nExtGetAnalog 0 ptr 50\nExtGetAnalog 1 ptr 50\nExtGetDis 300\n", faulty},
      {{"watch", "--seconds", "1", "--channels", "distance:2"}, 1, "time,.*\r\n(T,distance,2,,-10000,faulted\r\n)+",
       "device entries faulted", "(ExtGetDis 301\n)+", faulty},
      {{"set", "5", "1"}, 1, "", "ExtOutPutDig faulted\r\n", "ExtOutPutDig 5 1\n", faulty},
      {{"read"}, 4, "", "device library missing or unusable: ", "", "", "SysENV.dll", false},
      {{"read"}, 3, "", "system library SysENV.dll lacks the entry GetField2", "", "", "SysENV_probe_without_GetField2.dll"},
      {{"all-low"}, 3, "", "system library SysENV.dll missing", "", "", nullptr},
      {{}, 2, "", "no command"},
      {{"frob"}, 2, "", "unknown command 'frob'"},
      {{"set", "24", "1"}, 2, "", "output must be 0 to 23, not '24'"},
      {{"set", "-1", "1"}, 2, "", "output must be 0 to 23, not '-1'"},
      {{"set", "99999999999999999999", "1"}, 2, "", "output must be 0 to 23, not '9999999999"},
      {{"set-distance", "5", "6"}, 2, "", "expected: spprobe set-distance N (unexpected '6')"},
      {{"watch", "--seconds=31622401"}, 2, "", "--seconds must be 1 to 31622400, not '31622401'"},
      {{"watch", "--channels", huge}, 2, "", "unknown channel kind '9999999999"},
      {{"read", huge}, 2, "", "expected: spprobe read (unexpected '999999"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "" : c.args[0] + " " + (c.args.size() > 1 ? c.args[1].substr(0, 20) : ""));
    ASSERT_NO_FATAL_FAILURE(Install(c.simulator, c.device, c.library));
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_TRUE(std::regex_match(NoTime(r.out), std::regex(c.out))) << r.out;
    EXPECT_EQ(r.err.substr(0, 9 + std::string(c.err).size()), *c.err ? "spprobe: " + std::string(c.err) : "");
    EXPECT_EQ(r.err.find("usage: spprobe") != std::string::npos, c.code == 2);
    EXPECT_TRUE(std::regex_match(Calls(), std::regex(c.code <= 1 ? Framed(c.calls) : ""))) << Calls();
  }
  // An output file that cannot be made: the system's reason, and the device untouched.
  const Result unwritable = Run({"read", "--output", "nodir\\x.csv"});
  EXPECT_EQ(unwritable.code, 5);
  EXPECT_TRUE(std::regex_match(unwritable.err, std::regex("spprobe: cannot write nodir\\\\x\\.csv: .+ \\(3\\)\r\n"))) << unwritable.err;
  EXPECT_EQ(Calls(), "");
  // Beside a running panel: said, and done the same.
  const HANDLE panel = CreateMutexA(nullptr, FALSE, "StationProbe");
  const Result r = Run({"reset-counters"});
  CloseHandle(panel);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "spprobe: the panel (StationProbe.exe) is running and uses the same device\r\n");
}

}  // namespace
