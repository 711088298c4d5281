#include "imaging/file_bytes.h"

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
  std::vector<uint8_t> bytes;
  // The size from seeking only reserves memory (it overflows `long` for huge
  // files on 32-bit systems); the chunked read below decides.
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0 && static_cast<unsigned long>(size) > maxBytes)
      throw ImageError("file is too large: " + path);
    if (size > 0) bytes.reserve(static_cast<size_t>(size) + 1);
  }
  std::rewind(file.get());
  constexpr size_t kChunk = size_t{1} << 20;
  std::vector<uint8_t> chunk(kChunk);
  for (;;) {
    const size_t got = std::fread(chunk.data(), 1, kChunk, file.get());
    if (got > maxBytes - bytes.size()) throw ImageError("file is too large: " + path);
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
    if (got < kChunk) break;
  }
  if (std::ferror(file.get())) throw ImageError("cannot read " + path);
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
