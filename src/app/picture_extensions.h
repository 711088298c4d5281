// The picture extension list and the two filters built from the registered
// picture formats at start-up.
#pragma once

#include <string>
#include <vector>

namespace tapestrel::app {

// From the file mask of all registered formats: every "*.*" and the first
// mask of each built-in format the program does not read ("*.ico", "*.emf",
// "*.wmf") removed, each entry reduced to its extension
// (".bmp"); an entry without a dot is empty.
std::vector<std::string> BuildPictureExtensionList(const std::string& fileMask);

// The browser's displayed-extension list: "*<ext>;" for every non-empty entry.
std::string BuildDisplayedExtensions(const std::vector<std::string>& extensions);

// The add-pictures dialog's filter without the icon and metafile entries,
// unless the displayed-extension list shows such files (a plug-in reads them).
std::string BuildOpenPictureFilter(const std::string& standardFilter, const std::string& displayedExtensions);

}  // namespace tapestrel::app
