#include "probe/Protocol.h"

#include <cstdio>

#include "station/Records.h"

namespace probe {

namespace {

constexpr char kEol[] = "\r\n";

std::string Seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", s < 0 ? 0.0 : s);
  return text;
}

// Markup text: the five special characters as references; control characters that XML 1.0 cannot
// carry as '?'.
std::string Escaped(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F ? '?' : ch; break;
    }
  }
  return out;
}

std::string Cell(const std::string& text, const char* cls = nullptr) {
  return std::string("<td") + (cls != nullptr ? std::string(" class=\"") + cls + "\"" : "") + ">" + Escaped(text) + "</td>";
}

std::string Fact(const char* name, const std::string& value, const char* cls = nullptr) {
  return std::string("<tr><th>") + name + "</th>" + Cell(value, cls) + "</tr>" + kEol;
}

std::string InputLevel(int level) { return level < 0 ? "" : std::to_string(level); }

constexpr char kStyle[] =
    "@page { size: A4; margin: 14mm 12mm; }\r\n"
    "body { font-family: \"Microsoft YaHei\", SimSun, \"Noto Sans CJK SC\", \"WenQuanYi Zen Hei\", sans-serif;"
    " font-size: 9.5pt; color: #000; max-width: 186mm; margin: 8mm auto; }\r\n"
    "h1 { font-size: 15pt; margin: 0 0 3mm; }\r\n"
    "h2 { font-size: 11.5pt; margin: 6mm 0 2mm; break-after: avoid; page-break-after: avoid; }\r\n"
    "table { border-collapse: collapse; width: 100%; }\r\n"
    "th, td { border: 0.25mm solid #999; padding: 0.8mm 1.5mm; text-align: left; vertical-align: top; overflow-wrap: anywhere; }\r\n"
    "th { background: #eee; font-weight: 600; }\r\n"
    "thead { display: table-header-group; }\r\n"
    "tr { break-inside: avoid; page-break-inside: avoid; }\r\n"
    "table.facts th { width: 28mm; }\r\n"
    "table.steps { table-layout: fixed; }\r\n"
    "td.num, td.time { text-align: right; white-space: nowrap; }\r\n"
    "td.step { font-family: Consolas, \"DejaVu Sans Mono\", monospace; font-size: 8.5pt; word-break: break-all; }\r\n"
    "td.sha { font-family: Consolas, \"DejaVu Sans Mono\", monospace; word-break: break-all; }\r\n"
    "td.result { font-weight: 600; white-space: nowrap; }\r\n"
    "tr.fail td, tr.fault td, p.verdict.fail { color: #c00000; }\r\n"
    "tr.not-run td { color: #666; }\r\n"
    "p.verdict { font-size: 12pt; font-weight: 700; margin: 3mm 0; }\r\n"
    "p.note { color: #444; }\r\n"
    "@media print { body { max-width: none; margin: 0; } }\r\n";

}  // namespace

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Pass: return "PASS";
    case Outcome::Fail: return "FAIL";
    case Outcome::Fault: return "FAULT";
    default: return "NOT RUN";
  }
}

const char* OutcomeKey(Outcome outcome) {
  switch (outcome) {
    case Outcome::Pass: return "pass";
    case Outcome::Fail: return "fail";
    case Outcome::Fault: return "fault";
    default: return "not run";
  }
}

Summary Summarize(const CheckRecord& record) {
  Summary s;
  for (const StepRecord& step : record.steps) {
    switch (step.outcome) {
      case Outcome::Pass: ++s.passed; break;
      case Outcome::Fail: ++s.failed; break;
      case Outcome::Fault: ++s.faulted; break;
      default: ++s.notRun; break;
    }
  }
  return s;
}

std::string StepLine(const StepRecord& step) {
  char head[32];
  std::snprintf(head, sizeof head, "%3d %-7s ", step.number, OutcomeName(step.outcome));
  std::string line = head + step.text;
  if (!step.channel.empty()) line += "  [" + step.channel + (step.caption.empty() ? "" : " " + step.caption) + "]";
  if (!step.measured.empty()) line += ": " + step.measured;
  if (step.timed && step.outcome == Outcome::Pass) line += " in " + Seconds(step.seconds) + " s";
  if (!step.note.empty()) line += " (" + step.note + ")";
  return line;
}

