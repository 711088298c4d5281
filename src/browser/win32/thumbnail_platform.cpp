#include "browser/win32/thumbnail_platform.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <vfw.h>

#include <cstring>
#include <vector>

#include "imaging/bmp_file.h"
#include "imaging/file_bytes.h"
#include "imaging/win32/system_color.h"
#include "platform/paths.h"
#include "platform/win32/ansi_path.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/com_scope.h"
#include "platform/win32/file_system.h"
#include "platform/win32/handles.h"
#include "platform/win32/late_bound.h"
#include "platform/win32/text.h"

namespace tapestrel::browser {
namespace {

using imaging::Bitmap;
using imaging::ColorValue;
using imaging::ImageError;

// The shell's HTML thumbnail extractor.
const CLSID kHtmlThumbnailExtractor = {
    0xEAB841A0, 0x9550, 0x11CF, {0x8C, 0x16, 0x00, 0x80, 0x5F, 0x14, 0x08, 0xF3}};

// A packed DIB (header, colors, pixels) as the program's bitmap, through the
// bitmap file reader, which checks every size against the bytes there are.
Bitmap FromPackedDib(const BITMAPINFOHEADER* info, size_t available) {
  if (!info || available < sizeof(BITMAPINFOHEADER)) throw ImageError("no frame");
  std::vector<uint8_t> file(14 + available);
  BITMAPFILEHEADER h{};
  h.bfType = 0x4D42;
  h.bfSize = static_cast<DWORD>(file.size());
  DWORD colors = info->biClrUsed;
  if (colors == 0 && info->biBitCount <= 8) colors = 1u << info->biBitCount;
  if (info->biCompression == BI_BITFIELDS && info->biSize == sizeof(BITMAPINFOHEADER)) colors = 3;
  h.bfOffBits = static_cast<DWORD>(14 + info->biSize + 4 * size_t{colors});
  std::memcpy(file.data(), &h, 14);
  std::memcpy(file.data() + 14, info, available);
  return imaging::ReadBmp(file);
}

// The size GDI would draw an enhanced metafile at: its frame (0.01 mm) in
// the reference device's pixels.
SIZE MetafileSize(HENHMETAFILE emf) {
  ENHMETAHEADER h{};
  if (!GetEnhMetaFileHeader(emf, sizeof h, &h) || h.szlMillimeters.cx <= 0 || h.szlMillimeters.cy <= 0)
    throw ImageError("no metafile header");
  const double w =
      (h.rclFrame.right - h.rclFrame.left) * double(h.szlDevice.cx) / (h.szlMillimeters.cx * 100.0);
  const double ht =
      (h.rclFrame.bottom - h.rclFrame.top) * double(h.szlDevice.cy) / (h.szlMillimeters.cy * 100.0);
  if (!(w >= 1 && ht >= 1 && w <= Bitmap::kMaxDimension && ht <= Bitmap::kMaxDimension))
    throw ImageError("metafile size out of range");
  return SIZE{static_cast<LONG>(w + 0.5), static_cast<LONG>(ht + 0.5)};
}

struct EnhMetafileTraits {
  static HENHMETAFILE Invalid() { return nullptr; }
  static void Close(HENHMETAFILE h) { DeleteEnhMetaFile(h); }
};
using UniqueEnhMetafile = platform::UniqueHandle<HENHMETAFILE, EnhMetafileTraits>;

// A Windows metafile, placeable (with the Aldus header that gives its size)
// or not, as an enhanced one.
UniqueEnhMetafile LoadWindowsMetafile(const std::string& path) {
  const std::vector<uint8_t> data = imaging::ReadFileBytes(path, 256u << 20);
  constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
  size_t at = 0;
  METAFILEPICT picture{MM_ANISOTROPIC, 0, 0, nullptr};
  const METAFILEPICT* use = nullptr;
  uint32_t key = 0;
  if (data.size() >= 22) std::memcpy(&key, data.data(), 4);
  if (key == kPlaceableKey) {
    int16_t box[4];
    uint16_t inch;
    std::memcpy(box, data.data() + 6, 8);
    std::memcpy(&inch, data.data() + 14, 2);
    if (inch == 0) throw ImageError("bad placeable metafile");
    // Extents in 0.01 mm.
    picture.xExt = MulDiv(box[2] - box[0], 2540, inch);
    picture.yExt = MulDiv(box[3] - box[1], 2540, inch);
    use = &picture;
    at = 22;
  }
  if (data.size() - at < 18) throw ImageError("no metafile");
  UniqueEnhMetafile emf(
      SetWinMetaFileBits(static_cast<UINT>(data.size() - at), data.data() + at, nullptr, use));
  if (!emf) throw ImageError("not a metafile");
  return emf;
}

}  // namespace

DibCanvas::DibCanvas(int width, int height) : width_(width), height_(height) {
  Bitmap::CheckSize(width, height, imaging::PixelFormat::Bits24);
  if (width <= 0 || height <= 0) throw ImageError("empty canvas");
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  if (dc_) bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap_) {
    if (dc_) DeleteDC(dc_);
    throw ImageError("cannot create a drawing bitmap");
  }
  bits_ = static_cast<uint8_t*>(bits);
  old_ = SelectObject(dc_, bitmap_);
}

