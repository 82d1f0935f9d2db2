// Runs a check plan on the station model: each step with the panel's calls, expectations read
// through the model (a within polls its one channel every few milliseconds), one line per step as
// it finishes, and the safe end whatever ends the run. Hears every input sample the model reads,
// for the protocol's log of input changes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "probe/Output.h"
#include "probe/Plan.h"
#include "probe/Protocol.h"
#include "station/Station.h"

namespace probe {

struct CheckOptions {
  bool stopOnFail = false;
  bool keepOutputs = false;
  bool yes = false;
};

class CheckRunner : public station::ReadingSink {
 public:
  // `stop` (a manual-reset event) ends the step in hand at once and the run after it.
  CheckRunner(station::Station& station, const StationNames& names, HANDLE stop, Output& out, const CheckOptions& options);
  ~CheckRunner();
  CheckRunner(const CheckRunner&) = delete;
  CheckRunner& operator=(const CheckRunner&) = delete;

  // Runs the plan's steps into record.steps (those not reached as not run), then the safe end into
  // record.outputs, and the input changes seen into record.events; sets record.endedBy.
  void Run(const Plan& plan, CheckRecord& record);

  void OnSample(const station::Sample& sample) override;

 private:
  struct Reading;
  struct Change {
    std::int64_t wallUs;
    int step, input, from, to;
  };

  void RunStep(const Step& step, StepRecord& record);
  void Expect(const Step& step, StepRecord& record);
  void Ask(const Step& step, StepRecord& record);
  void Wait(const Step& step, StepRecord& record);
  Reading ReadChannel(const Step& step);
  bool Stopped(DWORD waitMs) const;
  void SafeEnd(CheckRecord& record);
  void Print(const std::string& line);

  station::Station& m_station;
  const StationNames& m_names;
  HANDLE m_stop;
  Output& m_out;
  CheckOptions m_options;
  bool m_console = false;       // standard output is a console: waits show their progress
  std::int64_t m_lastActUs = 0;  // when the step before ended its work: a within counts from there
  int m_step = 0;
  int m_lastInput[station::kInputChannels];
  std::vector<Change> m_changes;
  std::size_t m_changesLeftOut = 0;
};

}  // namespace probe
