#include "platform/profile_text.h"

#include <optional>
#include <string_view>
#include <vector>

#include "platform/ansi_text.h"

namespace tapestrel::platform {
namespace {

// One line of the text: its content [begin, end) and where the next line
// starts (after the line break, if any).
struct Line {
  size_t begin, end, next;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  for (size_t pos = 0; pos < text.size();) {
    const size_t lf = text.find('\n', pos);
    const size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
    size_t end = lf == std::string_view::npos ? text.size() : lf;
    if (end > pos && text[end - 1] == '\r') --end;
    lines.push_back({pos, end, next});
    pos = next;
  }
  return lines;
}

std::string_view Trim(std::string_view s) {
  constexpr std::string_view kBlanks = " \t";
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

std::optional<std::string_view> SectionName(std::string_view content) {
  content = Trim(content);
  if (content.empty() || content.front() != '[') return std::nullopt;
  const size_t close = content.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(content.substr(1, close - 1));
}

std::optional<std::string_view> KeyName(std::string_view content) {
  const size_t equals = content.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trim(content.substr(0, equals));
}

std::string LineBreakOf(std::string_view text, const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (line.next > line.end) return std::string(text.substr(line.end, line.next - line.end));
  }
  return "\r\n";
}

}  // namespace

void SetProfileValue(std::string& text, const std::string& section, const std::string& key,
                     const std::string& value) {
  const std::string entry = key + "=" + value;
  const std::vector<Line> lines = SplitLines(text);
  const std::string lineBreak = LineBreakOf(text, lines);
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

  std::optional<size_t> lastOfSection;  // the section header or its last non-blank line
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string_view content = std::string_view(text).substr(lines[i].begin, lines[i].end - lines[i].begin);
    if (i == 0 && content.substr(0, kUtf8Mark.size()) == kUtf8Mark) content.remove_prefix(kUtf8Mark.size());
    if (const auto name = SectionName(content)) {
      if (lastOfSection) break;  // the next section: the key is not there
      if (AnsiEqualsIgnoreAsciiCase(*name, section)) lastOfSection = i;
      continue;
    }
    if (!lastOfSection) continue;
    if (const auto name = KeyName(content); name && AnsiEqualsIgnoreAsciiCase(*name, key)) {
      text.replace(lines[i].begin, lines[i].end - lines[i].begin, entry);
      return;
    }
    if (!Trim(content).empty()) lastOfSection = i;
  }

  if (lastOfSection) {
    const Line& after = lines[*lastOfSection];
    if (after.next == after.end) {
      text.insert(after.end, lineBreak + entry);  // the file's last line, without a break
    } else {
      text.insert(after.next, entry + lineBreak);
    }
    return;
  }
  if (!text.empty() && text.back() != '\n') text += lineBreak;
  if (!text.empty()) text += lineBreak;  // a blank line between sections
  text += "[" + section + "]" + lineBreak + entry + lineBreak;
}

}  // namespace tapestrel::platform
