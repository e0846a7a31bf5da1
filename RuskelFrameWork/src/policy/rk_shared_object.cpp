#include "policy/rk_shared_object.h"

#include <climits>

#include "kernel/rk_error_log.h"

namespace rk::policy {

namespace {
constexpr const char* kFreedText = "解放済みメモリ\n\n";
constexpr const char* kWrappedText = "参照カウンターが一周してしまいました。\n";
constexpr const char* kHeaderFile = "include/policy/rk_shared_object";
}  // namespace

int SharedObject::release(const char* file, int line) {
  if (count_ < 1) debug::writeErrorLog(file, line, kFreedText);
  int count = decrement();
  if (count < 0) debug::writeErrorLog(file, line, kFreedText);
  if (isZero(count)) {
    destroy();
    delete this;
  }
  return count;
}

void SharedObject::addRef() {
  // Wrapping is defined here: the count is kept as an unsigned add.
  int before = count_;
  count_ = static_cast<int>(static_cast<unsigned>(count_) + 1u);
  if (before >= 0 && count_ < 0) debug::writeErrorLog(kHeaderFile, 157, kWrappedText);
}

SharedObjectPtr& SharedObjectPtr::operator=(SharedObjectPtr&& other) noexcept {
  if (this != &other) {
    SharedObject* old = object_;
    object_ = other.object_;
    other.object_ = nullptr;
    if (old) old->release(kHeaderFile, 161);
  }
  return *this;
}

SharedObjectPtr& SharedObjectPtr::assign(SharedObject* object) {
  if (object == object_) return *this;
  if (object) object->addRef();
  SharedObject* old = object_;
  object_ = object;
  if (old) old->release(kHeaderFile, 161);
  return *this;
}

void SharedObjectPtr::reset() {
  SharedObject* old = object_;
  object_ = nullptr;
  if (old) old->release(kHeaderFile, 147);
}

}  // namespace rk::policy