std::string HtmlProtocol(const CheckRecord& r) {
  const Summary s = Summarize(r);
  std::string out = std::string("<!DOCTYPE html>") + kEol + "<html lang=\"zh-CN\">" + kEol + "<head>" + kEol +
                    "<meta charset=\"utf-8\"/>" + kEol + "<title>" + Escaped(r.title) + " - check protocol</title>" +
                    kEol + "<style>" + kEol + kStyle + "</style>" + kEol + "</head>" + kEol + "<body>" + kEol;
  out += "<h1>" + Escaped(r.title) + "</h1>" + kEol;
  out += std::string("<table class=\"facts\"><tbody>") + kEol + Fact("Plan", r.planFile) + Fact("SHA-256", r.planSha256, "sha") +
         Fact("Computer", r.computer) + Fact("Operator", r.operatorName) + Fact("Started", r.started) +
         Fact("Ended", r.ended) + Fact("Run", r.endedBy + ", " + Seconds(r.seconds) + " s") + "</tbody></table>" + kEol;
  out += std::string("<p class=\"verdict ") + (s.AllPassed() ? "pass\">Every step passed." : "fail\">Not passed.") + "</p>" + kEol;
  out += std::string("<table class=\"summary\"><thead><tr><th>Steps</th><th>Passed</th><th>Failed</th><th>Faulted</th>"
                     "<th>Not run</th></tr></thead><tbody><tr>") +
         Cell(std::to_string(r.steps.size()), "num") + Cell(std::to_string(s.passed), "num") +
         Cell(std::to_string(s.failed), "num") + Cell(std::to_string(s.faulted), "num") +
         Cell(std::to_string(s.notRun), "num") + "</tr></tbody></table>" + kEol;

  out += std::string("<h2>Steps</h2>") + kEol +
         "<table class=\"steps\"><colgroup><col style=\"width: 5%\"/><col style=\"width: 33%\"/><col style=\"width: 16%\"/>"
         "<col style=\"width: 14%\"/><col style=\"width: 16%\"/><col style=\"width: 8%\"/><col style=\"width: 8%\"/>"
         "</colgroup><thead><tr><th>#</th><th>Step</th><th>Caption</th><th>Expected</th><th>Measured</th>"
         "<th>Time (s)</th><th>Result</th></tr></thead><tbody>" + kEol;
  for (const StepRecord& step : r.steps) {
    std::string cls = OutcomeKey(step.outcome);
    if (step.outcome == Outcome::NotRun) cls = "not-run";
    std::string measured = step.measured;
    if (!step.note.empty()) measured += (measured.empty() ? "" : "; ") + step.note;
    out += "<tr class=\"" + cls + "\">" + Cell(std::to_string(step.number), "num") +
           Cell("line " + std::to_string(step.line) + ": " + step.text, "step") +
           Cell(step.channel + (step.caption.empty() ? "" : " " + step.caption)) + Cell(step.expected) + Cell(measured) +
           Cell(step.seconds < 0 ? "" : Seconds(step.seconds), "time") + Cell(OutcomeName(step.outcome), "result") +
           "</tr>" + kEol;
  }
  out += std::string("</tbody></table>") + kEol;

  out += std::string("<h2>Outputs at the end</h2>") + kEol;
  if (r.outputs.empty()) {
    out += std::string("<p class=\"note\">The plan left no output high.</p>") + kEol;
  } else {
    out += std::string("<table class=\"outputs\"><thead><tr><th>Output</th><th>Caption</th><th>At the end</th></tr>"
                       "</thead><tbody>") + kEol;
    for (const OutputRecord& o : r.outputs) {
      const std::string what = o.returnedLow ? "returned low" : "left high (--keep-outputs)";
      out += "<tr" + std::string(o.problem.empty() ? "" : " class=\"fault\"") + ">" + Cell(std::to_string(o.output), "num") +
             Cell(o.caption) + Cell(what + (o.problem.empty() ? "" : "; " + o.problem)) + "</tr>" + kEol;
    }
    out += std::string("</tbody></table>") + kEol;
  }

  out += std::string("<h2>Input changes</h2>") + kEol;
  if (r.events.empty()) {
    out += std::string("<p class=\"note\">No input was read.</p>") + kEol;
  } else {
    out += std::string("<table class=\"events\"><thead><tr><th>Time</th><th>Step</th><th>Input</th><th>Caption</th>"
                       "<th>From</th><th>To</th></tr></thead><tbody>") + kEol;
    for (const InputEvent& e : r.events) {
      out += "<tr>" + Cell(e.time, "time") + Cell(std::to_string(e.step), "num") + Cell(std::to_string(e.input), "num") +
             Cell(e.caption) + Cell(e.from < 0 ? "first reading" : InputLevel(e.from)) + Cell(InputLevel(e.to)) +
             "</tr>" + kEol;
    }
    out += std::string("</tbody></table>") + kEol;
    if (r.eventsLeftOut > 0) {
      out += "<p class=\"note\">" + std::to_string(r.eventsLeftOut) + " later changes are not listed.</p>" + kEol;
    }
  }
  return out + "</body>" + kEol + "</html>" + kEol;
}

