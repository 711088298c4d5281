#include "browser/win32/program_view.h"

namespace tapestrel::browser {

void SetUpAsProgramView(TImgListView& view) {
  view.BeginUpdate();
  view.SetMultiSelect(true);
  view.SetHideSelection(false);
  // The owner handles double clicks itself (the wallpaper, not the shell).
  view.DefaultExec.DblClick = false;
  view.ViewImage.LookAhead = true;
  view.ViewImage.ImgUtil.AutoThumb = false;
  view.SetColor(kClWhite);
  view.ViewImage.ImageWidth = 120;
  view.ViewImage.ImageHeight = 90;
  view.ViewImage.Frame.Color = kClInactiveBorder;
  view.ViewImage.Frame.Width = 1;
  view.ViewImage.SelectFrame.Color = kClHighlight;
  view.ViewImage.SelectFrame.Width = 3;
  view.ViewImage.SmallIcon.IconPos = TIconPos::iipNone;
  view.SetIconStyle(TIconStyle::iisImage);
  view.View.DispTypes.Folders = false;
  view.View.DispTypes.Hidden = false;
  view.ImgPopupMenu.ShellMenuPos = 1;
  view.EndUpdate();
}

}  // namespace tapestrel::browser
