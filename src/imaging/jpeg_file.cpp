#include "imaging/jpeg_file.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "imaging/file_bytes.h"
#include "imaging/pixel_convert.h"
#include "imaging/turn_picture.h"

// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

namespace tapestrel::imaging {
namespace {

// Progressive files may hold any number of scans, each costing a pass over
// the coefficients; real files have a dozen or so.
constexpr int kMaxScans = 1000;

// A file of a few bytes may claim a picture of a gigabyte. In a complete
// Huffman-coded file every 8 x 8 block of every component takes at least one
// bit (no code is shorter), so a picture of more blocks than eight per byte
// of the file is refused before libjpeg or we allocate for it. Arithmetic
// coding packs flat pictures tighter; those are refused all the same, as the
// price of the bound.
constexpr uint64_t kMaxBlocksPerByte = 8;
// libjpeg's working memory: the coefficients of a multi-scan file (128 bytes
// a block) and the row buffers, which grow with the width alone.
constexpr uint64_t kMaxCoefficientBytesPerByte = 128 * kMaxBlocksPerByte;
constexpr uint64_t kRowBufferAllowance = 4u << 20;

// libjpeg reports a fatal error by calling error_exit, which must not return.
// Throwing from there would unwind through libjpeg's C frames (built without
// unwind tables on Windows), so error_exit longjmps back to the Guarded frame
// below, which holds no C++ objects, and the exception is thrown from there.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" {

static void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (recoverable corrupt data) and trace messages stay silent.
static void OutputMessage(j_common_ptr) {}
static void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) ++cinfo->err->num_warnings;
}

static void FailWith(j_common_ptr cinfo, const char* message) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  std::snprintf(err->message, sizeof err->message, "%s", message);
  std::longjmp(err->jump, 1);
}

// libjpeg's progress hook, called at every row of blocks it reads or rows it
// gives out: where a decode that is asked to stop ends.
struct ProgressManager {
  jpeg_progress_mgr pub;
  StopRequest stop;
  bool stopped = false;
};

static void ProgressMonitor(j_common_ptr cinfo) {
  auto* progress = reinterpret_cast<ProgressManager*>(cinfo->progress);
  if (progress->stop.Requested()) {
    progress->stopped = true;
    FailWith(cinfo, "stopped");
  }
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    FailWith(cinfo, "too many scans");
  }
}

// Memory source. Running out of data inside a scan is an error. Running out
// between scans or in a scan's last row of blocks ends the picture there, as
// libjpeg's own sources do: that keeps files that merely lack their end
// marker, and progressive files cut after a usable scan.
static void InitSource(j_decompress_ptr) {}
static boolean FillInputBuffer(j_decompress_ptr cinfo) {
  static const JOCTET kEndMarker[2] = {0xFF, JPEG_EOI};
  if (cinfo->input_iMCU_row + 1 < cinfo->total_iMCU_rows)
    FailWith(reinterpret_cast<j_common_ptr>(cinfo), "truncated file");
  cinfo->src->next_input_byte = kEndMarker;
  cinfo->src->bytes_in_buffer = 2;
  return TRUE;
}
static void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  if (static_cast<unsigned long>(count) > cinfo->src->bytes_in_buffer) {
    // Skipping past the end: fails or lands on the end marker.
    cinfo->src->bytes_in_buffer = 0;
    FillInputBuffer(cinfo);
    return;
  }
  cinfo->src->next_input_byte += count;
  cinfo->src->bytes_in_buffer -= static_cast<size_t>(count);
}
static void TermSource(j_decompress_ptr) {}

}  // extern "C"

// Runs one step of libjpeg work; false when libjpeg reported an error. The
// lambda and this frame hold no objects with destructors, so the longjmp back
// here skips nothing that needs cleaning up.
template <typename Step>
bool Guarded(ErrorManager& err, Step&& step) {
  if (setjmp(err.jump) != 0) return false;
  step();
  return true;
}

void InitErrors(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.output_message = OutputMessage;
  err.pub.emit_message = EmitMessage;
  err.message[0] = '\0';
}

