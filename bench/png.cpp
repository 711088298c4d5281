// PNG codec speed and size against libpng, measured in the same run.
//
// Decoding: a photograph-like 3000 x 2000 RGB picture, a screenshot-like
// 1920 x 1080 one and a 512 x 512 RGBA one, saved by libpng with its default
// filtering. libpng decodes into the same layout as ours (blue-green-red rows),
// so both do the same work. Encoding: our defaults (filter None, zlib level 6)
// against libpng with the same filter and zlib parameters, and our adaptive
// filter against libpng's default filtering. The table at the end gives each
// pair as a ratio, ours / libpng. The photograph is also decoded from a file,
// the way the wallpaper reads it. Beside each decoding ratio stands its
// floor: zlib's inflate alone over the same data, against libpng.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "imaging/png/kvxpng.h"

using namespace tapestrel::imaging;

namespace {

using Bytes = std::vector<uint8_t>;

struct Picture {
  Bitmap image;  // 24 bits
  Bitmap mask;   // 8 bits, or empty
  Bytes bgra;    // the same picture as libpng takes it: BGR or BGRA rows, no padding
  int channels = 3;
};

uint32_t g_seed = 12345;
int Noise(int amplitude) {
  g_seed = g_seed * 1103515245u + 12345u;
  return static_cast<int>((g_seed >> 16) % (2 * amplitude + 1)) - amplitude;
}
uint8_t Clamp(double v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

void FillLibpngRows(Picture& p) {
  const int w = p.image.Width(), h = p.image.Height();
  p.bgra.resize(static_cast<size_t>(w) * h * p.channels);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* d = &p.bgra[(static_cast<size_t>(y) * w + x) * p.channels];
      std::memcpy(d, p.image.Row(y) + 3 * x, 3);
      if (p.channels == 4) d[3] = static_cast<uint8_t>(255 - p.mask.Row(y)[x]);
    }
  }
}

// Smooth shading with sensor noise: most of the bytes differ from their
// neighbours a little, as in a photograph.
Picture Photo() {
  Picture p;
  const int w = 3000, h = 2000;
  p.image = Bitmap(w, h, PixelFormat::Bits24);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = p.image.Row(y);
    for (int x = 0; x < w; ++x) {
      const double s = std::sin(x / 310.0 + y / 470.0), c = std::cos(y / 173.0 - x / 910.0);
      const double shade = 0.5 + 0.5 * std::sin((x + y) / 97.0) * std::cos(x / 53.0);
      row[3 * x + 0] = Clamp(90 + 70 * c * shade + Noise(3));
      row[3 * x + 1] = Clamp(120 + 60 * s + 30 * shade + Noise(3));
      row[3 * x + 2] = Clamp(140 + 80 * s * c + Noise(4));
    }
  }
  FillLibpngRows(p);
  return p;
}

// Flat areas, windows with title bars and lines of small glyphs.
Picture Screenshot() {
  Picture p;
  const int w = 1920, h = 1080;
  p.image = Bitmap(w, h, PixelFormat::Bits24);
  for (int y = 0; y < h; ++y) {
    uint8_t* row = p.image.Row(y);
    for (int x = 0; x < w; ++x) {
      row[3 * x] = 0x80, row[3 * x + 1] = 0x60, row[3 * x + 2] = 0x20;  // desktop
    }
  }
  const int windows[][4] = {{40, 30, 900, 700}, {700, 200, 1800, 1000}, {100, 760, 640, 1040}};
  for (const auto& win : windows) {
    for (int y = win[1]; y < win[3]; ++y) {
      uint8_t* row = p.image.Row(y);
      for (int x = win[0]; x < win[2]; ++x) {
        uint8_t* px = row + 3 * x;
        if (y < win[1] + 24) {  // title bar, a gradient
          px[0] = static_cast<uint8_t>(200 - (x - win[0]) * 100 / (win[2] - win[0]));
          px[1] = 0x50, px[2] = 0x10;
        } else if (x == win[0] || x == win[2] - 1 || y == win[3] - 1) {
          px[0] = px[1] = px[2] = 0x40;
        } else {
          px[0] = px[1] = px[2] = 0xF4;
          // Text: 7-pixel-high lines of 6-pixel cells, each cell a glyph.
          const int line = (y - win[1] - 30) / 16, ly = (y - win[1] - 30) % 16;
          const int cell = (x - win[0] - 8) / 6, lx = (x - win[0] - 8) % 6;
          if (y > win[1] + 30 && x > win[0] + 8 && ly < 7 && lx < 5 && (line * 7 + cell / 9) % 11 != 3) {
            const uint32_t glyph = static_cast<uint32_t>(line * 131 + cell * 7919) * 2654435761u;
            if ((glyph >> (lx * 7 + ly)) & 1) px[0] = px[1] = px[2] = 0x10;
          }
        }
      }
    }
  }
  FillLibpngRows(p);
  return p;
}