std::string JunitXml(const CheckRecord& r) {
  const Summary s = Summarize(r);
  const std::string counts = " tests=\"" + std::to_string(r.steps.size()) + "\" failures=\"" + std::to_string(s.failed) +
                             "\" errors=\"" + std::to_string(s.faulted) + "\" skipped=\"" + std::to_string(s.notRun) +
                             "\" time=\"" + Seconds(r.seconds) + "\"";
  std::string file = r.planFile;
  const std::size_t slash = file.find_last_of("\\/");
  if (slash != std::string::npos) file = file.substr(slash + 1);
  std::string out = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + kEol + "<testsuites name=\"" +
                    Escaped(r.title) + "\"" + counts + ">" + kEol;
  out += "  <testsuite name=\"" + Escaped(r.title) + "\"" + counts + " timestamp=\"" + Escaped(r.started.substr(0, 19)) +
         "\" hostname=\"" + Escaped(r.computer) + "\">" + kEol;
  out += std::string("    <properties>") + kEol;
  const struct {
    const char* name;
    const std::string& value;
  } properties[] = {{"plan", r.planFile}, {"sha256", r.planSha256}, {"operator", r.operatorName},
                    {"started", r.started}, {"ended", r.ended},     {"run", r.endedBy}};
  for (const auto& p : properties) {
    out += std::string("      <property name=\"") + p.name + "\" value=\"" + Escaped(p.value) + "\"/>" + kEol;
  }
  out += std::string("    </properties>") + kEol;
  for (const StepRecord& step : r.steps) {
    out += "    <testcase name=\"" + Escaped(std::to_string(step.number) + ": " + step.text) + "\" classname=\"" +
           Escaped(file) + "\" time=\"" + Seconds(step.seconds) + "\"";
    if (step.outcome == Outcome::Pass) {
      out += std::string("/>") + kEol;
      continue;
    }
    const std::string detail = "line " + std::to_string(step.line) + ": " + step.text + "\nchannel: " + step.channel +
                               " " + step.caption + "\nexpected: " + step.expected + "\nmeasured: " + step.measured +
                               (step.note.empty() ? "" : "\n" + step.note);
    const std::string message =
        step.outcome == Outcome::NotRun ? (step.note.empty() ? "not run" : step.note)
                                        : "expected " + step.expected + ", measured " + step.measured +
                                              (step.note.empty() ? "" : " (" + step.note + ")");
    const char* element = step.outcome == Outcome::Fail ? "failure" : step.outcome == Outcome::Fault ? "error" : "skipped";
    out += std::string(">") + kEol + "      <" + element + " message=\"" + Escaped(message) + "\"";
    if (step.outcome == Outcome::NotRun) {
      out += std::string("/>") + kEol;
    } else {
      out += std::string(" type=\"") + OutcomeName(step.outcome) + "\">" + Escaped(detail) + "</" + element + ">" + kEol;
    }
    out += std::string("    </testcase>") + kEol;
  }
  std::string systemOut;
  for (const OutputRecord& o : r.outputs) {
    systemOut += "output " + std::to_string(o.output) + " " + o.caption +
                 (o.returnedLow ? ": returned low" : ": left high") + (o.problem.empty() ? "" : "; " + o.problem) + "\n";
  }
  out += "    <system-out>" + Escaped(systemOut) + "</system-out>" + kEol + "    <system-err></system-err>" + kEol;
  return out + "  </testsuite>" + kEol + "</testsuites>" + kEol;
}