DibCanvas::~DibCanvas() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

void DibCanvas::Fill(ColorValue rgb) {
  GdiFlush();
  const size_t stride = Bitmap::StrideFor(width_, imaging::PixelFormat::Bits24);
  const uint8_t bgr[3] = {imaging::BlueOf(rgb), imaging::GreenOf(rgb), imaging::RedOf(rgb)};
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) std::memcpy(bits_ + y * stride + 3 * x, bgr, 3);
}

void DibCanvas::Load(const Bitmap& bitmap) {
  GdiFlush();
  std::memcpy(bits_, bitmap.Pixels(), bitmap.PixelBytes());
}

Bitmap DibCanvas::Pixels() const {
  GdiFlush();
  Bitmap b(width_, height_, imaging::PixelFormat::Bits24);
  std::memcpy(b.Pixels(), bits_, b.PixelBytes());
  return b;
}

HFONT CreateThumbnailFont(const TImgFont& font) {
  return CreateFontW(font.Height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, static_cast<BYTE>(font.Charset),
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                     font.Name.c_str());
}

bool WindowsThumbnailPlatform::FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WindowsThumbnailPlatform::DirectoryExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

ColorValue WindowsThumbnailPlatform::ResolveColor(ColorValue color) { return imaging::ResolveColor(color); }

Bitmap WindowsThumbnailPlatform::DrawMetafile(const std::string& path, ColorValue background) {
  UniqueEnhMetafile emf(GetEnhMetaFileA(path.c_str()));
  if (!emf) emf = LoadWindowsMetafile(path);
  const SIZE size = MetafileSize(emf.Get());
  DibCanvas canvas(size.cx, size.cy);
  canvas.Fill(background);
  const RECT r{0, 0, size.cx, size.cy};
  PlayEnhMetaFile(canvas.Dc(), emf.Get(), &r);
  return canvas.Pixels();
}

