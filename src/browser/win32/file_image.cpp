#include "browser/win32/file_image.h"

#include "browser/cell_images.h"
#include "platform/error_guard.h"
#include "platform/win32/text.h"

namespace tapestrel::browser {

TImgThread::TImgThread(HWND view, int serial, std::string path, bool iconType, int w, int h, TImgUtil& util)
    : view_(view), serial_(serial), path_(std::move(path)), iconType_(iconType), w_(w), h_(h), util_(util) {
  DWORD id = 0;
  thread_.Reset(CreateThread(nullptr, 0, &TImgThread::Run, this, CREATE_SUSPENDED, &id));
  if (!thread_) throw std::runtime_error("cannot start the thumbnail worker");
  SetThreadPriority(thread_.Get(), THREAD_PRIORITY_BELOW_NORMAL);
  ResumeThread(thread_.Get());
}

TImgThread::~TImgThread() { Stop(); }

void TImgThread::Stop() {
  if (!thread_) return;
  SetThreadPriority(thread_.Get(), THREAD_PRIORITY_NORMAL);
  terminated_ = true;
  WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
}

DWORD WINAPI TImgThread::Run(void* self) {
  platform::Guarded([self] { static_cast<TImgThread*>(self)->Work(); });
  return 0;
}

void TImgThread::Work() {
  if (terminated_) return;
  int code = TImgUtil::kFailed;
  if (!iconType_) {
    try {
      code = util_.MakeThumbnail(path_, w_, 0, h_);
    } catch (...) {
      code = TImgUtil::kFailed;  // the entry shows its icon; the work goes on
    }
  }
  if (!terminated_ && IsWindow(view_))
    PostMessageW(view_, kImageLoadedMessage, static_cast<WPARAM>(serial_), static_cast<LPARAM>(code));
}

TFileImage::TFileImage(HWND view, TImgItems& items, TViewImage& image, ViewHooks hooks)
    : view_(view), items_(items), image_(image), hooks_(std::move(hooks)) {}

TFileImage::~TFileImage() {
  CancelAll();
  StopWorker();
}

TImageType TFileImage::TypeOf(TImgListItem& entry) {
  if (!entry.ImageType)
    entry.ImageType = entry.IsFolder()
                          ? TImageType::iitDir
                          : image_.ImgUtil.DetectImageType(platform::WideToAnsi(entry.ParsingPath()));
  return *entry.ImageType;
}

void TFileImage::StartWorker(TImgListItem& entry) {
  const bool iconType = IsIconType(TypeOf(entry));
  worker_ = std::make_unique<TImgThread>(view_, entry.Serial(), platform::WideToAnsi(entry.ParsingPath()),
                                         iconType, image_.ImageWidth, image_.ImageHeight, image_.ImgUtil);
}

void TFileImage::StopWorker() { worker_.reset(); }

void TFileImage::Install(TImgListItem& entry, int code) {
  if (code == TImgUtil::kMade) {
    if (entry.Loaded && entry.Image && !entry.ImageShared) return;  // made already: keep it
    const TImgUtil& util = image_.ImgUtil;
    InstallThumbnail(entry, util.WorkBitmap(), util.SourceWidth(), util.SourceHeight(), image_.ImageWidth,
                     image_.ImageHeight, hooks_.viewColor ? hooks_.viewColor() : 0xFFFFFF);
    if (hooks_.stamp) hooks_.stamp(entry);
  } else {
    // Done as well: a cell redrawn while this entry was being made queued it
    // again, and a failure would otherwise be tried once more.
    entry.Loaded = true;
    if (hooks_.installIcon) hooks_.installIcon(entry);
  }
}

}  // namespace tapestrel::browser
