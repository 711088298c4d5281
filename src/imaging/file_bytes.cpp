#include "imaging/file_bytes.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "imaging/bitmap.h"

namespace tapestrel::imaging {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& path, size_t maxBytes) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) throw ImageError("cannot open " + path);
  // The size from seeking only sizes the first read (it overflows `long` for
  // huge files on 32-bit systems); the reads decide. One byte more than the
  // size lets a file of exactly that size end with the first read, straight
  // into the result.
  size_t expected = 0;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0 && static_cast<unsigned long>(size) > maxBytes)
      throw ImageError("file is too large: " + path);
    if (size > 0) expected = static_cast<size_t>(size);
  }
  std::rewind(file.get());
  constexpr size_t kChunk = size_t{1} << 20;
  std::vector<uint8_t> bytes(expected + 1);
  size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      // Longer than it said: grow, up to one byte past the limit.
      if (used > maxBytes) throw ImageError("file is too large: " + path);
      bytes.resize(used + std::min(kChunk, maxBytes - used) + 1);
    }
    const size_t want = bytes.size() - used;
    const size_t got = std::fread(bytes.data() + used, 1, want, file.get());
    used += got;
    if (got < want) break;
  }
  if (std::ferror(file.get())) throw ImageError("cannot read " + path);
  if (used > maxBytes) throw ImageError("file is too large: " + path);
  bytes.resize(used);
  return bytes;
}

void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
  FileWriter file(path);
  file.Write(bytes);
  file.Close();
}

FileWriter::FileWriter(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb")) {
  if (!file_) throw ImageError("cannot create " + path);
}

void FileWriter::Write(std::span<const uint8_t> bytes) {
  if (!file_) throw ImageError("cannot write " + path_);
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
    throw ImageError("cannot write " + path_);
  }
}

void FileWriter::Close() {
  if (!file_ || std::fclose(file_.release()) != 0) throw ImageError("cannot write " + path_);
}

}  // namespace tapestrel::imaging
