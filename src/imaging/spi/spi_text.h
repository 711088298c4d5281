// The plug-in's texts as the host reads them: file masks such as
// "*.pic;*.pi2", the extensions they name, and a few small rules around them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/spi/spi_port.h"

namespace tapestrel::imaging {

// The extensions a mask registers, last element first; each is the text
// after the element's first dot ("*.pic" gives "pic"). Elements without a
// dot or with nothing after it give none.
std::vector<std::string> MaskExtensionsRightToLeft(std::string_view mask);

// The extension a mask promotes a plug-in for: the text from its last dot on
// (".pi2" for "*.pic;*.pi2"); empty without a dot.
std::string MaskPromotionExtension(std::string_view mask);

// All masks lower-cased, one pattern a line, empty lines dropped.
std::string BuildMaskText(const std::vector<std::string>& masks);
// The quick test before a file is opened: its extension, lower-cased and
// with its dot, occurs somewhere in the mask text. Never for a file without
// extension.
bool MaskTextMayAccept(std::string_view maskText, std::string_view fileName);

using SpiHeaderBuffer = std::array<uint8_t, kSpiHeaderBufferSize>;
// Zeros, then the first bytes of the file; stays zero when it cannot be read.
SpiHeaderBuffer ReadSpiHeaderBuffer(const SpiHostPort& host, const std::string& fileName);

// Windows' MulDiv: a x b / c rounded half away from zero; -1 when c is 0 or
// the result does not fit.
int MulDiv(int a, int b, int c);
// The percentage a progress handler is told.
int SpiProgressPercent(int numerator, int denominator);

// Bound on the strings read from one plug-in: a plug-in that never says
// "no more" still ends.
constexpr int kMaxSpiInfoStrings = 256;

}  // namespace tapestrel::imaging
