// Link and sync cameras: "createLinkCameraObject" names a target camera,
// "createSyncCamera" makes the task that copies its source camera's view onto
// the target of every pushed link object each frame while it runs. Both
// objects own what they hold; neither keeps its cameras alive.
#include <algorithm>

#include "gfx/rk_camera.h"
#include "gfx/rk_link_camera.h"
#include "script/rk_script_graphics.h"
#include "rk_script_graphics_internal.h"

namespace rk::script::gph {

const LuaClass kLinkCameraObjectClass{"rk::gfx::LinkCameraObject"};
const LuaClass kSyncCameraClass{"rk::gfx::LinkCamera", castToInterface<gfx::LinkCamera, task::Task>};

namespace {

using gfx::LinkCamera;
using gfx::LinkCameraObject;

// A camera argument of the wrong kind is reported; the call then does nothing.
gfx::Camera* cameraArg(lua_State* L, int index, const char* binding) {
  gfx::Camera* camera = toCamera(L, index);
  if (!camera) debug::writeErrorLog("src/script/rk_script_graphics", __LINE__, binding);
  return camera;
}

int linkSetCamera(lua_State* L) {
  auto* link = toLuaObject<LinkCameraObject>(L, 1, kLinkCameraObjectClass);
  if (!link) RK_GPH_REPORT_NULL("lua_LinkCameraObject_setCamera");
  gfx::Camera* camera = link ? cameraArg(L, 2, RK_GPH_BINDING("lua_LinkCameraObject_setCamera")) : nullptr;
  if (camera) link->setTarget(camera);
  return noResults(L);
}

#define RK_SYNC_SELF(name)                                                 \
  auto* sync = toLuaObject<LinkCamera>(L, 1, kSyncCameraClass);            \
  if (!sync) RK_GPH_REPORT_NULL(name)

int syncSetCamera(lua_State* L) {
  RK_SYNC_SELF("lua_LinkCamera_setCamera");
  gfx::Camera* camera = sync ? cameraArg(L, 2, RK_GPH_BINDING("lua_LinkCamera_setCamera")) : nullptr;
  if (camera) sync->setCamera(camera);
  return noResults(L);
}

LinkCameraObject* linkArg(lua_State* L, const char* binding) {
  auto* link = toLuaObject<LinkCameraObject>(L, 2, kLinkCameraObjectClass);
  if (!link) debug::writeErrorLog("src/script/rk_script_graphics", __LINE__, binding);
  return link;
}

int syncPush(lua_State* L) {
  RK_SYNC_SELF("lua_LinkCamera_push");
  LinkCameraObject* link = sync ? linkArg(L, RK_GPH_BINDING("lua_LinkCamera_push")) : nullptr;
  if (link) sync->push(link);
  return noResults(L);
}

// Removes every entry of the link object.
int syncPop(lua_State* L) {
  RK_SYNC_SELF("lua_LinkCamera_pop");
  LinkCameraObject* link = sync ? linkArg(L, RK_GPH_BINDING("lua_LinkCamera_pop")) : nullptr;
  if (link)
    while (std::find(sync->objects().begin(), sync->objects().end(), link) != sync->objects().end()) sync->pop(link);
  return noResults(L);
}

int syncRun(lua_State* L) {
  RK_SYNC_SELF("lua_LinkCamera_run");
  if (sync) sync->run();
  return noResults(L);
}

int syncStop(lua_State* L) {
  RK_SYNC_SELF("lua_LinkCamera_stop");
  if (sync) sync->stop();
  return noResults(L);
}

const luaL_Reg kLinkMethods[] = {
    {"setCamera", linkSetCamera},
    {nullptr, nullptr},
};

const luaL_Reg kSyncMethods[] = {
    {"setCamera", syncSetCamera}, {"push", syncPush}, {"pop", syncPop},
    {"run", syncRun},             {"stop", syncStop}, {nullptr, nullptr},
};

}  // namespace

int createLinkCameraObject(lua_State* L) {
  gfx::Camera* camera = cameraArg(L, 1, RK_GPH_BINDING("createLinkCameraObject"));
  lua_settop(L, 0);
  return pushLuaObject(L, new LinkCameraObject(camera), kLinkCameraObjectClass, kLinkMethods,
                       lua_deleteHeldObject<LinkCameraObject, kLinkCameraObjectClass>);
}

// Inactive until run; deleting it (its collector) takes it out of the task manager.
int createSyncCamera(lua_State* L) {
  lua_settop(L, 0);
  auto* sync = new LinkCamera;
  sync->setActive(false);
  return pushLuaObject(L, static_cast<void*>(sync), kSyncCameraClass, kSyncMethods,
                       lua_deleteHeldObject<LinkCamera, kSyncCameraClass>);
}

}  // namespace rk::script::gph
