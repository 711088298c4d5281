// The change triggers evaluated once a second: the interval, the random
// chance and the new date, each held back by the CPU and application
// conditions. The CPU meter is read last, so the triggers see the reading of
// the previous tick.
#pragma once

#include <cstdint>
#include <string>

#include "app/change_engine.h"
#include "app/random_source.h"
#include "app/settings_record.h"
#include "platform/clock_port.h"
#include "platform/cpu_meter_port.h"

namespace tapestrel::app {

// Whether a listed application runs, and a way to let window messages run
// between the (possibly slow) file checks.
class ApplicationProbe {
 public:
  virtual ~ApplicationProbe() = default;
  // True when the file cannot be opened exclusively (a running program's
  // executable, but also a missing file or a denied one).
  virtual bool IsApplicationInUse(const std::string& path) = 0;
  virtual void ProcessMessages() = 0;
};

class ChangeRequester {
 public:
  virtual ~ChangeRequester() = default;
  virtual void ChangeWallpaper(ChangeMode mode) = 0;
};

class Scheduler {
 public:
  Scheduler(const SettingsRecord& settings, const platform::ClockPort& clock, RandomSource& random,
            platform::CpuMeterPort& cpu, ApplicationProbe& applications, ChangeRequester& changer)
      : settings_(settings),
        clock_(clock),
        random_(random),
        cpu_(cpu),
        applications_(applications),
        changer_(changer) {}

  // One tick. A tick that starts while another runs (the application test
  // lets messages run) is skipped.
  void Tick();
  bool CheckChangeAllowed();
  uint8_t LastCpuReading() const { return lastCpuReading_; }

 private:
  bool IntervalElapsed() const;
  bool RandomChanceHits();
  bool DateChanged() const;

  const SettingsRecord& settings_;
  const platform::ClockPort& clock_;
  RandomSource& random_;
  platform::CpuMeterPort& cpu_;
  ApplicationProbe& applications_;
  ChangeRequester& changer_;
  uint8_t lastCpuReading_ = 0;
  bool inTick_ = false;
};

}  // namespace tapestrel::app
