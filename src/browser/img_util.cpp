#include "browser/img_util.h"

#include <fstream>

#include "browser/view_options.h"
#include "imaging/bmp_file.h"
#include "imaging/builtin_pictures.h"
#include "imaging/exif_orientation.h"
#include "imaging/file_bytes.h"
#include "imaging/picture_file.h"
#include "imaging/spi/splugin.h"
#include "imaging/thumbnail_decode.h"
#include "imaging/turn_picture.h"
#include "platform/ansi_text.h"

namespace tapestrel::browser {
namespace {

constexpr size_t kTextBlock = 1024;

// Collects lines from blocks of a text file.
class LineReader {
 public:
  explicit LineReader(TextReadLimits limits) : limits_(limits) {}
  bool Full() const { return static_cast<int>(lines_.size()) >= limits_.maxLines; }

  // One block; a zero byte ends its scan.
  void Block(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n && !Full(); ++i) {
      const uint8_t c = p[i];
      if (c == 0) return;
      if (c == '\r') continue;
      if (c == '\n') {
        lines_.push_back(std::move(line_));
        line_.clear();
        continue;
      }
      if (static_cast<int>(line_.size()) < limits_.maxChars) line_.push_back(static_cast<char>(c));
    }
  }
  std::vector<std::string> Finish() {
    if (!Full() && !line_.empty()) lines_.push_back(std::move(line_));
    return std::move(lines_);
  }

 private:
  TextReadLimits limits_;
  std::vector<std::string> lines_;
  std::string line_;
};

// The view's kind of one of the program's own pictures. PNG files are left
// to the owner's custom test or a plug-in.
TImageType KindOf(imaging::PictureKind kind) {
  switch (kind) {
    case imaging::PictureKind::Bitmap:
      return TImageType::iitBmp;
    case imaging::PictureKind::Jpeg:
      return TImageType::iitJpeg;
    case imaging::PictureKind::Icon:
      return TImageType::iitIco;
    case imaging::PictureKind::EnhancedMetafile:
      return TImageType::iitEmf;
    case imaging::PictureKind::Metafile:
      return TImageType::iitWmf;
    case imaging::PictureKind::Png:
      break;
  }
  return TImageType::iitNone;
}

}  // namespace

bool IsIconType(TImageType type) {
  switch (type) {
    case TImageType::iitNone:
    case TImageType::iitIco:
    case TImageType::iitCur:
    case TImageType::iitAni:
    case TImageType::iitExe:
    case TImageType::iitDll:
    case TImageType::iitDir:
      return true;
    default:
      return false;
  }
}

std::vector<std::string> ReadTextLines(const std::vector<uint8_t>& bytes, TextReadLimits limits) {
  LineReader reader(limits);
  for (size_t at = 0; at < bytes.size() && !reader.Full(); at += kTextBlock)
    reader.Block(bytes.data() + at, std::min(kTextBlock, bytes.size() - at));
  return reader.Finish();
}

std::vector<std::string> ReadTextLines(const std::string& path, TextReadLimits limits) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw imaging::ImageError("cannot open " + path);
  LineReader reader(limits);
  uint8_t block[kTextBlock];
  while (!reader.Full()) {
    file.read(reinterpret_cast<char*>(block), sizeof block);
    const size_t got = static_cast<size_t>(file.gcount());
    if (got == 0) break;
    reader.Block(block, got);
  }
  return reader.Finish();
}

std::string NormalizeTextExtensions(const std::string& textExt) {
  std::string list;
  for (char c : platform::AnsiLowerAscii(textExt))
    if (c != '*') list.push_back(c);
  if (list.empty() || list.front() != ';') list.insert(list.begin(), ';');
  if (list.back() != ';') list.push_back(';');
  return list;
}

TImgUtil::TImgUtil() : type_(TImageType::iitNone) {}
TImgUtil::~TImgUtil() = default;

void TImgUtil::SetTextExt(const std::string& ext) {
  textExt_ = ext;
  textExtList_ = NormalizeTextExtensions(ext);
}

void TImgUtil::SetAviFramePos(int percent) {
  if (percent >= 0 && percent <= 100) aviFramePos_ = percent;
}

bool TImgUtil::PluginReads(const std::string& path) const {
  return SPlugin && SPlugin->FindPlugin(path) != -1;
}

TImageType TImgUtil::DetectImageType(const std::string& path) const {
  if (customTest_ && customTest_->IsCustomImage(path)) return TImageType::iitCustom;
  const std::string ext = imaging::LowerCaseExtension(path);
  if (ext.empty()) {
    const bool root = path.size() >= 2 && path.compare(path.size() - 2, 2, ":\\") == 0;
    return root || (platform_ && platform_->DirectoryExists(path)) ? TImageType::iitDir : TImageType::iitNone;
  }
  if (const imaging::BuiltInPicture* picture = imaging::FindBuiltInPicture(path)) {
    const TImageType type = KindOf(picture->kind);
    if (type != TImageType::iitNone) return type;
  }
  // The files the view shows that are no pictures of the program's own.
  static const struct {
    const char* ext;
    TImageType type;
  } kByExtension[] = {
      {".cur", TImageType::iitCur},   {".ani", TImageType::iitAni}, {".exe", TImageType::iitExe},
      {".dll", TImageType::iitDll},   {".html", TImageType::iitHtml}, {".htm", TImageType::iitHtml},
      {".eml", TImageType::iitEml},   {".txt", TImageType::iitTxt}, {".avi", TImageType::iitAvi},
  };
  for (const auto& e : kByExtension)
    if (ext == e.ext) return e.type;
  // Whole entries of the list only: ".lo" is no text file because ".log" is.
  if (textExtList_.find(";" + ext + ";") != std::string::npos) return TImageType::iitTxt;
  if (PluginReads(path)) return TImageType::iitSusie;
  return TImageType::iitNone;
}

