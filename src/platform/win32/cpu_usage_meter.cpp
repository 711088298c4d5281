#include "platform/win32/cpu_usage_meter.h"

#include <cstddef>
#include <cstring>
#include <stdexcept>

#include "platform/win32/handles.h"

namespace tapestrel::platform {
namespace {

constexpr ULONG kBasicInformation = 0;
constexpr ULONG kPerformanceInformation = 2;
constexpr ULONG kTimeOfDayInformation = 3;
constexpr size_t kPerformanceBufferSize = 312;

// The basic information record as the system lays it out for the calling
// process: three of its fields are pointer-sized, so it is 44 bytes with the
// processor count at offset 40 in a 32-bit process, and 64 bytes with the
// count at 56 in a 64-bit one. The system refuses any other length.
struct BasicInformation {
  ULONG reserved;
  ULONG timerResolution;
  ULONG pageSize;
  ULONG physicalPages;
  ULONG lowestPhysicalPage;
  ULONG highestPhysicalPage;
  ULONG allocationGranularity;
  ULONG_PTR minimumUserAddress;
  ULONG_PTR maximumUserAddress;
  ULONG_PTR activeProcessorsMask;
  CCHAR numberOfProcessors;
};
static_assert(sizeof(BasicInformation) == (sizeof(void*) == 8 ? 64 : 44));
static_assert(offsetof(BasicInformation, numberOfProcessors) == (sizeof(void*) == 8 ? 56 : 40));

// Reads a 4-byte binary value of the dynamic performance registry.
bool ReadPerfStat(const char* key, uint32_t& value) {
  UniqueRegKey hkey;
  if (RegOpenKeyExA(HKEY_DYN_DATA, key, 0, KEY_READ, hkey.Put()) != ERROR_SUCCESS) return false;
  DWORD size = sizeof value, type = 0;
  return RegQueryValueExA(hkey.Get(), "KERNEL\\CPUUsage", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                          &size) == ERROR_SUCCESS &&
         size == sizeof value;
}

// Some systems want a larger performance record than the 312 bytes of the
// published layout; the idle time stays the first field.
LONG QueryPerformance(TCpuUsage::QueryFunction query, uint64_t& idle) {
  alignas(8) unsigned char buffer[4096];
  ULONG returned = 0;
  LONG status = query(kPerformanceInformation, buffer, kPerformanceBufferSize, &returned);
  if (status != 0) status = query(kPerformanceInformation, buffer, sizeof buffer, &returned);
  if (status == 0) std::memcpy(&idle, buffer, sizeof idle);
  return status;
}

}  // namespace

TCpuUsage::TCpuUsage() {
  ntdll_ = LoadLibraryA("ntdll.dll");
  if (!ntdll_) return;
  ResetSample();
  query_ = reinterpret_cast<QueryFunction>(
      reinterpret_cast<void*>(GetProcAddress(ntdll_, "NtQuerySystemInformation")));
  InitialiseNt();
}

TCpuUsage::TCpuUsage(QueryFunction query) : query_(query) { InitialiseNt(); }

void TCpuUsage::InitialiseNt() {
  if (!query_) return;
  BasicInformation basic{};
  ULONG returned = 0;
  if (query_(kBasicInformation, &basic, sizeof basic, &returned) == 0) {
    const auto count = static_cast<unsigned char>(basic.numberOfProcessors);
    processors_ = count ? count : 1;
    calculator_ = CpuLoadCalculator(processors_);
  } else {
    query_ = nullptr;  // the registry method takes over; the module stays loaded
  }
}

TCpuUsage::~TCpuUsage() {
  try {
    Destroy();
  } catch (...) {
    // Nothing more can be done while the meter goes away.
  }
}

void TCpuUsage::Destroy() {
  if (registryOpened_) {
    uint32_t value;
    ReadPerfStat("PerfStats\\StopStat", value);  // stops the kernel's counter
    registryOpened_ = false;
  }
  if (ntdll_) {
    HMODULE module = ntdll_;
    ntdll_ = nullptr;
    query_ = nullptr;
    if (!FreeLibrary(module)) throw std::runtime_error("ntdllライブラリの解放に失敗しました");
  }
}

uint8_t TCpuUsage::GetUsage() { return query_ ? ReadNtUsage() : ReadPerfStatsUsage(); }

uint8_t TCpuUsage::ReadNtUsage() {
  alignas(8) unsigned char timeOfDay[32] = {};
  ULONG returned = 0;
  if (query_(kTimeOfDayInformation, timeOfDay, sizeof timeOfDay, &returned) != 0) return 0;
  uint64_t idle = 0;
  if (QueryPerformance(query_, idle) != 0) return 0;
  uint64_t systemTime;
  std::memcpy(&systemTime, timeOfDay + 8, sizeof systemTime);
  return calculator_.Sample(idle, systemTime);
}

uint8_t TCpuUsage::ReadPerfStatsUsage() {
  uint32_t value = 0;
  if (!registryOpened_) {
    registryOpened_ = true;
    if (!ReadPerfStat("PerfStats\\StartStat", value)) return 0;
  }
  if (!ReadPerfStat("PerfStats\\StatData", value)) return 0;
  return static_cast<uint8_t>(value & 0xFF);
}

}  // namespace tapestrel::platform
