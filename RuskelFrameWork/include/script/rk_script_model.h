// The model script object ("createModel") and the four drawing methods that
// every script object carrying a scene model shares: visibility, camera
// bits, render priority and the reverse sync that drives a collision shape.
#pragma once
#include <lua.hpp>

#include "gfx/rk_gmodel.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_object.h"
#include "script/rk_script_collision.h"

namespace rk::script {

namespace gph {

extern const LuaClass kModelClass;  // holds a rk::gfx::Model

// The global: a new model of the model manager, owned by its script object.
int createModel(lua_State* L);
// The model object's collector.
int lua_Model_gc(lua_State* L);

// The model part of a script object's payload; a class whose model part is
// a member overloads this.
inline gfx::GModel* modelPartOf(gfx::GModel* object) { return object; }

template <class T, const LuaClass& Cls>
gfx::GModel* heldModelPart(lua_State* L, const char* name) {
  T* object = toLuaObject<T>(L, 1, Cls);
  if (!object) reportNullObject(name);
  return object ? modelPartOf(object) : nullptr;
}

template <class T, const LuaClass& Cls>
int lua_GModel_setVisible(lua_State* L) {
  const bool visible = toBoolArg(L, 2);
  if (gfx::GModel* model = heldModelPart<T, Cls>(L, "rk::script::gph::lua_GModel_setVisible"))
    model->setVisible(visible);
  lua_settop(L, 0);
  return 0;
}

template <class T, const LuaClass& Cls>
int lua_GModel_setRenderCameraBit(lua_State* L) {
  const int bits = toIntArg(L, 2);
  if (gfx::GModel* model = heldModelPart<T, Cls>(L, "rk::script::gph::lua_GModel_setRenderCameraBit"))
    model->setRenderCameraBit(bits);
  lua_settop(L, 0);
  return 0;
}

template <class T, const LuaClass& Cls>
int lua_GModel_setRenderPriority(lua_State* L) {
  const int priority = toIntArg(L, 2);
  if (gfx::GModel* model = heldModelPart<T, Cls>(L, "rk::script::gph::lua_GModel_setRenderPriority"))
    model->setRenderPriority(priority);
  lua_settop(L, 0);
  return 0;
}

// A shape argument that is not a live collision shape (nil included) stores
// no shape, which switches the reverse sync off.
template <class T, const LuaClass& Cls>
int lua_GModel_setRevSync(lua_State* L) {
  auto* shape = toLuaObject<::rk::collision::CollisionBody>(L, 2, collision::kCollisionBodyClass);
  const int camera = toIntArg(L, 3);
  if (gfx::GModel* model = heldModelPart<T, Cls>(L, "rk::script::gph::lua_GModel_setRevSync"))
    model->setRevSync(shape, camera);
  lua_settop(L, 0);
  return 0;
}

// Stores the four methods into the method table on the top of the stack.
template <class T, const LuaClass& Cls>
void setModelRenderMethods(lua_State* L) {
  const luaL_Reg methods[] = {
      {"setVisible", lua_GModel_setVisible<T, Cls>},
      {"setRenderCameraBit", lua_GModel_setRenderCameraBit<T, Cls>},
      {"setRenderPriority", lua_GModel_setRenderPriority<T, Cls>},
      {"setRevSync", lua_GModel_setRevSync<T, Cls>},
  };
  for (const luaL_Reg& method : methods) {
    lua_pushcfunction(L, method.func);
    lua_setfield(L, -2, method.name);
  }
}

}  // namespace gph
}  // namespace rk::script
