#include "browser/thumb_store.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "imaging/thumbnail_decode.h"
#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::browser {
namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
void PutDouble(std::vector<uint8_t>& b, size_t at, double d) {
  uint64_t v;
  std::memcpy(&v, &d, 8);
  for (int i = 0; i < 8; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
double GetDouble(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
  double d;
  std::memcpy(&d, &v, 8);
  return d;
}

// The name's first 10 bytes, or 9 when the tenth would split a double-byte
// character.
std::string AppNameBytes(const std::string& name) {
  size_t n = 0;
  while (n < name.size()) {
    const size_t step = platform::IsAnsiLeadByte(static_cast<unsigned char>(name[n])) ? 2 : 1;
    if (n + step > 10) break;
    n += step;
  }
  return name.substr(0, std::min(n, name.size()));
}

bool ReadExactly(std::fstream& f, uint8_t* to, size_t n) {
  f.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(n));
  return static_cast<size_t>(f.gcount()) == n;
}

void WriteBytes(std::fstream& f, const std::vector<uint8_t>& b) {
  f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

std::string TempPathOf(const std::string& store) {
  const std::string ext = platform::ExtractFileExt(store);
  return store.substr(0, store.size() - ext.size()) + ".~tmp";
}

// A record as read from the store; its bytes stay in the file.
struct RecordAt {
  ThumbRecordHeader header;
  std::string key;
  std::streamoff dataAt = 0;
};

// The next record, or nothing at the end of the file or of its valid part.
std::optional<RecordAt> ReadRecord(std::fstream& f, std::streamoff at, std::streamoff fileSize) {
  if (at + static_cast<std::streamoff>(kThumbRecordHeaderSize) > fileSize) return std::nullopt;
  f.clear();
  f.seekg(at);
  uint8_t head[kThumbRecordHeaderSize];
  if (!ReadExactly(f, head, sizeof head)) return std::nullopt;
  RecordAt r;
  r.header = ParseThumbRecordHeader(head);
  const std::streamoff keyAt = at + static_cast<std::streamoff>(kThumbRecordHeaderSize);
  if (r.header.keyLength > fileSize - keyAt) return std::nullopt;
  r.dataAt = keyAt + r.header.keyLength;
  if (r.header.dataLength > fileSize - r.dataAt) return std::nullopt;
  r.key.resize(r.header.keyLength);
  if (!ReadExactly(f, reinterpret_cast<uint8_t*>(r.key.data()), r.key.size())) return std::nullopt;
  return r;
}

std::streamoff SizeOf(std::fstream& f) {
  f.clear();
  f.seekg(0, std::ios::end);
  return f.tellg();
}

}  // namespace

EThumbError::EThumbError(const std::string& storePath)
    : std::runtime_error(storePath + "\r\n  はサムネイルファイルではありません"), path_(storePath) {}

std::vector<uint8_t> ThumbHeaderBytes(const std::string& appName, uint32_t count) {
  std::vector<uint8_t> b(kThumbHeaderSize, 0);
  Put32(b, 0, kThumbMarker);
  Put32(b, 4, kThumbVersion);
  const std::string name = AppNameBytes(appName);
  std::memcpy(&b[8], name.data(), name.size());
  Put32(b, 20, count);
  return b;
}

std::vector<uint8_t> ThumbRecordHeaderBytes(const ThumbRecordHeader& h) {
  std::vector<uint8_t> b(kThumbRecordHeaderSize, 0);
  Put32(b, 0, h.keyLength);
  Put32(b, 4, h.kind);
  Put32(b, 8, h.dataLength);
  Put32(b, 12, h.width);
  Put32(b, 16, h.height);
  PutDouble(b, 24, h.written);
  PutDouble(b, 32, h.modified);
  Put32(b, 40, h.fileSize);
  Put32(b, 44, h.sourceWidth);
  Put32(b, 48, h.sourceHeight);
  return b;
}

ThumbRecordHeader ParseThumbRecordHeader(const uint8_t* p) {
  ThumbRecordHeader h;
  h.keyLength = Get32(p);
  h.kind = Get32(p + 4);
  h.dataLength = Get32(p + 8);
  h.width = Get32(p + 12);
  h.height = Get32(p + 16);
  h.written = GetDouble(p + 24);
  h.modified = GetDouble(p + 32);
  h.fileSize = Get32(p + 40);
  h.sourceWidth = Get32(p + 44);
  h.sourceHeight = Get32(p + 48);
  return h;
}

struct TThumb::OpenStore {
  std::string path;
  std::fstream file;
};

TThumb::TThumb() = default;
TThumb::~TThumb() = default;

void TThumb::SetActive(bool active) {
  active_ = active;
  if (!active) Close();
}

void TThumb::Close() { open_.reset(); }

std::string TThumb::StorePath(const std::string& picture) const {
  std::string folder;
  switch (PathType) {
    case TPathType::iptFree:
      folder = platform::IncludeTrailingBackslash(Path);
      break;
    case TPathType::iptApp:
      folder = port_->ProgramFolder();
      break;
    case TPathType::iptFolder:
      folder = platform::ExtractFilePath(picture);
      break;
    case TPathType::iptWin:
      folder = port_->WindowsFolder();
      break;
    case TPathType::iptTemp:
      folder = port_->TempFolder();
      break;
  }
  std::string name = FileName;
  if (name.empty()) {
    name = port_->ProgramFileName();
    name = name.substr(0, name.size() - platform::ExtractFileExt(name).size()) + ".dat";
  } else if (platform::ExtractFileExt(name).empty()) {
    name += ".dat";
  }
  return folder + name;
}

std::fstream& TThumb::Open(const std::string& storePath, bool create) {
  if (open_ && open_->path == storePath && open_->file.is_open()) {
    open_->file.clear();
    return open_->file;
  }
  Close();
  auto store = std::make_unique<OpenStore>();
  store->path = storePath;
  store->file.open(storePath, std::ios::in | std::ios::out | std::ios::binary);
  if (!store->file.is_open()) {
    if (!create) throw std::ios_base::failure("no store");
    store->file.clear();
    store->file.open(storePath, std::ios::out | std::ios::binary | std::ios::trunc);
    WriteBytes(store->file, ThumbHeaderBytes(AppName, 0));
    store->file.close();
    store->file.open(storePath, std::ios::in | std::ios::out | std::ios::binary);
    if (!store->file.is_open()) throw std::ios_base::failure("cannot create " + storePath);
  }
  uint8_t marker[4] = {};
  if (!ReadExactly(store->file, marker, 4) || Get32(marker) != kThumbMarker) throw EThumbError(storePath);
  open_ = std::move(store);
  return open_->file;
}

void TThumb::Write(const std::string& picture, const imaging::Bitmap& thumbnail, int sourceWidth,
                   int sourceHeight) {
  const std::string storePath = StorePath(picture);
  const std::vector<uint8_t> jpeg = imaging::EncodeJpeg(thumbnail, Quality);
  ThumbRecordHeader h;
  h.keyLength = static_cast<uint32_t>(picture.size());
  h.dataLength = static_cast<uint32_t>(jpeg.size());
  h.width = static_cast<uint32_t>(thumbnail.Width());
  h.height = static_cast<uint32_t>(thumbnail.Height());
  h.written = port_->Now();
  if (const auto stamp = port_->FileStamp(picture)) {
    h.modified = stamp->modified;
    h.fileSize = stamp->size;
  }
  h.sourceWidth = static_cast<uint32_t>(sourceWidth);
  h.sourceHeight = static_cast<uint32_t>(sourceHeight);

  std::fstream& f = Open(storePath, true);
  f.seekp(0, std::ios::end);
  WriteBytes(f, ThumbRecordHeaderBytes(h));
  f.write(picture.data(), static_cast<std::streamsize>(picture.size()));
  WriteBytes(f, jpeg);
  uint8_t count[4] = {};
  f.seekg(20);
  ReadExactly(f, count, 4);
  std::vector<uint8_t> next(4);
  Put32(next, 0, Get32(count) + 1);
  f.clear();
  f.seekp(20);
  WriteBytes(f, next);
  f.flush();
  if (!f) throw std::ios_base::failure("cannot write " + storePath);
  if (!active_) Close();
}

std::optional<TThumb::Found> TThumb::Lookup(const std::string& picture, int w, int h, imaging::TGetType type,
                                            imaging::JpegMode mode) {
  const std::string storePath = StorePath(picture);
  std::fstream* f = nullptr;
  try {
    f = &Open(storePath, false);
  } catch (const std::ios_base::failure&) {
    return std::nullopt;  // no store yet
  }
  const std::streamoff size = SizeOf(*f);
  std::optional<Found> found;
  bool stale = false;
  for (std::streamoff at = kThumbHeaderSize;;) {
    const std::optional<RecordAt> record = ReadRecord(*f, at, size);
    if (!record) break;
    at = record->dataAt + record->header.dataLength;
    if (!platform::AnsiEqualsIgnoreAsciiCase(record->key, picture)) continue;
    const auto stamp = port_->FileStamp(picture);
    if (!stamp || stamp->modified != record->header.modified) {
      stale = true;
      break;
    }
    std::vector<uint8_t> data(record->header.dataLength);
    f->clear();
    f->seekg(record->dataAt);
    if (!ReadExactly(*f, data.data(), data.size())) break;
    imaging::ThumbnailPicture t = imaging::DecodeThumbnailJpeg(data, w, h, type, mode);
    found = Found{std::move(t.bitmap), static_cast<int>(record->header.sourceWidth),
                  static_cast<int>(record->header.sourceHeight)};
    break;
  }
  if (stale) {
    RemoveFrom(storePath, {picture});
    return std::nullopt;
  }
  if (!active_) Close();
  return found;
}

void TThumb::Remove(const std::vector<std::string>& pictures) {
  std::map<std::string, std::vector<std::string>> byStore;
  for (const std::string& p : pictures) byStore[StorePath(p)].push_back(p);
  for (const auto& [store, keys] : byStore) RemoveFrom(store, keys);
}

void TThumb::RemoveFrom(const std::string& storePath, const std::vector<std::string>& keys) {
  std::fstream* f = nullptr;
  try {
    f = &Open(storePath, false);
  } catch (const std::ios_base::failure&) {
    return;
  }
  const std::streamoff size = SizeOf(*f);
  uint8_t header[kThumbHeaderSize] = {};
  f->seekg(0);
  ReadExactly(*f, header, sizeof header);

  const std::string tempPath = TempPathOf(storePath);
  uint32_t kept = 0;
  {
    std::fstream out(tempPath, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out.is_open()) throw std::ios_base::failure("cannot write " + tempPath);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    for (std::streamoff at = kThumbHeaderSize;;) {
      const std::optional<RecordAt> record = ReadRecord(*f, at, size);
      if (!record) break;
      at = record->dataAt + record->header.dataLength;
      bool removed = false;
      for (const std::string& k : keys)
        removed = removed || platform::AnsiEqualsIgnoreAsciiCase(record->key, k);
      if (removed) continue;
      std::vector<uint8_t> data(record->header.dataLength);
      f->clear();
      f->seekg(record->dataAt);
      if (!ReadExactly(*f, data.data(), data.size())) break;
      WriteBytes(out, ThumbRecordHeaderBytes(record->header));
      out.write(record->key.data(), static_cast<std::streamsize>(record->key.size()));
      WriteBytes(out, data);
      ++kept;
    }
    std::vector<uint8_t> count(4);
    Put32(count, 0, kept);
    out.seekp(20);
    WriteBytes(out, count);
    out.flush();
    if (!out) throw std::ios_base::failure("cannot write " + tempPath);
  }
  Close();
  std::remove(storePath.c_str());
  if (kept == 0) {
    std::remove(tempPath.c_str());
    return;
  }
  if (std::rename(tempPath.c_str(), storePath.c_str()) != 0)
    throw std::ios_base::failure("cannot replace " + storePath);
}

}  // namespace tapestrel::browser
