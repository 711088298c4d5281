// The CPU meter and the application test against the real system.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "app/win32/application_probe.h"
#include "platform/win32/cpu_usage_meter.h"
#include "win_support/system_load.h"
#include "win_support/tapestrel_process.h"

namespace tapestrel::testing {
namespace {

// The load since the previous call by the system's own counters.
TEST(CpuUsage, RealReadingFollowsTheSystemAndRisesWhileBusy) {
  platform::TCpuUsage meter;
  ASSERT_TRUE(meter.UsesNtMethod());
  EXPECT_GE(meter.ProcessorCount(), 1u);
  EXPECT_EQ(meter.GetUsage(), 0);  // the first reading
  SystemTimesLoad system;
  Sleep(1000);
  const int idle = meter.GetUsage();
  const int idleBySystem = system.Sample();
  // Other programs may keep this machine busy: compare with the system's
  // own measure of the same second rather than expect quiet.
  EXPECT_NEAR(idle, idleBySystem, 20);

  std::atomic<bool> stop{false};
  std::vector<std::thread> busy;
  for (unsigned i = 0; i < meter.ProcessorCount(); ++i) {
    busy.emplace_back([&] {
      volatile unsigned long long x = 0;
      while (!stop) x = x + 1;
    });
  }
  Sleep(300);
  meter.GetUsage();
  Sleep(1000);
  const int loaded = meter.GetUsage();
  stop = true;
  for (auto& t : busy) t.join();
  RecordProperty("idle_reading", idle);
  RecordProperty("busy_reading", loaded);
  EXPECT_GE(loaded, 80) << "idle " << idle;
  EXPECT_LE(loaded, 100);
}

// A scripted native query: the meter's arithmetic on the records it reads.
// Like the system, it answers the basic record only at the caller's own
// length: 44 bytes with the processor count at 40 for a 32-bit program, 64
// with the count at 56 for a 64-bit one.
struct Script {
  static constexpr ULONG kBasicSize = sizeof(void*) == 8 ? 64 : 44;
  static constexpr ULONG kProcessorsAt = sizeof(void*) == 8 ? 56 : 40;
  static inline ULONG processors = 2;
  static inline uint64_t idle = 0, time = 0;
  static inline LONG status = 0;
  static inline bool refuseSmallRecord = false;  // as systems that want more than 312 bytes do
  static LONG WINAPI Query(ULONG infoClass, void* buffer, ULONG size, ULONG*) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    if (status != 0) return status;
    if (infoClass == 2 && refuseSmallRecord && size < 4096)
      return static_cast<LONG>(0xC0000004);  // length mismatch
    if (infoClass == 0 && size != kBasicSize) return static_cast<LONG>(0xC0000004);
    if (infoClass == 0) bytes[kProcessorsAt] = static_cast<unsigned char>(processors);
    if (infoClass == 2 && size >= 312) std::memcpy(bytes, &idle, 8);
    if (infoClass == 3 && size == 32) std::memcpy(bytes + 8, &time, 8);
    return 0;
  }
};

TEST(CpuUsage, ReadsTheNativeRecordsAndFallsBackOnFailure) {
  Script::idle = 1000;
  Script::time = 1000;
  platform::TCpuUsage meter(&Script::Query);
  EXPECT_EQ(meter.ProcessorCount(), 2u);
  EXPECT_EQ(meter.GetUsage(), 0);
  Script::idle += 10000000;  // one processor idle for the whole second
  Script::time += 10000000;
  EXPECT_EQ(meter.GetUsage(), 50);
  Script::status = 1;
  EXPECT_EQ(meter.GetUsage(), 0);  // a failed query answers 0
  Script::status = 0;

  // A system that refuses the 312-byte record is asked again with 4,096.
  Script::refuseSmallRecord = true;
  meter.GetUsage();
  Script::idle += 5000000;  // one processor idle for half the second
  Script::time += 10000000;
  EXPECT_EQ(meter.GetUsage(), 75);
  Script::refuseSmallRecord = false;

  // No native query at all: the registry method, which NT-family systems
  // do not have, answers 0.
  platform::TCpuUsage registryMeter(nullptr);
  EXPECT_FALSE(registryMeter.UsesNtMethod());
  EXPECT_EQ(registryMeter.GetUsage(), 0);
  EXPECT_EQ(registryMeter.GetUsage(), 0);
}

TEST(IsApplicationInUse, RunningProgramsAndMissingFilesCountAsInUse) {
  app::WindowsApplicationProbe probe;
  TempFolder folder;
  TapestrelProcess program(folder);
  WriteFile(program.Ini(), "[Whole]\r\nWallPaperFolder=" + folder.Path() + "\r\nTaskTrayResiding=0\r\n");
  EXPECT_FALSE(probe.IsApplicationInUse(program.Exe()));  // not running yet: an ordinary file
  ASSERT_TRUE(program.Start());
  ASSERT_NE(program.MainWindow(), nullptr);
  EXPECT_TRUE(probe.IsApplicationInUse(program.Exe()));
  program.Kill();
  EXPECT_TRUE(WaitFor([&] { return !probe.IsApplicationInUse(program.Exe()); }, 5000));

  EXPECT_TRUE(probe.IsApplicationInUse(folder / "missing.exe"));
  EXPECT_TRUE(probe.IsApplicationInUse(""));
  const HANDLE open =
      CreateFileA(program.Ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_TRUE(probe.IsApplicationInUse(program.Ini()));  // someone holds it open
  CloseHandle(open);
  EXPECT_FALSE(probe.IsApplicationInUse(program.Ini()));
}

}  // namespace
}  // namespace tapestrel::testing
