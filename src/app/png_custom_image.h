// The main window's custom image test: the browser's thumbnails of ".png"
// files come from the program's own PNG codec.
#pragma once

#include "browser/img_util.h"

namespace tapestrel::app {

class PngCustomImageTest : public browser::TImgCustomTest {
 public:
  // The lower-cased extension is ".png".
  bool IsCustomImage(const std::string& path) override;
  // The PNG's image bitmap (its alpha is of no use to a thumbnail).
  bool LoadCustomImage(const std::string& path, imaging::Bitmap& bitmap,
                       const imaging::StopRequest& stop) override;
};

}  // namespace tapestrel::app
