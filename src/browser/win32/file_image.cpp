#include "browser/win32/file_image.h"

#include "browser/cell_images.h"
#include "platform/error_guard.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/com_scope.h"

namespace tapestrel::browser {

TImgThread::TImgThread(TImgUtil& util)
    : util_(util),
      start_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      idle_(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
  if (!start_ || !idle_) throw std::runtime_error("cannot start the thumbnail worker");
  DWORD id = 0;
  thread_.Reset(CreateThread(nullptr, 0, &TImgThread::Run, this, CREATE_SUSPENDED, &id));
  if (!thread_) throw std::runtime_error("cannot start the thumbnail worker");
  SetThreadPriority(thread_.Get(), THREAD_PRIORITY_BELOW_NORMAL);
  ResumeThread(thread_.Get());
}

TImgThread::~TImgThread() {
  Stop();
  quit_ = true;
  SetEvent(start_.Get());
  WaitForSingleObject(thread_.Get(), INFINITE);
}

void TImgThread::Start(HWND view, int serial, std::string path, bool iconType, int w, int h) {
  view_ = view;
  serial_ = serial;
  path_ = std::move(path);
  iconType_ = iconType;
  w_ = w;
  h_ = h;
  terminated_ = false;
  SetThreadPriority(thread_.Get(), THREAD_PRIORITY_BELOW_NORMAL);
  ResetEvent(idle_.Get());
  SetEvent(start_.Get());
}

void TImgThread::Stop() {
  if (WaitForSingleObject(idle_.Get(), 0) == WAIT_OBJECT_0) return;
  SetThreadPriority(thread_.Get(), THREAD_PRIORITY_NORMAL);
  terminated_ = true;
  WaitForSingleObject(idle_.Get(), INFINITE);
}

DWORD WINAPI TImgThread::Run(void* self) {
  static_cast<TImgThread*>(self)->Loop();
  return 0;
}

void TImgThread::Loop() {
  // Before any picture: the shell's calls, and plug-ins built on COM objects
  // (the system's imaging components), fail on a thread without COM.
  const platform::ComScope com;
  for (;;) {
    WaitForSingleObject(start_.Get(), INFINITE);
    if (quit_) return;
    platform::Guarded([this] { Work(); });
    SetEvent(idle_.Get());
  }
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
  if (!entry.ImageType) {
    if (entry.IsFolder()) {
      entry.ImageType = TImageType::iitDir;
    } else {
      // A file no ANSI path reaches cannot be decoded: it shows its icon.
      const std::optional<std::string> path = platform::PathToAnsi(entry.ParsingPath());
      entry.ImageType = path ? image_.ImgUtil.DetectImageType(*path) : TImageType::iitNone;
    }
  }
  return *entry.ImageType;
}

void TFileImage::StartWorker(TImgListItem& entry) {
  const bool iconType = IsIconType(TypeOf(entry));
  if (!worker_) worker_ = std::make_unique<TImgThread>(image_.ImgUtil);
  worker_->Start(view_, entry.Serial(), platform::PathToAnsi(entry.ParsingPath()).value_or(std::string()),
                 iconType, image_.ImageWidth, image_.ImageHeight);
}

void TFileImage::StopWorker() {
  if (worker_) worker_->Stop();
}

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
