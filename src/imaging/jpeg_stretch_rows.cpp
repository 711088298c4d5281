#include "imaging/jpeg_stretch_rows.h"

#include <algorithm>

namespace tapestrel::imaging {

JpegStretchRows::JpegStretchRows(JpegRowReader& reader, PictureEdges* edges)
    : reader_(reader), edges_(edges), pitch_(size_t{3} * static_cast<size_t>(reader.Width()) + kSlack) {
  ring_.resize(2 * pitch_);
}

StretchSourceRows::Pair JpegStretchRows::Rows(int y, int) {
  const int lower = std::min(y + 1, Height() - 1);
  while (reader_.RowsRead() <= lower) ReadNext();
  return {Slot(y), Slot(lower), pitch_, Slot(y), Slot(lower)};
}

void JpegStretchRows::ReadToEnd() {
  while (reader_.RowsRead() < Height()) ReadNext();
}

void JpegStretchRows::ReadNext() {
  const int y = reader_.RowsRead();
  uint8_t* row = Slot(y);
  reader_.ReadRow(row);
  if (!edges_) return;
  auto color = [row](int x) { return MakeColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]); };
  edges_->left.push_back(color(0));
  edges_->right.push_back(color(Width() - 1));
  for (auto* edge : {y == 0 ? &edges_->top : nullptr, y == Height() - 1 ? &edges_->bottom : nullptr}) {
    if (!edge) continue;
    edge->resize(static_cast<size_t>(Width()));
    for (int x = 0; x < Width(); ++x) (*edge)[static_cast<size_t>(x)] = color(x);
  }
}

}  // namespace tapestrel::imaging
