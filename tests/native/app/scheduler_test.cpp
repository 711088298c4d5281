#include "app/scheduler.h"

#include <gtest/gtest.h>

#include <map>

#include "app/change_engine.h"
#include "fakes/fake_ports.h"
#include "platform/cpu_usage.h"

namespace tapestrel::app {
namespace {

constexpr double kSecond = 1.0 / 86400;

class FakeCpu : public platform::CpuMeterPort {
 public:
  uint8_t reading = 0;
  int reads = 0;
  uint8_t GetUsage() override {
    ++reads;
    return reading;
  }
};

class FakeApplications : public ApplicationProbe {
 public:
  std::map<std::string, bool> inUse;
  std::vector<std::string> checked;
  int pumps = 0;
  bool IsApplicationInUse(const std::string& path) override {
    checked.push_back(path);
    auto it = inUse.find(path);
    return it == inUse.end() || it->second;  // unknown files count as in use
  }
  void ProcessMessages() override { ++pumps; }
};

class CountingChanger : public ChangeRequester {
 public:
  int changes = 0;
  SettingsRecord* settings = nullptr;
  const testing::FakeClock* clock = nullptr;
  void ChangeWallpaper(ChangeMode mode) override {
    EXPECT_EQ(mode, ChangeMode::Ordinary);
    ++changes;
    if (settings) settings->LastChangeTime = clock->now;  // as a carried-out change does
  }
};

class SchedulerTest : public ::testing::Test {
 protected:
  SettingsRecord settings;
  testing::FakeClock clock;
  SeededRandom random{2024};
  FakeCpu cpu;
  FakeApplications apps;
  CountingChanger changer;
  Scheduler scheduler{settings, clock, random, cpu, apps, changer};