Picture Rgba512() {
  Picture p;
  const int w = 512, h = 512;
  p.channels = 4;
  p.image = Bitmap(w, h, PixelFormat::Bits24);
  p.mask = Bitmap(w, h, PixelFormat::Bits8);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* px = p.image.Row(y) + 3 * x;
      px[0] = static_cast<uint8_t>(x / 2), px[1] = static_cast<uint8_t>(y / 2);
      px[2] = Clamp(128 + 100 * std::sin((x * y) / 4000.0) + Noise(2));
      const double r = std::hypot(x - 256.0, y - 256.0);
      p.mask.Row(y)[x] = Clamp(r < 150 ? 0 : (r - 150) * 2);
    }
  }
  FillLibpngRows(p);
  return p;
}

struct LibpngWriteOptions {
  int filters = PNG_FILTER_NONE;
  bool same_zlib = true;  // our zlib parameters; otherwise libpng's defaults
};

void AppendData(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

Bytes EncodeWithLibpng(const Picture& p, const LibpngWriteOptions& options) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fprintf(stderr, "libpng failed to encode\n");
    std::abort();
  }
  png_set_write_fn(png, &out, AppendData, NoFlush);
  const int w = p.image.Width(), h = p.image.Height();
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
               p.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, options.filters);
  if (options.same_zlib) {
    png_set_compression_level(png, Z_DEFAULT_COMPRESSION);
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
    png_set_compression_window_bits(png, 15);
    png_set_compression_mem_level(png, 8);
    png_set_compression_buffer_size(png, 32768);
  }
  png_write_info(png, info);
  png_set_bgr(png);
  const size_t row_bytes = static_cast<size_t>(w) * p.channels;
  for (int y = 0; y < h; ++y) png_write_row(png, const_cast<png_bytep>(&p.bgra[row_bytes * y]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

struct MemoryReader {
  const Bytes* data;
  size_t pos;
};
void ReadData(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (r->data->size() - r->pos < n) png_error(png, "truncated");
  std::memcpy(out, r->data->data() + r->pos, n);
  r->pos += n;
}

// libpng decoding into padded blue-green-red(-alpha) rows, like a DIB.
size_t DecodeWithLibpng(const Bytes& data) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  MemoryReader reader{&data, 0};
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fprintf(stderr, "libpng failed to decode\n");
    std::abort();
  }
  png_set_read_fn(png, &reader, ReadData);
  png_read_info(png, info);
  png_set_bgr(png);
  png_set_strip_16(png);
  png_read_update_info(png, info);
  const size_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  const size_t stride = (png_get_rowbytes(png, info) + 3) & ~size_t{3};
  Bytes pixels(stride * height);
  std::vector<png_bytep> rows(height);
  for (size_t y = 0; y < height; ++y) rows[y] = &pixels[y * stride];
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  benchmark::DoNotOptimize(pixels.data());
  return width * height;
}

const Picture& Get(int which) {
  static const Picture photo = Photo(), screenshot = Screenshot(), rgba = Rgba512();
  return which == 0 ? photo : which == 1 ? screenshot : rgba;
}
const char* const kNames[] = {"photo_3000x2000", "screenshot_1920x1080", "rgba_512x512"};

