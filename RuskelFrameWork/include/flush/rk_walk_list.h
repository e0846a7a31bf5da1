// A list of non-owned pointers that may be changed while it is walked: an entry
// appended during the walk is visited in the same walk, and removing any entry
// (the one being called included) neither skips nor repeats the others.
#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

namespace rk::flush {

template <class T>
class WalkList {
 public:
  bool contains(T* item) const { return std::find(items_.begin(), items_.end(), item) != items_.end(); }
  void append(T* item) { items_.push_back(item); }
  // Removes the first entry equal to the item, if any.
  void removeFirst(T* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    const std::size_t at = static_cast<std::size_t>(it - items_.begin());
    items_.erase(it);
    if (walking_ && at <= cursor_) --cursor_;  // wraps below zero before the first step; ++ brings it back
  }
  template <class Fn>
  void walk(Fn&& fn) {
    walking_ = true;
    for (cursor_ = 0; cursor_ < items_.size(); ++cursor_) fn(items_[cursor_]);
    walking_ = false;
  }
  std::size_t size() const { return items_.size(); }
  const std::vector<T*>& items() const { return items_; }

 private:
  std::vector<T*> items_;
  std::size_t cursor_ = 0;
  bool walking_ = false;
};

}  // namespace rk::flush
