#include "browser/img_threads.h"

#include <exception>
#include <iterator>

namespace tapestrel::browser {

void TImgThreads::Enqueue(int serial, bool back) {
  const auto known = placeOf_.find(serial);
  if (known != placeOf_.end()) {
    queue_.erase(known->second);
    back = true;
  }
  const int64_t place = queue_.empty() ? 0 : back ? queue_.rbegin()->first + 1 : queue_.begin()->first - 1;
  queue_.emplace(place, serial);
  placeOf_[serial] = place;
}

std::vector<int> TImgThreads::Queue() const {
  std::vector<int> serials;
  serials.reserve(queue_.size());
  for (const auto& [place, serial] : queue_) serials.push_back(serial);
  return serials;
}

void TImgThreads::Kick() {
  if (busy_) return;
  // The finished one; one still ending a stopped entry calls for Resume.
  if (!StopWorker()) return;
  busy_ = true;
  while (!queue_.empty()) {
    const int serial = std::prev(queue_.end())->second;
    queue_.erase(std::prev(queue_.end()));
    placeOf_.erase(serial);
    TImgListItem* entry = FindEntry(serial);
    if (!entry || entry->Loaded) continue;
    // Whatever the handler throws, the entry is still made; the error then
    // goes its way.
    std::exception_ptr error;
    if (OnImageLoad) {
      try {
        OnImageLoad(*entry);
      } catch (...) {
        error = std::current_exception();
      }
    }
    workerSerial_ = serial;
    try {
      StartWorker(*entry);
    } catch (...) {
      // No worker: the next request starts over.
      busy_ = false;
      workerSerial_ = -1;
      throw;
    }
    if (error) std::rethrow_exception(error);
    return;
  }
  busy_ = false;
}

void TImgThreads::CancelAll() {
  // The queue goes even when idle: serials of entries about to go would
  // only be looked for in vain.
  queue_.clear();
  placeOf_.clear();
  ForgetEntries();
  if (!busy_) return;
  StopWorker();
  busy_ = false;
  workerSerial_ = -1;
}

void TImgThreads::WorkerDone(int serial, int code, bool rebuilding) {
  if (rebuilding) return;
  // A result posted just before its worker was cancelled may arrive after a
  // new worker started, which then owns the work bitmap: only the running
  // worker's result counts.
  if (!busy_ || serial != workerSerial_) return;
  workerSerial_ = -1;
  TImgListItem* entry = FindEntry(serial);
  // Whatever installing or a handler throws, the work goes on with the next
  // entry; the error then goes its way.
  std::exception_ptr error;
  if (entry) {
    try {
      Install(*entry, code);
      if (OnImageLoaded) OnImageLoaded(*entry);
    } catch (...) {
      error = std::current_exception();
    }
  }
  busy_ = false;
  Kick();
  if (entry) Repaint(*entry);
  if (error) std::rethrow_exception(error);
}

}  // namespace tapestrel::browser
