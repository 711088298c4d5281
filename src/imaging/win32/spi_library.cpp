#include "imaging/win32/spi_library.h"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstring>

#include "imaging/win32/spi_call.h"
#include "imaging/win32/spi_entry_lock.h"
#include "platform/error_guard.h"
#include "platform/paths.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/file_system.h"
#include "platform/win32/handles.h"
#include "platform/win32/text.h"

namespace tapestrel::imaging {
namespace {

// Every argument is passed pointer-wide. An int is sign-extended, so that an
// offset, which the 64-bit interface takes as a LONG_PTR, keeps its value.
uintptr_t Arg(const void* p) { return reinterpret_cast<uintptr_t>(p); }
uintptr_t Arg(int32_t v) { return static_cast<uintptr_t>(static_cast<intptr_t>(v)); }

// A local-memory handle from a plug-in: usable only if the heap knows it.
bool IsLocalHandle(HLOCAL h) { return h && LocalFlags(h) != LMEM_INVALID_HANDLE; }

void FreeLocal(HLOCAL h) {
  if (IsLocalHandle(h)) LocalFree(h);
}

// The plug-in's progress callback. The data argument that comes back is not
// trusted; the callback in force is this thread's.
thread_local const SpiProgressCallback* t_progress = nullptr;

int __stdcall ProgressCallback(int numerator, int denominator, LONG_PTR /*data*/) {
  return platform::Guarded(
      0, [&] { return t_progress && *t_progress ? (*t_progress)(numerator, denominator) : 0; });
}

// The two blocks of a picture, locked while this lives, then freed.
class LocalBlocks : public SpiPictureBlocks {
 public:
  // The same handle twice is one block, locked and freed once.
  LocalBlocks(HLOCAL info, HLOCAL pixels) : info_{info}, pixels_{pixels} {}
  ~LocalBlocks() override {
    info_.Unlock();
    pixels_.Unlock();
    FreeLocal(info_.handle);
    if (pixels_.handle != info_.handle) FreeLocal(pixels_.handle);
  }
  // False unless both handles are live local memory that can be locked.
  bool Lock() {
    return info_.Lock() && (pixels_.handle == info_.handle ? pixels_.Share(info_) : pixels_.Lock());
  }

  std::span<const uint8_t> Info() const override { return {info_.data, info_.size}; }
  std::span<const uint8_t> Pixels() const override { return {pixels_.data, pixels_.size}; }

 private:
  struct Block {
    HLOCAL handle;
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool locked = false;

    bool Lock() {
      if (!IsLocalHandle(handle)) return false;
      size = LocalSize(handle);  // the real length, whatever the plug-in's header says
      data = static_cast<const uint8_t*>(LocalLock(handle));
      locked = data != nullptr;
      if (!locked) size = 0;
      return locked;
    }
    bool Share(const Block& other) {
      data = other.data;
      size = other.size;
      return true;
    }
    void Unlock() {
      if (locked) LocalUnlock(handle);
      locked = false;
    }
  };
  Block info_;
  Block pixels_;
};

class WindowsSpiLibrary : public SpiLibrary {
 public:
  WindowsSpiLibrary(platform::UniqueModule module, std::string fileName)
      : module_(std::move(module)),
        entryLock_(SpiEntryLock::ForModule(module_.Get())),
        fileName_(std::move(fileName)) {
    for (int i = 0; i < kSpiEntryCount; ++i) {
      entries_[static_cast<size_t>(i)] = reinterpret_cast<const void*>(
          GetProcAddress(module_.Get(), SpiEntryName(static_cast<SpiEntry>(i))));
    }
  }

  ~WindowsSpiLibrary() override {
    // A plug-in that faulted is not trusted to detach either: its library
    // stays mapped until the process ends.
    if (faulted_) module_.Release();
  }

  const std::string& ModuleFileName() const override { return fileName_; }
  bool HasEntry(SpiEntry entry) const override { return entries_[static_cast<size_t>(entry)] != nullptr; }

  std::string GetPluginInfo(int index) override {
    // Room beyond the 255 characters announced, for plug-ins that write more.
    std::array<char, 1024> buffer{};
    int32_t length = 0;
    if (!Call(SpiEntry::GetPluginInfo, {Arg(index), Arg(buffer.data()), 255}, length) || length <= 0)
      return {};
    const size_t limit = std::min<size_t>(static_cast<size_t>(length), 255);
    return std::string(buffer.data(), strnlen(buffer.data(), limit));
  }

  int IsSupported(const std::string& fileName, const uint8_t* header) override {
    int32_t result = 0;
    return Call(SpiEntry::IsSupported, {Arg(fileName.c_str()), Arg(header)}, result) ? result : 0;
  }

