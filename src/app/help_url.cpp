#include "app/help_url.h"

#include "platform/ansi_text.h"

namespace tapestrel::app {

std::string HelpFileUrl(std::string_view folder) {
  std::string url = "file:///";
  for (size_t i = 0; i < folder.size(); ++i) {
    const char c = folder[i];
    if (platform::IsAnsiLeadByte(static_cast<unsigned char>(c)) && i + 1 < folder.size()) {
      url += c;
      url += folder[++i];
    } else if (c == '\\') {
      url += '/';
    } else if (c == '%') {
      url += "%25";
    } else if (c == '#') {
      url += "%23";
    } else {
      url += c;
    }
  }
  return url + kHelpFileName;
}

}  // namespace tapestrel::app