[[noreturn]] void Fail(const ErrorManager& err) { throw ImageError(std::string("JPEG: ") + err.message); }

class Decompressor {
 public:
  Decompressor(std::span<const uint8_t> data, size_t maxMemory, StopRequest stop = {}) {
    InitErrors(err_);
    cinfo_.err = &err_.pub;
    if (!Guarded(err_, [&] { jpeg_create_decompress(&cinfo_); })) Fail(err_);
    created_ = true;
    source_.next_input_byte = data.data();
    source_.bytes_in_buffer = data.size();
    source_.init_source = InitSource;
    source_.fill_input_buffer = FillInputBuffer;
    source_.skip_input_data = SkipInputData;
    source_.resync_to_restart = jpeg_resync_to_restart;
    source_.term_source = TermSource;
    cinfo_.src = &source_;
    progress_.pub.progress_monitor = ProgressMonitor;
    progress_.stop = stop;
    cinfo_.progress = &progress_.pub;
    // Bounds the coefficient buffers of multi-scan files by what the data
    // could fill; there is no backing store, so asking for more is an error.
    const uint64_t limit =
        std::min<uint64_t>({maxMemory, data.size() * kMaxCoefficientBytesPerByte + kRowBufferAllowance,
                            static_cast<uint64_t>(std::numeric_limits<long>::max())});
    cinfo_.mem->max_memory_to_use = static_cast<long>(limit);
  }
  ~Decompressor() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  template <typename Step>
  void Run(Step&& step) {
    if (Guarded(err_, step)) return;
    if (progress_.stopped) throw PictureStopped();
    Fail(err_);
  }

  jpeg_decompress_struct& cinfo() { return cinfo_; }
  const jpeg_decompress_struct& cinfo() const { return cinfo_; }

 private:
  ErrorManager err_{};
  jpeg_decompress_struct cinfo_{};
  jpeg_source_mgr source_{};
  ProgressManager progress_{};
  bool created_ = false;
};

int Div255(int v) { return (v + 127) / 255; }

// CMYK rows as libjpeg hands them over. Adobe's files store the inks
// inverted, which is what nearly every CMYK JPEG in circulation is.
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    bgr[0] = static_cast<uint8_t>(Div255(y * k));
    bgr[1] = static_cast<uint8_t>(Div255(m * k));
    bgr[2] = static_cast<uint8_t>(Div255(c * k));
  }
}

}  // namespace

JpegHeader ReadJpegHeader(std::span<const uint8_t> data) {
  Decompressor d(data, Bitmap::kMaxPixelBytes);
  auto& c = d.cinfo();
  d.Run([&] { jpeg_read_header(&c, TRUE); });
  return JpegHeader{static_cast<int>(c.image_width), static_cast<int>(c.image_height), c.num_components};
}

struct JpegRowReader::State {
  State(std::span<const uint8_t> data, size_t maxBytes, StopRequest stop) : d(data, maxBytes, stop) {}
  Decompressor d;
  JpegHeader header;
  int width = 0, height = 0;
  bool cmyk = false, inverted = false;
  std::vector<uint8_t> scratch;  // CMYK rows before conversion
};

