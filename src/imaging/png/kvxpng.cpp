#include "imaging/png/kvxpng.h"

#include <fstream>

#include "imaging/png/png_read_stream.h"
#include "imaging/png/png_write_stream.h"

namespace tapestrel::imaging {

template <typename Source>
void TKVXPNG::Load(Source& source) {
  TKVXPNGReadStream reader(source, image_, alpha_mask_);
  reader.SetProgress(on_progress_);
  // The reader empties both bitmaps first; the flags go with them.
  has_alpha_ = greyscale_ = transparent_ = false;
  const PngReadResult result = reader.Decode(*this);
  has_alpha_ = result.has_alpha;
  greyscale_ = result.greyscale;
  transparent_ = result.transparent;
}

void TKVXPNG::LoadFromStream(std::istream& in) { Load(in); }

void TKVXPNG::LoadFromMemory(std::span<const uint8_t> data) { Load(data); }

void TKVXPNG::LoadFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ImageError("cannot open " + path);
  LoadFromStream(in);
}

template <typename Sink>
void TKVXPNG::Save(Sink& sink) const {
  TKVXPNGWriteStream writer(sink, image_, has_alpha_ ? &alpha_mask_ : nullptr);
  writer.SetProgress(on_progress_);
  writer.Encode(*this, greyscale_);
}

void TKVXPNG::SaveToStream(std::ostream& out) const { Save(out); }

void TKVXPNG::SaveToMemory(std::vector<uint8_t>& out) const { Save(out); }

void TKVXPNG::SaveToFile(const std::string& path) const {
  // Checked first so that a bad parameter leaves no empty file behind.
  if (IdatSize < TKVXPNGWriteStream::kMinIdatSize || IdatSize > TKVXPNGWriteStream::kMaxIdatSize) {
    throw EKVXPNG(png_message::kIdatSize);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw ImageError("cannot create " + path);
  SaveToStream(out);
  out.close();
  if (!out) throw EKVXPNG(png_message::kWriteImage);
}

}  // namespace tapestrel::imaging
