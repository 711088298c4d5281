// Thumbnails that failed while their file may still have been being written,
// as when Explorer copies a picture in: such a file is tried again once its
// stamp has moved on from the one its failed decoding saw and has then stayed
// the same for kSettleMs. A file that keeps the stamp it failed with for
// kGiveUpMs is broken, not being written, and is no longer watched.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tapestrel::browser {

struct FileStamp {
  uint64_t size = 0;
  uint64_t written = 0;  // last-write time, in the file system's own units
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

class ThumbnailRetry {
 public:
  static constexpr int64_t kSettleMs = 1000;
  static constexpr int64_t kGiveUpMs = 10000;

  // The entry's thumbnail failed; `seen` is the stamp the file had when its
  // decoding began.
  void Watch(int serial, std::string path, FileStamp seen, int64_t nowMs);
  bool Empty() const { return watched_.empty(); }
  size_t Count() const { return watched_.size(); }
  void Clear() { watched_.clear(); }

  // Looks at every watched file's stamp (nothing: the file is gone) and
  // returns the serials due for another try; those, the gone and the given-up
  // files are no longer watched.
  std::vector<int> Due(int64_t nowMs, const std::function<std::optional<FileStamp>(const std::string&)>& stampOf);

 private:
  struct Watched {
    std::string path;
    FileStamp failed;  // when the failed decoding began
    FileStamp last;    // when last looked at
    int64_t since;     // when `last` was first seen
  };
  std::unordered_map<int, Watched> watched_;  // by serial
};

}  // namespace tapestrel::browser