// Files to decode, as an ordinary program would have saved them.
const Bytes& Encoded(int which) {
  static std::map<int, Bytes> files;
  auto it = files.find(which);
  if (it == files.end()) {
    it = files.emplace(which, EncodeWithLibpng(Get(which), {PNG_ALL_FILTERS, false})).first;
  }
  return it->second;
}

void SetPixels(benchmark::State& state, int which) {
  const Bitmap& b = Get(which).image;
  state.SetItemsProcessed(state.iterations() * b.Width() * b.Height());
}

void DecodeOurs(benchmark::State& state, int which) {
  const Bytes& data = Encoded(which);
  for (auto _ : state) {
    TKVXPNG png;
    png.LoadFromMemory(data);
    benchmark::DoNotOptimize(png.Image().Pixels());
  }
  SetPixels(state, which);
}

void DecodeLibpng(benchmark::State& state, int which) {
  const Bytes& data = Encoded(which);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeWithLibpng(data));
  SetPixels(state, which);
}

// The floor of any decoder built on this zlib: the image data inflated in one
// call into one buffer, with no unfiltering and no conversion. Both decoders
// spend most of their time in this same inflate.
void InflateOnly(benchmark::State& state, int which) {
  const Bytes& data = Encoded(which);
  Bytes idat;
  for (size_t at = 8; at + 12 <= data.size();) {
    const uint32_t length = uint32_t{data[at]} << 24 | uint32_t{data[at + 1]} << 16 | data[at + 2] << 8 | data[at + 3];
    if (std::memcmp(&data[at + 4], "IDAT", 4) == 0)
      idat.insert(idat.end(), data.begin() + at + 8, data.begin() + at + 8 + length);
    at += 12 + length;
  }
  const Picture& p = Get(which);
  Bytes rows(static_cast<size_t>(p.image.Height()) * (static_cast<size_t>(p.image.Width()) * p.channels + 1));
  for (auto _ : state) {
    z_stream zs{};
    inflateInit(&zs);
    zs.next_in = idat.data();
    zs.avail_in = static_cast<uInt>(idat.size());
    zs.next_out = rows.data();
    zs.avail_out = static_cast<uInt>(rows.size());
    if (inflate(&zs, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
    inflateEnd(&zs);
    benchmark::DoNotOptimize(rows.data());
  }
  SetPixels(state, which);
}

// The same file from disk: our reader goes through its stream buffer (the
// wallpaper's path), libpng through stdio.
const std::string& EncodedFile(int which) {
  static std::map<int, std::string> paths;
  auto it = paths.find(which);
  if (it == paths.end()) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("tapestrel-bench-" + std::string(kNames[which]) + ".png"))
            .string();
    const Bytes& data = Encoded(which);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    it = paths.emplace(which, path).first;
  }
  return it->second;
}

void DecodeFileOurs(benchmark::State& state, int which) {
  const std::string& path = EncodedFile(which);
  for (auto _ : state) {
    TKVXPNG png;
    png.LoadFromFile(path);
    benchmark::DoNotOptimize(png.Image().Pixels());
  }
  SetPixels(state, which);
}

size_t DecodeFileWithLibpng(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (!file || setjmp(png_jmpbuf(png))) {
    std::fprintf(stderr, "libpng failed to decode %s\n", path.c_str());
    std::abort();
  }
  png_init_io(png, file);
  png_read_info(png, info);
  png_set_bgr(png);
  png_set_strip_16(png);
  png_read_update_info(png, info);
  const size_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
  const size_t stride = (png_get_rowbytes(png, info) + 3) & ~size_t{3};
  Bytes pixels(stride * height);
  std::vector<png_bytep> rows(height);
  for (size_t y = 0; y < height; ++y) rows[y] = &pixels[y * stride];
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  benchmark::DoNotOptimize(pixels.data());
  return width * height;
}

void DecodeFileLibpng(benchmark::State& state, int which) {
  const std::string& path = EncodedFile(which);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeFileWithLibpng(path));
  SetPixels(state, which);
}

