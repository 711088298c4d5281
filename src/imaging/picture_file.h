// Decoding a picture file for the wallpaper, chosen by its extension.
#pragma once

#include <string>

#include "imaging/bitmap.h"

namespace tapestrel::imaging {

// The extension from the last dot of the file name, ASCII letters lower-cased
// (".jpg"); empty when the name has no dot.
std::string LowerCaseExtension(const std::string& path);

// Whether LoadPictureFile decodes the file, by its extension: the program
// reads it itself rather than through a picture plug-in.
bool HasBuiltInDecoder(const std::string& path);

// Decodes with the built-in wallpaper decoder of the extension
// (builtin_pictures.h): ".bmp" reads the bitmap file, ".jpg" and ".jpeg"
// decode the JPEG in best quality, ".png" decodes the PNG's image bitmap; the
// picture keeps its own size and depth. Any other extension, or a file that
// cannot be read, throws ImageError.
Bitmap LoadPictureFile(const std::string& path);

}  // namespace tapestrel::imaging
