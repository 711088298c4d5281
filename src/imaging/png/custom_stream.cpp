#include "imaging/png/custom_stream.h"

#include <cstring>
#include <istream>
#include <ostream>

namespace tapestrel::imaging {

TKVXCustomReadStream::TKVXCustomReadStream(std::span<const uint8_t> data)
    : pos_(data.data()), end_(data.data() + data.size()) {}

TKVXCustomReadStream::TKVXCustomReadStream(std::istream& in) {
  const std::istream::pos_type start = in.tellg();
  if (start != std::istream::pos_type(-1) && in.seekg(0, std::ios::end)) {
    const std::istream::pos_type end = in.tellg();
    in.seekg(start);
    if (end != std::istream::pos_type(-1) && end >= start && in) {
      in_ = &in;
      stream_left_ = static_cast<uint64_t>(end - start);
      buffer_.resize(kBufferSize);
      pos_ = end_ = buffer_.data();
      return;
    }
  }
  // Not seekable: the whole rest into memory, read where it lies from then on.
  in.clear();
  for (;;) {
    const size_t used = buffer_.size();
    buffer_.resize(used + kBufferSize);
    in.read(reinterpret_cast<char*>(buffer_.data() + used), static_cast<std::streamsize>(kBufferSize));
    buffer_.resize(used + static_cast<size_t>(in.gcount()));
    if (!in) break;
  }
  pos_ = buffer_.data();
  end_ = pos_ + buffer_.size();
}

bool TKVXCustomReadStream::Refill() {
  if (in_ == nullptr || stream_left_ == 0 || !*in_) return false;
  // Keep what is buffered, move it to the front and top up behind it.
  const size_t kept = Buffered();
  std::memmove(buffer_.data(), pos_, kept);
  in_->read(reinterpret_cast<char*>(buffer_.data() + kept), static_cast<std::streamsize>(kBufferSize - kept));
  const auto got = static_cast<size_t>(in_->gcount());
  stream_left_ -= got < stream_left_ ? got : stream_left_;
  if (got == 0) stream_left_ = 0;  // shorter than it said
  pos_ = buffer_.data();
  end_ = pos_ + kept + got;
  return got > 0;
}

bool TKVXCustomReadStream::PeekAt(uint64_t offset, uint8_t* dst, size_t n) {
  if (offset > Remaining() || n > Remaining() - offset) return false;
  size_t done = 0;
  if (offset < Buffered()) {
    done = static_cast<size_t>(n < Buffered() - offset ? n : Buffered() - offset);
    std::memcpy(dst, pos_ + offset, done);
  }
  if (done == n) return true;
  // The rest lies in the stream beyond the buffer; its position is put back.
  const std::istream::pos_type here = in_->tellg();
  in_->seekg(static_cast<std::streamoff>(offset + done - Buffered()), std::ios::cur);
  in_->read(reinterpret_cast<char*>(dst + done), static_cast<std::streamsize>(n - done));
  const bool complete = static_cast<size_t>(in_->gcount()) == n - done;
  in_->clear();
  in_->seekg(here);
  return complete && static_cast<bool>(*in_);
}

size_t TKVXCustomReadStream::Fill() {
  if (pos_ == end_) Refill();
  return Buffered();
}

size_t TKVXCustomReadStream::Ensure(size_t n) {
  if (n > kBufferSize) n = kBufferSize;
  while (Buffered() < n && Refill()) {
  }
  return Buffered();
}

size_t TKVXCustomReadStream::Read(uint8_t* dst, size_t n) {
  size_t done = 0;
  while (done < n && Fill() > 0) {
    const size_t step = n - done < Buffered() ? n - done : Buffered();
    std::memcpy(dst + done, pos_, step);
    pos_ += step;
    done += step;
  }
  return done;
}

bool TKVXCustomReadStream::ReadU32(uint32_t& value) {
  uint8_t b[4];
  if (!ReadFully(b, 4)) return false;
  value = LoadU32(b);
  return true;
}

uint64_t TKVXCustomReadStream::Skip(uint64_t n) {
  uint64_t done = 0;
  while (done < n && Fill() > 0) {
    const uint64_t step = n - done < Buffered() ? n - done : Buffered();
    pos_ += step;
    done += step;
  }
  return done;
}

TKVXCustomWriteStream::TKVXCustomWriteStream(std::ostream& out) : out_(&out) { buffer_.reserve(kBufferSize); }

TKVXCustomWriteStream::TKVXCustomWriteStream(std::vector<uint8_t>& out) : vector_(&out) {
  buffer_.reserve(kBufferSize);
}

void TKVXCustomWriteStream::Write(const uint8_t* data, size_t n) {
  // Large blocks (IDAT payloads) go straight to the sink: copying them
  // through the buffer would only cost time.
  if (n >= kBufferSize / 4) {
    Flush();
    WriteToSink(data, n);
    return;
  }
  while (n > 0) {
    if (buffer_.size() == kBufferSize) Flush();
    const size_t step = n < kBufferSize - buffer_.size() ? n : kBufferSize - buffer_.size();
    buffer_.insert(buffer_.end(), data, data + step);
    data += step;
    n -= step;
  }
}

void TKVXCustomWriteStream::Flush() {
  if (buffer_.empty()) return;
  WriteToSink(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void TKVXCustomWriteStream::WriteToSink(const uint8_t* data, size_t n) {
  if (vector_ != nullptr) {
    vector_->insert(vector_->end(), data, data + n);
  } else if (good_) {
    out_->write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
    if (!*out_) good_ = false;
  }
}

}  // namespace tapestrel::imaging