  int GetPictureInfo(const std::string& fileName, int32_t offset) override {
    // The packed record is 26 bytes; the room around it forgives a plug-in
    // that writes an aligned one.
    std::array<uint8_t, 64> record{};
    int32_t result = -1;
    if (!Call(SpiEntry::GetPictureInfo, {Arg(fileName.c_str()), Arg(offset), 0, Arg(record.data())},
              result)) {
      return -1;
    }
    HLOCAL text;
    std::memcpy(&text, record.data() + 22, sizeof text);
    FreeLocal(text);
    return result;
  }

  SpiPictureResult GetPicture(const std::string& fileName, int32_t offset, bool preview,
                              const SpiProgressCallback* progress) override {
    SpiPictureResult result;
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const SpiProgressCallback* outer = t_progress;
    t_progress = progress;
    const bool returned =
        Call(preview ? SpiEntry::GetPreview : SpiEntry::GetPicture,
             {Arg(fileName.c_str()), Arg(offset), 0, Arg(&info), Arg(&pixels),
              progress ? Arg(reinterpret_cast<const void*>(&ProgressCallback)) : uintptr_t{0}, Arg(this)},
             result.code);
    t_progress = outer;
    // After a fault the handles are not trusted, not even to be freed.
    if (!returned) return result;
    if (result.code == 0 && info && pixels) {
      auto blocks = std::make_unique<LocalBlocks>(info, pixels);
      if (blocks->Lock()) result.blocks = std::move(blocks);  // otherwise freed right here
      return result;
    }
    FreeLocal(info);
    if (pixels != info) FreeLocal(pixels);
    return result;
  }

 private:
  // False when the entry point is missing, the plug-in faulted before, or it
  // faults now (and is then never entered again).
  bool Call(SpiEntry entry, std::initializer_list<uintptr_t> args, int32_t& result) {
    const void* address = entries_[static_cast<size_t>(entry)];
    if (!address || faulted_) return false;
    const SpiEntryLock::Hold hold(*entryLock_);
    if (CallSpiEntry(address, args, result) == SpiCallOutcome::Faulted) {
      faulted_ = true;
      return false;
    }
    return true;
  }

  platform::UniqueModule module_;
  std::shared_ptr<SpiEntryLock> entryLock_;
  std::string fileName_;
  std::array<const void*, kSpiEntryCount> entries_{};
  std::atomic<bool> faulted_{false};
};

}  // namespace

WindowsSpiHost::WindowsSpiHost() : WindowsSpiHost(platform::ExecutableFolder()) {}

WindowsSpiHost::WindowsSpiHost(std::string executableFolder)
    : executableFolder_(platform::IncludeTrailingBackslash(executableFolder)) {}

std::unique_ptr<SpiLibrary> WindowsSpiHost::OpenLibrary(const std::string& path) {
  // A file that is no library must fail quietly, without a system message box.
  DWORD previousMode = 0;
  const bool modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  platform::UniqueModule module(LoadLibraryA(path.c_str()));
  if (modeSet) SetThreadErrorMode(previousMode, nullptr);
  // Handle values up to 32 are the old error codes.
  if (!module || reinterpret_cast<uintptr_t>(module.Get()) <= 32) {
    module.Release();
    return nullptr;
  }
  std::string fileName = platform::ModulePathToAnsi(module.Get()).value_or(path);
  return std::make_unique<WindowsSpiLibrary>(std::move(module), std::move(fileName));
}

std::vector<uint8_t> WindowsSpiHost::ReadFileHead(const std::string& path, size_t count) const {
  platform::UniqueFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::vector<uint8_t> head(count);
  size_t got = 0;
  while (got < count) {
    DWORD n = 0;
    if (!ReadFile(file.Get(), head.data() + got, static_cast<DWORD>(count - got), &n, nullptr) || n == 0)
      break;
    got += n;
  }
  head.resize(got);
  return head;
}

std::vector<platform::FolderEntry> WindowsSpiHost::FindFiles(const std::string& pattern) const {
  return platform::FindFolderEntries(pattern);
}

bool WindowsSpiHost::DirectoryExists(const std::string& path) const {
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string WindowsSpiHost::SystemFolder() const {
  char path[MAX_PATH];
  const UINT n = GetSystemDirectoryA(path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? platform::IncludeTrailingBackslash(std::string(path, n)) : std::string();
}

std::string WindowsSpiHost::WindowsFolder() const {
  char path[MAX_PATH];
  const UINT n = GetWindowsDirectoryA(path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? platform::IncludeTrailingBackslash(std::string(path, n)) : std::string();
}

std::string WindowsSpiHost::AnsiToUtf8(const std::string& ansi) const { return platform::AnsiToUtf8(ansi); }

}  // namespace tapestrel::imaging