std::string JsonResults(const CheckRecord& r) {
  using station::JsonString;
  const Summary s = Summarize(r);
  std::string out = std::string("{") + kEol;
  const auto field = [&](const char* name, const std::string& json, bool last = false) {
    out += std::string("  \"") + name + "\": " + json + (last ? "" : ",") + kEol;
  };
  field("title", JsonString(r.title));
  field("plan", JsonString(r.planFile));
  field("sha256", JsonString(r.planSha256));
  field("computer", JsonString(r.computer));
  field("operator", JsonString(r.operatorName));
  field("started", JsonString(r.started));
  field("ended", JsonString(r.ended));
  field("seconds", Seconds(r.seconds));
  field("run", JsonString(r.endedBy));
  field("passed", s.AllPassed() ? "true" : "false");
  field("summary", "{\"steps\": " + std::to_string(r.steps.size()) + ", \"passed\": " + std::to_string(s.passed) +
                       ", \"failed\": " + std::to_string(s.failed) + ", \"faulted\": " + std::to_string(s.faulted) +
                       ", \"notRun\": " + std::to_string(s.notRun) + "}");
  std::string steps = "[";
  for (std::size_t i = 0; i < r.steps.size(); ++i) {
    const StepRecord& t = r.steps[i];
    steps += std::string(i == 0 ? "" : ",") + kEol + "    {\"number\": " + std::to_string(t.number) +
             ", \"line\": " + std::to_string(t.line) + ", \"step\": " + JsonString(t.text) +
             ", \"channel\": " + JsonString(t.channel) + ", \"caption\": " + JsonString(t.caption) +
             ", \"expected\": " + JsonString(t.expected) + ", \"measured\": " + JsonString(t.measured) +
             ", \"seconds\": " + (t.seconds < 0 ? std::string("null") : Seconds(t.seconds)) +
             ", \"responseTime\": " + (t.timed && t.outcome == Outcome::Pass ? "true" : "false") +
             ", \"result\": " + JsonString(OutcomeKey(t.outcome)) + ", \"note\": " + JsonString(t.note) + "}";
  }
  field("steps", steps + (r.steps.empty() ? "]" : std::string(kEol) + "  ]"));
  std::string outputs = "[";
  for (std::size_t i = 0; i < r.outputs.size(); ++i) {
    const OutputRecord& o = r.outputs[i];
    outputs += std::string(i == 0 ? "" : ",") + kEol + "    {\"output\": " + std::to_string(o.output) +
               ", \"caption\": " + JsonString(o.caption) + ", \"end\": " +
               JsonString(o.returnedLow ? "returned low" : "left high") + ", \"problem\": " + JsonString(o.problem) + "}";
  }
  field("outputs", outputs + (r.outputs.empty() ? "]" : std::string(kEol) + "  ]"));
  std::string events = "[";
  for (std::size_t i = 0; i < r.events.size(); ++i) {
    const InputEvent& e = r.events[i];
    events += std::string(i == 0 ? "" : ",") + kEol + "    {\"time\": " + JsonString(e.time) +
              ", \"step\": " + std::to_string(e.step) + ", \"input\": " + std::to_string(e.input) +
              ", \"caption\": " + JsonString(e.caption) + ", \"from\": " + (e.from < 0 ? "null" : std::to_string(e.from)) +
              ", \"to\": " + std::to_string(e.to) + "}";
  }
  field("inputChanges", events + (r.events.empty() ? "]" : std::string(kEol) + "  ]"));
  field("inputChangesLeftOut", std::to_string(r.eventsLeftOut), true);
  return out + "}" + kEol;
}

}  // namespace probe
