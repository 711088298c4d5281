// Small buffered big-endian byte streams under the PNG reader and writer.
//
// The read stream works on memory in place, or on a std::istream through one
// 64 KiB buffer; callers that can consume bytes where they lie (the inflater)
// take them straight from the buffer with Fill()/Data()/Advance(). The write
// stream collects output in a 64 KiB buffer in front of a std::ostream or a
// byte vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <vector>

namespace tapestrel::imaging {

class TKVXCustomReadStream {
 public:
  static constexpr size_t kBufferSize = 64 * 1024;

  // Reads the bytes in place; they must outlive the stream.
  explicit TKVXCustomReadStream(std::span<const uint8_t> data);
  // Reads from the stream's current position to its end. A stream that
  // cannot seek is read into memory first: how much data there is must be
  // known before a picture's memory is allocated.
  explicit TKVXCustomReadStream(std::istream& in);
  virtual ~TKVXCustomReadStream() = default;
  TKVXCustomReadStream(const TKVXCustomReadStream&) = delete;
  TKVXCustomReadStream& operator=(const TKVXCustomReadStream&) = delete;

  // Buffered bytes not yet consumed.
  const uint8_t* Data() const { return pos_; }
  size_t Buffered() const { return static_cast<size_t>(end_ - pos_); }
  void Advance(size_t n) { pos_ += n < Buffered() ? n : Buffered(); }
  // Makes at least one byte available unless the data have ended; returns
  // Buffered().
  size_t Fill();
  // Makes at least min(n, kBufferSize) bytes available unless the data end
  // first; returns Buffered().
  size_t Ensure(size_t n);

  // Copies up to n bytes; returns how many there were.
  size_t Read(uint8_t* dst, size_t n);
  bool ReadFully(uint8_t* dst, size_t n) { return Read(dst, n) == n; }
  bool ReadU32(uint32_t& value);
  // Skips up to n bytes; returns how many were skipped.
  uint64_t Skip(uint64_t n);

  // Bytes from the current position to the end of the data.
  uint64_t Remaining() const { return Buffered() + stream_left_; }
  // Copies n bytes that lie `offset` bytes past the current position without
  // consuming anything; false when the data end first.
  bool PeekAt(uint64_t offset, uint8_t* dst, size_t n);

 private:
  bool Refill();

  std::istream* in_ = nullptr;
  uint64_t stream_left_ = 0;  // bytes of the stream not yet buffered
  std::vector<uint8_t> buffer_;
  const uint8_t* pos_ = nullptr;
  const uint8_t* end_ = nullptr;
};

class TKVXCustomWriteStream {
 public:
  static constexpr size_t kBufferSize = 64 * 1024;

  explicit TKVXCustomWriteStream(std::ostream& out);
  // Appends to the vector.
  explicit TKVXCustomWriteStream(std::vector<uint8_t>& out);
  virtual ~TKVXCustomWriteStream() = default;
  TKVXCustomWriteStream(const TKVXCustomWriteStream&) = delete;
  TKVXCustomWriteStream& operator=(const TKVXCustomWriteStream&) = delete;

  void Write(const uint8_t* data, size_t n);
  void WriteByte(uint8_t b) {
    if (buffer_.size() == kBufferSize) Flush();
    buffer_.push_back(b);
  }
  void WriteU16(uint16_t v) {
    WriteByte(static_cast<uint8_t>(v >> 8));
    WriteByte(static_cast<uint8_t>(v));
  }
  void WriteU32(uint32_t v) {
    WriteU16(static_cast<uint16_t>(v >> 16));
    WriteU16(static_cast<uint16_t>(v));
  }
  void Flush();
  // False once the underlying stream has refused data.
  bool Good() const { return good_; }

 private:
  void WriteToSink(const uint8_t* data, size_t n);

  std::ostream* out_ = nullptr;
  std::vector<uint8_t>* vector_ = nullptr;
  std::vector<uint8_t> buffer_;
  bool good_ = true;
};

inline uint32_t LoadU32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline void StoreU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}
inline void StoreU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

}  // namespace tapestrel::imaging
