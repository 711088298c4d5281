// The thumbnail worker TImgThread and TFileImage, the scheduler that starts
// it: one worker at a time, at lower than normal priority, making one
// entry's picture in the thumbnail maker's work bitmap and posting
// kImageLoadedMessage to the view's window when done.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "browser/img_threads.h"
#include "browser/img_util.h"
#include "browser/view_options.h"
#include "platform/win32/handles.h"

namespace tapestrel::browser {

// Worker to view: wParam the entry's serial, lParam the result code.
inline constexpr UINT kImageLoadedMessage = WM_USER + 1;

class TImgThread {
 public:
  // Starts at once (created suspended, lowered, resumed). An icon kind posts
  // -1 without decoding anything.
  TImgThread(HWND view, int serial, std::string path, bool iconType, int w, int h, TImgUtil& util);
  // Stops it (see Stop).
  ~TImgThread();
  TImgThread(const TImgThread&) = delete;
  TImgThread& operator=(const TImgThread&) = delete;

  // Raised to normal priority so that it ends soon, told to stop, waited
  // for. Its result is never posted after this.
  void Stop();

 private:
  static DWORD WINAPI Run(void* self);
  void Work();

  HWND view_;
  int serial_;
  std::string path_;
  bool iconType_;
  int w_, h_;
  TImgUtil& util_;
  std::atomic<bool> terminated_{false};
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

  // The entry's kind, decided once (on this thread).
  TImageType TypeOf(TImgListItem& entry);

 protected:
  TImgListItem* FindEntry(int serial) override { return items_.FindBySerial(serial); }
  void StartWorker(TImgListItem& entry) override;
  void StopWorker() override;
  void Install(TImgListItem& entry, int code) override;
  void Repaint(TImgListItem& entry) override {
    if (hooks_.repaint) hooks_.repaint(entry);
  }

 private:
  HWND view_;
  TImgItems& items_;
  TViewImage& image_;
  ViewHooks hooks_;
  std::unique_ptr<TImgThread> worker_;
};

}  // namespace tapestrel::browser
