// The detail texts of an entry: its size in whole kilobytes and its
// modification date.
#pragma once

#include <cstdint>
#include <string>

namespace tapestrel::browser {

// The size divided by 1024, plus 1, with "KB": "1KB" for 0 bytes, "2KB" for
// 1024. Only the low 32 bits of the size count.
std::wstring SizeText(uint64_t fileSize);

// "yyyy/mm/dd hh:nn" from a DOS date and time (local time, two-second
// resolution), with the locale's date and time separators.
std::wstring DateText(uint16_t dosDate, uint16_t dosTime, std::wstring_view dateSeparator,
                      std::wstring_view timeSeparator);

}  // namespace tapestrel::browser