Bitmap WindowsThumbnailPlatform::ExtractShellThumbnail(const std::string& path, Bitmap blank) {
  // The thumbnail worker has COM already; any other caller gets it for the call.
  const platform::ComScope com;
  platform::ComPtr<IPersistFile> file;
  if (FAILED(CoCreateInstance(kHtmlThumbnailExtractor, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                              file.PutVoid())))
    throw ImageError("no HTML thumbnail extractor");
  const std::wstring wide = platform::AnsiToWide(path);
  if (FAILED(file->Load(wide.c_str(), STGM_READ))) throw ImageError("the extractor cannot load the file");
  platform::ComPtr<IExtractImage> extract;
  if (FAILED(file->QueryInterface(IID_IExtractImage, extract.PutVoid()))) throw ImageError("no IExtractImage");
  wchar_t location[MAX_PATH] = {};
  DWORD priority = 0, flags = IEIFLAG_CACHE | IEIFLAG_ASPECT | IEIFLAG_OFFLINE | IEIFLAG_QUALITY;
  SIZE size{blank.Width(), blank.Height()};
  if (FAILED(extract->GetLocation(location, MAX_PATH, &priority, &size, 24, &flags)))
    throw ImageError("the extractor refuses the file");
  HBITMAP extracted = nullptr;
  if (FAILED(extract->Extract(&extracted)) || !extracted) return blank;
  platform::UniqueGdiObject owner(extracted);
  BITMAP bm{};
  if (!GetObjectW(extracted, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return blank;
  DibCanvas canvas(bm.bmWidth, bm.bmHeight);
  platform::UniqueMemoryDc source(CreateCompatibleDC(nullptr));
  const HGDIOBJ old = SelectObject(source.Get(), extracted);
  BitBlt(canvas.Dc(), 0, 0, bm.bmWidth, bm.bmHeight, source.Get(), 0, 0, SRCCOPY);
  SelectObject(source.Get(), old);
  return canvas.Pixels();
}

int WindowsThumbnailPlatform::TextLineHeight(const TImgFont& font) {
  platform::UniqueGdiObject hfont(CreateThumbnailFont(font));
  platform::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!hfont || !dc) return 0;
  const HGDIOBJ old = SelectObject(dc.Get(), hfont.Get());
  SIZE size{};
  const BOOL ok = GetTextExtentPoint32W(dc.Get(), L"H", 1, &size);
  SelectObject(dc.Get(), old);
  return ok ? size.cy : 0;
}

Bitmap WindowsThumbnailPlatform::DrawTextLines(const std::vector<std::string>& lines, int width, int height,
                                               const TImgFont& font, ColorValue background) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  const std::wstring wide = platform::AnsiToWide(text);
  DibCanvas canvas(width, height);
  canvas.Fill(background);
  platform::UniqueGdiObject hfont(CreateThumbnailFont(font));
  if (!hfont) throw ImageError("cannot create the font");
  const HGDIOBJ old = SelectObject(canvas.Dc(), hfont.Get());
  SetBkMode(canvas.Dc(), TRANSPARENT);
  SetTextColor(canvas.Dc(), ResolveColor(font.Color));
  RECT r{0, 0, width, height};
  DrawTextW(canvas.Dc(), wide.c_str(), static_cast<int>(wide.size()), &r, DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(canvas.Dc(), old);
  return canvas.Pixels();
}

namespace {

// The AVI file functions, bound when the first video is read.
struct AviFunctions {
  decltype(&AVIFileInit) init = nullptr;
  decltype(&AVIFileExit) exit = nullptr;
  decltype(&AVIStreamOpenFromFileA) open = nullptr;
  decltype(&AVIStreamRelease) release = nullptr;
  decltype(&AVIStreamLength) length = nullptr;
  decltype(&AVIStreamStart) start = nullptr;
  decltype(&AVIStreamGetFrameOpen) frameOpen = nullptr;
  decltype(&AVIStreamGetFrame) frame = nullptr;
  decltype(&AVIStreamGetFrameClose) frameClose = nullptr;

  bool Complete() const {
    return init && exit && open && release && length && start && frameOpen && frame && frameClose;
  }
};

const AviFunctions* Avi() {
  static const AviFunctions functions = [] {
    constexpr char kLibrary[] = "avifil32.dll";
    AviFunctions f;
    f.init = platform::LateBound<decltype(f.init)>(kLibrary, "AVIFileInit");
    f.exit = platform::LateBound<decltype(f.exit)>(kLibrary, "AVIFileExit");
    f.open = platform::LateBound<decltype(f.open)>(kLibrary, "AVIStreamOpenFromFileA");
    f.release = platform::LateBound<decltype(f.release)>(kLibrary, "AVIStreamRelease");
    f.length = platform::LateBound<decltype(f.length)>(kLibrary, "AVIStreamLength");
    f.start = platform::LateBound<decltype(f.start)>(kLibrary, "AVIStreamStart");
    f.frameOpen = platform::LateBound<decltype(f.frameOpen)>(kLibrary, "AVIStreamGetFrameOpen");
    f.frame = platform::LateBound<decltype(f.frame)>(kLibrary, "AVIStreamGetFrame");
    f.frameClose = platform::LateBound<decltype(f.frameClose)>(kLibrary, "AVIStreamGetFrameClose");
    return f;
  }();
  return functions.Complete() ? &functions : nullptr;
}

}  // namespace

std::optional<Bitmap> WindowsThumbnailPlatform::VideoFrame(const std::string& path, int percent) {
  const AviFunctions* avi = Avi();
  if (!avi) return std::nullopt;
  struct AviLibrary {
    const AviFunctions* avi;
    explicit AviLibrary(const AviFunctions* f) : avi(f) { avi->init(); }
    ~AviLibrary() { avi->exit(); }
  } library(avi);
  PAVISTREAM stream = nullptr;
  if (avi->open(&stream, path.c_str(), streamtypeVIDEO, 0, OF_READ | OF_SHARE_DENY_NONE, nullptr) != 0 ||
      !stream)
    return std::nullopt;
  struct StreamOwner {
    PAVISTREAM s;
    const AviFunctions* avi;
    ~StreamOwner() { avi->release(s); }
  } streamOwner{stream, avi};
  const LONG length = avi->length(stream);
  const LONG start = avi->start(stream);
  LONG frame =
      percent > 0 && length > 0 ? static_cast<LONG>(static_cast<long long>(percent) * length / 100) : 0;
  if (length > 0 && frame >= length) frame = length - 1;
  PGETFRAME reader = avi->frameOpen(stream, nullptr);
  if (!reader) return std::nullopt;
  struct ReaderOwner {
    PGETFRAME r;
    const AviFunctions* avi;
    ~ReaderOwner() { avi->frameClose(r); }
  } readerOwner{reader, avi};
  const auto* info = static_cast<const BITMAPINFOHEADER*>(avi->frame(reader, start + frame));
  if (!info) return std::nullopt;
  // The decompressor's frame: header, colors, pixels, packed.
  size_t colors = info->biClrUsed ? info->biClrUsed : (info->biBitCount <= 8 ? 1u << info->biBitCount : 0);
  if (info->biCompression == BI_BITFIELDS) colors += 3;
  const size_t stride = ((size_t(info->biWidth) * info->biBitCount + 31) / 32) * 4;
  const size_t rows =
      static_cast<size_t>(info->biHeight < 0 ? -static_cast<long long>(info->biHeight) : info->biHeight);
  if (info->biWidth <= 0 || info->biWidth > Bitmap::kMaxDimension || rows > Bitmap::kMaxDimension)
    return std::nullopt;
  return FromPackedDib(info, info->biSize + 4 * colors + stride * rows);
}

Bitmap WindowsThumbnailPlatform::IconImage(const std::string& path, int iconIndex, ColorValue background) {
  platform::UniqueIcon icon;
  if (iconIndex != 0) {
    const HICON h = ExtractIconA(GetModuleHandleW(nullptr), path.c_str(), static_cast<UINT>(iconIndex));
    if (h && h != reinterpret_cast<HICON>(1)) icon.Reset(h);
  } else {
    SHFILEINFOA info{};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON))
      icon.Reset(info.hIcon);
  }
  if (!icon) throw ImageError("no icon for " + path);
  int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
  ICONINFO ii{};
  if (GetIconInfo(icon.Get(), &ii)) {
    BITMAP bm{};
    if (ii.hbmColor && GetObjectW(ii.hbmColor, sizeof bm, &bm)) {
      w = bm.bmWidth;
      h = bm.bmHeight;
    } else if (ii.hbmMask && GetObjectW(ii.hbmMask, sizeof bm, &bm)) {
      w = bm.bmWidth;
      h = bm.bmHeight / 2;
    }
    if (ii.hbmColor) DeleteObject(ii.hbmColor);
    if (ii.hbmMask) DeleteObject(ii.hbmMask);
  }
  DibCanvas canvas(w, h);
  canvas.Fill(background);
  DrawIconEx(canvas.Dc(), 0, 0, icon.Get(), w, h, 0, nullptr, DI_NORMAL);
  return canvas.Pixels();
}

