#include "app/scheduler.h"

#include <cmath>

#include "app/change_engine.h"
#include "platform/cpu_usage.h"
#include "platform/error_guard.h"

namespace tapestrel::app {

void Scheduler::Tick() {
  if (inTick_) return;
  inTick_ = true;
  struct Leave {
    bool& flag;
    ~Leave() { flag = false; }
  } leave{inTick_};

  // A picture that fails to apply is dropped without keeping the later
  // triggers and the CPU reading of this tick from running.
  auto change = [this] { platform::Guarded([this] { changer_.ChangeWallpaper(ChangeMode::Ordinary); }); };
  if (settings_.IntervalEnabled && IntervalElapsed() && CheckChangeAllowed()) change();
  if (settings_.RandomIntervalEnabled && RandomChanceHits() && CheckChangeAllowed()) change();
  if (settings_.WallDateChange && DateChanged() && CheckChangeAllowed()) change();
  lastCpuReading_ = cpu_.GetUsage();
}

bool Scheduler::IntervalElapsed() const {
  double factor;
  switch (settings_.IntervalUnit) {
    case kSeconds:
      factor = 86400;
      break;
    case kMinutes:
      factor = 1440;
      break;
    case kHours:
      factor = 24;
      break;
    default:
      return false;
  }
  const double elapsed = std::fabs(clock_.Now() - settings_.LastChangeTime) * factor;
  // Far beyond any interval: no need to squeeze it into 64 bits.
  if (!(elapsed < 9.0e18)) return true;
  return static_cast<int64_t>(elapsed) >= settings_.IntervalValue;
}

bool Scheduler::RandomChanceHits() {
  int32_t factor = 1;
  if (settings_.RandomIntervalUnit == kMinutes) factor = 60;
  if (settings_.RandomIntervalUnit == kHours) factor = 3600;
  const int32_t n = static_cast<int32_t>(static_cast<uint32_t>(settings_.RandomIntervalValue) *
                                         static_cast<uint32_t>(factor));
  if (n == 1) return random_.Below(10) != 0;  // nine chances in ten
  // An empty or negative range draws 0: a change every tick.
  return n <= 1 || random_.Below(n) == 0;
}

bool Scheduler::DateChanged() const {
  return platform::DatePart(settings_.LastChangeTime) != platform::DatePart(clock_.Now());
}

bool Scheduler::CheckChangeAllowed() {
  if (platform::CpuBlocks(settings_.InvalidConditionCPUEnabled, lastCpuReading_,
                          settings_.InvalidConditionCPUValue)) {
    return false;
  }
  if (settings_.InvalidConditionApplicationEnabled) {
    // A copy: messages run between entries and may change the settings.
    const std::vector<std::string> list = settings_.ApplicationList;
    for (const std::string& path : list) {
      if (applications_.IsApplicationInUse(path)) return false;
      applications_.ProcessMessages();
    }
  }
  return true;
}

}  // namespace tapestrel::app
