// Streams bound to the bitmaps they fill or drain, with the picture
// framework's progress notification.
#pragma once

#include <functional>
#include <istream>
#include <span>

#include "imaging/bitmap.h"
#include "imaging/png/custom_stream.h"

namespace tapestrel::imaging {

enum class ProgressStage { Starting, Running, Ending };
// Percent is 0..100. A handler that wants to abort a load or save throws.
using ProgressHandler = std::function<void(ProgressStage stage, int percent)>;

// Reports rows done: every fourth row, or every row for pictures under four
// rows high, so that large pictures do not drown the receiver.
class RowProgress {
 public:
  RowProgress(const ProgressHandler& handler, int rows) : handler_(handler), rows_(rows) {}
  void Start() const {
    if (handler_) handler_(ProgressStage::Starting, 0);
  }
  void Row(int done) const {
    if (handler_ && (rows_ < 4 || done % 4 == 0)) {
      handler_(ProgressStage::Running, static_cast<int>(int64_t{done} * 100 / (rows_ > 0 ? rows_ : 1)));
    }
  }
  void End() const {
    if (handler_) handler_(ProgressStage::Ending, 100);
  }

 private:
  const ProgressHandler& handler_;
  int rows_;
};

// Decodes into an image bitmap and an 8-bit alpha mask.
class TKVXCustomGraphicReadStream : public TKVXCustomReadStream {
 public:
  TKVXCustomGraphicReadStream(std::span<const uint8_t> data, Bitmap& image, Bitmap& mask)
      : TKVXCustomReadStream(data), image_(image), mask_(mask) {}
  TKVXCustomGraphicReadStream(std::istream& in, Bitmap& image, Bitmap& mask)
      : TKVXCustomReadStream(in), image_(image), mask_(mask) {}
  void SetProgress(ProgressHandler handler) { progress_ = std::move(handler); }

 protected:
  Bitmap& image_;
  Bitmap& mask_;
  ProgressHandler progress_;
};

// Encodes an image bitmap and, when given, an 8-bit alpha mask.
class TKVXCustomGraphicWriteStream : public TKVXCustomWriteStream {
 public:
  TKVXCustomGraphicWriteStream(std::ostream& out, const Bitmap& image, const Bitmap* mask)
      : TKVXCustomWriteStream(out), image_(image), mask_(mask) {}
  TKVXCustomGraphicWriteStream(std::vector<uint8_t>& out, const Bitmap& image, const Bitmap* mask)
      : TKVXCustomWriteStream(out), image_(image), mask_(mask) {}
  void SetProgress(ProgressHandler handler) { progress_ = std::move(handler); }

 protected:
  const Bitmap& image_;
  const Bitmap* mask_;
  ProgressHandler progress_;
};

}  // namespace tapestrel::imaging
