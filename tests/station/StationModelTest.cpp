// The station model under the panel and spprobe: one read of the device however many listen, and
// every reading with how its call went.
#include <gtest/gtest.h>

#include <string>

#include "station/Station.h"
#include "tests/e2e/PanelDriver.h"

namespace {

using station::Kind;

struct Listener : station::ReadingSink {
  void OnSample(const station::Sample& sample) override {
    ++samples;
    last = sample;
  }
  int samples = 0;
  station::Sample last;
};

std::size_t Calls(const e2e::Lines& journal, std::size_t from, const std::string& entry) {
  std::size_t n = 0;
  for (std::size_t i = from; i < journal.size(); ++i) n += journal[i].compare(0, entry.size() + 1, entry + " ") == 0;
  return n;
}

TEST(StationModel, OneDeviceReadForEveryListenerAndAStatusPerReading) {
  e2e::StationFolder folder("[Faults]\r\nExtGetDis = access times=1\r\n[Inputs]\r\nIn3 = fixed 1\r\n");
  ASSERT_TRUE(folder.ok()) << folder.Root();
  station::Station model;
  ASSERT_EQ(model.LoadSystem().value, 1);
  model.RefreshCaptions();
  EXPECT_STREQ(model.Caption(Kind::Input, 2), "DoorSwitch");
  EXPECT_EQ(model.Caption(Kind::Input, 3), nullptr);
  ASSERT_TRUE(model.Open().value);

  Listener a, b;
  ASSERT_TRUE(model.Subscribe(&a) && model.Subscribe(&b) && model.Subscribe(&a));
  std::size_t mark = folder.Journal().size();
  const station::Sample& distances = model.Poll(Kind::Distance);
  EXPECT_EQ(Calls(folder.Journal(), mark, "ExtGetDis"), 4u) << "one call per channel, whoever listens";
  EXPECT_EQ(a.samples, 1);
  EXPECT_EQ(b.samples, 1);
  ASSERT_EQ(b.last.count, 4);
  EXPECT_EQ(distances.readings[0].status, fw::Status::Faulted);
  EXPECT_EQ(distances.readings[0].code, 0xC0000005UL);
  EXPECT_STREQ(distances.readings[0].text, "-10000") << "a faulted reading shows the panel's fallback";
  EXPECT_EQ(distances.readings[1].status, fw::Status::Ok);

  // Some channels of a kind: only those are read; the panel's analog poll stops at its count.
  model.Unsubscribe(&a);
  mark = folder.Journal().size();
  EXPECT_EQ(model.Read(Kind::Input, 1u << 3 | 1u << 9).count, 2);
  EXPECT_EQ(model.Poll(Kind::Analog, 5).count, 5);
  const e2e::Lines journal = folder.Journal();
  EXPECT_EQ(Calls(journal, mark, "ExtInPutDig"), 2u);
  EXPECT_EQ(Calls(journal, mark, "ExtGetAnalog"), 5u);
  EXPECT_EQ(a.samples, 1);
  EXPECT_EQ(b.samples, 3);
  EXPECT_STREQ(model.Last(Kind::Input).readings[0].text, "1");

  // Commands are the panel's calls; the model remembers the levels it wrote.
  EXPECT_TRUE(model.SetOutput(7, 5).Ok());
  EXPECT_EQ(model.OutputLevel(7), 1);
  EXPECT_EQ(model.OutputLevel(8), -1);
  EXPECT_EQ(e2e::Tail(folder.Journal(), 1), e2e::Lines{"ExtOutPutDig 7 1"});

  // Closed, every entry is missing and every reading says so.
  EXPECT_TRUE(model.Close().Ok());
  EXPECT_EQ(e2e::Tail(folder.Journal(), 3), (e2e::Lines{"ExtClose", "ExtStop", "ExtRelease"}));
  const station::Sample& after = model.Poll(Kind::Counter);
  EXPECT_EQ(after.readings[7].status, fw::Status::Missing);
  EXPECT_STREQ(after.readings[7].text, "0xffffd8f0");
}

}  // namespace
