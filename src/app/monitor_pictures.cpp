#include "app/monitor_pictures.h"

#include <algorithm>
#include <deque>

namespace tapestrel::app {
namespace {

bool Portrait(int width, int height) { return height > width; }

}  // namespace

std::vector<SharedPicture> ChoosePerMonitor(std::span<const platform::ScreenRect> monitors,
                                            ChangeCandidates& candidates,
                                            const browser::PictureList& pictures, bool matchOrientation,
                                            const PictureDecoder& decode) {
  std::vector<SharedPicture> chosen;
  std::deque<SharedPicture> waiting;  // decoded, passed over for their shape
  size_t repeats = 0;
  auto nextUsable = [&]() -> SharedPicture {
    while (const std::optional<int> index = candidates.Next()) {
      const std::string path = pictures.Path(*index);
      if (std::optional<imaging::Bitmap> picture = decode(path))
        return std::make_shared<const ChosenPicture>(ChosenPicture{path, std::move(*picture)});
    }
    return nullptr;
  };
  for (const platform::ScreenRect& monitor : monitors) {
    const bool portrait = Portrait(monitor.width, monitor.height);
    auto fits = [&](const SharedPicture& p) {
      return !matchOrientation || Portrait(p->picture.Width(), p->picture.Height()) == portrait;
    };
    SharedPicture taken;
    if (const auto found = std::find_if(waiting.begin(), waiting.end(), fits); found != waiting.end()) {
      taken = *found;
      waiting.erase(found);
    }
    while (!taken && waiting.size() < kShapeLookAhead) {
      SharedPicture next = nextUsable();
      if (!next) break;
      if (fits(next)) {
        taken = std::move(next);
      } else {
        waiting.push_back(std::move(next));
      }
    }
    if (!taken && !waiting.empty()) {
      taken = waiting.front();
      waiting.pop_front();
    }
    if (!taken) {
      if (chosen.empty()) return {};
      taken = chosen[repeats++ % chosen.size()];
    }
    chosen.push_back(std::move(taken));
  }
  return chosen;
}

std::vector<platform::ScreenRect> PrimaryLast(std::span<const platform::ScreenRect> monitors) {
  if (monitors.empty()) return {};
  std::vector<platform::ScreenRect> order(monitors.begin() + 1, monitors.end());
  std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
    return a.left != b.left ? a.left < b.left : a.top < b.top;
  });
  order.push_back(monitors.front());
  return order;
}

}  // namespace tapestrel::app
