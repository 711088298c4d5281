// TImgThreads, the scheduler of thumbnail work: a queue of entry serials
// served from the back, and one worker at a time. The cell drawn last is
// served first; look-ahead entries wait at the front. The concrete scheduler
// (browser/win32/file_image.h) starts the worker threads; this part decides
// what runs when.
//
// Everything here runs on the UI thread. The worker only makes the picture in
// the thumbnail maker's work bitmap and posts its result; the UI thread reads
// the work bitmap between that post and the next Kick, which alone starts a
// worker.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

#include "browser/shell_items.h"

namespace tapestrel::browser {

class TImgThreads {
 public:
  virtual ~TImgThreads() = default;

  // An entry that is already queued moves to the back; a new one goes to the
  // back or (look-ahead) to the front.
  void Enqueue(int serial, bool back);
  // Starts a worker on the back entry that still needs its picture, unless
  // one runs.
  void Kick();
  // After an enumeration: starts work unless a worker runs.
  void Resume() {
    if (!busy_) Kick();
  }
  // Before the entries change: empties the queue and tells the worker to
  // stop, waiting for it only briefly (see StopWorker).
  void CancelAll();
  // The worker's result for an entry. While the view rebuilds it is dropped
  // (the enumeration's end restarts the work), and so is one of a worker that
  // was cancelled; otherwise it is installed, OnImageLoaded raised, and the
  // next worker started.
  void WorkerDone(int serial, int code, bool rebuilding);

  bool Busy() const { return busy_; }
  // Front first; the back is served next.
  std::vector<int> Queue() const;

  // Just before a worker starts on the entry, and after its result is in.
  std::function<void(TImgListItem&)> OnImageLoad;
  std::function<void(TImgListItem&)> OnImageLoaded;

 protected:
  virtual TImgListItem* FindEntry(int serial) = 0;
  // Starts a worker for the entry: suspended, at lower than normal priority,
  // then resumed.
  virtual void StartWorker(TImgListItem& entry) = 0;
  // Ends the worker's entry, if it has one: raised to normal priority, told
  // to stop, and waited for briefly. Its result is never posted afterwards.
  // True when the worker is free; false when it is still ending, in which
  // case it says when it is free and Resume starts the work again.
  virtual bool StopWorker() = 0;
  // Puts the worker's result (code, work bitmap) into the entry.
  virtual void Install(TImgListItem& entry, int code) = 0;
  virtual void Repaint(TImgListItem& entry) = 0;
  // On CancelAll: the entries are about to go, and with them whatever the
  // scheduler keeps by their serials.
  virtual void ForgetEntries() {}

 private:
  // The queue by place (front lowest) and each serial's place, so that a
  // look-up, a move to the back and a removal cost the same at 50,000
  // entries as at 50.
  std::map<int64_t, int> queue_;
  std::unordered_map<int, int64_t> placeOf_;
  bool busy_ = false;
  int workerSerial_ = -1;  // the entry the running worker makes
};

}  // namespace tapestrel::browser