JpegRowReader::JpegRowReader(std::span<const uint8_t> data, const JpegDecodeOptions& options)
    : state_(std::make_unique<State>(data, options.maxBytes, options.stop)) {
  Decompressor& d = state_->d;
  auto& c = d.cinfo();
  d.Run([&] { jpeg_read_header(&c, TRUE); });
  const int width = static_cast<int>(c.image_width);
  const int height = static_cast<int>(c.image_height);
  state_->header = JpegHeader{width, height, c.num_components};
  uint64_t blocks = 0;
  for (int i = 0; i < c.num_components; ++i) {
    blocks += uint64_t{c.comp_info[i].width_in_blocks} * c.comp_info[i].height_in_blocks;
  }
  if (blocks > data.size() * kMaxBlocksPerByte) throw ImageError("JPEG: picture larger than its data");

  const int scale = options.chooseScale ? options.chooseScale(width, height) : options.scaleDenominator;
  if (scale != 1 && scale != 2 && scale != 4 && scale != 8)
    throw ImageError("JPEG: scale must be 1, 2, 4 or 8");
  c.scale_num = 1;
  c.scale_denom = static_cast<unsigned>(scale);
  const bool best = options.mode == JpegMode::BestQuality;
  c.dct_method = best ? JDCT_ISLOW : JDCT_IFAST;
  c.do_fancy_upsampling = best ? TRUE : FALSE;
  c.do_block_smoothing = best ? TRUE : FALSE;

  const bool cmyk = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
#ifdef JCS_EXTENSIONS
  c.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
#else
  c.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
#endif
  d.Run([&] { jpeg_calc_output_dimensions(&c); });
  const int outWidth = static_cast<int>(c.output_width);
  const int outHeight = static_cast<int>(c.output_height);
  Bitmap::CheckSize(outWidth, outHeight, PixelFormat::Bits24);
  if (Bitmap::StrideFor(outWidth, PixelFormat::Bits24) > options.maxBytes / static_cast<size_t>(outHeight)) {
    throw ImageError("JPEG: picture is too large");
  }

  d.Run([&] { jpeg_start_decompress(&c); });
  if (c.output_components != (cmyk ? 4 : 3)) throw ImageError("JPEG: unexpected color layout");
  state_->width = outWidth;
  state_->height = outHeight;
  state_->cmyk = cmyk;
  state_->inverted = c.saw_Adobe_marker != 0;
  if (cmyk) state_->scratch.resize(static_cast<size_t>(outWidth) * 4);
}

JpegRowReader::~JpegRowReader() = default;

int JpegRowReader::Width() const { return state_->width; }
int JpegRowReader::Height() const { return state_->height; }
const JpegHeader& JpegRowReader::Header() const { return state_->header; }
int JpegRowReader::RowsRead() const { return static_cast<int>(state_->d.cinfo().output_scanline); }

void JpegRowReader::ReadRow(uint8_t* row) {
  State& s = *state_;
  auto& c = s.d.cinfo();
  if (c.output_scanline >= c.output_height) throw ImageError("JPEG: no rows left");
  JSAMPROW target = s.cmyk ? s.scratch.data() : row;
  JDIMENSION got = 0;
  s.d.Run([&] { got = jpeg_read_scanlines(&c, &target, 1); });
  // With the whole file in memory libjpeg never suspends, so every call
  // delivers a row; a call that does not would otherwise loop forever.
  if (got != 1) throw ImageError("JPEG: decoder stalled");
  if (s.cmyk) {
    CmykRowToBgr(s.scratch.data(), row, s.width, s.inverted);
  } else {
#ifndef JCS_EXTENSIONS
    for (int x = 0; x < s.width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
#endif
  }
}

Bitmap JpegRowReader::ReadRemainingRows() {
  const int first = RowsRead();
  // Every row is written below (or the whole bitmap is dropped on an error).
  Bitmap out = Bitmap::ForOverwrite(Width(), Height() - first, PixelFormat::Bits24);
  for (int y = 0; y < out.Height(); ++y) ReadRow(out.Row(y));
  return out;
}

Bitmap DecodeJpeg(std::span<const uint8_t> data, const JpegDecodeOptions& options, JpegHeader* header) {
  const ExifOrientation orientation =
      options.exifOrientation ? ReadExifOrientation(data) : ExifOrientation::AsStored;
  const bool swaps = SwapsAxes(orientation);
  JpegDecodeOptions stored = options;
  // The scale is chosen for the picture as it will be shown.
  if (swaps && options.chooseScale)
    stored.chooseScale = [&options](int width, int height) { return options.chooseScale(height, width); };
  JpegRowReader reader(data, stored);
  if (header) {
    *header = reader.Header();
    if (swaps) std::swap(header->width, header->height);
  }
  // The end marker is not read: the picture is complete, and jpeg_finish_
  // decompress would only reject files that merely lack the marker.
  return TurnAsRecorded(reader.ReadRemainingRows(), orientation);
}

Bitmap DecodeJpegFile(const std::string& path, const JpegDecodeOptions& options, JpegHeader* header) {
  return DecodeJpeg(ReadFileBytes(path), options, header);
}

namespace {

// Memory destination growing a vector. Growth failure must not throw through
// libjpeg, so it is turned into a libjpeg error here.
struct Destination {
  jpeg_destination_mgr pub;
  std::vector<uint8_t>* out;
};

constexpr size_t kDestinationChunk = 64 * 1024;

bool Grow(Destination* dest) {
  try {
    const size_t used = dest->out->size();
    dest->out->resize(used + kDestinationChunk);
    dest->pub.next_output_byte = dest->out->data() + used;
    dest->pub.free_in_buffer = kDestinationChunk;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

extern "C" {
static void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->out->clear();
  if (!Grow(dest)) FailWith(reinterpret_cast<j_common_ptr>(cinfo), "out of memory");
}
static boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  // libjpeg calls this with the whole buffer full, whatever free_in_buffer says.
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  if (!Grow(dest)) FailWith(reinterpret_cast<j_common_ptr>(cinfo), "out of memory");
  return TRUE;
}
static void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->out->resize(dest->out->size() - dest->pub.free_in_buffer);
}
}  // extern "C"

class Compressor {
 public:
  explicit Compressor(std::vector<uint8_t>* out) {
    InitErrors(err_);
    cinfo_.err = &err_.pub;
    if (!Guarded(err_, [&] { jpeg_create_compress(&cinfo_); })) Fail(err_);
    created_ = true;
    dest_.out = out;
    dest_.pub.init_destination = InitDestination;
    dest_.pub.empty_output_buffer = EmptyOutputBuffer;
    dest_.pub.term_destination = TermDestination;
    cinfo_.dest = &dest_.pub;
  }
  ~Compressor() {
    if (created_) jpeg_destroy_compress(&cinfo_);
  }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  template <typename Step>
  void Run(Step&& step) {
    if (!Guarded(err_, step)) Fail(err_);
  }
  jpeg_compress_struct& cinfo() { return cinfo_; }

 private:
  ErrorManager err_{};
  jpeg_compress_struct cinfo_{};
  Destination dest_{};
  bool created_ = false;
};

}  // namespace

