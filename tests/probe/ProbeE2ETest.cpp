// spprobe.exe against the simulated station: what it prints for the simulator's scripted values,
// what it did to the device (the simulator's journal), and how it ends when a library is missing,
// the device faults or the arguments are hostile.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/probe/Markup.h"
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
                                           Declare("AllTD_Din", 5, "门开关") + Declare("AllTD_Dout", 22, "报警器") +
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

// A console of the test's own, made once per process, which the probes it starts share: Ctrl+C sent
// to a second one made later in the same process does not reach them under Wine.
bool OwnConsole() {
  static const bool made = (FreeConsole(), AllocConsole() != 0);
  return made;
}

// Until Ctrl+C, sent to the console this test shares with the probe, with the file complete.
TEST_F(ProbeTest, WatchSamplesTheChosenChannelsUntilCtrlC) {
  ASSERT_NO_FATAL_FAILURE(Install(ScriptedStation()));
  ASSERT_TRUE(OwnConsole());
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

// ---- check plans ----------------------------------------------------------------------------

// The result each step printed, in order ("PASS", "NOT RUN", ...).
Lines Printed(const std::string& out) {
  Lines results;
  const std::regex step(R"((^|\n) *\d+ (PASS|FAIL|FAULT|NOT RUN) )");
  for (std::sregex_iterator m(out.begin(), out.end(), step), end; m != end; ++m) results.push_back((*m)[2]);
  return results;
}

// The three protocols of a run read as their readers do and held against what the run printed:
// one row (HTML), test case (JUnit) and entry (JSON) per step with the printed result.
void ExpectProtocols(const std::string& html, const std::string& junit, const std::string& json, const Lines& results) {
  sptest::Element page, xml;
  std::string error;
  ASSERT_TRUE(sptest::MarkupReader::Read(html, page, error)) << error;
  ASSERT_TRUE(sptest::MarkupReader::Read(junit, xml, error)) << error;
  EXPECT_TRUE(std::regex_search(html, std::regex("@page \\{ size: A4;")));
  EXPECT_FALSE(std::regex_search(html, std::regex("src=|href=|@import|url\\("))) << "not self-contained";
  const auto rows = page.All("tbody")[2]->All("tr");
  ASSERT_EQ(rows.size(), results.size());
  const sptest::Element& suite = *xml.All("testsuite").at(0);
  const auto cases = suite.All("testcase");
  ASSERT_EQ(cases.size(), results.size());
  std::map<std::string, int> count;
  std::string jsonResults;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const std::string number = std::to_string(i + 1);
    const auto cells = rows[i]->All("td");
    EXPECT_EQ(cells.at(0)->text + " " + cells.at(6)->text, number + " " + results[i]);
    std::string key = results[i] == "NOT RUN" ? "not-run" : results[i];
    std::transform(key.begin(), key.end(), key.begin(), ::tolower);
    EXPECT_EQ(rows[i]->attributes.at("class"), key);  // the style sheet draws fail and fault red
    EXPECT_EQ(cases[i]->attributes.at("name").substr(0, number.size() + 2), number + ": ");
    EXPECT_GE(std::stod(cases[i]->attributes.at("time")), 0.0);
    EXPECT_FALSE(cases[i]->attributes.at("classname").empty());
    const char* element = key == "fail" ? "failure" : key == "fault" ? "error" : key == "not-run" ? "skipped" : nullptr;
    EXPECT_EQ(cases[i]->children.size(), element != nullptr ? 1u : 0u);
    if (element != nullptr && !cases[i]->children.empty()) {
      EXPECT_EQ(cases[i]->children[0].name, element);
      EXPECT_TRUE(cases[i]->children[0].attributes.count("message"));
      EXPECT_EQ(cases[i]->children[0].attributes.count("type"), key == "not-run" ? 0u : 1u);
    }
    ++count[element != nullptr ? element : "pass"];
    jsonResults += "\"result\": \"" + (key == "not-run" ? "not run" : key) + "\"\n";
  }
  const std::map<std::string, std::string> totals = {{"tests", std::to_string(results.size())},
                                                     {"failures", std::to_string(count["failure"])},
                                                     {"errors", std::to_string(count["error"])},
                                                     {"skipped", std::to_string(count["skipped"])}};
  for (const auto& [name, value] : totals) EXPECT_EQ(suite.attributes.at(name), value) << name;
  std::string found;
  const std::regex result("\"result\": \"[a-z ]+\"");
  for (std::sregex_iterator m(json.begin(), json.end(), result), end; m != end; ++m) found += m->str() + "\n";
  EXPECT_EQ(found, jsonResults);
  EXPECT_NE(json.find(count["pass"] == static_cast<int>(results.size()) ? "\"passed\": true" : "\"passed\": false"),
            std::string::npos);
}

