// TCpuUsage: the processor load, from the native system information of
// "ntdll.dll" on NT-family systems, or from the kernel's counter in the
// dynamic performance registry on the others.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "platform/cpu_meter_port.h"
#include "platform/cpu_usage.h"

namespace tapestrel::platform {

class TCpuUsage : public CpuMeterPort {
 public:
  using QueryFunction = LONG(WINAPI*)(ULONG infoClass, void* buffer, ULONG size, ULONG* returned);

  // Loads "ntdll.dll"; without it (or its query) the registry method is used.
  TCpuUsage();
  // A meter over a given query function, or the registry method when null.
  explicit TCpuUsage(QueryFunction query);
  ~TCpuUsage() override;

  uint8_t GetUsage() override;
  virtual void ResetSample() { calculator_.ResetSample(); }
  bool UsesNtMethod() const { return query_ != nullptr; }
  unsigned ProcessorCount() const { return processors_; }
  // Releases what the meter holds; throws when "ntdll.dll" cannot be freed.
  void Destroy();

 protected:
  virtual uint8_t ReadNtUsage();
  virtual uint8_t ReadPerfStatsUsage();

 private:
  void InitialiseNt();

  HMODULE ntdll_ = nullptr;
  QueryFunction query_ = nullptr;
  unsigned processors_ = 1;
  CpuLoadCalculator calculator_{1};
  bool registryOpened_ = false;  // the kernel counter was started
};

}  // namespace tapestrel::platform
