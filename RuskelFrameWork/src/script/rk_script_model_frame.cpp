// The model object's frame methods: where a frame is in the world, points
// and directions carried through a frame, the root's frame look-ups, and
// hanging another model on a frame of this one.
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "platform/driver/directx_driver/rk_directx12_model.h"
#include "rk_script_model_internal.h"
#include "script/rk_script_math.h"

namespace rk::script::gph {

using gfx::Model;
namespace rm = ::rk::math;

#define RK_MODEL_SELF(name) Model* model = selfModel(L, RK_MODEL_BINDING(name))

namespace {

void reportBinding(const char* binding, int line) {
  ::rk::debug::writeErrorLog("src/script/rk_script_model", line, binding);
}

// A frame name: a string or a number as its text, else none (empty).
std::string frameName(lua_State* L, int index) { return toTextOrEmpty(L, index); }
const char* orNull(const std::string& name) { return name.empty() ? nullptr : name.c_str(); }

int pushFound(lua_State* L, bool found, std::initializer_list<float> values) {
  lua_settop(L, 0);
  lua_pushboolean(L, found);
  for (float v : values) lua_pushnumber(L, found ? v : 0.0f);
  return 1 + static_cast<int>(values.size());
}

}  // namespace

int lua_Model_findFrameCenterPoint(lua_State* L) {
  RK_MODEL_SELF("lua_Model_findFrameCenterPoint");
  const std::string frame = frameName(L, 2);
  rm::Vector4 point{};
  const bool found = model && model->getRoot() && model->getRoot()->findFrameCenterPoint(point, frame.c_str());
  if (model && !found) {
    DeviceContext* context = DeviceContext::getInstance();
    host::ui::messageBox(context ? context->getWindowHandle() : nullptr, frame + " が見つかりません",
                         "フレームが見つかりません\n", host::ui::MB_ICONERROR | host::ui::MB_OK);
  }
  return pushFound(L, found, {point.x, point.y, point.z});
}

int lua_Model_findFramePlane(lua_State* L) {
  RK_MODEL_SELF("lua_Model_findFramePlane");
  const std::string frame = frameName(L, 2);
  rm::Vector4 plane{};
  const bool found = model && model->getRoot() && model->getRoot()->findFramePlane(plane, frame.c_str());
  if (!found) plane = {0.0f, 1.0f, 0.0f, 0.0f};
  lua_settop(L, 0);
  lua_pushboolean(L, found);
  for (float v : {plane.x, plane.y, plane.z, plane.w}) lua_pushnumber(L, v);
  return 5;
}

int lua_Model_findFrameSphere(lua_State* L) {
  RK_MODEL_SELF("lua_Model_findFrameSphere");
  const std::string frame = frameName(L, 2);
  rm::Vector4 centre{};
  float radius = 0.0f;
  const bool found = model && model->getRoot() && model->getRoot()->findFrameSphere(centre, radius, frame.c_str());
  return pushFound(L, found, {centre.x, centre.y, centre.z, radius});
}

int lua_Model_findFrameAABB(lua_State* L) {
  RK_MODEL_SELF("lua_Model_findFrameAABB");
  const std::string frame = frameName(L, 2);
  rm::Vector4 low{}, high{};
  const bool found = model && model->getRoot() && model->getRoot()->findFrameAABB(low, high, frame.c_str());
  return pushFound(L, found, {low.x, low.y, low.z, high.x, high.y, high.z});
}

// Hangs the child on this model's frame when the frame exists.
int lua_Model_attach(lua_State* L) {
  RK_MODEL_SELF("lua_Model_attach");
  Model* child = toLuaObject<Model>(L, 2, kModelClass);
  const std::string frame = frameName(L, 3);
  const rm::Matrix* offset = math::toMatrix(L, 4);
  if (model && !offset) reportBinding(RK_MODEL_BINDING("lua_Model_attach"), __LINE__);
  bool attached = false;
  if (model && child && offset) {
    rm::Matrix unused;
    if (model->getFrameMatrix(unused, orNull(frame))) {
      child->attach(model, frame.c_str(), *offset);
      attached = child->getParent() == model;
    }
  }
  lua_settop(L, 0);
  lua_pushboolean(L, attached);
  return 1;
}

int lua_Model_detach(lua_State* L) {
  RK_MODEL_SELF("lua_Model_detach");
  if (model) model->attach(nullptr, "", rm::matrixIdentity());
  return noResult(L);
}

int lua_Model_getFramePosAndRot(lua_State* L) {
  RK_MODEL_SELF("lua_Model_getFramePosAndRot");
  const std::string frame = frameName(L, 2);
  if (model && lua_type(L, 3) != LUA_TUSERDATA) reportBinding(RK_MODEL_BINDING("lua_Model_getFramePosAndRot"), __LINE__);
  rm::Matrix world = rm::matrixIdentity();
  const bool found = model && model->calcFrameMtx(world, orNull(frame));
  const rm::Vector4 angles = rm::matrixToYawPitchRoll(world);
  return pushFound(L, found, {world.m[3][0], world.m[3][1], world.m[3][2], angles.x, angles.y, angles.z});
}

int lua_Model_calcFrameMtx(lua_State* L) {
  RK_MODEL_SELF("lua_Model_calcFrameMtx");
  rm::Matrix* result = math::toMatrix(L, 2);
  const std::string frame = frameName(L, 3);
  if (model && !result) reportBinding(RK_MODEL_BINDING("lua_Model_calcFrameMtx"), __LINE__);
  bool found = false;
  if (model && result) found = model->calcFrameMtx(*result, orNull(frame));
  lua_settop(L, 0);
  lua_pushboolean(L, found);
  return 1;
}

// x, y, z carried through offset x (frame world matrix), as a direction or a point.
template <bool Point>
int mulFrameMtx(lua_State* L, const char* binding) {
  Model* model = selfModel(L, binding);
  const rm::Vector4 v{toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), Point ? 1.0f : 0.0f};
  const std::string frame = frameName(L, 5);
  const rm::Matrix* offset = math::toMatrix(L, 6);
  if (model && !offset) reportBinding(binding, __LINE__);
  rm::Matrix world = rm::matrixIdentity();
  const bool found = model && offset && model->calcFrameMtx(world, orNull(frame));
  rm::Vector4 out{};
  if (found) {
    const rm::Matrix r = rm::matrixMultiply(*offset, world);
    out = Point ? rm::vec3TransformCoord(v, r) : rm::vec3TransformNormal(v, r);
  }
  return pushFound(L, found, {out.x, out.y, out.z});
}

