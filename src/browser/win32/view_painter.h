// The thumbnail view's drawing: the list view's display requests (texts,
// icons, overlays), thumbnail cells drawn over each entry, and the icon
// images of entries that show no thumbnail.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "browser/cell_geometry.h"
#include "browser/view_options.h"
#include "browser/win32/view_entries.h"
#include "imaging/bitmap.h"

namespace tapestrel::browser {

// What thumbnail loading plugs into the view. Without one, every cell shows
// its entry's icon image.
class ThumbnailSource {
 public:
  virtual ~ThumbnailSource() = default;
  // The image to draw in the entry's cell now; null while it is being made.
  virtual const imaging::Bitmap* CellImage(TImgListItem& item) = 0;
  // Before the entries change: no worker may touch them any more.
  virtual void CancelAll() = 0;
  // After an enumeration.
  virtual void Resume() = 0;
  // Each new entry that is not a folder, in enumeration order.
  virtual void LookAhead(TImgListItem& item) = 0;
};

// Display-request statistics, for benchmarks: count and total time.
struct RequestStats {
  long long count = 0;
  double milliseconds = 0;
};

class ViewPainter {
 public:
  using DrawHook = std::function<void(HDC dc, int index, const RECT& iconRect)>;
  // `afterDraw` draws over each entry after the view drew it.
  ViewPainter(HWND listView, ViewEntries& entries, const TViewImage& image, const TView& view,
              const DrawHook& afterDraw);

  // How the view shows its entries now; the window keeps these up to date.
  struct Look {
    TViewStyle viewStyle = TViewStyle::vsIcon;
    TIconStyle iconStyle = TIconStyle::iisIcon;
    bool hideSelection = true;
  };
  Look look;
  // While the entries are being replaced, requests are not answered.
  bool updating = false;
  // The entry a drag hovers over, drawn as selected; -1 for none.
  int dropHighlighted = -1;

  ThumbnailSource* Thumbnails() const { return thumbnails_; }
  void SetThumbnailSource(ThumbnailSource* source) { thumbnails_ = source; }

  // The list view's notifications.
  void OnGetDispInfo(NMLVDISPINFOW& info);
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
  // A scroll bar's message: while it moves, only what drawing needs is answered.
  void OnScroll(WORD code);

  // Where an item's thumbnail cell is drawn, from its icon rectangle.
  CellRect CellAt(const RECT& iconRect) const;
  // What a cell shows: the thumbnail source's image, else the entry's icon image.
  const imaging::Bitmap* CellImage(TImgListItem& item);
  // The shared icon image of an entry (its system icon on the background color).
  std::shared_ptr<const imaging::Bitmap> IconImage(TImgListItem& item);
  // The icon images made so far go (their background or size changed).
  void ForgetIconImages() { iconImages_.clear(); }
  // The system's image list of large or small icons.
  HIMAGELIST SystemImages(bool large);

  const RequestStats& DisplayRequestStats() const { return requestStats_; }
  const RequestStats& CellDrawStats() const { return drawStats_; }
  void ResetStats() { requestStats_ = drawStats_ = {}; }

 private:
  void Answer(NMLVDISPINFOW& info);
  void DrawCell(HDC dc, int index, const RECT& iconRect);

  HWND listView_;
  ViewEntries& entries_;
  const TViewImage& image_;
  const TView& view_;
  const DrawHook& afterDraw_;
  ThumbnailSource* thumbnails_ = nullptr;
  std::map<std::pair<int, int>, std::shared_ptr<const imaging::Bitmap>> iconImages_;
  HIMAGELIST systemLarge_ = nullptr;
  HIMAGELIST systemSmall_ = nullptr;
  bool scrolling_ = false;
  int selectedAtScrollStart_ = -1;
  RequestStats requestStats_;
  RequestStats drawStats_;
};

}  // namespace tapestrel::browser
