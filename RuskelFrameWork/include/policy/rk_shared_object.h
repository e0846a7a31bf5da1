// Reference-counted base of every shared framework object, and its intrusive
// pointer. Counts are plain integers: references are taken and dropped on the
// main thread only.
#pragma once

namespace rk::policy {

class SharedObject {
 public:
  SharedObject() = default;
  SharedObject(const SharedObject&) = delete;
  SharedObject& operator=(const SharedObject&) = delete;
  virtual ~SharedObject() = default;

  // True exactly when the given count is zero: the object is then deleted.
  virtual bool isZero(int count) { return count == 0; }
  // Runs before deletion on the last release; derived classes unregister here.
  virtual void destroy() {}
  virtual int decrement() { return --count_; }

  // Drops one reference. Releasing at a count below one reports
  // "解放済みメモリ\n\n" (before and again after the decrement when the count
  // goes negative) and deletes nothing. Returns the count after the decrement.
  int release(const char* file, int line);
  // Takes one reference; a count that wraps past the largest int is reported.
  void addRef();

  int count() const { return count_; }

 private:
  int count_ = 0;
};

// Holds one reference to a shared object (or null).
class SharedObjectPtr {
 public:
  SharedObjectPtr() = default;
  explicit SharedObjectPtr(SharedObject* object) : object_(object) {
    if (object_) object_->addRef();
  }
  SharedObjectPtr(const SharedObjectPtr& other) : SharedObjectPtr(other.object_) {}
  SharedObjectPtr(SharedObjectPtr&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  ~SharedObjectPtr() { reset(); }

  SharedObjectPtr& operator=(const SharedObjectPtr& other) { return assign(other.object_); }
  SharedObjectPtr& operator=(SharedObjectPtr&& other) noexcept;
  SharedObjectPtr& assign(SharedObject* object);

  SharedObject* get() const { return object_; }
  SharedObject* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void reset();

 private:
  SharedObject* object_ = nullptr;
};

// Typed form of the intrusive pointer for classes derived from SharedObject.
template <class T>
class SharedPtr {
 public:
  SharedPtr() = default;
  SharedPtr(T* object) : ptr_(object), typed_(object) {}  // NOLINT: implicit like a raw pointer
  T* get() const { return typed_; }
  T* operator->() const { return typed_; }
  T& operator*() const { return *typed_; }
  explicit operator bool() const { return typed_ != nullptr; }
  void reset() {
    ptr_.reset();
    typed_ = nullptr;
  }
  bool operator==(const SharedPtr& o) const { return typed_ == o.typed_; }
  bool operator!=(const SharedPtr& o) const { return typed_ != o.typed_; }

 private:
  SharedObjectPtr ptr_;
  T* typed_ = nullptr;
};

}  // namespace rk::policy
