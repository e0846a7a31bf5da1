// Reference-counted GPU objects and the owning pointer that holds them, in the
// way COM interfaces and their smart pointers behave: a new object starts with
// one reference for its creator, release() deletes it at zero.
#pragma once
#include <cstdint>
#include <string>
#include <utility>

namespace host::gpu {

class Object {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  virtual ~Object() = default;

  std::uint32_t addRef() { return ++refs_; }
  std::uint32_t release() {
    const std::uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  std::uint32_t refCount() const { return refs_; }

  // Debug name (SetName); the trace shows it for pipeline states and resources.
  void setName(const std::string& name) { name_ = name; }
  const std::string& name() const { return name_; }

 private:
  std::uint32_t refs_ = 1;  // main thread only, like the rest of the layer
  std::string name_;
};

// Owning pointer: releases on reset and destruction, adds a reference on copy.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  // Takes over the creator's reference.
  static Ref adopt(T* object) {
    Ref r;
    r.p_ = object;
    return r;
  }
  // Adds a reference of its own.
  static Ref share(T* object) {
    if (object) object->addRef();
    return adopt(object);
  }
  Ref(const Ref& other) : p_(other.p_) {
    if (p_) p_->addRef();
  }
  template <class U>
  Ref(const Ref<U>& other) : p_(other.get()) {
    if (p_) p_->addRef();
  }
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~Ref() { reset(); }

  void reset() {
    if (T* old = std::exchange(p_, nullptr)) old->release();
  }
  // Releases what is held and hands out the slot for a create call to fill.
  T** put() {
    reset();
    return &p_;
  }
  T* detach() { return std::exchange(p_, nullptr); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  bool operator==(const Ref& other) const { return p_ == other.p_; }
  bool operator!=(const Ref& other) const { return p_ != other.p_; }

 private:
  T* p_ = nullptr;
};

}  // namespace host::gpu
