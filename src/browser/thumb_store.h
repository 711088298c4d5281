// TThumb, the on-disk thumbnail store: one file of JPEG thumbnails keyed by
// picture path. The program keeps it switched off (AutoThumb), but the
// thumbnail maker carries it.
//
// File layout, little-endian: a 24-byte header (marker 127, value 103, the
// application name in 10 bytes, 2 zero bytes, the record count), then the
// records: a 56-byte record header, the key (the picture's path, no
// terminator) and the data (a JPEG stream). Record header: key length, kind
// (0), data length, thumbnail width, thumbnail height, 4 bytes padding, the
// time the record was written and the picture's modification time (day
// counts since 1899-12-30 as doubles, local time), the picture's size, its
// source width and height, a reserved 0.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/jpeg_file.h"
#include "imaging/thumbnail_scaling.h"
#include "platform/date_time.h"

namespace tapestrel::browser {

// "<store path>\r\n  はサムネイルファイルではありません"; the path in the
// system code page, the rest UTF-8.
class EThumbError : public std::runtime_error {
 public:
  explicit EThumbError(const std::string& storePath);
  const std::string& StorePath() const { return path_; }

 private:
  std::string path_;
};

// What the store asks of the system.
class ThumbStorePort {
 public:
  virtual ~ThumbStorePort() = default;
  struct Stamp {
    platform::DateTime modified = 0;  // local time
    uint32_t size = 0;                // the low 32 bits
  };
  // The picture's modification time and size; nothing when it is gone.
  virtual std::optional<Stamp> FileStamp(const std::string& path) = 0;
  virtual platform::DateTime Now() = 0;
  // Folders end in "\".
  virtual std::string ProgramFolder() = 0;
  virtual std::string ProgramFileName() = 0;  // "Tapestrel.exe"
  virtual std::string WindowsFolder() = 0;
  virtual std::string TempFolder() = 0;  // the TEMP variable's folder
};

// Where the store file lies.
enum class TPathType { iptFree, iptApp, iptFolder, iptWin, iptTemp };

inline constexpr uint32_t kThumbMarker = 127;
inline constexpr uint32_t kThumbVersion = 103;
inline constexpr size_t kThumbHeaderSize = 24;
inline constexpr size_t kThumbRecordHeaderSize = 56;

struct ThumbRecordHeader {
  uint32_t keyLength = 0;
  uint32_t kind = 0;
  uint32_t dataLength = 0;
  uint32_t width = 0, height = 0;
  double written = 0;
  double modified = 0;
  uint32_t fileSize = 0;
  uint32_t sourceWidth = 0, sourceHeight = 0;
};

class TThumb {
 public:
  TThumb();
  ~TThumb();

  void SetPort(ThumbStorePort* port) { port_ = port; }

  TPathType PathType = TPathType::iptApp;
  std::string Path;      // the folder for iptFree
  std::string FileName;  // empty: the program's name with ".dat"
  std::string AppName;   // the header's application name (at most 10 bytes)
  int Quality = 90;

  // Keeps the store file open between operations.
  bool Active() const { return active_; }
  void SetActive(bool active);

  // The store file that holds the picture's thumbnail.
  std::string StorePath(const std::string& picture) const;

  // Appends the thumbnail as a record (creating the store when missing).
  void Write(const std::string& picture, const imaging::Bitmap& thumbnail, int sourceWidth, int sourceHeight);

  struct Found {
    imaging::Bitmap bitmap;  // 24 bits, fitted into the box unless igtNormal
    int sourceWidth = 0, sourceHeight = 0;
  };
  // The stored thumbnail of the picture, decoded and fitted into w x h. A
  // record older than the picture is removed and counts as a miss. Throws
  // EThumbError for a file that is no store.
  std::optional<Found> Lookup(const std::string& picture, int w, int h, imaging::TGetType type,
                              imaging::JpegMode mode = imaging::JpegMode::BestSpeed);

  // Removes the pictures' records (keys compared ignoring case) from the
  // store of each; a store left with no record is deleted.
  void Remove(const std::vector<std::string>& pictures);

 private:
  struct OpenStore;
  std::fstream& Open(const std::string& storePath, bool create);
  void Close();
  void RemoveFrom(const std::string& storePath, const std::vector<std::string>& keys);

  ThumbStorePort* port_ = nullptr;
  bool active_ = false;
  std::unique_ptr<OpenStore> open_;
};

// Byte images of the header and the record header, for the store and tests.
std::vector<uint8_t> ThumbHeaderBytes(const std::string& appName, uint32_t count);
std::vector<uint8_t> ThumbRecordHeaderBytes(const ThumbRecordHeader& header);
ThumbRecordHeader ParseThumbRecordHeader(const uint8_t* bytes);

}  // namespace tapestrel::browser
