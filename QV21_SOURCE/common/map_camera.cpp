#include "common/map_camera.h"

#include "gfx/rk_camera.h"
#include "math/rk_matrix.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_graphics.h"

namespace common {

namespace {

void* castLinkMapCamera(void* object, const rk::script::LuaClass& target) {
  if (&target == &rk::script::gph::kLinkCameraObjectClass)
    return static_cast<rk::gfx::LinkCameraObject*>(static_cast<LinkMapCamera*>(object));
  return nullptr;
}

rk::math::Vector4 point(const rk::math::Vector4& v) { return {v.x, v.y, v.z, 1.0f}; }
rk::math::Vector4 direction(const rk::math::Vector4& v, const rk::math::Matrix& m) {
  rk::math::Vector4 out = rk::math::vec3TransformNormal(v, m);
  out.w = 0.0f;
  return out;
}

// `moved` turns about `centre` by the angles; `up` turns with it.
void turnAbout(const rk::math::Vector4& centre, rk::math::Vector4& moved, rk::math::Vector4& up, float yaw,
               float pitch, float roll) {
  rk::math::Transformation turn;
  turn.setRotCenter(centre);
  turn.setPos(rk::math::Vector4{0, 0, 0, 0});
  turn.setScale(rk::math::Vector4{1, 1, 1, 0});
  turn.setYawPitchRoll(yaw, pitch, roll);
  turn.buildMatrix();
  const rk::math::Matrix& r = turn.getMatrix();
  moved = rk::math::vec3TransformCoord(point(moved), r);
  moved.w = 1.0f;
  up = direction(up, r);
}

}  // namespace

const rk::script::LuaClass kLinkMapCameraClass{"common::LinkMapCamera", castLinkMapCamera};

void LinkMapCamera::link(rk::gfx::Camera* source) {
  rk::gfx::Camera* driven = target();
  if (!driven || !source || !game_sync_) return;
  transformation_.buildMatrix();
  const rk::math::Matrix& m = transformation_.getMatrix();
  const rk::math::Vector4 eye = source->eye(), at = source->at(), up = source->up();
  // Sideways (up x view) by the eye's x.
  const rk::math::Vector4 side = rk::math::vec3Cross(up, at.minus(eye));
  const float length = rk::math::vec3Length(side);
  const rk::math::Vector4 shift =
      length > 0.0f ? side.divided(length).scaled(eye.x) : rk::math::Vector4{0, 0, 0, 0};
  driven->setEye(rk::math::vec3TransformCoord(point(eye.plus(shift)), m));
  driven->setAt(rk::math::vec3TransformCoord(point(at.plus(shift)), m));
  driven->setUp(direction(up, m));
  if (bg_camera_) {
    driven->updateMatrices();
    rk::math::Matrix view = driven->viewMatrix();
    view.m[3][0] = view.m[3][1] = view.m[3][2] = 0.0f;
    bg_camera_->setViewMatrix(view);
  }
}

void LinkMapCamera::cameraGone(rk::gfx::Camera* camera) {
  LinkCameraObject::cameraGone(camera);
  if (bg_camera_ == camera) bg_camera_ = nullptr;
}

void LinkMapCamera::calcAtRot(float yaw, float pitch, float roll) {
  turnAbout(base_at_, base_eye_, base_up_, yaw, pitch, roll);
}

void LinkMapCamera::calcEyeRot(float yaw, float pitch, float roll) {
  turnAbout(base_eye_, base_at_, base_up_, yaw, pitch, roll);
}

rk::math::Vector4 LinkMapCamera::calcAdvanceVector() const {
  rk::math::Vector4 forward = base_at_.minus(base_eye_);
  forward = forward.minus(base_up_.scaled(rk::math::vec3Dot(forward, base_up_)));
  forward = rk::math::vec3Normalize(forward);
  return direction(forward, transformation_.getMatrix());
}

// ------------------------------------------------------------------ script

namespace {

LinkMapCamera* cameraArg(lua_State* L, const char* method) {
  auto* link = rk::script::toLuaObject<LinkMapCamera>(L, 1, kLinkMapCameraClass);
  if (!link) rk::script::reportNullObject(method);
  return link;
}

int done(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

float arg(lua_State* L, int index) { return rk::script::toFloatArg(L, index); }
rk::math::Vector4 vectorArg(lua_State* L) { return {arg(L, 2), arg(L, 3), arg(L, 4), 0.0f}; }

// Three (or four) numbers; zeros for a null object.
int pushVector(lua_State* L, const rk::math::Vector4& v, int count = 3) {
  lua_settop(L, 0);
  const float parts[4] = {v.x, v.y, v.z, v.w};
  for (int i = 0; i < count; ++i) lua_pushnumber(L, parts[i]);
  return count;
}

#define RK_MAP_CAMERA(name) "common::LinkMapCamera::lua_" name

// A method that changes the object: `body` runs with `link` set.
#define RK_MAP_SETTER(fn, name, ...)                                          \
  int fn(lua_State* L) {                                                      \
    if (LinkMapCamera* link = cameraArg(L, RK_MAP_CAMERA(name))) __VA_ARGS__; \
    return done(L);                                                           \
  }

// A method that answers a vector.
#define RK_MAP_GETTER(fn, name, count, ...)                                  \
  int fn(lua_State* L) {                                                     \
    LinkMapCamera* link = cameraArg(L, RK_MAP_CAMERA(name));                 \
    return pushVector(L, link ? (__VA_ARGS__) : rk::math::Vector4{}, count); \
  }

rk::math::Transformation& tf(LinkMapCamera* link) { return link->transformation_; }

// Angles are kept as (pitch, yaw, roll).
rk::math::Vector4 yawPitchRoll(const rk::math::Vector4& angles) { return {angles.y, angles.x, angles.z, 0.0f}; }

RK_MAP_SETTER(lua_init, "init", tf(link).resetTransform())
RK_MAP_SETTER(lua_initRot, "initRot", tf(link).setRotQuat(rk::math::Vector4{0, 0, 0, 1}))
RK_MAP_SETTER(lua_initYaw, "initYaw", {
  const rk::math::Vector4 a = tf(link).getYawPitchRoll();
  tf(link).setYawPitchRoll(0.0f, a.x, a.z);
})
RK_MAP_SETTER(lua_initPitch, "initPitch", {
  const rk::math::Vector4 a = tf(link).getYawPitchRoll();
  tf(link).setYawPitchRoll(a.y, 0.0f, a.z);
})
RK_MAP_SETTER(lua_initRoll, "initRoll", {
  const rk::math::Vector4 a = tf(link).getYawPitchRoll();
  tf(link).setYawPitchRoll(a.y, a.x, 0.0f);
})
RK_MAP_SETTER(lua_setBaseAt, "setBaseAt", link->base_at_ = vectorArg(L))
RK_MAP_GETTER(lua_getBaseAt, "getBaseAt", 3, link->base_at_)
RK_MAP_SETTER(lua_setBaseEye, "setBaseEye", link->base_eye_ = vectorArg(L))
RK_MAP_GETTER(lua_getBaseEye, "getBaseEye", 3, link->base_eye_)
RK_MAP_SETTER(lua_setBaseUp, "setBaseUp", link->base_up_ = vectorArg(L))
RK_MAP_GETTER(lua_getBaseUp, "getBaseUp", 3, link->base_up_)
RK_MAP_SETTER(lua_addMove, "addMove", {
  const rk::math::Vector4 d = vectorArg(L);
  link->base_at_ = link->base_at_.plus(d);
  link->base_eye_ = rk::math::Vector4{link->base_eye_.x + d.x, link->base_eye_.y + d.y, link->base_eye_.z + d.z,
                                      link->base_eye_.w};
})
RK_MAP_SETTER(lua_calcAtRot, "calcAtRot", link->calcAtRot(arg(L, 2), arg(L, 3), arg(L, 4)))
RK_MAP_SETTER(lua_calcEyeRot, "calcEyeRot", link->calcEyeRot(arg(L, 2), arg(L, 3), arg(L, 4)))
RK_MAP_GETTER(lua_calcAdvaceVector, "calcAdvaceVector", 3, link->calcAdvanceVector())
RK_MAP_SETTER(lua_calcTransform, "calcTransform", tf(link).buildMatrix())
RK_MAP_GETTER(lua_getPos, "getPos", 3, tf(link).getPos())
RK_MAP_SETTER(lua_setPos, "setPos", tf(link).setPos(vectorArg(L)))
RK_MAP_GETTER(lua_calcUp, "calcUp", 3,
              (tf(link).buildMatrix(), direction(link->base_up_, tf(link).getMatrix())))
RK_MAP_SETTER(lua_setRotCenter, "setRotCenter", tf(link).setRotCenter(vectorArg(L)))
RK_MAP_GETTER(lua_getRotCenter, "getRotCenter", 3, tf(link).getRotCenter())
RK_MAP_SETTER(lua_setRotQuat, "setRotQuat",
              tf(link).setRotQuat(rk::math::Vector4{arg(L, 2), arg(L, 3), arg(L, 4), arg(L, 5)}))
RK_MAP_GETTER(lua_getRotQuat, "getRotQuat", 4, tf(link).getRotQuat())
RK_MAP_SETTER(lua_setRotYawPitchRoll, "setRotYawPitchRoll", tf(link).setYawPitchRoll(arg(L, 2), arg(L, 3), arg(L, 4)))
RK_MAP_GETTER(lua_getRotYawPitchRoll, "getRotYawPitchRoll", 3, yawPitchRoll(tf(link).getYawPitchRoll()))
RK_MAP_GETTER(lua_calcFromMtxToYawPitchRoll, "calcFromMtxToYawPitchRoll", 3,
              (tf(link).buildMatrix(), yawPitchRoll(rk::math::matrixToYawPitchRoll(tf(link).getMatrix()))))
RK_MAP_SETTER(lua_setGameSync, "setGameSync", link->game_sync_ = rk::script::toBoolArg(L, 2))

// nil clears the camera; any other value that holds no camera is reported
// and leaves the camera as it was.
template <bool Background>
int lua_setCameraOf(lua_State* L) {
  const char* name = Background ? RK_MAP_CAMERA("setBGCamera") : RK_MAP_CAMERA("setCamera");
  LinkMapCamera* link = cameraArg(L, name);
  if (link) {
    rk::gfx::Camera* camera = rk::script::gph::toCamera(L, 2);
    if (camera || lua_isnoneornil(L, 2)) {
      if (Background)
        link->bg_camera_ = camera;
      else
        link->setTarget(camera);
    } else {
      rk::script::reportNullObject(name);
    }
  }
  return done(L);
}

#undef RK_MAP_GETTER
#undef RK_MAP_SETTER
#undef RK_MAP_CAMERA

const luaL_Reg kMethods[] = {
    {"init", lua_init},
    {"initRot", lua_initRot},
    {"initYaw", lua_initYaw},
    {"initPitch", lua_initPitch},
    {"initRoll", lua_initRoll},
    {"setCamera", lua_setCameraOf<false>},
    {"setBaseAt", lua_setBaseAt},
    {"getBaseAt", lua_getBaseAt},
    {"setBaseEye", lua_setBaseEye},
    {"getBaseEye", lua_getBaseEye},
    {"setBaseUp", lua_setBaseUp},
    {"getBaseUp", lua_getBaseUp},
    {"addMove", lua_addMove},
    {"calcAtRot", lua_calcAtRot},
    {"calcEyeRot", lua_calcEyeRot},
    {"calcAdvaceVector", lua_calcAdvaceVector},
    {"calcTransform", lua_calcTransform},
    {"getPos", lua_getPos},
    {"setPos", lua_setPos},
    {"calcUp", lua_calcUp},
    {"setRotCenter", lua_setRotCenter},
    {"getRotCenter", lua_getRotCenter},
    {"setRotQuat", lua_setRotQuat},
    {"getRotQuat", lua_getRotQuat},
    {"setRotYawPitchRoll", lua_setRotYawPitchRoll},
    {"getRotYawPitchRoll", lua_getRotYawPitchRoll},
    {"calcFromMtxToYawPitchRoll", lua_calcFromMtxToYawPitchRoll},
    {"setBGCamera", lua_setCameraOf<true>},
    {"setGameSync", lua_setGameSync},
    {nullptr, nullptr},
};

}  // namespace

int lua_createLinkMapCameraObject(lua_State* L) {
  lua_settop(L, 0);
  return rk::script::pushLuaObject(L, new LinkMapCamera, kLinkMapCameraClass, kMethods,
                                   rk::script::lua_gcDeleteObject<LinkMapCamera, kLinkMapCameraClass>);
}

}  // namespace common
