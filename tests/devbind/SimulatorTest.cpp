// The simulated Hardware.dll driven through the binding, each test with its own copy and ini.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SlotCalls.h"
#include "devbind/DeviceCall.h"
#include "devbind/HardWareDll.h"

namespace {

using devtest::BinPath;

class SimInstall {
 public:
  SimInstall(const char* name, const char* ini) : m_folder(BinPath("devbind_sim_") + name) {
    CreateDirectoryA(m_folder.c_str(), nullptr);
    DeleteFileA(File("journal.txt").c_str());
    EXPECT_TRUE(CopyFileA(BinPath("Hardware.dll").c_str(), File("Hardware.dll").c_str(), FALSE));
    if (ini != nullptr) {
      std::ofstream(File("HardwareSim.ini"), std::ios::binary) << ini;
    } else {
      DeleteFileA(File("HardwareSim.ini").c_str());
    }
  }
  ~SimInstall() {
    device.Unload();
    for (const char* file : {"Hardware.dll", "HardwareSim.ini", "journal.txt"}) DeleteFileA(File(file).c_str());
    RemoveDirectoryA(m_folder.c_str());
  }

  std::string File(const char* name) const { return m_folder + "\\" + name; }
  bool Load() { return device.Load(File("Hardware.dll").c_str()); }

