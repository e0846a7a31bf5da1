// A pick-up: a small rigid sphere (radius 0.5, no gravity) with an item kind
// that the player's pick-up rule applies, and an optional effect (one
// reference) that follows it after every physics step.
#pragma once
#include <cstdint>

#include <lua.hpp>

#include "rigidbody/rk_rigidbody_shapes.h"
#include "script/rk_lua_object.h"

namespace rk::effect { class EffectHandle; }

class Item : public rk::rigidbody::RigidBodySphere {
 public:
  static constexpr float kRadius = 0.5f;

  Item() = default;
  // Gives back the effect's reference as well: a destroyed item holds nothing.
  ~Item() override;

  // The sphere's flush, then the effect moved to the item while it is valid.
  void flushSync() override;
  // Drops the effect, the rigid body's reset, the shape linked with radius 0.5
  // and its tensor, no gravity.
  host::HResult initialize() override;
  // The rigid body's finalize, the shape unlinked, the effect dropped.
  void finalize() override;
  // Initialize and common families, the sphere family, then "getItemKind",
  // "setItemKind", "setSyncEffect".
  void registerMethods(lua_State* L) override;

  std::int32_t getItemKind() const { return item_kind_; }
  void setItemKind(std::int32_t kind) { item_kind_ = kind; }
  rk::effect::EffectHandle* getSyncEffect() const { return sync_effect_; }
  // One reference taken on the new effect (null: none), the old one given back.
  void setSyncEffect(rk::effect::EffectHandle* effect);

 private:
  std::int32_t item_kind_ = 1;
  rk::effect::EffectHandle* sync_effect_ = nullptr;
};

extern const rk::script::LuaClass kItemClass;

// "createItemHandle": a new item, initialised, in a script object holding its
// one reference; it is in no list yet.
int lua_createItemHandle(lua_State* L);