std::vector<uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality) {
  if (bitmap.Empty()) throw ImageError("JPEG: cannot encode an empty bitmap");
  const Bitmap converted = bitmap.Format() == PixelFormat::Bits24 ? Bitmap() : ConvertTo24(bitmap);
  const Bitmap& source = bitmap.Format() == PixelFormat::Bits24 ? bitmap : converted;

  std::vector<uint8_t> out;
  Compressor comp(&out);
  auto& c = comp.cinfo();
  c.image_width = static_cast<JDIMENSION>(source.Width());
  c.image_height = static_cast<JDIMENSION>(source.Height());
  c.input_components = 3;
#ifdef JCS_EXTENSIONS
  c.in_color_space = JCS_EXT_BGR;
#else
  c.in_color_space = JCS_RGB;
  std::vector<uint8_t> rgb(static_cast<size_t>(source.Width()) * 3);
#endif
  comp.Run([&] {
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
  });
  while (c.next_scanline < c.image_height) {
    const int y = static_cast<int>(c.next_scanline);
#ifdef JCS_EXTENSIONS
    JSAMPROW row = const_cast<uint8_t*>(source.Row(y));
#else
    const uint8_t* bgr = source.Row(y);
    for (size_t i = 0; i < rgb.size(); i += 3)
      rgb[i] = bgr[i + 2], rgb[i + 1] = bgr[i + 1], rgb[i + 2] = bgr[i];
    JSAMPROW row = rgb.data();
#endif
    JDIMENSION written = 0;
    comp.Run([&] { written = jpeg_write_scanlines(&c, &row, 1); });
    if (written != 1) throw ImageError("JPEG: encoder stalled");
  }
  comp.Run([&] { jpeg_finish_compress(&c); });
  return out;
}

void EncodeJpegFile(const std::string& path, const Bitmap& bitmap, int quality) {
  WriteFileBytes(path, EncodeJpeg(bitmap, quality));
}

}  // namespace tapestrel::imaging
