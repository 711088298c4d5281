#include "browser/win32/file_image.h"

#include "browser/cell_images.h"
#include "browser/view_options.h"
#include "browser/win32/thumbnail_platform.h"
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
  Stop(INFINITE);
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

bool TImgThread::Stop(DWORD maxWaitMs) {
  if (WaitForSingleObject(idle_.Get(), 0) == WAIT_OBJECT_0) return true;
  SetThreadPriority(thread_.Get(), THREAD_PRIORITY_NORMAL);
  terminated_ = true;
  if (WaitForSingleObject(idle_.Get(), maxWaitMs) == WAIT_OBJECT_0) return true;
  tellWhenFree_ = true;
  // It may have gone idle just now, before it could see the flag: then
  // whichever side takes the flag back answers.
  return WaitForSingleObject(idle_.Get(), 0) == WAIT_OBJECT_0 && tellWhenFree_.exchange(false);
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
    const HWND view = view_;  // Start may hand over the next entry once idle
    SetEvent(idle_.Get());
    if (tellWhenFree_.exchange(false)) PostMessageW(view, kWorkerFreeMessage, 0, 0);
  }
}

void TImgThread::Work() {
  stamp_.reset();
  if (terminated_) return;
  int code = TImgUtil::kFailed;
  if (!iconType_) {
    // Before reading: a file written meanwhile then shows a later stamp.
    stamp_ = ReadFileStamp(path_);
    try {
      code = util_.MakeThumbnail(path_, w_, 0, h_, imaging::StopRequest(terminated_));
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
  if (IsWindow(view_)) KillTimer(view_, kRetryTimer);
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

bool TFileImage::StopWorker() { return !worker_ || worker_->Stop(); }

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
    // A picture still being written fails too: it is tried again once it
    // has settled.
    const std::optional<FileStamp> seen = worker_ ? worker_->StampSeen() : std::nullopt;
    if (code != TImgUtil::kNoSuchFile && seen && !IsIconType(TypeOf(entry))) {
      if (auto path = platform::PathToAnsi(entry.ParsingPath())) Watch(entry, std::move(*path), *seen);
    }
  }
}

void TFileImage::Watch(TImgListItem& entry, std::string path, FileStamp seen) {
  // Setting a running timer again starts its period over: failures coming
  // faster than the period would keep it from ever looking.
  const bool idle = retry_.Empty();
  retry_.Watch(entry.Serial(), std::move(path), seen, static_cast<int64_t>(GetTickCount64()));
  if (idle) SetTimer(view_, kRetryTimer, 250, nullptr);
}

void TFileImage::WatchIfStillArriving(TImgListItem& entry) {
  if (TypeOf(entry) != TImageType::iitNone || entry.IsFolder()) return;
  const std::optional<std::string> path = platform::PathToAnsi(entry.ParsingPath());
  const std::optional<FileStamp> now = path ? ReadFileStamp(*path) : std::nullopt;
  if (now && WrittenWithinMs(*now, ThumbnailRetry::kGiveUpMs)) Watch(entry, *path, *now);
}

void TFileImage::ForgetEntries() {
  // Entries read anew take new serials: a watch of the old ones would only
  // wait out its time to be dropped, and a folder reloaded faster than that
  // would pile them up.
  retry_.Clear();
  if (IsWindow(view_)) KillTimer(view_, kRetryTimer);
}

void TFileImage::RetrySettled() {
  const std::vector<int> due = retry_.Due(static_cast<int64_t>(GetTickCount64()), ReadFileStamp);
  if (retry_.Empty()) KillTimer(view_, kRetryTimer);
  for (const int serial : due) {
    TImgListItem* entry = FindEntry(serial);
    // Still showing the icon it failed with: made again, its icon kept until then.
    if (!entry || !entry->Loaded || !entry->ImageShared) continue;
    entry->Loaded = false;
    if (entry->ImageType == TImageType::iitNone) entry->ImageType.reset();
    Enqueue(serial, true);
  }
  if (!due.empty()) Kick();
}

}  // namespace tapestrel::browser