int lua_Model_mulFrameMtxNormal(lua_State* L) {
  return mulFrameMtx<false>(L, RK_MODEL_BINDING("lua_Model_mulFrameMtxNormal"));
}
int lua_Model_mulFrameMtxCoord(lua_State* L) {
  return mulFrameMtx<true>(L, RK_MODEL_BINDING("lua_Model_mulFrameMtxCoord"));
}

// The root's search hands back no names through its interface, so the
// table stays empty.
int lua_Model_searchFrameNameBack(lua_State* L) {
  RK_MODEL_SELF("lua_Model_searchFrameNameBack");
  const std::string name = frameName(L, 2);
  if (model && model->getRoot()) model->getRoot()->searchFrameNameBack(name.c_str(), 0);
  lua_settop(L, 0);
  lua_newtable(L);
  return 1;
}

int lua_Model_setFrameQuat(lua_State* L) {
  RK_MODEL_SELF("lua_Model_setFrameQuat");
  const std::string frame = frameName(L, 2);
  const rm::Vector4 q{toFloatArg(L, 3), toFloatArg(L, 4), toFloatArg(L, 5), toFloatArg(L, 6)};
  if (model && model->getRoot()) model->getRoot()->setFrameQuat(frame.c_str(), q, toBoolArg(L, 7));
  return noResult(L);
}

}  // namespace rk::script::gph
