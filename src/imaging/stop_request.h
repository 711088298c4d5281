// A request, from another thread, that picture work end early. Decoders look
// at it between rows (JPEG through libjpeg's progress hook, plug-ins through
// their progress callback and between calls) and end with PictureStopped,
// which is no fault of the picture: whoever asked drops the result.
#pragma once

#include <atomic>
#include <exception>

namespace tapestrel::imaging {

class PictureStopped : public std::exception {
 public:
  const char* what() const noexcept override { return "picture work stopped"; }
};

class StopRequest {
 public:
  StopRequest() = default;  // never requested
  explicit StopRequest(const std::atomic<bool>& flag) : flag_(&flag) {}

  bool Requested() const { return flag_ && flag_->load(std::memory_order_relaxed); }
  void ThrowIfRequested() const {
    if (Requested()) throw PictureStopped();
  }

 private:
  const std::atomic<bool>* flag_ = nullptr;
};

}  // namespace tapestrel::imaging
