// The address of the help page, "help.htm" beside the executable, as the
// shell opens it.
#pragma once

#include <string>
#include <string_view>

namespace tapestrel::app {

constexpr char kHelpFileName[] = "help.htm";

// "file:///" + the folder with "/" for "\" + "help.htm", for a folder in the
// ANSI code page with its trailing backslash. Double-byte characters are
// kept whole (a Shift-JIS trail byte may equal "\"); "%" and "#" are escaped,
// since a browser would read them as an escape and as the start of a
// fragment.
std::string HelpFileUrl(std::string_view executableFolder);

}  // namespace tapestrel::app
