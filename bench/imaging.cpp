// Imaging speed, each figure beside a reference timed in the same iterations:
//   - a 4000 x 3000 JPEG to a 120 x 90 thumbnail, against libjpeg alone
//     decoding it at 1/8 for speed (goal: ratio <= 1.15);
//   - StretchBilinear 4000 x 3000 (24 or 32 bits) to 1920 x 1080 and
//     3840 x 2160, against memcpy of the destination's bytes (goal: ratio <= 6);
//   - ResampleTo 500 x 375 to 120 x 90 and 60 x 40 to 120 x 80, against
//     memcpy of the result's bytes.
// The reference and the measured work alternate inside every iteration, so
// that load from other processes falls on both alike.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include <jpeglib.h>

#include "imaging/jpeg_file.h"
#include "imaging/pixel_convert.h"
#include "imaging/stretch_bilinear.h"
#include "imaging/thumbnail_decode.h"
#include "imaging/thumbnail_scaling.h"
#include "photo_like.h"

using namespace tapestrel::imaging;
using tapestrel::bench::PhotoLike;

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double Seconds(F&& f) {
  const auto start = Clock::now();
  f();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs reference and measured work alternately; reports both per iteration
// and their ratio. `prepare` runs untimed before each measured step.
template <typename Ref, typename Work, typename Prepare = void (*)()>
void Compare(
    benchmark::State& state, Ref&& reference, Work&& work, double pixels, Prepare prepare = [] {}) {
  double ref = 0, own = 0;
  for (auto _ : state) {
    ref += Seconds(reference);
    prepare();
    own += Seconds(work);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ref_ms"] = ref / n * 1e3;
  state.counters["own_ms"] = own / n * 1e3;
  state.counters["ratio"] = own / ref;
  if (pixels > 0) state.counters["ns_per_px"] = own / n / pixels * 1e9;
}


const std::vector<uint8_t>& BigJpeg() {
  static const std::vector<uint8_t> jpeg = EncodeJpeg(PhotoLike(4000, 3000));
  return jpeg;
}

// libjpeg on its own: 1/8 scale, fast DCT, plain upsampling, rows into one buffer.
void BareDecodeEighth(const std::vector<uint8_t>& data, std::vector<uint8_t>& out) {
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&c, TRUE);
  c.scale_num = 1;
  c.scale_denom = 8;
  c.dct_method = JDCT_IFAST;
  c.do_fancy_upsampling = FALSE;
  c.do_block_smoothing = FALSE;
  c.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&c);
  const size_t stride = (c.output_width * 3 + 3) & ~size_t{3};
  out.resize(stride * c.output_height);
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = out.data() + stride * c.output_scanline;
    jpeg_read_scanlines(&c, &row, 1);
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
}

void BM_JpegThumbnail120x90(benchmark::State& state) {
  const auto& jpeg = BigJpeg();
  std::vector<uint8_t> bare;
  Compare(
      state, [&] { BareDecodeEighth(jpeg, bare); },
      [&] {
        ThumbnailPicture t = DecodeThumbnailJpeg(jpeg, 120, 90, TGetType::igtPreview, JpegMode::BestSpeed);
        benchmark::DoNotOptimize(t.bitmap.Pixels());
      },
      0);
  state.counters["jpeg_kb"] = static_cast<double>(jpeg.size()) / 1024;
}
BENCHMARK(BM_JpegThumbnail120x90)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_StretchBilinear(benchmark::State& state) {
  const int dw = static_cast<int>(state.range(0)), dh = static_cast<int>(state.range(1));
  // 24 bits: a decoded photograph as ratio drawing reads it; 32: a TABitmap.
  static const Bitmap source24 = PhotoLike(4000, 3000);
  static const Bitmap source32 = ConvertTo32(source24);
  const Bitmap& source = state.range(2) == 24 ? source24 : source32;
  TABitmap dest;
  dest.SetSize(dw, dh);
  const size_t bytes = static_cast<size_t>(dw) * dh * 4;
  std::vector<uint8_t> from(bytes, 1), to(bytes);
  Compare(
      state,
      [&] {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
      },
      [&] {
        StretchBilinear(4000, 3000, dw, 0, 0, 0, 0, dh, source, dest);
        benchmark::ClobberMemory();
      },
      static_cast<double>(dw) * dh);
}
BENCHMARK(BM_StretchBilinear)
    ->Args({1920, 1080, 32})
    ->Args({3840, 2160, 32})
    ->Args({1920, 1080, 24})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3);

void BM_ResampleTo(benchmark::State& state) {
  const int sw = static_cast<int>(state.range(0)), sh = static_cast<int>(state.range(1));
  const int tw = static_cast<int>(state.range(2)), th = static_cast<int>(state.range(3));
  const Bitmap source = PhotoLike(sw, sh);
  const size_t bytes = Bitmap::StrideFor(tw, PixelFormat::Bits24) * th;
  std::vector<uint8_t> from(bytes, 1), to(bytes);
  Bitmap b;
  Compare(
      state,
      [&] {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
      },
      [&] {
        ResampleTo(b, tw, th);
        benchmark::DoNotOptimize(b.Pixels());
      },
      static_cast<double>(tw) * th, [&] { b = source; });
}
BENCHMARK(BM_ResampleTo)->Args({500, 375, 120, 90})->Args({60, 40, 120, 80})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
