// tapestrel-imaging: a command-line tool over the imaging code, for
// benchmarks and end-to-end checks. Each group of commands lives in its own
// file and is listed once in the table in main.cpp.
#pragma once

#include <string>
#include <vector>

namespace tapestrel_imaging_tool {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;  // the arguments, for the help text
  size_t argCount;
  int (*run)(const Args& args);  // 0 on success; throws on failure
  size_t maxArgCount = 0;        // more than argCount for commands with options
};

// Argument parsing shared by the commands; each throws std::invalid_argument
// with a message naming the argument.
int ParseInt(const std::string& text, const char* what);
int ParsePositive(const std::string& text, const char* what);

// picture_commands.cpp
int Decode(const Args& args);
int Thumb(const Args& args);
int EncodeJpegCommand(const Args& args);

// png_commands.cpp
int RunPng2Bmp(const Args& args);
int RunBmp2Png(const Args& args);

// wallpaper_commands.cpp
int Ratio(const Args& args);
int AutoColor(const Args& args);

}  // namespace tapestrel_imaging_tool