int TImgUtil::LoadIconImage(const std::string& path, int iconIndex) {
  iconIndex_ = iconIndex;
  work_ = platform_->IconImage(path, iconIndex, platform_->ResolveColor(BKColor));
  TakeSourceSize();
  return kMade;
}

int TImgUtil::MakeThumbnail(const std::string& path, int w, int iconIndex, int h,
                            const imaging::StopRequest& stop) {
  type_ = TImageType::iitNone;
  iconIndex_ = -1;
  work_ = imaging::Bitmap();
  sourceWidth_ = sourceHeight_ = 0;
  if (!platform_->FileExists(path) && !platform_->DirectoryExists(path)) return kNoSuchFile;

  type_ = DetectImageType(path);
  if (IsIconType(type_)) return LoadIconImage(path, iconIndex);

  const bool useStore = GetType != TGetType::igtNormal && AutoThumb;
  int code = kFailed;
  try {
    if (useStore) {
      if (auto found = Thumbnail.Lookup(path, w, h, GetType, Performance)) {
        work_ = std::move(found->bitmap);
        sourceWidth_ = found->sourceWidth;
        sourceHeight_ = found->sourceHeight;
        return kMade;
      }
    }
    code = Decode(path, w, h, stop);
    // A plug-in's own code never reads as a stop.
    if (code == kStopped) code = kFailed;
    // A picture fitted into no pixel at all (30000 x 2 in 120 x 90) shows
    // its icon rather than an empty cell.
    if (code == kMade && work_.Empty()) code = kFailed;
    if (code == kMade && useStore) {
      Thumbnail.Quality = Quality;
      Thumbnail.Write(path, work_, sourceWidth_, sourceHeight_);
    }
  } catch (const imaging::PictureStopped&) {
    work_ = imaging::Bitmap();
    return kStopped;
  } catch (...) {
    code = kFailed;
  }
  if (code != kMade) {
    try {
      LoadIconImage(path, iconIndex);
    } catch (...) {
      work_ = imaging::Bitmap();
    }
  }
  return code;
}

void TImgUtil::Fit(int w, int h, const imaging::StopRequest& stop) {
  imaging::FitThumbnail(work_, w, h, GetType, stop);
}

int TImgUtil::Decode(const std::string& path, int w, int h, const imaging::StopRequest& stop) {
  using imaging::Bitmap;
  if (type_ == TImageType::iitCustom) {
    if (!customTest_->LoadCustomImage(path, work_, stop) || work_.Empty()) return kFailed;
    TakeSourceSize();
    Fit(w, h, stop);
    return kMade;
  }
  if (SPlugin && (type_ == TImageType::iitSusie || (SusiePriority && PluginReads(path)))) {
    Bitmap picture;
    const int code = SPlugin->LoadPicture(path, picture, stop);
    if (code != imaging::kSpiSuccess) return code;
    if (picture.Empty()) return kFailed;
    if (type_ == TImageType::iitJpeg && ExifOrientation)
      picture = imaging::TurnAsRecorded(std::move(picture),
                                        imaging::ReadExifOrientation(imaging::ReadFileBytes(path)));
    work_ = std::move(picture);
    TakeSourceSize();
    Fit(w, h, stop);
    return kMade;
  }
  const Bitmap blank;
  switch (type_) {
    case TImageType::iitBmp:
    case TImageType::iitJpeg: {
      const std::vector<uint8_t> data = imaging::ReadFileBytes(path);
      imaging::ThumbnailPicture t =
          type_ == TImageType::iitBmp
              ? imaging::DecodeThumbnailBmp(data, w, h, GetType, stop)
              : imaging::DecodeThumbnailJpeg(data, w, h, GetType, Performance, ExifOrientation, stop);
      work_ = std::move(t.bitmap);
      sourceWidth_ = t.sourceWidth;
      sourceHeight_ = t.sourceHeight;
      return kMade;
    }
    case TImageType::iitEmf:
    case TImageType::iitWmf:
      work_ = platform_->DrawMetafile(path, platform_->ResolveColor(BKColor));
      TakeSourceSize();
      Fit(w, h, stop);
      return kMade;
    case TImageType::iitHtml:
    case TImageType::iitEml: {
      const int height = w > 0 ? static_cast<int>(640.0 / w * h) : 0;
      work_ = platform_->ExtractShellThumbnail(path, Bitmap(640, height, imaging::PixelFormat::Bits24));
      TakeSourceSize();
      if (GetType != TGetType::igtNormal) imaging::ResampleTo(work_, w, h);
      return kMade;
    }
    case TImageType::iitTxt: {
      const int lineHeight = platform_->TextLineHeight(Font);
      if (lineHeight < 1) return kFailed;
      const std::vector<std::string> lines = ReadTextLines(path, {2 * h / lineHeight + 1, w + 1});
      work_ = platform_->DrawTextLines(lines, 2 * w, 2 * h, Font, platform_->ResolveColor(BKColor));
      TakeSourceSize();
      Fit(w, h, stop);
      return kMade;
    }
    case TImageType::iitAvi: {
      auto frame = platform_->VideoFrame(path, aviFramePos_);
      if (!frame || frame->Empty()) return kFailed;
      work_ = std::move(*frame);
      TakeSourceSize();
      Fit(w, h, stop);
      return kMade;
    }
    default:
      return kFailed;
  }
}

}  // namespace tapestrel::browser
