#include "browser/view_options.h"

namespace tapestrel::browser {

uint32_t NotifyFilter(TNotifyTypes types) {
  uint32_t filter = types & 0x7F;
  if (types & intSecurity) filter |= 0x100;
  return filter;
}

TViewImage::TViewImage() {
  // The inner groups belong to this one: their changes are its changes.
  for (OptionGroup* inner :
       std::initializer_list<OptionGroup*>{&ImgUtil, &Frame, &SelectFrame, &SmallIcon, &BlankSpace})
    inner->OnChange = [this] { Changed(); };
}

TView::TView() {
  OnChange = [this] {
    if (OnChange2) OnChange2();
  };
  DispTypes.OnChange = [this] {
    if (OnChange1) OnChange1();
  };
  IconSpacing.OnChange = OnChange;
}

}  // namespace tapestrel::browser
