// The on-disk thumbnail store read from any bytes: looking a picture up (with
// its stale record removed through the temporary copy) and removing records
// never reads outside the file, whatever its headers claim.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "browser/thumb_store.h"

namespace {

class Port : public tapestrel::browser::ThumbStorePort {
 public:
  std::optional<Stamp> FileStamp(const std::string&) override { return Stamp{45000.25, 7}; }
  tapestrel::platform::DateTime Now() override { return 45000.5; }
  std::string ProgramFolder() override { return "/tmp/"; }
  std::string ProgramFileName() override { return "fuzz.exe"; }
  std::string WindowsFolder() override { return "/tmp/"; }
  std::string TempFolder() override { return "/tmp/"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Port port;
  static const std::string name = "tapestrel-fuzz-store-" + std::to_string(getpid());
  tapestrel::browser::TThumb store;
  store.SetPort(&port);
  store.PathType = tapestrel::browser::TPathType::iptApp;
  store.FileName = name;
  const std::string path = store.StorePath("C:\\p\\a.jpg");
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
  try {
    store.Lookup("C:\\p\\a.jpg", 120, 90, tapestrel::imaging::TGetType::igtPreview);
    store.Remove({"C:\\p\\b.jpg"});
  } catch (const std::exception&) {
  }
  std::remove(path.c_str());
  std::remove(("/tmp/" + name + ".~tmp").c_str());
  return 0;
}