  std::vector<std::string> Journal() const {
    std::ifstream in(File("journal.txt"), std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }

  CHardWareDll device;

 private:
  std::string m_folder;
};

// The entries reach the simulated station its ini describes; the station's logic in detail is
// tested without the library.
TEST(Simulator, EntriesDriveTheStationItsIniDescribes) {
  {
    SimInstall bare("defaults", nullptr);
    ASSERT_TRUE(bare.Load());
    EXPECT_STREQ(bare.device.ExtGetVersion(), "HardwareSim 1.0");
    EXPECT_STREQ(bare.device.GetVersion(), "HardwareSim 1.0");
  }
  SimInstall sim("station",
                 "[Inputs]\r\nIn0 = mirror 3\r\nIn1 = invert 3\r\nIn2 = fixed 1\r\n"
                 "[Analog]\r\nCh0 = constant offset=2.5\r\n[Counters]\r\nRate200 = 1000\r\n"
                 "[Distances]\r\nSet301 = 1234.5\r\n");
  ASSERT_TRUE(sim.Load());
  CHardWareDll& d = sim.device;
  float samples[50];
  for (float& s : samples) s = -999.0f;
  EXPECT_EQ(d.ExtGetAnalog(0, samples, 50), -1);  // closed: zeros
  EXPECT_EQ(samples[49], 0.0f);
  EXPECT_EQ(d.ExtInPutDig(2), 0);

  d.ExtOpen("ProbeDesk");
  EXPECT_EQ(d.ExtInPutDig(2), 1);
  EXPECT_EQ(d.ExtInPutDig(1), 1);
  d.ExtOutPutDig(3, 7);  // any level but 0 switches on
  EXPECT_EQ(d.ExtInPutDig(0), 1);
  EXPECT_EQ(d.ExtInPutDig(1), 0);
  EXPECT_EQ(d.ExtGetAnalog(0, samples, 50), 50);
  for (float s : samples) EXPECT_EQ(s, 2.5f);
  EXPECT_EQ(d.ExtGetAnalog(0, static_cast<float*>(nullptr), 50), 0);

  EXPECT_EQ(d.ExtSetDis(301), 1);
  EXPECT_EQ(d.ExtGetDis(301), 1234.5f);
  d.ExtResetDis(301);
  EXPECT_EQ(d.ExtGetDis(301), 0.0f);

  // Counters count whole counts while running, hold while stopped, and restart on a reset.
  Sleep(200);
  const float counted = d.ExtGetFreb(200);
  EXPECT_GE(counted, 100.0f);
  EXPECT_EQ(counted, std::floor(counted));
  d.ExtStop();
  const float held = d.ExtGetFreb(200);
  Sleep(100);
  EXPECT_EQ(d.ExtGetFreb(200), held);
  d.ExtResetCNT();
  EXPECT_LT(d.ExtGetFreb(200), held);
  d.ExtRun(0);
  Sleep(100);
  EXPECT_GT(d.ExtGetFreb(200), 0.0f);

  // Released, it reads as closed until it is opened again; outputs are remembered.
  d.ExtRelease();
  EXPECT_EQ(d.ExtInPutDig(0), 0);
  d.ExtOpen("ProbeDesk");
  EXPECT_EQ(d.ExtInPutDig(0), 1);
}

// Every method of the binding reaches the entry of its own name with its own arguments: the
// journal shows one line per call, and the full argument list where the export has the slot's list.
TEST(Simulator, JournalShowsEverySlotsCallWithItsArguments) {
  SimInstall sim("journal", "[Journal]\r\nFile = journal.txt\r\n");
  ASSERT_TRUE(sim.Load());
  const std::uint32_t values[16] = {7, 17, 27, 37, 47, 57, 67, 77, 87, 97, 107, 117, 127, 137, 147, 157};
  for (const devbind::SlotInfo& row : devbind::kSlots) {
    if (row.number == 5) {
      float samples[50];
      sim.device.ExtGetAnalog(3, samples, 50);  // its second argument is a real buffer
    } else {
      devtest::CallSlot(sim.device, row.number, values);
    }
  }
  const std::vector<std::string> lines = sim.Journal();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(devbind::kSlotCount));
  for (const devbind::SlotInfo& row : devbind::kSlots) {
    const std::string& line = lines[row.number - 1];
    EXPECT_EQ(line.substr(0, line.find(' ')), row.entry) << "slot " << row.number;
    const devbind::SlotInfo* first = &row;
    for (const devbind::SlotInfo& other : devbind::kSlots) {
      if (std::string(other.entry) == row.entry) {
        first = &other;
        break;
      }
    }
    if (std::string(first->arguments) != row.arguments) continue;  // the export has another list
    std::string expected = row.entry;
    if (row.number == 1) {
      expected += " \"" SP_DEV_SAMPLE_TEXT "\"";
    } else if (row.number == 5) {
      expected += " 3 ptr 50";
    } else {
      for (int i = 0; i < row.stackSlots; ++i) expected += " " + std::to_string(values[i]);
    }
    EXPECT_EQ(line, expected) << "slot " << row.number;
  }
  // Lines are in the file as soon as the call returns.
  sim.device.ExtOutPutDig(4, 1);
  EXPECT_EQ(sim.Journal().back(), "ExtOutPutDig 4 1");
}

TEST(Simulator, InjectedFaultsReachTheGuard) {
  SimInstall sim("faults",
                 "[Journal]\r\nFile=journal.txt\r\n"
                 "[Faults]\r\nExtInPutDig = access times=2\r\nExtGetDis = raise code=0xE0001234 times=1\r\n"
                 "ExtGetVersion = throw times=1\r\nGetVersion = msvc times=1\r\nExtInit = divide times=1\r\n"
                 "ExtGetFreb = wrong value=1e30\r\nExtSetDis = wrong\r\nStartRun = wrong\r\n"
                 "ExtOutPutDig = access times=1\r\n");
  ASSERT_TRUE(sim.Load());
  sim.device.ExtOpen("ProbeDesk");
  sim.device.ExtOutPutDig(0, 1);  // faults: the output stays off
  EXPECT_EQ(sim.device.ExtInPutDig(0), 0);
  EXPECT_EQ(sim.device.ExtInPutDig(0), 0);
  EXPECT_EQ(sim.device.ExtInPutDig(0), 0);
  sim.device.ExtOutPutDig(0, 1);
  EXPECT_EQ(sim.device.ExtInPutDig(0), 1);

  // Each fault once, then the station's own answer.
  EXPECT_EQ(sim.device.ExtGetDis(300), -10000.0f);
  EXPECT_EQ(sim.device.ExtGetDis(300), 0.0f);
  EXPECT_STREQ(sim.device.ExtGetVersion(), "UNKNOW");
  EXPECT_STREQ(sim.device.ExtGetVersion(), "HardwareSim 1.0");
  EXPECT_STREQ(sim.device.GetVersion(), "CATCH-DevGetVersion");
  EXPECT_STREQ(sim.device.GetVersion(), "HardwareSim 1.0");
  EXPECT_EQ(sim.device.ExtInit(1), -1008);
  EXPECT_EQ(sim.device.ExtInit(1), 0);
  EXPECT_EQ(sim.device.ExtGetFreb(200), 1e30f);
  EXPECT_EQ(sim.device.ExtSetDis(300), 12345);
  EXPECT_TRUE(sim.device.StartRun(0));
  EXPECT_EQ(devbind::LiveTextCopies(), 0u);

  // Every call was journalled, the faulting ones included.
  const std::vector<std::string> lines = sim.Journal();
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[1], "ExtOutPutDig 0 1");
  EXPECT_EQ(lines[2], "ExtInPutDig 0");
}

TEST(Simulator, AFaultForEveryEntryGivesEveryFaultedValue) {
  SimInstall sim("allfaults", "[Faults]\r\n* = access\r\n");
  ASSERT_TRUE(sim.Load());
  const std::uint32_t values[16] = {};
  for (const devbind::SlotInfo& row : devbind::kSlots) {
    const devtest::Observed observed = devtest::CallSlot(sim.device, row.number, values);
    EXPECT_EQ(devtest::CompareWithFallback(row.number, observed, row.faulted), "");
  }
  EXPECT_EQ(devbind::LiveTextCopies(), 0u);
}

}  // namespace
