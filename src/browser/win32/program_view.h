// How the program shows its thumbnail view: pictures only, as 120 x 90
// thumbnails on white with thin gray frames and a thick selection frame,
// several entries selectable, the selection visible without the focus, and
// double clicks left to the owner. The main window, its tests and the
// benchmarks all set the view up through this one function.
#pragma once

#include "browser/win32/img_list_view.h"

namespace tapestrel::browser {

void SetUpAsProgramView(TImgListView& view);

}  // namespace tapestrel::browser
