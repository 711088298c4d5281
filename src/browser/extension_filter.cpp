#include "browser/extension_filter.h"

namespace tapestrel::browser {
namespace {

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; }

}  // namespace

std::wstring_view FileNameOf(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"\\:");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

ExtensionFilter::ExtensionFilter(std::wstring_view patterns) {
  matchList_.reserve(patterns.size() + 2);
  for (wchar_t c : patterns) matchList_ += LowerAscii(c);
  if (matchList_.empty()) matchList_ = L"*.*";
  if (matchList_.front() != L';') matchList_.insert(matchList_.begin(), L';');
  if (matchList_.back() != L';') matchList_ += L';';
  active_ = matchList_.find(L";*.*;") == std::wstring::npos;
}

bool ExtensionFilter::Lists(std::wstring_view prefix, std::wstring_view text) const {
  // Whether ";" + prefix + lower-case text + ";" occurs in the list.
  std::wstring needle;
  needle.reserve(prefix.size() + text.size() + 2);
  needle += L';';
  needle += prefix;
  for (wchar_t c : text) needle += LowerAscii(c);
  needle += L';';
  return matchList_.find(needle) != std::wstring::npos;
}

bool ExtensionFilter::Passes(std::wstring_view fileName) const {
  if (!active_) return true;
  if (Lists(L"", fileName)) return true;
  const size_t dot = fileName.rfind(L'.');
  return Lists(L"*", dot == std::wstring_view::npos ? std::wstring_view() : fileName.substr(dot));
}

}  // namespace tapestrel::browser
