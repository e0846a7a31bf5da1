#include "flushgroup/flush_model_range.h"

#include "gfx/rk_model.h"
#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_math.h"
#include "script/rk_script_model.h"
#include "script/rk_script_rigidbody.h"

namespace flushgroup {

namespace {
constexpr const char* kSource = "QV21_SOURCE/flushgroup/flush_model_range";
}

const rk::script::LuaClass kFlushModelAndRangeScopeClass{"flushgroup::FlushModelAndRangeScope"};

FlushModelAndRangeScope::~FlushModelAndRangeScope() { setScope(nullptr); }

void FlushModelAndRangeScope::setScope(range_scope::RangeScope* scope) {
  if (group_b_ == scope) return;
  if (group_b_) group_b_->removeUser(this);
  group_b_ = scope;
  if (scope) scope->addUser(this);
}

void FlushModelAndRangeScope::forgetRangeScope(range_scope::RangeScope* scope) {
  if (group_b_ == scope) group_b_ = nullptr;
}

void FlushModelAndRangeScope::flushProc(float) {
  rk::gfx::GModel* model = group_a_;
  range_scope::RangeScope* scope = group_b_;
  if (!model || !scope) return;
  // The model is a plain link: one that has gone has left the model manager.
  rk::gfx::ModelManager* models = rk::gfx::ModelManager::findInstance();
  if (!models || !models->contains(model)) return;
  if (!model->isVisible() || !scope->isVisible()) return;

  rk::math::Matrix frame = rk::math::matrixIdentity();
  if (!model->calcFrameMtx(frame, frame_name_.empty() ? nullptr : frame_name_.c_str()))
    rk::debug::writeErrorLog(kSource, 61, "flushgroup::FlushModelAndRangeScope::flushProc");
  frame = rk::math::matrixMultiply(frame, offset_mtx_);
  rk::math::Matrix world = rk::math::matrixIdentity();
  model->calcFrameMtx(world, nullptr);

  scope->record().direction = rk::math::vec3Normalize({-frame.m[2][0], 0.0f, -frame.m[2][2], 0.0f});
  scope->setPos({frame.m[3][0], frame.m[3][1], frame.m[3][2], 0.0f});
  scope->buildMatrix();
  scope->record().position = {world.m[3][0], world.m[3][1], world.m[3][2], 0.0f};
}

namespace {

FlushModelAndRangeScope* self(lua_State* L, const char* method) {
  auto* group = rk::script::toLuaObject<FlushModelAndRangeScope>(L, 1, kFlushModelAndRangeScopeClass);
  if (!group) rk::script::reportNullObject(method);
  return group;
}

// A model object, or any script object that carries a scene model.
rk::gfx::GModel* modelArg(lua_State* L, int index) {
  if (auto* model = rk::script::toLuaObject<rk::gfx::Model>(L, index, rk::script::gph::kModelClass)) return model;
  return rk::script::toLuaObject<rk::gfx::GModel>(L, index, rk::script::rigidbody::kGModelClass);
}

int lua_setGroupA(lua_State* L) {
  rk::gfx::GModel* model = modelArg(L, 2);
  if (FlushModelAndRangeScope* group = self(L, "flushgroup::FlushModelAndRangeScope::lua_setGroupA"))
    group->setGroupA(model);
  lua_settop(L, 0);
  return 0;
}

int lua_setGroupB(lua_State* L) {
  range_scope::RangeScope* scope = range_scope::toRangeScope(L, 2);
  if (FlushModelAndRangeScope* group = self(L, "flushgroup::FlushModelAndRangeScope::lua_setGroupB"))
    group->setScope(scope);
  lua_settop(L, 0);
  return 0;
}

int lua_setFrameName(lua_State* L) {
  const std::string name = rk::script::toTextOrEmpty(L, 2);
  if (FlushModelAndRangeScope* group = self(L, "flushgroup::FlushModelAndRangeScope::lua_setFrameName"))
    group->setFrameName(name);
  lua_settop(L, 0);
  return 0;
}

// A matrix object is copied; anything else is reported and changes nothing.
int lua_setOffsetMtx(lua_State* L) {
  FlushModelAndRangeScope* group = self(L, "flushgroup::FlushModelAndRangeScope::lua_setOffsetMtx");
  const rk::math::Matrix* m = rk::script::math::toMatrix(L, 2);
  if (group && m)
    group->setOffsetMtx(*m);
  else if (group)
    rk::script::reportNullObject("flushgroup::FlushModelAndRangeScope::lua_setOffsetMtx");
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kGroupMethods[] = {
    {"setGroupA", lua_setGroupA},
    {"setGroupB", lua_setGroupB},
    {"setFrameName", lua_setFrameName},
    {"setOffsetMtx", lua_setOffsetMtx},
    {nullptr, nullptr},
};

// Out of the flush unit, then deleted.
int lua_collect(lua_State* L) {
  rk::script::LuaObjectBlock* block = rk::script::luaObjectBlock(L, 1);
  if (block && block->cls == &kFlushModelAndRangeScopeClass && block->object) {
    auto* group = static_cast<FlushModelAndRangeScope*>(block->object);
    block->object = nullptr;
    if (rk::flush::FlushUnit* unit = rk::flush::FlushUnit::getInstance()) unit->removeFlush(group);
    delete group;
  }
  lua_settop(L, 0);
  return 0;
}

}  // namespace

void FlushModelAndRangeScope::registerMethods(lua_State* L) { rk::script::setMethods(L, kGroupMethods); }

void FlushModelAndRangeScope::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, lua_collect); }

int lua_createFlushModelAndRangeScope(lua_State* L) {
  lua_settop(L, 0);
  auto* group = new FlushModelAndRangeScope();
  rk::script::pushLuaObject(L, *group, group, kFlushModelAndRangeScopeClass);
  if (rk::flush::FlushUnit* unit = rk::flush::FlushUnit::getInstance()) unit->registerFlush(group);
  return 1;
}

}  // namespace flushgroup
