// The thumbnail view's option groups and the names of its modes. Every group
// raises OnChange when one of its values changes; groups inside groups pass
// their changes on to the outer one.
#pragma once

#include <cstdint>
#include <string>

#include "browser/img_util.h"  // TImgUtil, the thumbnail maker of the cells
#include "browser/options.h"
#include "imaging/color_value.h"

namespace tapestrel::browser {

using imaging::ColorValue;

// Windows system colors as color values (the flag and the COLOR_ index).
inline constexpr ColorValue kClWindow = imaging::kSystemColorFlag | 5;
inline constexpr ColorValue kClInactiveBorder = imaging::kSystemColorFlag | 11;
inline constexpr ColorValue kClHighlight = imaging::kSystemColorFlag | 13;
inline constexpr ColorValue kClBtnFace = imaging::kSystemColorFlag | 15;
inline constexpr ColorValue kClBtnShadow = imaging::kSystemColorFlag | 16;
inline constexpr ColorValue kClBtnHighlight = imaging::kSystemColorFlag | 20;
inline constexpr ColorValue kCl3DDkShadow = imaging::kSystemColorFlag | 21;
inline constexpr ColorValue kCl3DLight = imaging::kSystemColorFlag | 22;
inline constexpr ColorValue kClInfoBk = imaging::kSystemColorFlag | 24;
inline constexpr ColorValue kClWhite = 0xFFFFFF;
inline constexpr ColorValue kClBlack = 0x000000;

// The list view's own styles.
enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
// What a cell shows: the system's large or small icon, or a thumbnail cell.
enum class TIconStyle { iisIcon, iisSmallIcon, iisImage };
// Sort keys; their ordinal is the shell's column number.
enum class TSortTypeEx { istName, istSize, istType, istDate, istAttr };
// One shell folder, or a list of single files (not used by the program).
enum class TViewMode { ivmFolder, ivmFile };
enum class TBevelCut { bvNone, bvLowered, bvRaised };
enum class TBorderStyle { bsNone, bsSingle };
// Where the small type icon is stamped on a thumbnail.
enum class TIconPos { iipNone, iipLeftTop, iipLeftBottom, iipRightTop, iipRightBottom };

// The kinds of picture a cell can show; thumbnail loading decides an entry's
// kind. Icon kinds never get a thumbnail.
enum class TImageType {
  iitNone,
  iitSusie,
  iitBmp,
  iitJpeg,
  iitIco,
  iitCur,
  iitAni,
  iitEmf,
  iitWmf,
  iitExe,
  iitDll,
  iitHtml,
  iitTxt,
  iitEml,
  iitDir,
  iitCustom,
  iitAvi,
};
inline constexpr int kImageTypeCount = 17;
// A set of image types: bit n for the type of ordinal n.
using TDispImage = uint32_t;
inline constexpr TDispImage kAllImageTypes = (1u << kImageTypeCount) - 1;
constexpr TDispImage ImageTypeBit(TImageType t) { return 1u << static_cast<int>(t); }

// Drag effects, with the values of the drop effects they stand for.
using TDragTypes = uint32_t;
inline constexpr TDragTypes idtCopy = 1, idtMove = 2, idtLink = 4;

// Shell context-menu flags, one bit per member in declaration order.
using TContextMenuTypes = uint32_t;
enum : TContextMenuTypes {
  ictNormal = 1 << 0,
  ictDefaultOnly = 1 << 1,
  ictVerbsOnly = 1 << 2,
  ictExplore = 1 << 3,
  ictNoverbs = 1 << 4,
  ictCanRename = 1 << 5,
  ictNoDefault = 1 << 6,
  ictIncludeStatic = 1 << 7,
  ictReserved = 1 << 8,
};

// What the change watcher reports, one bit per member in declaration order.
using TNotifyTypes = uint32_t;
enum : TNotifyTypes {
  intFileName = 1 << 0,
  intDirName = 1 << 1,
  intAttributes = 1 << 2,
  intSize = 1 << 3,
  intLastWrite = 1 << 4,
  intLastAccess = 1 << 5,
  intCreation = 1 << 6,
  intSecurity = 1 << 7,
};
// The FILE_NOTIFY_CHANGE_ filter of a set: the first seven members are 0x1 to
// 0x40 in order, intSecurity 0x100.
uint32_t NotifyFilter(TNotifyTypes types);

class TFrameStyle : public OptionGroup {
 public:
  explicit TFrameStyle(ColorValue color = kClInactiveBorder, int width = 1)
      : Color(this, color), Width(this, width) {}
  Option<bool> Visible{this, true};
  Option<ColorValue> Color;
  Option<int> Width;
};

// Extra pixels inside the cell around the image.
class TBlankSpace : public OptionGroup {
 public:
  Option<int> Left{this, 0};
  Option<int> Top{this, 0};
  Option<int> Right{this, 0};
  Option<int> Bottom{this, 0};
};

class TSmallIcon : public OptionGroup {
 public:
  Option<TIconPos> IconPos{this, TIconPos::iipRightBottom};
  Option<int> Space{this, 2};
};

class TViewImage : public OptionGroup {
 public:
  TViewImage();

  TImgUtil ImgUtil;
  Option<int> ImageWidth{this, 94};
  Option<int> ImageHeight{this, 94};
  Option<TBevelCut> BevelInner{this, TBevelCut::bvNone};
  Option<TBevelCut> BevelOuter{this, TBevelCut::bvNone};
  Option<int> BevelWidth{this, 1};
  Option<int> BorderWidth{this, 0};
  Option<TBorderStyle> BorderStyle{this, TBorderStyle::bsNone};
  Option<TDispImage> DispImage{this, kAllImageTypes};
  TFrameStyle Frame;
  TFrameStyle SelectFrame{kClHighlight, 3};
  TSmallIcon SmallIcon;
  TBlankSpace BlankSpace;
  Option<bool> LookAhead{this, false};
  Option<bool> BigIcon{this, false};
  Option<int> BigIconSize{this, 48};
};

// Which entries the view lists. Ext is a list of file patterns separated by
// ";" ("*.bmp;*.jpg;"); "*.*" or an empty text lists every file.
class TDispTypes : public OptionGroup {
 public:
  Option<bool> Folders{this, true};
  Option<bool> NonFolders{this, true};
  Option<bool> Hidden{this, true};
  Option<std::string> Ext{this, "*.*"};
};

// The gap between cells.
class TIconSpacing : public OptionGroup {
 public:
  Option<int> X{this, 15};
  Option<int> Y{this, 32};
};

// Captions, filter and spacing. OnChange1: the filter changed; OnChange2:
// captions or spacing changed. Its own OnChange is taken for ShowCaptions.
class TView : public OptionGroup {
 public:
  TView();

  Option<bool> ShowCaptions{this, true};
  TDispTypes DispTypes;
  TIconSpacing IconSpacing;
  std::function<void()> OnChange1;
  std::function<void()> OnChange2;
};

// The view's built-in reactions.
class TDefaultExec : public OptionGroup {
 public:
  Option<bool> DblClick{this, true};  // activating an entry opens it
  Option<bool> ColumnSort{this, true};
  Option<bool> DropSource{this, true};
  Option<bool> DropTarget{this, true};
  Option<TDragTypes> DragType{this, idtCopy | idtMove | idtLink};
};

class TShellChangeNotification : public OptionGroup {
 public:
  Option<bool> Enabled{this, true};
  Option<TNotifyTypes> NotifyTypes{this, intFileName | intDirName};
};

}  // namespace tapestrel::browser
