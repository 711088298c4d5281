#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "commands.h"

namespace tapestrel_imaging_tool {
namespace {

constexpr Command kCommands[] = {
    {"decode", "IN OUT.bmp", 2, Decode},
    {"thumb", "IN W H OUT.bmp", 4, Thumb},
    {"ratio", "IN.bmp SCREEN_W SCREEN_H ANCHOR COLOR OUT.bmp", 6, Ratio},
    {"autocolor", "IN.bmp", 1, AutoColor},
    {"encode-jpeg", "IN.bmp OUT.jpg", 2, EncodeJpegCommand},
    {"png2bmp", "IN.png OUT.bmp [--mask OUT_MASK.bmp]", 2, RunPng2Bmp, 4},
    {"bmp2png", "IN.bmp OUT.png [--interlace] [--filter N] [--level N] [--mask MASK.bmp] [--grey]", 2, RunBmp2Png, 10},
};

void Usage() {
  std::fprintf(stderr, "usage:\n");
  for (const Command& c : kCommands) std::fprintf(stderr, "  tapestrel-imaging %s %s\n", c.name, c.usage);
}

}  // namespace

int ParseInt(const std::string& text, const char* what) {
  size_t used = 0;
  long value = 0;
  try {
    value = std::stol(text, &used, 10);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || value < -1000000000L || value > 1000000000L) {
    throw std::invalid_argument(std::string(what) + " is not a number: " + text);
  }
  return static_cast<int>(value);
}

int ParsePositive(const std::string& text, const char* what) {
  const int v = ParseInt(text, what);
  if (v <= 0) throw std::invalid_argument(std::string(what) + " must be positive: " + text);
  return v;
}

}  // namespace tapestrel_imaging_tool

int main(int argc, char** argv) {
  using namespace tapestrel_imaging_tool;
  if (argc < 2) {
    Usage();
    return 2;
  }
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    const Args args(argv + 2, argv + argc);
    if (args.size() < c.argCount || args.size() > std::max(c.argCount, c.maxArgCount)) {
      std::fprintf(stderr, "usage: tapestrel-imaging %s %s\n", c.name, c.usage);
      return 2;
    }
    try {
      return c.run(args);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tapestrel-imaging %s: %s\n", c.name, e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "tapestrel-imaging: unknown command %s\n", argv[1]);
  Usage();
  return 2;
}