class CheckTest : public ProbeTest {
 protected:
  // The demo station: its calib.ini and wiring (inputs that follow their outputs late).
  void InstallDemo(const std::string& faults = "") {
    ASSERT_TRUE(sptest::WriteFileBytes((root_ / "Config/calib.ini").string(), Demo("calib.ini")));
    ASSERT_NO_FATAL_FAILURE(Install(Demo("HardwareSim.ini") + faults));
  }
  static std::string Demo(const std::string& name) {
    std::ifstream file(fs::path(sptest::ExeDirectory()) / "demo" / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  Result Check(const std::string& plan, Lines options = {}) {
    EXPECT_TRUE(sptest::WriteFileBytes((root_ / "plan.txt").string(), plan));
    for (const char* f : {"p.html", "p.xml", "p.json"}) fs::remove(root_ / f);
    Lines args = {"check", "--html", "p.html", "--junit", "p.xml", "--json", "p.json"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("plan.txt");
    return Run(args);
  }
  void ExpectProtocolsOf(const Result& r) const { ExpectProtocols(Read("p.html"), Read("p.xml"), Read("p.json"), Printed(r.out)); }
  // The journal without the readings: what the run did to the station.
  std::string Commands() const {
    return std::regex_replace(Calls(), std::regex("(ExtInPutDig|ExtGetAnalog|ExtGetFreb|ExtGetDis) [^\n]*\n"), "");
  }
};

// The demo's plans on the demo station: every kind of step passes (response times never shorter
// than the wiring's delays), each step makes only its own calls; the plan that fails on purpose
// fails where it should and returns the lift it left up.
TEST_F(CheckTest, DemoPlansPassAndFailOnTheDemoStation) {
  ASSERT_NO_FATAL_FAILURE(InstallDemo());
  Result r = Check(Demo("plans/monthly-check.txt"), {"--yes"});
  EXPECT_EQ(r.code, 0) << r.out << r.err;
  EXPECT_EQ(Printed(r.out), Lines(39, "PASS")) << r.out;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.out, m, std::regex(u8R"(\n +7 PASS +expect input "后举升到位开关" 1 within 3s  \[input 1 后举升到位开关\]: 1 in (\d\.\d+) s)")));
  // The simulator's clock has whole milliseconds: its switch may come up to one early.
  EXPECT_GE(std::stod(m[1]), 1.499) << "sooner than the lift can reach its switch";
  ExpectProtocolsOf(r);
  std::string lows;
  for (int k = 0; k < 24; ++k) lows += "ExtOutPutDig " + std::to_string(k) + " 0\n";
  EXPECT_EQ(Commands(), Framed("ExtOutPutDig 0 1\nExtOutPutDig 0 0\nExtOutPutDig 2 1\nExtOutPutDig 2 0\nExtOutPutDig 4 1\n"
                               "ExtOutPutDig 4 0\nExtOutPutDig 7 1\nExtOutPutDig 7 0\nExtOutPutDig 5 1\nExtOutPutDig 6 1\n" +
                               lows + "ExtOutPutDig 9 1\nExtOutPutDig 9 0\nExtResetCNT\nExtResetDis 300\nExtSetDis 300\n"));
  const std::regex read("ExtInPutDig ([0-3]|7|8|9|11)|ExtGetAnalog [0-3] ptr 50|ExtGetFreb 200|ExtGetDis 300");
  std::istringstream calls(Commands() == Calls() ? "" : Calls());
  for (std::string line; std::getline(calls, line);) {
    EXPECT_TRUE(std::regex_match(line, read) || Commands().find(line + "\n") != std::string::npos) << line;
  }

  ASSERT_NO_FATAL_FAILURE(InstallDemo());
  r = Check(Demo("plans/fails-on-purpose.txt"));
  EXPECT_EQ(r.code, 6) << r.out << r.err;
  EXPECT_EQ(Printed(r.out), Lines({"PASS", "PASS", "FAIL", "FAIL", "PASS"})) << r.out;
  EXPECT_NE(r.out.find(u8"\r\noutputs returned low: 2 (后举升上升)\r\n"), std::string::npos) << r.out;
  ExpectProtocolsOf(r);
  EXPECT_EQ(Commands(), Framed("ExtOutPutDig 2 1\nExtOutPutDig 2 0\n"));
  sptest::Element page;
  std::string error;
  ASSERT_TRUE(sptest::MarkupReader::Read(Read("p.html"), page, error));
  std::string outputs;
  for (const sptest::Element* cell : page.All("tbody")[3]->All("td")) outputs += cell->text + "|";
  EXPECT_EQ(outputs, u8"2|后举升上升|returned low|");
  // Stopped at the first failure, the lift left up as asked.
  ASSERT_NO_FATAL_FAILURE(InstallDemo());
  r = Check(Demo("plans/fails-on-purpose.txt"), {"--stop-on-fail", "--keep-outputs"});
  EXPECT_EQ(Printed(r.out), Lines({"PASS", "PASS", "FAIL", "NOT RUN", "NOT RUN"})) << r.out;
  EXPECT_EQ(Commands(), Framed("ExtOutPutDig 2 1\n"));
}

// Ctrl+C ends a long wait at once; the output left high goes low, the rest is not run, and the
// protocols are whole.
TEST_F(CheckTest, CtrlCEndsTheStepInHandThenTheSafeEnd) {
  ASSERT_NO_FATAL_FAILURE(Install(""));
  ASSERT_TRUE(sptest::WriteFileBytes((root_ / "plan.txt").string(), "set 22 1\nwait 3600s\nexpect input 15 1\n"));
  ASSERT_TRUE(OwnConsole());
  SetConsoleCtrlHandler(nullptr, FALSE);  // not ignored from the start (Wine passes the ignoring on for good)
  const PROCESS_INFORMATION pi = Start({"check", "--html", "p.html", "--junit", "p.xml", "--json", "p.json", "plan.txt"});
  SetConsoleCtrlHandler(nullptr, TRUE);
  const DWORD start = GetTickCount();
  while (Calls().find("ExtOutPutDig 22 1") == std::string::npos && GetTickCount() - start < 60000) Sleep(50);
  ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  const Result r = Finish(pi);  // within a minute, not an hour
  EXPECT_EQ(r.code, 6) << r.out << r.err;
  EXPECT_EQ(Printed(r.out), Lines({"PASS", "NOT RUN", "NOT RUN"})) << r.out;
  // Cut short, or not begun when Ctrl+C came just before it.
  EXPECT_TRUE(std::regex_search(r.out, std::regex("NOT RUN +wait 3600s( \\(stopped by Ctrl\\+C after \\d+\\.\\d+ s\\))?\r\n")));
  EXPECT_EQ(Calls(), Framed("ExtOutPutDig 22 1\nExtOutPutDig 22 0\n"));
  ExpectProtocolsOf(r);
  EXPECT_NE(Read("p.json").find("\"run\": \"stopped by Ctrl+C\""), std::string::npos);
}

// A faulting entry fails its step as FAULT with the panel's fallback and the run goes on; an ask
// with nobody to answer fails; whatever was written high goes low at the end.
TEST_F(CheckTest, FaultsAndAskWithoutOperatorFailStepsButTheRunEndsSafely) {
  ASSERT_NO_FATAL_FAILURE(Install("[Faults]\r\nExtOutPutDig=raise times=1\r\nExtInPutDig=access\r\n"));
  const Result r = Check(u8"set 5 1\nset \"报警器\" 1\nexpect input 2 0\nask \"Ready?\"\n");
  EXPECT_EQ(r.code, 6) << r.out << r.err;
  EXPECT_EQ(Printed(r.out), Lines({"FAULT", "PASS", "FAULT", "FAIL"})) << r.out;
  EXPECT_NE(r.out.find("(ExtOutPutDig faulted (exception 0xE0000001))"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(": 0 (ExtInPutDig faulted (exception 0xC0000005))"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("no operator to answer"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(u8"outputs returned low: 5, 22 (报警器)"), std::string::npos) << r.out;
  EXPECT_EQ(Calls(), Framed("ExtOutPutDig 5 1\nExtOutPutDig 22 1\nExtInPutDig 2\nExtOutPutDig 5 0\nExtOutPutDig 22 0\n"));
  ExpectProtocolsOf(r);
}

// A plan with errors, or a file that is no plan, changes nothing on the station: every error is
// said with its line and the device library is not even loaded. A GBK plan reads as one.
TEST_F(CheckTest, PlanErrorsAndHostileFilesTouchNothing) {
  const std::string huge(2 << 20, '#');
  ASSERT_TRUE(sptest::WriteFileBytes((root_ / "huge.txt").string(), huge) &&
              sptest::WriteFileBytes((root_ / "utf16.txt").string(), std::string("\xFF\xFEs\0e\0t\0", 8)) &&
              sptest::WriteFileBytes((root_ / "locked.txt").string(), "wait 1s\n") &&
              sptest::WriteFileBytes((root_ / "errors.txt").string(),
                                     u8"set \"报警器\" 1\nset 24 1\nexpect input \"门开关\" 1\n\nwait forever\n"
                                     u8"expect input \"LiftUp\" 1 within 1s\nexpect counter 200 changes\n"));
  fs::copy_file(fs::path(sptest::ExeDirectory()) / "Hardware.dll", root_ / "binary.txt");
  const HANDLE locked = CreateFileA((root_ / "locked.txt").string().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const struct {
    const char* file;
    std::string err;  // a regular expression
  } cases[] = {
      {"errors.txt", u8"spprobe: errors.txt:2: output must be 0 to 23 or a caption in double quotes, not '24'\r\n"
                     u8"spprobe: errors.txt:3: \"门开关\" names several inputs: 0 门开关, 5 门开关; write the number\r\n"
                     u8"spprobe: errors.txt:5: a duration is like 500ms, 2s or 1.5s \\(at most 24 hours\\), not 'forever'\r\n"
                     u8"spprobe: errors.txt:6: \"LiftUp\" is output 23 LiftUp, not an input\r\n"
                     u8"spprobe: errors.txt:7: 'changes' needs 'within DURATION'\r\n"},
      {"huge.txt", "spprobe: huge.txt: too large for a plan \\(more than 1024 KiB\\)\r\n"},
      {"binary.txt", "spprobe: binary.txt: not a text file \\(control byte 0x00 on line 1\\)\r\n"},
      {"utf16.txt", "spprobe: utf16.txt: UTF-16 text: save the plan as UTF-8\r\n"},
      {"Config", "spprobe: Config: a folder, not a plan file\r\n"},
      {"missing.txt", "spprobe: missing.txt: cannot read it: .+\r\n"},
      {"locked.txt", "spprobe: locked.txt: cannot read it: .+\r\n"},
      {"NUL", "spprobe: NUL: not a file\r\n"},
  };
  for (const auto& c : cases) {
    ASSERT_NO_FATAL_FAILURE(Install(""));
    const Result r = Run({"check", "--yes", "--html", "p.html", c.file});
    EXPECT_EQ(r.code, 2) << c.file;
    EXPECT_TRUE(std::regex_match(r.err, std::regex(c.err))) << r.err;
    EXPECT_EQ(r.out + Calls(), "") << c.file;
    EXPECT_FALSE(fs::exists(root_ / "p.html")) << c.file;
  }
  CloseHandle(locked);
  // GBK, as the station's own files; the template is a plan of this station.
  ASSERT_TRUE(sptest::WriteFileBytes((root_ / "gbk.txt").string(), "# 月检\nset \"报警器\" 1\n"));
  Result r = Run({"check", "--dry-run", "gbk.txt"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, u8"gbk.txt: 1 step, no errors (read as GBK)\r\n  1  line 2    set \"报警器\" 1  [output 22 报警器]\r\n");
  r = Run({"check", "--template", "--output", "template.txt"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(Read("template.txt").find(u8"\r\nset \"报警器\" 1\r\n"), std::string::npos);
  EXPECT_EQ(Run({"check", "--dry-run", "template.txt"}).code, 0);
  EXPECT_EQ(Calls(), "");
}

}  // namespace
