// What the game's collision groups walk: a side read from a script's list
// object (a framework body list or an enemy-bullet list), copied into a
// vector at the start of each pass, and a watch that notes every body
// destroyed during the pass, so that a hit rule that lets the last reference
// of a shot, bullet or enemy body go never leaves the pass holding a dead
// pointer.
#pragma once
#include <algorithm>
#include <list>
#include <vector>

#include <lua.hpp>

#include "rigidbody/rk_rigidbody.h"
#include "rigidbody/rk_rigidbody_hooks.h"

namespace col_group {

// One side of a list-pair group: the list object and how to read it. The
// elements are checked against the side's class; others are left out.
template <class T>
struct BodySide {
  const void* list = nullptr;
  void (*collect)(const void* list, std::vector<T*>& out) = nullptr;

  explicit operator bool() const { return list && collect; }
  void snapshot(std::vector<T*>& out) const {
    out.clear();
    if (*this) collect(list, out);
  }
};

// The side held by the list object at that index: nil, none, or a value that
// is no list object unsets the side.
template <class T>
BodySide<T> readBodySide(lua_State* L, int index);

// Notes the bodies destroyed while it exists.
class DeathWatch : private rk::rigidbody::IRigidBodyHolder {
 public:
  DeathWatch() { rk::rigidbody::registerRigidBodyHolder(this); }
  ~DeathWatch() override { rk::rigidbody::unregisterRigidBodyHolder(this); }
  DeathWatch(const DeathWatch&) = delete;
  DeathWatch& operator=(const DeathWatch&) = delete;

  bool gone(const rk::rigidbody::RigidBody* body) const {
    return !gone_.empty() && std::find(gone_.begin(), gone_.end(), body) != gone_.end();
  }

 private:
  void forgetRigidBody(const void* body) override { gone_.push_back(body); }
  std::vector<const void*> gone_;
};

// Follows one body that a group holds by plain pointer: the link is cleared
// when the body is destroyed.
template <class T>
class BodyLink : private rk::rigidbody::IRigidBodyHolder {
 public:
  BodyLink() { rk::rigidbody::registerRigidBodyHolder(this); }
  ~BodyLink() override { rk::rigidbody::unregisterRigidBodyHolder(this); }
  BodyLink(const BodyLink&) = delete;
  BodyLink& operator=(const BodyLink&) = delete;

  T* get() const { return body_; }
  void set(T* body) { body_ = body; }

 private:
  void forgetRigidBody(const void* body) override {
    if (body_ && static_cast<const void*>(static_cast<rk::rigidbody::RigidBody*>(body_)) == body) body_ = nullptr;
  }
  T* body_ = nullptr;
};

}  // namespace col_group
