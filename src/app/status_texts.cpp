#include "app/status_texts.h"

namespace tapestrel::app {
namespace {

// Files up to this size show their exact byte count.
constexpr uint64_t kLargestByteCount = 1024;

}  // namespace

std::string SelectionStatusText(const SelectionSummary& s) {
  if (s.selectedCount <= 0) return std::to_string(s.itemCount) + " 個のオブジェクト";
  if (s.firstIsFolder) return std::to_string(s.selectedCount) + " 個のオブジェクトを選択";
  const std::string size = s.firstFileSize <= kLargestByteCount ? std::to_string(s.firstFileSize) + " バイト"
                                                                : KilobyteSizeText(s.firstFileSize);
  return "種類:" + s.firstTypeName + " サイズ: " + size;
}

std::string KilobyteSizeText(uint64_t bytes) {
  // The whole 64-bit size: files beyond 4 GB keep their true size.
  return std::to_string(bytes / 1024 + 1) + "KB";
}

std::string LoadingStatusText(std::string_view displayName) {
  return std::string(displayName) + " を開いています";
}

}  // namespace tapestrel::app
