#include "imaging/spi/spi_text.h"

#include <algorithm>
#include <cstring>

#include "platform/ansi_text.h"
#include "platform/paths.h"

namespace tapestrel::imaging {

std::vector<std::string> MaskExtensionsRightToLeft(std::string_view mask) {
  std::vector<std::string> extensions;
  size_t end = mask.size();
  while (true) {
    const size_t semicolon = mask.substr(0, end).rfind(';');
    const size_t start = semicolon == std::string_view::npos ? 0 : semicolon + 1;
    const std::string_view element = mask.substr(start, end - start);
    const size_t dot = element.find('.');
    if (dot != std::string_view::npos && dot + 1 < element.size()) {
      extensions.emplace_back(element.substr(dot + 1));
    }
    if (semicolon == std::string_view::npos) break;
    end = semicolon;
  }
  return extensions;
}

std::string MaskPromotionExtension(std::string_view mask) {
  const size_t dot = platform::AnsiFindLastOf(mask, ".");
  return dot == std::string_view::npos ? std::string() : std::string(mask.substr(dot));
}

std::string BuildMaskText(const std::vector<std::string>& masks) {
  std::string text;
  for (const std::string& mask : masks) {
    const std::string lower = platform::AnsiLowerAscii(mask);
    size_t start = 0;
    while (start <= lower.size()) {
      size_t end = lower.find(';', start);
      if (end == std::string::npos) end = lower.size();
      if (end > start) text.append(lower, start, end - start).push_back('\n');
      start = end + 1;
    }
  }
  return text;
}

bool MaskTextMayAccept(std::string_view maskText, std::string_view fileName) {
  const std::string ext = platform::ExtractFileExt(fileName);
  if (ext.empty()) return false;
  return platform::AnsiFindIgnoreCase(maskText, ext) != std::string_view::npos;
}

SpiHeaderBuffer ReadSpiHeaderBuffer(const SpiHostPort& host, const std::string& fileName) {
  SpiHeaderBuffer buffer{};
  const std::vector<uint8_t> head = host.ReadFileHead(fileName, buffer.size());
  if (!head.empty()) std::memcpy(buffer.data(), head.data(), std::min(head.size(), buffer.size()));
  return buffer;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  int64_t n = int64_t{a} * b;
  int64_t d = c;
  if (d < 0) {
    n = -n;
    d = -d;
  }
  const int64_t q = n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return static_cast<int>(q);
}

int SpiProgressPercent(int numerator, int denominator) { return MulDiv(numerator, 97, denominator) + 2; }

}  // namespace tapestrel::imaging

namespace tapestrel::imaging {

const char* SpiEntryName(SpiEntry entry) {
  switch (entry) {
    case SpiEntry::GetPluginInfo:
      return "GetPluginInfo";
    case SpiEntry::IsSupported:
      return "IsSupported";
    case SpiEntry::GetPictureInfo:
      return "GetPictureInfo";
    case SpiEntry::GetPicture:
      return "GetPicture";
    case SpiEntry::GetPreview:
      return "GetPreview";
    case SpiEntry::GetArchiveInfo:
      return "GetArchiveInfo";
    case SpiEntry::GetFileInfo:
      return "GetFileInfo";
    case SpiEntry::GetFile:
      return "GetFile";
    case SpiEntry::ConfigurationDlg:
      return "ConfigurationDlg";
  }
  return "";
}

}  // namespace tapestrel::imaging
