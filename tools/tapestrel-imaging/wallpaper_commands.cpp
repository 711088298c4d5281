// The position-mode work on the wallpaper file: ratio drawing and the
// automatic blank color.
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "commands.h"
#include "imaging/auto_color.h"
#include "imaging/bmp_file.h"
#include "imaging/file_bytes.h"
#include "imaging/ratio_layout.h"

namespace tapestrel_imaging_tool {

using namespace tapestrel::imaging;

namespace {

// "$00BBGGRR" (up to eight hex digits after the dollar) or "auto".
std::optional<ColorValue> ParseColor(const std::string& text) {
  if (text == "auto") return std::nullopt;
  const bool ok = text.size() >= 2 && text.size() <= 9 && text[0] == '$' &&
                  text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
  if (!ok) throw std::invalid_argument("COLOR must be $00BBGGRR or auto: " + text);
  return static_cast<ColorValue>(std::stoul(text.substr(1), nullptr, 16) & 0xFFFFFF);
}

}  // namespace

// What position mode 3 does to the wallpaper file. When the picture already
// has the screen's aspect, the file is copied unchanged and "unchanged" printed.
int Ratio(const Args& args) {
  const int screenW = ParsePositive(args[1], "SCREEN_W");
  const int screenH = ParsePositive(args[2], "SCREEN_H");
  const int anchor = ParseInt(args[3], "ANCHOR");
  const std::optional<ColorValue> color = ParseColor(args[4]);
  const auto bytes = ReadFileBytes(args[0]);
  const auto canvas = RenderRatioExpansion(ReadBmp(bytes), screenW, screenH, anchor, color);
  if (!canvas) {
    WriteFileBytes(args[5], bytes);
    std::puts("unchanged");
    return 0;
  }
  canvas->SaveToFile(args[5]);
  return 0;
}

int AutoColor(const Args& args) {
  std::printf("$%08X\n", static_cast<unsigned>(AutoBlankColor(ReadBmpFile(args[0]))));
  return 0;
}

}  // namespace tapestrel_imaging_tool
