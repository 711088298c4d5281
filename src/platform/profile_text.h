// Editing the text of a profile (INI) file the way the profile API reads it,
// one key at a time, with every other byte of the file left as it was:
// comments, blank lines, unknown sections and keys, their order, spacing and
// line breaks.
#pragma once

#include <string>

namespace tapestrel::platform {

// Sets `key` in `section` to `value` in `text`. Section and key names match
// as the profile API matches them: ASCII case ignored, blanks around them
// ignored, the first section of that name and the first key of that name in
// it. A key found there becomes "key=value" on its own line; a missing key
// goes after the section's last non-blank line; a missing section is added
// at the end. New lines end as the file's first line does (CR LF in an empty
// file).
void SetProfileValue(std::string& text, const std::string& section, const std::string& key,
                     const std::string& value);

}  // namespace tapestrel::platform
