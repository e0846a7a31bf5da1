// The laser object: a textured beam along a line of points that scripts feed
// every frame (clear, then push), turned towards an eye point. The method set
// is filled by one registration operation, so a game object that owns a laser
// can hand it to scripts with the same methods and a collector that leaves
// the laser alone.
#include "gfx/gfx_model_command/rk_gfx_laser.h"
#include "rk_script_gfx_model_internal.h"

namespace rk::script::gph {

RK_GFX_COMMAND_CLASS(kLaserClass, "rk::gfx::gfx_model_command::Laser");

namespace {

using gfx::gfx_model_command::Laser;
using math::Vector4;

#define RK_LASER_SELF(name)                                                            \
  Laser::Params* laser = nullptr;                                                      \
  if (Laser* command = toGfxCommand<Laser>(L, 1, kLaserClass)) laser = &command->params(); \
  else RK_GPH_REPORT_NULL("lua_GfxModel_Laser_" name)


// The stage number: the number as a float, truncated toward zero. Only stages
// 0 and 1 exist; any other number is ignored.
int stageArg(lua_State* L) {
  const float stage = toFloatArg(L, 2);
  return stage > -1.0f && stage < 2.0f ? static_cast<int>(stage) : -1;
}

int lua_GfxModel_Laser_setTextureStageNum(lua_State* L) {
  RK_LASER_SELF("setTextureStageNum");
  if (laser) laser->stages = lowWordArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_Laser_setWidth(lua_State* L) {
  RK_LASER_SELF("setWidth");
  if (laser) laser->width = toFloatArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_Laser_setEye(lua_State* L) {
  RK_LASER_SELF("setEye");
  if (laser) laser->eye = toXYZArgs(L, 2);
  return noResults(L);
}

int lua_GfxModel_Laser_setUV(lua_State* L) {
  RK_LASER_SELF("setUV");
  const int stage = stageArg(L);
  if (laser && stage >= 0) {
    laser->uv0[stage] = {toFloatArg(L, 3), toFloatArg(L, 4), 0.0f, 0.0f};
    laser->uv1[stage] = {toFloatArg(L, 5), toFloatArg(L, 6), 0.0f, 0.0f};
  }
  return noResults(L);
}

int lua_GfxModel_Laser_setUVOffset(lua_State* L) {
  RK_LASER_SELF("setUVOffset");
  const int stage = stageArg(L);
  if (laser && stage >= 0) laser->uv_offset[stage] = {toFloatArg(L, 3), toFloatArg(L, 4), 0.0f, 0.0f};
  return noResults(L);
}

// The storage stays for the points of the next frame.
int lua_GfxModel_Laser_clearPoint(lua_State* L) {
  RK_LASER_SELF("clearPoint");
  if (laser) laser->points.clear();
  return noResults(L);
}

int lua_GfxModel_Laser_pushPos(lua_State* L) {
  RK_LASER_SELF("pushPos");
  if (laser) laser->points.push_back(toXYZArgs(L, 2));
  return noResults(L);
}

int lua_GfxModel_Laser_isVisible(lua_State* L) {
  RK_LASER_SELF("isVisible");
  return pushBoolean(L, laser && laser->visible);
}

int lua_GfxModel_Laser_setVisible(lua_State* L) {
  RK_LASER_SELF("setVisible");
  if (laser) laser->visible = toBoolArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_Laser_setTotalLength(lua_State* L) {
  RK_LASER_SELF("setTotalLength");
  if (laser) laser->total_length = toFloatArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_Laser_setStartLength(lua_State* L) {
  RK_LASER_SELF("setStartLength");
  if (laser) laser->start_length = toFloatArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_Laser_calcPointLength(lua_State* L) {
  Laser* command = toGfxCommand<Laser>(L, 1, kLaserClass);
  if (!command) RK_GPH_REPORT_NULL("lua_GfxModel_Laser_calcPointLength");
  const float length = command ? command->calcLength() : 0.0f;
  lua_settop(L, 0);
  lua_pushnumber(L, length);
  return 1;
}

int lua_GfxModel_Laser_setLaserEndPoint(lua_State* L) {
  RK_LASER_SELF("setLaserEndPoint");
  if (laser) laser->end_point = toXYZArgs(L, 2);
  return noResults(L);
}

int lua_GfxModel_Laser_setLoopLaser(lua_State* L) {
  RK_LASER_SELF("setLoopLaser");
  if (laser) laser->loop = toBoolArg(L, 2);
  return noResults(L);
}

int lua_GfxModel_Laser_isLoopLaser(lua_State* L) {
  RK_LASER_SELF("isLoopLaser");
  return pushBoolean(L, laser && laser->loop);
}

// The collector of a laser that a game object owns.
int lua_GfxModel_Laser_borrowedRelease(lua_State* L) { return noResults(L); }

}  // namespace

const luaL_Reg kLaserMethods[] = {
    {"setTextureStageNum", lua_GfxModel_Laser_setTextureStageNum},
    {"setWidth", lua_GfxModel_Laser_setWidth},
    {"setEye", lua_GfxModel_Laser_setEye},
    {"setUV", lua_GfxModel_Laser_setUV},
    {"setUVOffset", lua_GfxModel_Laser_setUVOffset},
    {"clearPoint", lua_GfxModel_Laser_clearPoint},
    {"pushPos", lua_GfxModel_Laser_pushPos},
    {"isVisible", lua_GfxModel_Laser_isVisible},
    {"setVisible", lua_GfxModel_Laser_setVisible},
    {"setTotalLength", lua_GfxModel_Laser_setTotalLength},
    {"setStartLength", lua_GfxModel_Laser_setStartLength},
    {"calcPointLength", lua_GfxModel_Laser_calcPointLength},
    {"setLaserEndPoint", lua_GfxModel_Laser_setLaserEndPoint},
    {"setLoopLaser", lua_GfxModel_Laser_setLoopLaser},
    {"isLoopLaser", lua_GfxModel_Laser_isLoopLaser},
    {nullptr, nullptr},
};

// The method table is at absolute index 3; the stack is left as it was.
void lua_GfxModel_Laser_registerMethods(lua_State* L) {
  for (const luaL_Reg* m = kLaserMethods; m->name; ++m) {
    lua_pushcfunction(L, m->func);
    lua_pushstring(L, m->name);
    lua_insert(L, -2);
    lua_settable(L, 3);
  }
}

namespace {

// The laser's three steps: the two tables, the registration operation, and
// the metatable with `collector`.
class LaserMethods : public ILuaMethod {
 public:
  explicit LaserMethods(lua_CFunction collector) : collector_(collector) {}
  void registerMethods(lua_State* L) override { lua_GfxModel_Laser_registerMethods(L); }
  void setMetatable(lua_State* L) override { setObjectMetatable(L, collector_); }

 private:
  lua_CFunction collector_;
};

}  // namespace

int pushBorrowedLaser(lua_State* L, gfx::gfx_model_command::Laser* laser) {
  LaserMethods steps(lua_GfxModel_Laser_borrowedRelease);
  return pushLuaObject(L, steps, static_cast<gfx::GfxModelList*>(laser), kLaserClass);
}

int lua_GfxModel_createLaser(lua_State* L) {
  RK_GFX_MODEL_SELF("lua_GfxModel_createLaser");
  Laser* command = model ? model->createLaser() : new Laser(nullptr);
  LaserMethods steps(releaseGfxCommand);
  return pushLuaObject(L, steps, static_cast<gfx::GfxModelList*>(command), kLaserClass);
}

}  // namespace rk::script::gph
