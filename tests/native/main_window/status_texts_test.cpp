#include "app/status_texts.h"

#include <gtest/gtest.h>

namespace tapestrel::app {
namespace {

TEST(SelectionStatusText, EachKindOfSelection) {
  const struct {
    SelectionSummary selection;
    const char* expected;
  } cases[] = {
      {{0, 0, false, "", 0}, "0 個のオブジェクト"},
      {{12, 0, false, "", 0}, "12 個のオブジェクト"},
      // A folder first: only the count of the selection.
      {{12, 3, true, "ファイル フォルダ", 0}, "3 個のオブジェクトを選択"},
      // A file first: its type and size, whatever else is selected.
      {{12, 1, false, "JPEG イメージ", 0}, "種類:JPEG イメージ サイズ: 0 バイト"},
      {{12, 1, false, "JPEG イメージ", 1024}, "種類:JPEG イメージ サイズ: 1024 バイト"},
      {{12, 1, false, "JPEG イメージ", 1025}, "種類:JPEG イメージ サイズ: 2KB"},
      {{12, 4, false, "ビットマップ", 2048}, "種類:ビットマップ サイズ: 3KB"},
  };
  for (const auto& c : cases) EXPECT_EQ(SelectionStatusText(c.selection), c.expected) << c.expected;
}

TEST(KilobyteSizeText, WholeKilobytesPlusOneOverTheWholeSize) {
  EXPECT_EQ(KilobyteSizeText(0), "1KB");
  EXPECT_EQ(KilobyteSizeText(1023), "1KB");
  EXPECT_EQ(KilobyteSizeText(1024), "2KB");
  EXPECT_EQ(KilobyteSizeText(1048576), "1025KB");
  // Beyond 4 GB the size is not cut to its low 32 bits.
  EXPECT_EQ(KilobyteSizeText(5ull << 30), "5242881KB");
}

TEST(LoadingStatusText, NameThenTheVerb) {
  EXPECT_EQ(LoadingStatusText("夏の海.jpg"), "夏の海.jpg を開いています");
}

}  // namespace
}  // namespace tapestrel::app
