// The view's extension filter: a list of patterns such as "*.bmp;*.JPG;",
// compared without regard to ASCII case. A pattern is either "*" and an
// extension with its dot, or a whole file name.
#pragma once

#include <string>
#include <string_view>

namespace tapestrel::browser {

class ExtensionFilter {
 public:
  // "*.*" anywhere in the list, or an empty list, lets every name pass.
  explicit ExtensionFilter(std::wstring_view patterns);

  bool Active() const { return active_; }
  // Whether a file name (no folder part) passes: by its whole name, else by
  // its extension (from the last dot on; none for a name without a dot).
  bool Passes(std::wstring_view fileName) const;
  // The patterns lower-cased and framed by ";" (";*.bmp;*.jpg;").
  const std::wstring& MatchList() const { return matchList_; }

 private:
  bool Lists(std::wstring_view a, std::wstring_view b) const;

  std::wstring matchList_;
  bool active_;
};

// The part of a path after its last "\" (or ":").
std::wstring_view FileNameOf(std::wstring_view path);

}  // namespace tapestrel::browser
