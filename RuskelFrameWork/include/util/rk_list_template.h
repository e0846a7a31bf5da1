// A list of object pointers that scripts fill and collision groups walk. The
// list does not own its elements and takes no reference on them; the same
// object may be listed twice.
#pragma once
#include <algorithm>
#include <list>

#include "kernel/rk_error_log.h"

namespace rk::util {

template <class T>
class List {
 public:
  // `removeName` is the qualified name under which remove reports a null
  // element ("rk::util::List<class rk::rigidbody::RigidBodySphere>::remove").
  explicit List(const char* removeName = "rk::util::List::remove") : remove_name_(removeName) {}
  virtual ~List() = default;
  List(const List&) = delete;
  List& operator=(const List&) = delete;

  void push(T* item) { items_.push_back(item); }
  // Removes the first element equal to item; a null item is reported and
  // finds nothing.
  void remove(T* item) {
    if (!item) {
      debug::writeErrorLog("include/util/rk_list_template", 58, remove_name_);
      return;
    }
    const auto found = std::find(items_.begin(), items_.end(), item);
    if (found != items_.end()) items_.erase(found);
  }
  void clear() { items_.clear(); }

  std::list<T*>& items() { return items_; }
  const std::list<T*>& items() const { return items_; }

 private:
  std::list<T*> items_;
  const char* remove_name_;
};

}  // namespace rk::util
