// A long run of the resident program, in this process so that its objects
// can be counted: the main window shown over 2,000 pictures, the wallpaper
// changing every second, a file copied into the folder or deleted every few
// seconds and the settings saved every minute. At each minute it prints the
// private memory, the kernel handles, the threads and the GDI objects (the
// lowest of the minute's samples); after the first minutes every count must
// stay within 2% of where it was, rounded up to a whole object: 2% of 47
// handles is less than one, and a handle the system opens once, late, is no
// growth.
// Usage: bench_win_soak.exe [--minutes=N] (default 30; scripts/soak)
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/solid_picture.h"
#include "timing.h"
#include "win_support/main_window_fixture.h"
#include "win_support/message_pump.h"

using namespace tapestrel;

namespace {

// Kernel handles, found one by one: Wine answers GetProcessHandleCount with 0.
long KernelHandles() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) return static_cast<long>(count);
  long n = 0;
  for (uintptr_t h = 4; h < 0x10000; h += 4) {
    DWORD flags;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &flags)) ++n;
  }
  return n;
}

// GDI objects. Where GetGuiResources answers 0 (Wine), every slot of the
// process's GDI handle table is asked what object it holds: a handle of the
// slot's index alone names its object whatever its generation.
long GdiObjects() {
  const DWORD told = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (told) return static_cast<long>(told);
  long n = 0;
  for (uintptr_t slot = 1; slot < 0x10000; ++slot) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++n;
  }
  return n;
}

long Threads() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  long n = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  }
  CloseHandle(snapshot);
  return n;
}

// Committed private memory, region by region: Wine leaves PrivateUsage 0.
long PrivateKilobytes() {
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  if (memory.PrivateUsage) return static_cast<long>(memory.PrivateUsage / 1024);
  size_t bytes = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;
       at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) bytes += region.RegionSize;
    if (region.RegionSize == 0) break;
  }
  return static_cast<long>(bytes / 1024);
}

struct Counts {
  long memory, handles, threads, gdi;
};

int Run(int minutes) {
  const int settled = minutes <= 3 ? 1 : 3;  // minutes after which the counts must stay
  testing::TempFolder pictures;
  std::printf("Making 2,000 pictures...\n");
  for (int i = 0; i < 2000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "\\soak%04d.bmp", i);
    testing::WriteSolidBmp(pictures.Path() + name, 64 + i % 7, 48 + i % 5,
                           static_cast<imaging::ColorValue>(i * 0x010307 & 0xFFFFFF));
  }
  const std::string ini = "[Whole]\r\nWallPaperFolder=" + pictures.Path() +
                          "\r\nTaskTrayResiding=1\r\n";
  testing::MainWindowFixture program(ini);
  program.Form().WindowShowExecute();
  testing::Pump(500);

  const std::string spare = pictures.Path() + "\\soak-spare.bmp";
  int changes = 0, fileSteps = 0, saves = 0;
  platform::DateTime lastChange = program.Form().Settings().LastChangeTime;
  // Each minute's figure is the floor of six samples, one every 10 seconds:
  // what the program holds for good. Work in flight at a sample (a thumbnail
  // being made, a change being written, a folder being read again) comes and
  // goes; a leak raises the floor.
  std::vector<Counts> counts;
  Counts floor{};
  std::printf("%6s %12s %8s %8s %8s %8s %6s %6s\n", "minute", "private KB", "handles", "threads", "GDI",
              "changes", "files", "saves");
  const DWORD start = GetTickCount();
  for (int second = 1; second <= minutes * 60; ++second) {
    testing::PumpUntil([&] { return GetTickCount() - start >= static_cast<DWORD>(second) * 1000; }, 2000);
    program.Form().OnChangeWallpaperCommand();  // as the tray icon's double click does
    if (program.Form().Settings().LastChangeTime != lastChange) {
      lastChange = program.Form().Settings().LastChangeTime;
      ++changes;
    }
    if (second % 3 == 0) {  // a file copied in, then deleted
      if (second % 6 == 0)
        DeleteFileA(spare.c_str());
      else
        CopyFileA((pictures.Path() + "\\soak0000.bmp").c_str(), spare.c_str(), FALSE);
      ++fileSteps;
    }
    if (second % 10 != 0) continue;
    if (second % 60 == 0) {
      program.Form().SaveSettings(true);
      ++saves;
    }
    testing::Pump(200);
    const Counts now{PrivateKilobytes(), KernelHandles(), Threads(), GdiObjects()};
    floor = second % 60 == 10 ? now
                              : Counts{std::min(floor.memory, now.memory), std::min(floor.handles, now.handles),
                                       std::min(floor.threads, now.threads), std::min(floor.gdi, now.gdi)};
    if (second % 60 != 0) continue;
    counts.push_back(floor);
    const Counts& c = counts.back();
    std::printf("%6d %12ld %8ld %8ld %8ld %8d %6d %6d\n", second / 60, c.memory, c.handles, c.threads, c.gdi,
                changes, fileSteps, saves);
    std::fflush(stdout);
  }
  bool flat = changes >= minutes * 50;  // the wallpaper did change, most seconds
  if (!flat) std::printf("FAILED: the wallpaper changed only %d times\n", changes);
  const Counts& base = counts[static_cast<size_t>(settled - 1)];
  const auto within = [](long value, long reference, const char* what, int minute) {
    const long allowed = std::max(1L, (reference + 49) / 50);
    const bool ok = std::labs(value - reference) <= allowed;
    if (!ok) std::printf("FAILED: %s at minute %d: %ld, %ld at the settled minute\n", what, minute, value, reference);
    return ok;
  };
  for (size_t m = static_cast<size_t>(settled); m < counts.size(); ++m) {
    const int minute = static_cast<int>(m) + 1;
    flat = within(counts[m].memory, base.memory, "private memory", minute) && flat;
    flat = within(counts[m].handles, base.handles, "handles", minute) && flat;
    flat = within(counts[m].threads, base.threads, "threads", minute) && flat;
    flat = within(counts[m].gdi, base.gdi, "GDI objects", minute) && flat;
  }
  std::printf("%s: every count within 2%% of minute %d's\n", flat ? "flat" : "NOT FLAT", settled);
  return flat ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  OleInitialize(nullptr);
  int result = 1;
  try {
    result = Run(bench::CountArgument(argc, argv, "--minutes=", 30));
  } catch (const std::exception& e) {
    std::printf("FAILED: %s\n", e.what());
  }
  OleUninitialize();
  return result;
}
