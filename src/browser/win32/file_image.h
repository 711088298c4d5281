// The thumbnail worker TImgThread and TFileImage, the scheduler that starts
// it: one worker at a time, at lower than normal priority, making one
// entry's picture in the thumbnail maker's work bitmap and posting
// kImageLoadedMessage to the view's window when done.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "browser/img_threads.h"
#include "browser/img_util.h"
#include "browser/thumbnail_retry.h"
#include "browser/view_options.h"
#include "platform/win32/handles.h"

namespace tapestrel::browser {

// Worker to view: wParam the entry's serial, lParam the result code.
inline constexpr UINT kImageLoadedMessage = WM_USER + 1;
// Worker to view: a worker that was told to stop, and outlasted the wait for
// it, is free again.
inline constexpr UINT kWorkerFreeMessage = WM_USER + 2;
// The longest the window thread waits for a worker told to stop: with the
// timer's slack (a wait under Wine overruns by a millisecond or two) and the
// rest of a cancel, within 20 ms.
inline constexpr DWORD kStopWaitMs = 15;
// The view's timer that looks again at files whose thumbnail failed.
inline constexpr UINT_PTR kRetryTimer = 0x5452;

// The worker: one thread, kept for the scheduler's lifetime, making one
// entry's picture at a time when Start hands it one. Creating and ending a
// thread per entry costs more under Wine than a small picture's decoding.
class TImgThread {
 public:
  // The thread, at lower than normal priority, idle. It has COM
  // (apartment-threaded) for its whole life.
  explicit TImgThread(TImgUtil& util);
  // Stops the entry being made and ends the thread, waiting for it.
  ~TImgThread();
  TImgThread(const TImgThread&) = delete;
  TImgThread& operator=(const TImgThread&) = delete;

  // Makes the entry's picture and posts kImageLoadedMessage to `view`. An
  // icon kind posts -1 without decoding anything. Only while idle.
  void Start(HWND view, int serial, std::string path, bool iconType, int w, int h);
  // Raised to normal priority so that it ends soon, the entry being made is
  // told to stop (the decoders look every row), and waited for at most
  // `maxWaitMs`. Its result is never posted afterwards. True when the thread
  // is idle; otherwise it posts kWorkerFreeMessage once it is.
  bool Stop(DWORD maxWaitMs = kStopWaitMs);
  // The file's stamp when the last entry's decoding began; read after its
  // result was posted.
  std::optional<FileStamp> StampSeen() const { return stamp_; }

 private:
  static DWORD WINAPI Run(void* self);
  void Loop();
  void Work();

  TImgUtil& util_;
  // The entry; written by Start while the thread is idle.
  HWND view_ = nullptr;
  int serial_ = 0;
  std::string path_;
  bool iconType_ = false;
  int w_ = 0, h_ = 0;
  std::optional<FileStamp> stamp_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> tellWhenFree_{false};
  std::atomic<bool> quit_{false};
  platform::UniqueKernelHandle start_;  // auto-reset: an entry is ready
  platform::UniqueKernelHandle idle_;   // manual-reset: no entry in hand
  platform::UniqueKernelHandle thread_;
};

class TFileImage : public TImgThreads {
 public:
  // What installing a result needs of the view.
  struct ViewHooks {
    std::function<void(TImgListItem&)> installIcon;  // the entry's shared icon image
    std::function<void(TImgListItem&)> stamp;        // the small type icon on a new thumbnail
    std::function<void(TImgListItem&)> repaint;
    std::function<imaging::ColorValue()> viewColor;  // RGB
  };
  TFileImage(HWND view, TImgItems& items, TViewImage& image, ViewHooks hooks);
  ~TFileImage() override;

  // The entry's kind, decided once (on this thread), or again once a file of
  // no known type written just now has settled (WatchIfStillArriving).
  TImageType TypeOf(TImgListItem& entry);
  // For an entry just given its icon: a file of no known type written in the
  // last seconds may be a picture whose first bytes, by which a plug-in knows
  // it, are still to come; it is watched like a failed thumbnail.
  void WatchIfStillArriving(TImgListItem& entry);
  // On the view's retry timer: the failed entries whose file has settled
  // since are made again.
  void RetrySettled();
  // How many failed entries are watched for another try.
  size_t RetriesWatched() const { return retry_.Count(); }

 protected:
  TImgListItem* FindEntry(int serial) override { return items_.FindBySerial(serial); }
  void StartWorker(TImgListItem& entry) override;
  bool StopWorker() override;
  void Install(TImgListItem& entry, int code) override;
  void Repaint(TImgListItem& entry) override {
    if (hooks_.repaint) hooks_.repaint(entry);
  }
  void ForgetEntries() override;

 private:
  void Watch(TImgListItem& entry, std::string path, FileStamp seen);

  HWND view_;
  TImgItems& items_;
  TViewImage& image_;
  ViewHooks hooks_;
  std::unique_ptr<TImgThread> worker_;
  ThumbnailRetry retry_;
};

}  // namespace tapestrel::browser
