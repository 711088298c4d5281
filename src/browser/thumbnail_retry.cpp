#include "browser/thumbnail_retry.h"

namespace tapestrel::browser {

void ThumbnailRetry::Watch(int serial, std::string path, FileStamp seen, int64_t nowMs) {
  watched_[serial] = Watched{std::move(path), seen, seen, nowMs};
}

std::vector<int> ThumbnailRetry::Due(int64_t nowMs,
                                     const std::function<std::optional<FileStamp>(const std::string&)>& stampOf) {
  std::vector<int> due;
  for (auto it = watched_.begin(); it != watched_.end();) {
    Watched& w = it->second;
    const std::optional<FileStamp> stamp = stampOf(w.path);
    bool done = !stamp;
    if (stamp && *stamp != w.last) {
      w.last = *stamp;
      w.since = nowMs;
    } else if (stamp) {
      const int64_t steady = nowMs - w.since;
      if (w.last != w.failed && steady >= kSettleMs) {
        due.push_back(it->first);
        done = true;
      } else if (w.last == w.failed && steady >= kGiveUpMs) {
        done = true;
      }
    }
    it = done ? watched_.erase(it) : std::next(it);
  }
  return due;
}

}  // namespace tapestrel::browser
