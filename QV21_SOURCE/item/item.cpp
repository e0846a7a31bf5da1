#include "item/item.h"

#include "effect/rk_effect_handle.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_effect.h"
#include "script/rk_script_rigidbody.h"

const rk::script::LuaClass kItemClass{
    "Item", [](void* object, const rk::script::LuaClass& target) {
      return rk::script::castToInterface<Item, rk::rigidbody::RigidBodySphere, rk::rigidbody::RigidBody,
                                         rk::policy::SharedObject, rk::policy::IInitialize, rk::policy::IFinalize,
                                         rk::policy::IIsUse, rk::collision::CollisionBody>(object, target);
    }};

namespace {
constexpr const char* kSource = "QV21_SOURCE/item/item";
}  // namespace

Item::~Item() { setSyncEffect(nullptr); }

void Item::setSyncEffect(rk::effect::EffectHandle* effect) {
  // Taken before the old one goes: the same handle again must survive.
  if (effect) effect->addRef();
  if (sync_effect_) sync_effect_->release(kSource, 157);
  sync_effect_ = effect;
}

void Item::flushSync() {
  RigidBodySphere::flushSync();
  if (isValid() && sync_effect_) sync_effect_->setPos(position_.x, position_.y, position_.z);
}

host::HResult Item::initialize() {
  setSyncEffect(nullptr);
  const host::HResult result = RigidBody::initialize();
  setCollisionBody(static_cast<rk::collision::Sphere*>(this));
  setRadius(1.0f);
  setupTensor();
  setRadius(kRadius);
  setupTensor();
  setGravity({0.0f, 0.0f, 0.0f, 0.0f});
  return result;
}

void Item::finalize() {
  RigidBody::finalize();
  setCollisionBody(nullptr);
  setSyncEffect(nullptr);
}

namespace {

Item* self(lua_State* L, const char* method) {
  Item* item = rk::script::toLuaObject<Item>(L, 1, kItemClass);
  if (!item) rk::script::reportNullObject(method);
  return item;
}

int lua_getItemKind(lua_State* L) {
  Item* item = self(L, "Item::lua_getItemKind");
  lua_settop(L, 0);
  if (!item) return 0;
  lua_pushinteger(L, item->getItemKind());
  return 1;
}

int lua_setItemKind(lua_State* L) {
  if (Item* item = self(L, "Item::lua_setItemKind")) item->setItemKind(rk::script::toIntArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

// Nil drops the effect; anything but an effect handle is reported and changes nothing.
int lua_setSyncEffect(lua_State* L) {
  if (Item* item = self(L, "Item::lua_setSyncEffect")) {
    auto* handle = rk::script::toLuaObject<rk::effect::EffectHandle>(L, 2, rk::script::effect::kEffectHandleClass);
    if (handle || lua_isnoneornil(L, 2))
      item->setSyncEffect(handle);
    else
      rk::script::reportNullObject("Item::lua_setSyncEffect");
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kItemMethods[] = {
    {"getItemKind", lua_getItemKind},
    {"setItemKind", lua_setItemKind},
    {"setSyncEffect", lua_setSyncEffect},
    {nullptr, nullptr},
};

}  // namespace

void Item::registerMethods(lua_State* L) {
  RigidBodySphere::registerMethods(L);
  rk::script::setMethods(L, kItemMethods);
}

int lua_createItemHandle(lua_State* L) {
  lua_settop(L, 0);
  rk::rigidbody::RigidBodyManager::getInstance();  // reports a missing manager; the item is still made
  Item* item = rk::rigidbody::RigidBodyManager::create<Item>();
  return rk::script::pushLuaObject(L, *item, item, kItemClass);
}
