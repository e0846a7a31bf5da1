#include "script/rk_lua_object.h"

#include <algorithm>

#include "kernel/rk_error_log.h"

namespace rk::script {

const LuaClass kSharedObjectClass{"rk::policy::SharedObject"};
const LuaClass kTaskClass{"rk::task::Task"};
const LuaClass kInitializeClass{"rk::policy::IInitialize"};
const LuaClass kFinalizeClass{"rk::policy::IFinalize"};
const LuaClass kIsUseClass{"rk::policy::IIsUse"};

void* castLuaObject(LuaObjectBlock* block, void* object, const LuaClass& cls) {
  return block->cls->cast ? block->cls->cast(object, cls) : nullptr;
}

void reportNullObject(const char* functionName) { debug::writeErrorLog("src/script/rk_lua_object", 40, functionName); }

void ILuaMethod::createTables(lua_State* L) {
  lua_newtable(L);
  lua_newtable(L);
}

void setMethods(lua_State* L, const luaL_Reg* methods) {
  for (const luaL_Reg* m = methods; m && m->name; ++m) {
    lua_pushcfunction(L, m->func);
    lua_setfield(L, 3, m->name);
  }
}

void setObjectMetatable(lua_State* L, lua_CFunction collector) {
  lua_setfield(L, 2, "__index");
  lua_pushcfunction(L, collector);
  lua_setfield(L, 2, "__gc");
  lua_setmetatable(L, 1);
}

namespace {

// A method list and a collector presented as the three steps.
class TableMethods : public ILuaMethod {
 public:
  TableMethods(const luaL_Reg* methods, lua_CFunction collector) : methods_(methods), collector_(collector) {}
  void registerMethods(lua_State* L) override { setMethods(L, methods_); }
  void setMetatable(lua_State* L) override { setObjectMetatable(L, collector_); }

 private:
  const luaL_Reg* methods_;
  lua_CFunction collector_;
};

}  // namespace

int pushLuaObject(lua_State* L, ILuaMethod& methods, void* object, const LuaClass& cls, LuaObjectBlock** block) {
  lua_settop(L, 0);
  auto* made = static_cast<LuaObjectBlock*>(lua_newuserdata(L, sizeof(LuaObjectBlock)));
  made->magic = kLuaObjectMagic;
  made->cls = &cls;
  made->object = object;
  made->cell = nullptr;
  methods.createTables(L);
  methods.registerMethods(L);
  methods.setMetatable(L);
  lua_settop(L, 1);
  if (block) *block = made;
  return 1;
}

int pushLuaObject(lua_State* L, void* object, const LuaClass& cls, const luaL_Reg* methods, lua_CFunction collector,
                  LuaObjectBlock** block) {
  TableMethods steps(methods, collector);
  return pushLuaObject(L, steps, object, cls, block);
}

void LuaObjectLinks::link(LuaObjectBlock* block) {
  if (!block || block->cell) return;
  block->cell = new LuaObjectCell{block->object, this};
  block->object = nullptr;
  cells_.push_back(block->cell);
}

void LuaObjectLinks::clear() {
  for (LuaObjectCell* cell : cells_) {
    cell->object = nullptr;
    cell->links = nullptr;
  }
  cells_.clear();
}

void LuaObjectLinks::release(LuaObjectBlock* block) {
  LuaObjectCell* cell = block ? block->cell : nullptr;
  if (!cell) return;
  if (LuaObjectLinks* links = cell->links)
    links->cells_.erase(std::remove(links->cells_.begin(), links->cells_.end(), cell), links->cells_.end());
  block->cell = nullptr;
  delete cell;
}

int lua_gcReleaseSharedObject(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (auto* shared = toLuaObject<policy::SharedObject>(L, 1, kSharedObjectClass)) {
    block->object = nullptr;
    LuaObjectLinks::release(block);
    shared->release("include/script/rk_script", 325);
  }
  lua_settop(L, 0);
  return 0;
}

}  // namespace rk::script
