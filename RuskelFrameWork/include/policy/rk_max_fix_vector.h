// Fixed-capacity array stored inline. Overflows and out-of-range accesses are
// reported to the error log and never touch memory outside the N elements: a
// push on a full array is dropped, a bad index reads a spare element.
#pragma once
#include <cstddef>
#include <string>

#include "kernel/rk_error_log.h"

namespace rk::policy {

template <class T, std::size_t N>
class MaxFixVector {
 public:
  // `name` is the qualified class name used in reports, for example
  // "rk::policy::MaxFixVector<struct ID3D12CommandList *,48>".
  explicit MaxFixVector(const char* name = "rk::policy::MaxFixVector") : name_(name) {}

  void push_back(const T& value) {
    if (count_ >= N) {
      report(48, "::push_back");
      return;
    }
    items_[count_++] = value;
  }

  T& operator[](std::size_t index) {
    if (index >= count_) {
      report(109, "::operator []");
      spare_ = T();
      return spare_;
    }
    return items_[index];
  }
  const T& operator[](std::size_t index) const { return const_cast<MaxFixVector&>(*this)[index]; }

  T& back() {
    if (count_ == 0 || count_ > N) {
      report(count_ == 0 ? 125 : 131, "::back");
      spare_ = T();
      return spare_;
    }
    return items_[count_ - 1];
  }

  void pop_back() {
    if (count_ > 0) --count_;
  }
  void clear() { count_ = 0; }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  bool full() const { return count_ >= N; }
  static constexpr std::size_t capacity() { return N; }
  T* data() { return items_; }
  const T* data() const { return items_; }
  T* begin() { return items_; }
  T* end() { return items_ + count_; }
  const T* begin() const { return items_; }
  const T* end() const { return items_ + count_; }

 private:
  void report(int line, const char* operation) const {
    std::string text = std::string(name_) + operation;
    debug::writeErrorLog("include/policy/rk_max_fix_vector", line, text.c_str());
  }

  T items_[N] = {};
  std::size_t count_ = 0;
  T spare_ = T();
  const char* name_;
};

}  // namespace rk::policy
