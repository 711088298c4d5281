// The main window's view commands: the six view modes, the tile layout and
// its drawing, and the six color styles.
#include <algorithm>
#include <string>

#include "app/view_options.h"
#include "imaging/win32/system_color.h"
#include "program/win32/main_window.h"

namespace tapestrel::app {
namespace {

browser::TViewStyle ListStyleOf(ListViewStyle style) {
  switch (style) {
    case ListViewStyle::SmallIcon:
      return browser::TViewStyle::vsSmallIcon;
    case ListViewStyle::List:
      return browser::TViewStyle::vsList;
    case ListViewStyle::Report:
      return browser::TViewStyle::vsReport;
    case ListViewStyle::Icon:
      break;
  }
  return browser::TViewStyle::vsIcon;
}

browser::TIconStyle IconStyleOf(ItemIconStyle style) {
  switch (style) {
    case ItemIconStyle::SmallIcon:
      return browser::TIconStyle::iisSmallIcon;
    case ItemIconStyle::Image:
      return browser::TIconStyle::iisImage;
    case ItemIconStyle::Icon:
      break;
  }
  return browser::TIconStyle::iisIcon;
}

browser::TBevelCut BevelOf(Bevel bevel) {
  switch (bevel) {
    case Bevel::Lowered:
      return browser::TBevelCut::bvLowered;
    case Bevel::Raised:
      return browser::TBevelCut::bvRaised;
    case Bevel::None:
      break;
  }
  return browser::TBevelCut::bvNone;
}

// One line of a tile, cut with an ellipsis where the tile ends.
void DrawTileLine(HDC dc, std::wstring_view text, int left, int top, int right, int height) {
  RECT line{left, top, right, top + height};
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &line,
            DT_EXPANDTABS | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT | DT_TOP);
}

// Between the tile's texts and its right edge.
constexpr int kTileTextEndGap = 8;

}  // namespace

void MainWindow::CreateViewCommands() {
  for (int mode = 0; mode < kViewModeCount; ++mode)
    actions_.SetHandler(kActImage + static_cast<UINT>(mode), [this, mode] { ViewModeExecute(mode); });
  for (int style = 0; style < kViewStyleCount; ++style)
    actions_.SetHandler(kActViewStyle1 + static_cast<UINT>(style),
                        [this, style] { ViewStyleExecute(style); });
}

void MainWindow::HookTileDrawing() {
  view_->OnCustomDrawItem = [this](HDC dc, int index, const RECT& icon) {
    if (tileLayout_) DrawTile(dc, index, icon);
  };
}

void MainWindow::ViewModeExecute(int mode) {
  if (mode < 0 || mode >= kViewModeCount) return;
  const ViewModeDefinition& definition = kViewModes[static_cast<size_t>(mode)];
  browser::TImgListView& view = *view_;
  // One rebuild for everything the mode changes.
  view.BeginUpdate();
  view.SetViewStyle(ListStyleOf(definition.viewStyle));
  view.SetIconStyle(IconStyleOf(definition.iconStyle));
  view.ViewImage.BigIcon = definition.bigIcon;
  if (const std::optional<TileLayout> layout = TileLayoutForMode(tileLayout_, mode)) {
    view.View.ShowCaptions = layout->showCaptions;
    view.ViewImage.BlankSpace.Right = platform::ScaleForDpi(layout->rightBlankSpace, view.Dpi());
    view.View.IconSpacing.Y = layout->iconSpacingY;
    tileLayout_ = definition.tileLayout;
  }
  view.EndUpdate();
}

void MainWindow::ViewStyleExecute(int style) {
  if (style < 0 || style >= kViewStyleCount) return;
  const ViewStyleDefinition& definition = kViewStyles[static_cast<size_t>(style)];
  browser::TImgListView& view = *view_;
  browser::TViewImage& image = view.ViewImage;
  view.BeginUpdate();
  view.SetColor(definition.background);
  image.ImgUtil.BKColor = definition.background;
  view.SetFontColor(definition.text);
  image.ImgUtil.Font.Color = definition.text;
  image.Frame.Visible = definition.frameVisible;
  image.BorderStyle =
      definition.singleBorder ? browser::TBorderStyle::bsSingle : browser::TBorderStyle::bsNone;
  image.BevelInner = BevelOf(definition.innerBevel);
  image.BevelOuter = BevelOf(definition.outerBevel);
  image.Frame.Color = definition.frameColor;
  image.SelectFrame.Color = definition.selectFrameColor;
  image.Frame.Width = definition.frameWidth;
  view.EndUpdate();
}

void MainWindow::DrawTile(HDC dc, int index, const RECT& icon) {
  browser::TImgItems& items = view_->ImgItems();
  if (index < 0 || index >= items.Count()) return;
  browser::TImgListItem& item = items[index];
  const int dpi = view_->Dpi();
  const int lineHeight = platform::ScaleForDpi(kTileLineHeight, dpi);
  const TileTextOrigin at = TileTextPlace(icon.left, icon.top, icon.right, view_->ViewImage.ImageWidth, dpi);
  // The texts may run to the end of the tile: the list view's icon
  // rectangle is narrower than the cell, and would cut names of a dozen
  // letters.
  const int right = std::max(at.right, view_->CellAt(icon).right - platform::ScaleForDpi(kTileTextEndGap, dpi));
  if (right <= at.left) return;

  // The view's own font, and a bold one like it for the name.
  auto font = reinterpret_cast<HFONT>(SendMessageW(view_->ListView(), WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!tileBoldFont_ || tileFontSource_ != font) {
    LOGFONTW bold{};
    GetObjectW(font, sizeof bold, &bold);
    bold.lfWeight = FW_BOLD;
    tileBoldFont_.Reset(CreateFontIndirectW(&bold));
    tileFontSource_ = font;
  }

  const int saved = SaveDC(dc);
  SetBkMode(dc, TRANSPARENT);
  int top = at.top;
  SelectObject(dc, tileBoldFont_ ? static_cast<HGDIOBJ>(tileBoldFont_.Get()) : font);
  SetTextColor(dc, imaging::ResolveColor(view_->FontColor()));
  DrawTileLine(dc, item.DisplayName(), at.left, top, right, lineHeight);

  top += lineHeight;
  SelectObject(dc, font);
  const COLORREF background = imaging::ResolveColor(view_->Color());
  SetTextColor(dc, imaging::ResolveColor(TileDetailColor(background)));
  DrawTileLine(dc, item.TypeName(), at.left, top, right, lineHeight);
  if (!item.IsFolder()) {
    top += lineHeight;
    const std::wstring size = item.SizeText();
    DrawTileLine(dc, size, at.left, top, right, lineHeight);
  }
  RestoreDC(dc, saved);
}

}  // namespace tapestrel::app