void EncodeOurs(benchmark::State& state, int which, int filter_mode) {
  const Picture& p = Get(which);
  TKVXPNG png;
  png.Assign(p.image);
  if (!p.mask.Empty()) {
    png.AlphaMask() = p.mask;
    png.SetHasAlpha(true);
  }
  png.FilterMode = filter_mode;
  size_t size = 0;
  for (auto _ : state) {
    Bytes out;
    png.SaveToMemory(out);
    size = out.size();
  }
  state.counters["bytes"] = static_cast<double>(size);
  SetPixels(state, which);
}

void EncodeLibpng(benchmark::State& state, int which, LibpngWriteOptions options) {
  size_t size = 0;
  for (auto _ : state) size = EncodeWithLibpng(Get(which), options).size();
  state.counters["bytes"] = static_cast<double>(size);
  SetPixels(state, which);
}

// Collects the runs and prints each "…/ours" beside its "…/libpng".
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // With repetitions, the median stands for the pair.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      const std::string name = run.run_name.function_name;
      if (!median && medians_.count(name)) continue;
      if (median) medians_.insert(name);
      Result& r = results_[name];
      r.time = run.GetAdjustedCPUTime();  // CPU time: the machine is shared
      const auto it = run.counters.find("bytes");
      r.bytes = it != run.counters.end() ? static_cast<double>(it->second) : 0;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-44s %10s %10s %8s %12s %12s %8s\n", "ours / libpng (CPU time)", "ours ms", "libpng ms",
                "time", "ours bytes", "libpng bytes", "size");
    for (const auto& [name, ours] : results_) {
      const auto slash = name.rfind("/ours");
      if (slash == std::string::npos) continue;
      const std::string base = name.substr(0, slash);
      std::string reference = base + "/libpng";
      if (base.starts_with("encode_adaptive"))
        reference = "encode_libpng_default" + base.substr(15) + "/libpng";
      const auto it = results_.find(reference);
      if (it == results_.end()) continue;
      const Result& ref = it->second;
      std::printf("%-44s %10.2f %10.2f %7.2fx", base.c_str(), ours.time, ref.time, ours.time / ref.time);
      if (ours.bytes > 0 && ref.bytes > 0) {
        std::printf(" %12.0f %12.0f %7.4fx", ours.bytes, ref.bytes, ours.bytes / ref.bytes);
      }
      const auto floor = results_.find(base + "/inflate");
      if (floor != results_.end())
        std::printf("   floor %.2fx (inflate alone %.2f ms)", floor->second.time / ref.time, floor->second.time);
      std::printf("\n");
    }
  }

 private:
  struct Result {
    double time = 0, bytes = 0;
  };
  std::map<std::string, Result> results_;
  std::set<std::string> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  for (int which = 0; which < 3; ++which) {
    const std::string name = kNames[which];
    benchmark::RegisterBenchmark(("decode/" + name + "/ours").c_str(), DecodeOurs, which)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("decode/" + name + "/libpng").c_str(), DecodeLibpng, which)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("decode/" + name + "/inflate").c_str(), InflateOnly, which)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("decode_file/photo_3000x2000/ours", DecodeFileOurs, 0)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("decode_file/photo_3000x2000/libpng", DecodeFileLibpng, 0)
      ->Unit(benchmark::kMillisecond);
  for (int which = 0; which < 3; ++which) {
    const std::string name = kNames[which];
    benchmark::RegisterBenchmark(("encode_defaults/" + name + "/ours").c_str(), EncodeOurs, which, 1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("encode_defaults/" + name + "/libpng").c_str(), EncodeLibpng, which,
                                 LibpngWriteOptions{PNG_FILTER_NONE, true})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("encode_adaptive/" + name + "/ours").c_str(), EncodeOurs, which, 0)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("encode_libpng_default/" + name + "/libpng").c_str(), EncodeLibpng, which,
                                 LibpngWriteOptions{PNG_ALL_FILTERS, false})
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
