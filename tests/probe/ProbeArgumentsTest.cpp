// The channel lists of --channels: which channels a list selects, which lists are refused.
#include <gtest/gtest.h>

#include <string>

#include "probe/Arguments.h"

TEST(ChannelListTest, SelectsWhatTheListNamesAndRefusesTheRest) {
  probe::ChannelSelection selection;
  std::string error, selected;
  ASSERT_TRUE(probe::ParseChannelList("input:14,2,analog:015,0-1,counter,distance:4,4", selection, error)) << error;
  for (int k = 0; k < probe::kKindCount; ++k) {
    for (int i = 0; i < probe::kMaxChannelsOfKind; ++i) {
      if (selection.on[k][i]) selected += std::string(" ") + "iacd"[k] + std::to_string(probe::FirstChannel(probe::Kind(k)) + i);
    }
  }
  EXPECT_EQ(selected, " i2 i14 a0 a1 a15 c200 c201 c202 c203 c204 c205 c206 c207 d4");
  for (const char* list : {"", ",", "input:", "input:5,", ",input:5", "analog:-1", "analog:1-", "analog:-", "5", "relay:1",
                           "Input:1", "input:1:2", "input:+1", "input: 1", "input:1-2-3", "counter:199", "counter:0",
                           "distance:0", "distance:5", "analog:16", "analog:0000000001", "analog:4294967296", "input:3-1"}) {
    error.clear();
    EXPECT_FALSE(probe::ParseChannelList(list, selection, error) || error.empty()) << list;
  }
}
