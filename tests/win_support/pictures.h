// Small picture files written by the tests themselves.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "win_support/program_runner.h"

namespace tapestrel::testing {

// A 24-bit bottom-up BMP of one colour (0x00RRGGBB).
inline void WriteSolidBmp(const std::string& path, int width, int height, uint32_t rgb) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string data(reinterpret_cast<const char*>(&file), sizeof file);
  data.append(reinterpret_cast<const char*>(&info), sizeof info);
  std::string row(static_cast<size_t>(stride), '\0');
  for (int x = 0; x < width; ++x) {
    row[static_cast<size_t>(x * 3)] = static_cast<char>(rgb & 0xFF);
    row[static_cast<size_t>(x * 3 + 1)] = static_cast<char>((rgb >> 8) & 0xFF);
    row[static_cast<size_t>(x * 3 + 2)] = static_cast<char>((rgb >> 16) & 0xFF);
  }
  for (int y = 0; y < height; ++y) data += row;
  WriteFile(path, data);
}

}  // namespace tapestrel::testing
