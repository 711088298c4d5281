// Option values that tell their group when they change. A view hooks each
// group's OnChange: most of its options rebuild the view, so a setter that
// stores the same value again must stay silent.
#pragma once

#include <functional>
#include <utility>

namespace tapestrel::browser {

class OptionGroup {
 public:
  OptionGroup() = default;
  OptionGroup(const OptionGroup&) = delete;
  OptionGroup& operator=(const OptionGroup&) = delete;

  std::function<void()> OnChange;

  // Raises OnChange, as every option of the group does when it changes.
  void Changed() const {
    if (OnChange) OnChange();
  }
};

// One value of a group: reads like the value, assigning a different value
// raises the group's OnChange.
template <typename T>
class Option {
 public:
  Option(OptionGroup* group, T initial) : group_(group), value_(std::move(initial)) {}
  Option(const Option&) = delete;

  Option& operator=(T value) {
    if (!(value == value_)) {
      value_ = std::move(value);
      group_->Changed();
    }
    return *this;
  }
  Option& operator=(const Option& other) { return *this = other.value_; }
  const T& Get() const { return value_; }
  operator const T&() const { return value_; }

 private:
  OptionGroup* group_;
  T value_;
};

}  // namespace tapestrel::browser