std::optional<FileStamp> ReadFileStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  const auto join = [](DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; };
  return browser::FileStamp{join(data.nFileSizeHigh, data.nFileSizeLow),
                            join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
}

bool WrittenWithinMs(const FileStamp& stamp, int64_t ms) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const uint64_t nowTicks = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  // File times count 100-ns ticks; one written "later" than now (another
  // machine's clock) counts as just written.
  return stamp.written + static_cast<uint64_t>(ms) * 10000 >= nowTicks;
}

std::optional<ThumbStorePort::Stamp> WindowsThumbnailPlatform::FileStamp(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  // The file-system date as the program's date-times have it: local time at
  // the two-second resolution of DOS dates.
  FILETIME local{};
  WORD date = 0, time = 0;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  platform::DateTimeParts p;
  p.year = 1980 + (date >> 9);
  p.month = (date >> 5) & 15;
  p.day = date & 31;
  p.hour = time >> 11;
  p.minute = (time >> 5) & 63;
  p.second = (time & 31) * 2;
  Stamp s;
  try {
    s.modified = platform::EncodeDateTime(p);
  } catch (const std::invalid_argument&) {
    s.modified = 0;
  }
  s.size = data.nFileSizeLow;
  return s;
}

platform::DateTime WindowsThumbnailPlatform::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return platform::EncodeDateTime(
      {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds});
}

std::string WindowsThumbnailPlatform::ProgramFolder() { return platform::ExecutableFolder(); }

std::string WindowsThumbnailPlatform::ProgramFileName() {
  return platform::ExtractFileName(platform::ModulePathToAnsi(nullptr).value_or(""));
}

std::string WindowsThumbnailPlatform::WindowsFolder() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  std::string p = path;
  if (!p.empty() && p.back() != '\\') p += '\\';
  return p;
}

std::string WindowsThumbnailPlatform::TempFolder() {
  char path[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("TEMP", path, MAX_PATH);
  std::string p = n > 0 && n < MAX_PATH ? path : "";
  if (!p.empty() && p.back() != '\\') p += '\\';
  return p;
}

}  // namespace tapestrel::browser