  void SetUp() override {
    clock.now = 46000.5;
    settings.LastChangeTime = clock.now;
    changer.settings = &settings;
    changer.clock = &clock;
  }
};

TEST_F(SchedulerTest, IntervalCountsWholeUnitsEitherWay) {
  settings.IntervalEnabled = true;
  settings.IntervalValue = 1;
  settings.IntervalUnit = kMinutes;
  clock.now = settings.LastChangeTime + 59.9 * kSecond;
  scheduler.Tick();
  EXPECT_EQ(changer.changes, 0);
  clock.now = settings.LastChangeTime + 60.01 * kSecond;
  scheduler.Tick();
  EXPECT_EQ(changer.changes, 1);
  // A last change in the future counts by its distance.
  settings.LastChangeTime = clock.now + 61 * kSecond;
  scheduler.Tick();
  EXPECT_EQ(changer.changes, 2);
  settings.IntervalUnit = 7;  // no such unit: nothing
  settings.LastChangeTime = 0;
  scheduler.Tick();
  EXPECT_EQ(changer.changes, 2);
}

TEST_F(SchedulerTest, IntervalAndRandomCanBothFireInOneTick) {
  settings.IntervalEnabled = true;
  settings.IntervalValue = 5;
  settings.IntervalUnit = kSeconds;
  settings.RandomIntervalEnabled = true;
  settings.RandomIntervalValue = 0;  // an empty range: every tick
  settings.LastChangeTime = clock.now - 10 * kSecond;
  changer.settings = nullptr;
  scheduler.Tick();
  EXPECT_EQ(changer.changes, 2);
}

TEST_F(SchedulerTest, RandomChanceIsNineInTenOrOneInN) {
  settings.RandomIntervalEnabled = true;
  settings.RandomIntervalValue = 1;
  settings.RandomIntervalUnit = kSeconds;
  for (int i = 0; i < 10000; ++i) scheduler.Tick();
  EXPECT_NEAR(changer.changes, 9000, 150);
  changer.changes = 0;
  settings.RandomIntervalUnit = kMinutes;  // one in 60 per tick
  for (int i = 0; i < 60000; ++i) scheduler.Tick();
  EXPECT_NEAR(changer.changes, 1000, 120);
  changer.changes = 0;
  settings.RandomIntervalUnit = 9;  // unknown units count as seconds
  settings.RandomIntervalValue = 2;
  for (int i = 0; i < 10000; ++i) scheduler.Tick();
  EXPECT_NEAR(changer.changes, 5000, 200);
}

TEST_F(SchedulerTest, DateChangeFiresOncePerNewDate) {
  settings.WallDateChange = true;
  settings.LastChangeTime = 46000 + (23 * 3600 + 59 * 60) * kSecond;  // yesterday 23:59
  clock.now = 46001 + 1 * kSecond;                                    // today 00:00:01
  scheduler.Tick();
  scheduler.Tick();
  clock.now += 3600 * kSecond;
  scheduler.Tick();
  EXPECT_EQ(changer.changes, 1);
}

TEST_F(SchedulerTest, CpuConditionUsesThePreviousTicksReading) {
  settings.RandomIntervalEnabled = true;
  settings.RandomIntervalValue = 0;
  settings.InvalidConditionCPUEnabled = true;
  settings.InvalidConditionCPUValue = 50;
  cpu.reading = 50;
  scheduler.Tick();  // sees the initial 0
  EXPECT_EQ(changer.changes, 1);
  scheduler.Tick();  // sees 50: blocked
  EXPECT_EQ(changer.changes, 1);
  cpu.reading = 49;
  scheduler.Tick();  // still sees 50
  scheduler.Tick();  // sees 49
  EXPECT_EQ(changer.changes, 2);
  EXPECT_EQ(cpu.reads, 4);  // read on every tick

  settings.InvalidConditionCPUValue = 0;  // blocks everything, even a reading of 0
  cpu.reading = 0;
  scheduler.Tick();
  scheduler.Tick();
  EXPECT_EQ(changer.changes, 2);
  settings.InvalidConditionCPUEnabled = false;
  scheduler.Tick();
  EXPECT_EQ(changer.changes, 3);
}

TEST_F(SchedulerTest, ApplicationListStopsAtTheFirstRunningProgram) {
  settings.InvalidConditionApplicationEnabled = true;
  settings.ApplicationList = {"C:\\a.exe", "C:\\b.exe", "C:\\c.exe"};
  apps.inUse = {{"C:\\a.exe", false}, {"C:\\b.exe", true}, {"C:\\c.exe", false}};
  EXPECT_FALSE(scheduler.CheckChangeAllowed());
  EXPECT_EQ(apps.checked, (std::vector<std::string>{"C:\\a.exe", "C:\\b.exe"}));
  EXPECT_EQ(apps.pumps, 1);
  apps.inUse["C:\\b.exe"] = false;
  EXPECT_TRUE(scheduler.CheckChangeAllowed());
  settings.ApplicationList.push_back("C:\\missing.exe");
  EXPECT_FALSE(scheduler.CheckChangeAllowed());
  settings.InvalidConditionApplicationEnabled = false;
  EXPECT_TRUE(scheduler.CheckChangeAllowed());
}

class FailingChanger : public ChangeRequester {
 public:
  int attempts = 0;
  void ChangeWallpaper(ChangeMode) override {
    ++attempts;
    throw std::runtime_error("picture cannot be decoded");
  }
};

TEST(SchedulerFailures, AFailedChangeKeepsTheRestOfTheTick) {
  SettingsRecord settings;
  settings.IntervalEnabled = true;
  settings.IntervalUnit = kSeconds;
  settings.RandomIntervalEnabled = true;
  settings.RandomIntervalValue = 0;
  settings.WallDateChange = true;
  testing::FakeClock clock;
  settings.LastChangeTime = clock.now - 3;
  SeededRandom random(1);
  FakeCpu cpu;
  FakeApplications apps;
  FailingChanger changer;
  Scheduler scheduler(settings, clock, random, cpu, apps, changer);
  EXPECT_NO_THROW(scheduler.Tick());
  EXPECT_EQ(changer.attempts, 3);
  EXPECT_EQ(cpu.reads, 1);
}

// A tick that lets messages run can meet the next tick; that one is skipped.
class ReentrantApplications : public FakeApplications {
 public:
  Scheduler* scheduler = nullptr;
  void ProcessMessages() override {
    FakeApplications::ProcessMessages();
    scheduler->Tick();
  }
};

TEST(SchedulerReentry, NestedTickIsSkipped) {
  SettingsRecord settings;
  settings.RandomIntervalEnabled = true;
  settings.RandomIntervalValue = 0;
  settings.InvalidConditionApplicationEnabled = true;
  settings.ApplicationList = {"a", "b"};
  testing::FakeClock clock;
  SeededRandom random(1);
  FakeCpu cpu;
  ReentrantApplications apps;
  apps.inUse = {{"a", false}, {"b", false}};
  CountingChanger changer;
  Scheduler scheduler(settings, clock, random, cpu, apps, changer);
  apps.scheduler = &scheduler;
  scheduler.Tick();
  EXPECT_EQ(changer.changes, 1);
  EXPECT_EQ(cpu.reads, 1);
}

TEST(CpuLoad, SamplesGiveTheMeanLoadOfAllProcessors) {
  platform::CpuLoadCalculator one(1);
  EXPECT_EQ(one.Sample(1000, 5000), 0);  // first reading
  EXPECT_EQ(one.Sample(2000, 6000), 0);  // idle the whole time
  EXPECT_EQ(one.Sample(2000, 7000), 100);
  EXPECT_EQ(one.Sample(2250, 8000), 75);
  EXPECT_EQ(one.Sample(3260, 9000), 255);  // idle counted ahead: -1
  EXPECT_EQ(one.Sample(3300, 9000), 255);  // same time step: the last reading, no division
  EXPECT_EQ(one.Sample(3400, 10000), 86);  // measured from the kept sample: 140 idle of 1000
  one.ResetSample();
  EXPECT_EQ(one.Sample(5000, 20000), 0);

  platform::CpuLoadCalculator two(2);
  two.Sample(1000, 1000);
  EXPECT_EQ(two.Sample(2000, 2000), 50);  // one processor idle the whole second
  EXPECT_EQ(two.Sample(1000, 3000), 0);   // idle counter went backwards: defined, not a crash

  platform::CpuLoadCalculator none(0);  // a zero count is taken as one
  none.Sample(1, 1);
  EXPECT_EQ(none.Sample(1, 101), 100);
}

}  // namespace
}  // namespace tapestrel::app
