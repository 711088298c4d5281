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
                                            const PictureProbe& probe, const MonitorDrawing& draw) {
  std::vector<SharedPicture> chosen;
  std::deque<SharedPicture> waiting;  // passed over for their shape
  size_t repeats = 0;
  auto nextUsable = [&]() -> SharedPicture {
    while (const std::optional<int> index = candidates.Next()) {
      if (std::optional<ChosenPicture> picture = probe(pictures.Path(*index)))
        return std::make_shared<const ChosenPicture>(std::move(*picture));
    }
    return nullptr;
  };
  for (const platform::ScreenRect& monitor : monitors) {
    const bool portrait = Portrait(monitor.width, monitor.height);
    auto fits = [&](const SharedPicture& p) {
      return !matchOrientation || Portrait(p->width, p->height) == portrait;
    };
    // The next in line for this monitor, or null when the list has run out.
    auto inLine = [&]() -> SharedPicture {
      if (const auto found = std::find_if(waiting.begin(), waiting.end(), fits); found != waiting.end()) {
        SharedPicture taken = *found;
        waiting.erase(found);
        return taken;
      }
      while (waiting.size() < kShapeLookAhead) {
        SharedPicture next = nextUsable();
        if (!next) break;
        if (fits(next)) return next;
        waiting.push_back(std::move(next));
      }
      if (waiting.empty()) return nullptr;
      SharedPicture taken = waiting.front();
      waiting.pop_front();
      return taken;
    };
    SharedPicture taken;
    while (SharedPicture next = inLine()) {
      if (draw(*next, monitor)) {
        taken = std::move(next);
        break;
      }
    }
    if (!taken) {
      // A picture drawn once already that fails now leaves nothing to trust.
      if (chosen.empty()) return {};
      taken = chosen[repeats++ % chosen.size()];
      if (!draw(*taken, monitor)) return {};
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
