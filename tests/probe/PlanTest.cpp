// Check plans read natively: every step kind, channels named by caption (joined, ambiguous, of another
// kind), every kind of plan error with its line, hostile bytes, the template, the SHA-256 that
// names the plan, and protocols whose texts survive any caption or title.
#include <gtest/gtest.h>

#include <string>

#include "probe/Plan.h"
#include "probe/Protocol.h"
#include "probe/Sha256.h"
#include "tests/probe/Markup.h"

namespace {

using namespace probe;

StationNames Names() {
  StationNames n;
  n.output[2] = "后举升上升";
  n.output[7] = "Lift";
  n.input[0] = "前举升到位开关/举升到位";
  n.input[1] = "后举升到位开关";
  n.input[3] = "举升到位";
  n.input[4] = "lift";
  n.analog[0] = "左轮重";
  return n;
}

std::string Describe(const Step& s) {
  char text[200];
  std::snprintf(text, sizeof text, "%d:%d %s L%d %g..%g %lldms%s", s.line, static_cast<int>(s.kind),
                ChannelName(s.signal, s.index).c_str(), s.level, s.low, s.high, s.ms, s.question.c_str());
  return text;
}

TEST(PlanTest, EveryStepKindWithChannelsByNumberOrCaption) {
  const Plan plan = ParsePlan(
      "# monthly\r\ntitle  Monthly # check\r\nSET \"后举升上升\" 1\nset 23 0\nall-low\nreset-counters\n"
      "reset-distance 4\nset-distance 1\nwait 1.5s\nwait 250ms\n\n  expect input \"后举升到位开关\" 1   within 3s\n"
      "expect input \"前举升到位开关\" 0\nexpect analog \"左轮重\" -0.5..2.25 within 1s\nexpect counter 207 0x10..300\n"
      "expect counter 200 changes within 2s\nexpect distance 2 1000..1000\nask \"Lift # clear?\"\nexpect input \"LIFT\" 1\n"
      "set \"lift\" 1\n",
      Names());
  ASSERT_TRUE(plan.errors.empty()) << plan.errors[0].line << ": " << plan.errors[0].what;
  EXPECT_EQ(plan.title, "Monthly");
  const char* expected[] = {
      "3:0 output 2 L1 0..0 0ms",         "4:0 output 23 L0 0..0 0ms",       "5:1  L0 0..0 0ms",
      "6:2  L0 0..0 0ms",                 "7:3 distance 4 L0 0..0 0ms",      "8:4 distance 1 L0 0..0 0ms",
      "9:5  L0 0..0 1500ms",              "10:5  L0 0..0 250ms",             "12:6 input 1 L1 0..0 3000ms",
      "13:6 input 0 L0 0..0 0ms",         "14:7 analog 0 L0 -0.5..2.25 1000ms", "15:8 counter 207 L0 16..300 0ms",
      "16:9 counter 200 L0 0..0 2000ms",  "17:10 distance 2 L0 1000..1000 0ms", "18:11  L0 0..0 0msLift # clear?",
      "19:6 input 4 L1 0..0 0ms",         "20:0 output 7 L1 0..0 0ms"};
  ASSERT_EQ(plan.steps.size(), std::size(expected));
  for (std::size_t i = 0; i < plan.steps.size(); ++i) EXPECT_EQ(Describe(plan.steps[i]), expected[i]);
  EXPECT_EQ(plan.steps[8].text, "expect input \"后举升到位开关\" 1   within 3s");
}

TEST(PlanTest, EveryErrorIsListedWithItsLine) {
  const Plan plan = ParsePlan(
      "title A\ntitle B\ntitle\nfrob 1\nset 24 1\nset 2 2\nset 2\nset \"举升到位\" 1\nexpect input \"举升到位\" 1\n"
      "expect input \"前举升\" 1\nexpect analog \"后举升上升\" 0..1\nexpect analog \"x\" 0..1\nexpect input 16 1\n"
      "expect counter 199 0..1\nexpect counter \"c\" 0..1\nexpect counter 200 1.5..2\nexpect counter 200 changes\n"
      "expect distance 0 0..1\nexpect analog 0 2..1\nexpect analog 0 1-2\nexpect input 1 1 within 0s\n"
      "expect input 1 1 within 25h\nexpect input 1 1 after 2s\nwait 1.5ms\nwait 2\nask Lift clear?\nask \"\"\n"
      "set \"unclosed 1\nset \"a\"b 1\nexpect\nexpect relay 1 1 1\nreset-distance 5\nall-low now\nexpect input \"\" 1\n",
      Names());
  const char* expected[] = {
      "2: a second title (the first is on line 1)",
      "3: expected: title TEXT",
      "4: unknown step 'frob' (title, set, all-low, reset-counters, reset-distance, set-distance, wait, expect, ask)",
      "5: output must be 0 to 23 or a caption in double quotes, not '24'",
      "6: the level must be 0 or 1, not '2'",
      "7: expected: set OUTPUT 0|1",
      "8: \"举升到位\" is input 0 前举升到位开关/举升到位, 3 举升到位, not an output",
      "9: \"举升到位\" names several inputs: 0 前举升到位开关/举升到位, 3 举升到位; write the number",
      "10: no input is named \"前举升\"; did you mean 0 前举升到位开关/举升到位",
      "11: \"后举升上升\" is output 2 后举升上升, not an analog channel",
      "12: no analog channel is named \"x\"; the analog channels: 0 左轮重",
      "13: input must be 0 to 15 or a caption in double quotes, not '16'",
      "14: counter must be 200 to 207, not '199'",
      "15: counters have no captions: write the number",
      "16: a range is LOW..HIGH, e.g. 100..250, not '1.5..2'",
      "17: 'changes' needs 'within DURATION'",
      "18: distance must be 1 to 4, not '0'",
      "19: the range '2..1' runs backwards",
      "20: a range is LOW..HIGH, e.g. 2.40..2.60, not '1-2'",
      "21: a duration is like 500ms, 2s or 1.5s (at most 24 hours), not '0s'",
      "22: a duration is like 500ms, 2s or 1.5s (at most 24 hours), not '25h'",
      "23: expected 'within DURATION' or the end of the line, not 'after'",
      "24: a duration is like 500ms, 2s or 1.5s (at most 24 hours), not '1.5ms'",
      "25: a duration is like 500ms, 2s or 1.5s (at most 24 hours), not '2'",
      "26: expected: ask \"TEXT\" (unexpected 'clear?')",
      "27: ask needs its question in double quotes",
      "28: a quote is not closed",
      "29: a blank must follow the closing quote",
      "30: expected: expect input|analog|counter|distance CHANNEL VALUE [within DURATION]",
      "31: expect what? input, analog, counter or distance, not 'relay'",
      "32: distance must be 1 to 4, not '5'",
      "33: expected: all-low (unexpected 'now')",
      "34: an empty caption names no input",
  };
  ASSERT_EQ(plan.errors.size(), std::size(expected));
  for (std::size_t i = 0; i < plan.errors.size(); ++i) {
    EXPECT_EQ(std::to_string(plan.errors[i].line) + ": " + plan.errors[i].what, expected[i]);
  }
  EXPECT_EQ(ParsePlan("# nothing\n\n", Names()).errors[0].what, "the plan has no steps");
}

// Bytes that are no plan are refused whole; text that is not UTF-8 goes to the GBK decoder.
TEST(PlanTest, PlanFileBytesAreTextOrRefused) {
  const GbkDecoder gbk = [](const std::string& in, std::string& out) {
    if (in.find('\xFF') != std::string::npos) return false;
    out = "gbk:" + in;
    return true;
  };
  const struct {
    std::string bytes;
    const char* text;  // null: refused with `error`
    const char* error;
  } cases[] = {
      {"\xEF\xBB\xBFwait 1s\r\n", "wait 1s\r\n", ""},
      {"set \xC7\xB0\xBE\xD9 1", "gbk:set \xC7\xB0\xBE\xD9 1", ""},
      {"ask \"\xED\xA0\x80\"", "gbk:ask \"\xED\xA0\x80\"", ""},  // a UTF-16 surrogate is no UTF-8
      {"wait \xE4\xB8", "gbk:wait \xE4\xB8", ""},                  // cut short
      {"wait 1s\xFF", nullptr, "neither UTF-8 nor GBK text"},
      {"\xFF\xFEw\0", nullptr, "UTF-16 text: save the plan as UTF-8"},
      {std::string("wait 1s\nwait\0 2s", 15), nullptr, "not a text file (control byte 0x00 on line 2)"},
      {"\x7F" "ELF\x01", nullptr, "not a text file (control byte 0x01 on line 1)"},
      {std::string(kMaxPlanBytes + 1, '#'), nullptr, "too large for a plan (more than 1024 KiB)"},
  };
  for (const auto& c : cases) {
    const PlanText t = DecodePlanBytes(c.bytes, gbk);
    EXPECT_EQ(t.utf8, c.text != nullptr ? c.text : "") << c.error;
    EXPECT_EQ(t.error, c.error);
  }
}

TEST(PlanTest, TheTemplateIsAValidPlanOnTheStationsCaptions) {
  for (const StationNames& names : {Names(), StationNames{}}) {
    const Plan plan = ParsePlan(PlanTemplate(names), names);
    ASSERT_TRUE(plan.errors.empty()) << plan.errors[0].line << ": " << plan.errors[0].what;
    EXPECT_EQ(plan.steps.size(), 13u);
  }
  const std::string text = PlanTemplate(Names());
  EXPECT_NE(text.find("set \"后举升上升\" 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("expect input \"前举升到位开关\" 1 within 3s\n"), std::string::npos) << text;
  EXPECT_NE(text.find("#   3  举升到位\n"), std::string::npos) << text;
}

TEST(Sha256Test, StandardVectors) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Whatever a title, caption or step holds reaches a reader of the HTML and the JUnit file unchanged.
TEST(ProtocolTest, HostileTextsSurviveBothMarkups) {
  const std::string hostile = "<b>&amp;\"x\" 'y' ]]> </td>";
  CheckRecord record;
  record.title = hostile;
  record.steps.push_back({1, 3, "ask \"" + hostile + "\"", "", "", "yes", "no", 0.5, false, Outcome::Fail, hostile});
  record.steps.push_back({2, 4, "wait 1s", "", "", "", "", -1, false, Outcome::NotRun, ""});
  record.outputs.push_back({2, hostile, true, ""});
  for (const std::string& doc : {HtmlProtocol(record), JunitXml(record)}) {
    sptest::Element root;
    std::string error;
    ASSERT_TRUE(sptest::MarkupReader::Read(doc, root, error)) << error << "\n" << doc;
    if (root.name == "html") {
      EXPECT_EQ(root.All("h1")[0]->text, hostile);
      EXPECT_EQ(root.All("tbody")[2]->All("td")[1]->text, "line 3: ask \"" + hostile + "\"");
      EXPECT_EQ(root.All("tbody")[3]->All("td")[1]->text, hostile);
    } else {
      EXPECT_EQ(root.All("testsuite")[0]->attributes.at("name"), hostile);
      EXPECT_EQ(root.All("failure")[0]->attributes.at("message"), "expected yes, measured no (" + hostile + ")");
      EXPECT_EQ(root.All("skipped").size(), 1u);
    }
  }
}

}  // namespace
