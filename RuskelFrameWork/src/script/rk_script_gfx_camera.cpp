// The camera object: "createCamera" and the camera's methods. A camera object
// holds one counted reference on its camera; two objects for one number share
// the camera. Every method reads its camera from argument 1; anything but a
// live camera object is reported and changes nothing.
#include <cmath>

#include "col/rk_collision_capsule.h"
#include "col/rk_collision_obb.h"
#include "col/rk_collision_sphere.h"
#include "gfx/rk_camera.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_hr_exception.h"
#include "script/rk_lua_guard.h"
#include "script/rk_script_graphics.h"
#include "rk_script_graphics_internal.h"
#include "script/rk_script_math.h"

namespace rk::script::gph {

const LuaClass kCameraClass{"rk::gfx::Camera", castToInterface<gfx::Camera, policy::SharedObject>};

gfx::Camera* toCamera(lua_State* L, int index) { return toLuaObject<gfx::Camera>(L, index, kCameraClass); }

namespace {

using gfx::Camera;
using rk::math::Vector4;

#define RK_CAMERA_SELF(name)                             \
  Camera* camera = toCamera(L, 1);                       \
  if (!camera) RK_GPH_REPORT_NULL(name)

Vector4 vectorArg(lua_State* L, int first) {
  return {toFloatArg(L, first), toFloatArg(L, first + 1), toFloatArg(L, first + 2), 0.0f};
}

int pushVector(lua_State* L, const Vector4& v) {
  lua_settop(L, 0);
  lua_pushnumber(L, v.x);
  lua_pushnumber(L, v.y);
  lua_pushnumber(L, v.z);
  return 3;
}

int pushFloat(lua_State* L, float value) {
  lua_settop(L, 0);
  lua_pushnumber(L, value);
  return 1;
}

// Methods that store one vector argument.
template <void (Camera::*Set)(const Vector4&)>
int setVector(lua_State* L) {
  Camera* camera = toCamera(L, 1);
  if (!camera) RK_GPH_REPORT_NULL("lua_Camera_setVector");
  if (camera) (camera->*Set)(vectorArg(L, 2));
  return noResults(L);
}

// Methods that answer one vector.
template <const Vector4& (Camera::*Get)() const>
int getVector(lua_State* L) {
  Camera* camera = toCamera(L, 1);
  if (!camera) {
    RK_GPH_REPORT_NULL("lua_Camera_getVector");
    return noResults(L);
  }
  return pushVector(L, (camera->*Get)());
}

// The viewport keeps its ratio and takes the frame buffer's width; its height
// follows from the ratio and it is centred vertically.
int normalSetup(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_normalSetup");
  lua_settop(L, 0);
  DeviceContext* context = DeviceContext::getInstance();
  if (!camera || !context) return 0;
  rk::math::Viewport viewport = camera->viewport();
  const int fullWidth = static_cast<int>(context->screenWidth());
  const int fullHeight = static_cast<int>(context->screenHeight());
  camera->setAspect(static_cast<float>(viewport.width) / static_cast<float>(viewport.height));
  if (static_cast<std::uint32_t>(fullHeight) != viewport.height) {
    const float scale = static_cast<float>(fullWidth) / static_cast<float>(viewport.width);
    viewport.height = static_cast<std::uint32_t>(truncateWrapToInt32(scale * static_cast<float>(viewport.height)));
  }
  viewport.y = static_cast<std::uint32_t>(fullHeight / 2 - static_cast<int>(viewport.height) / 2);
  viewport.x = 0;
  viewport.width = static_cast<std::uint32_t>(fullWidth);
  camera->setViewport(viewport);
  return 0;
}

int setViewport(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setViewport");
  rk::math::Viewport viewport;
  viewport.x = static_cast<std::uint32_t>(toInt64Arg(L, 2));
  viewport.y = static_cast<std::uint32_t>(toInt64Arg(L, 3));
  viewport.width = static_cast<std::uint32_t>(toInt64Arg(L, 4));
  viewport.height = static_cast<std::uint32_t>(toInt64Arg(L, 5));
  viewport.minDepth = toFloatArg(L, 6);
  viewport.maxDepth = toFloatArg(L, 7);
  if (camera) camera->setViewport(viewport);
  return noResults(L);
}

int setFovy(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFovy");
  if (camera) camera->setFovy(toFloatArg(L, 2));
  return noResults(L);
}

int setZDepth(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setZDepth");
  if (camera) camera->setNearFar(toFloatArg(L, 2), toFloatArg(L, 3));
  return noResults(L);
}

int calc(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_calc");
  if (camera) camera->updateMatrices();
  return noResults(L);
}

int getPriority(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_getPriority");
  lua_settop(L, 0);
  if (!camera) return 0;
  lua_pushinteger(L, static_cast<std::uint32_t>(camera->number()));
  return 1;
}

int getPriorityBit(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_getPriorityBit");
  lua_settop(L, 0);
  if (!camera) return 0;
  lua_pushinteger(L, camera->bit());
  return 1;
}

int getRef(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_getRef");
  lua_settop(L, 0);
  if (!camera) return 0;
  lua_pushinteger(L, camera->count());
  return 1;
}

int addYawPitchRoll(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_addYawPitchRoll");
  if (camera) camera->rotateEuler(toFloatArg(L, 3), toFloatArg(L, 2), toFloatArg(L, 4));
  return noResults(L);
}

template <void (Camera::*Move)(const Vector4&, float)>
int moveOrTrack(lua_State* L) {
  Camera* camera = toCamera(L, 1);
  if (!camera) RK_GPH_REPORT_NULL("lua_Camera_move");
  if (camera) (camera->*Move)(vectorArg(L, 2), toFloatArg(L, 5));
  return noResults(L);
}

template <void (Camera::*Switch)()>
int switchMover(lua_State* L) {
  Camera* camera = toCamera(L, 1);
  if (!camera) RK_GPH_REPORT_NULL("lua_Camera_switchMover");
  if (camera) (camera->*Switch)();
  return noResults(L);
}

int setCameraMode(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setCameraMode");
  if (camera) camera->setCameraMode(toIntArg(L, 2));
  return noResults(L);
}

int setViewMatrix(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setViewMatrix");
  const rk::math::Matrix* matrix = script::math::toMatrix(L, 2);
  if (camera && !matrix) RK_GPH_REPORT_NULL("lua_Camera_setViewMatrix");
  if (camera && matrix) camera->setViewMatrix(*matrix);
  return noResults(L);
}

// The near and far points under a screen point; nothing for a camera that
// cannot unproject (an empty viewport, near equal to far, no field of view).
int calc2DTo3D(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_calc2DTo3D");
  const float x = toFloatArg(L, 2), y = toFloatArg(L, 3);
  lua_settop(L, 0);
  Vector4 nearPoint, farPoint;
  if (!camera || !camera->unprojectScreenPoint(x, y, nearPoint, farPoint)) return 0;
  for (float v : {nearPoint.x, nearPoint.y, nearPoint.z, farPoint.x, farPoint.y, farPoint.z}) lua_pushnumber(L, v);
  return 6;
}

// Screen x, y and depth; nothing for a camera that cannot project the point.
int calc3DTo2D(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_calc3DTo2D");
  const Vector4 point = vectorArg(L, 2);
  lua_settop(L, 0);
  Vector4 screen;
  if (!camera || !camera->projectToScreen(point, screen)) return 0;
  return pushVector(L, screen);
}

int getFovy(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_getFovy");
  return camera ? pushFloat(L, camera->fovy()) : noResults(L);
}

int getAspect(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_getAspect");
  return camera ? pushFloat(L, camera->aspect()) : noResults(L);
}

int setAspect(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setAspect");
  if (camera) camera->setAspect(toFloatArg(L, 2));
  return noResults(L);
}

int getStudioInfo(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_getStudioInfo");
  lua_settop(L, 0);
  if (!camera) return 0;
  return pushStudioInfo(L, camera->studioInfo().top());
}

int getViewport(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_getViewport");
  lua_settop(L, 0);
  if (!camera) return 0;
  const rk::math::Viewport& v = camera->viewport();
  lua_pushinteger(L, v.x);
  lua_pushinteger(L, v.y);
  lua_pushinteger(L, v.width);
  lua_pushinteger(L, v.height);
  lua_pushnumber(L, v.minDepth);
  lua_pushnumber(L, v.maxDepth);
  return 6;
}

int pushVisible(lua_State* L, const Camera* camera, const collision::CollisionBody& body) {
  lua_settop(L, 0);
  if (!camera) return 0;
  lua_pushboolean(L, camera->isBodyInViewport(body));
  return 1;
}

int isDisplayCapsule(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_isDisplayCapsule");
  collision::Capsule capsule;
  capsule.setRadius(toFloatArg(L, 2));
  capsule.setHeight(toFloatArg(L, 3));
  capsule.setAxisVector(rk::math::vec3Normalize(vectorArg(L, 4)));
  capsule.setCenter(vectorArg(L, 7));
  return pushVisible(L, camera, capsule);
}

int isDisplaySphere(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_isDisplaySphere");
  const collision::Sphere sphere(vectorArg(L, 3), toFloatArg(L, 2));
  return pushVisible(L, camera, sphere);
}

int isDisplayOBB(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_isDisplayOBB");
  collision::OBB box;
  box.setSize(vectorArg(L, 2));
  rk::math::Matrix frame =
      rk::math::matrixFromQuaternion({toFloatArg(L, 5), toFloatArg(L, 6), toFloatArg(L, 7), toFloatArg(L, 8)});
  const Vector4 centre = vectorArg(L, 9);
  frame.m[3][0] = centre.x, frame.m[3][1] = centre.y, frame.m[3][2] = centre.z, frame.m[3][3] = 1.0f;
  box.setFromMatrix(frame);
  return pushVisible(L, camera, box);
}

template <void (Camera::*Set)(float)>
int setFloat(lua_State* L) {
  Camera* camera = toCamera(L, 1);
  if (!camera) RK_GPH_REPORT_NULL("lua_Camera_setFloat");
  if (camera) (camera->*Set)(toFloatArg(L, 2));
  return noResults(L);
}

int setFogEnable(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFogEnable");
  if (camera) camera->setFogEnable(toBoolArg(L, 2));
  return noResults(L);
}

int setFogColor(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFogColor");
  if (camera) camera->setFogColor(colourNumber(L, 2));
  return noResults(L);
}

int setFogStartLength(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFogStartLength");
  if (camera) camera->setFogRange(toFloatArg(L, 2), camera->fogEnd());
  return noResults(L);
}

int setFogEndLength(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFogEndLength");
  if (camera) camera->setFogRange(camera->fogStart(), toFloatArg(L, 2));
  return noResults(L);
}

int setFogTableMode(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFogTableMode");
  if (camera) camera->setFogMode(camera->fogVertexMode(), toIntArg(L, 2));
  return noResults(L);
}

int setFogVertexMode(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFogVertexMode");
  if (camera) camera->setFogMode(toIntArg(L, 2), camera->fogTableMode());
  return noResults(L);
}

int initFog(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_initFog");
  if (camera) {
    camera->setFogEnable(false);
    camera->setFogColor(0xFF000000u);
    camera->setFogRange(1.0f, 100.0f);
    camera->setFogMode(0, 3);
  }
  return noResults(L);
}

int setValidFlare(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setValidFlare");
  if (camera) camera->setFlareValid(toBoolArg(L, 2));
  return noResults(L);
}

int setFlarePosition(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFlarePosition");
  if (camera) camera->lenseFlare().setPosition(vectorArg(L, 2));
  return noResults(L);
}

int setFlareScale(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFlareScale");
  if (camera) camera->lenseFlare().setScale(toFloatArg(L, 2));
  return noResults(L);
}

// A texture object (one that holds no texture leaves the flare without one);
// any other value is reported and changes nothing.
int setFlareTexture(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setFlareTexture");
  const bool texture = isTextureObject(L, 2);
  if (!texture) RK_GPH_REPORT_NULL("lua_Camera_setFlareTexture");
  if (camera && texture) camera->lenseFlare().setTexture(toTexture(L, 2));
  return noResults(L);
}

// Appends the texture again when it is already a ghost. A value that holds
// no texture (a released texture object included) is reported and appends
// nothing.
int joinFlareGhostTexture(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_joinFlareGhostTexture");
  gfx::RkTexture* texture = toTexture(L, 2);
  if (!texture) RK_GPH_REPORT_NULL("lua_Camera_joinFlareGhostTexture");
  if (camera && texture) camera->lenseFlare().joinGhostTexture(texture);
  return noResults(L);
}

int setDepthMin(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setDepthMin");
  if (camera) camera->setNearFar(toFloatArg(L, 2), camera->farClip());
  return noResults(L);
}

int setDepthMax(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_setDepthMax");
  if (camera) camera->setNearFar(camera->nearClip(), toFloatArg(L, 2));
  return noResults(L);
}

int getDepthMin(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_getDepthMin");
  return camera ? pushFloat(L, camera->nearClip()) : noResults(L);
}

int getDepthMax(lua_State* L) {
  RK_CAMERA_SELF("lua_Camera_getDepthMax");
  return camera ? pushFloat(L, camera->farClip()) : noResults(L);
}

// The collector drops the object's reference; the last one takes the camera
// out of the manager and destroys it.
int lua_CameraDestructor(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (!block || block->cls != &kCameraClass || !block->object) {
    RK_GPH_REPORT_NULL("lua_CameraDestructor");
    lua_settop(L, 0);
    return 0;
  }
  auto* camera = static_cast<Camera*>(block->object);
  block->object = nullptr;
  try {
    camera->release("src/script/rk_script_graphics", __LINE__);
  } catch (const std::exception&) {
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kCameraMethods[] = {
    {"normalSetup", normalSetup},
    {"setViewport", setViewport},
    {"setEye", setVector<&Camera::setEye>},
    {"setAt", setVector<&Camera::setAt>},
    {"setUp", setVector<&Camera::setUp>},
    {"setFovy", setFovy},
    {"setZDepth", setZDepth},
    {"calc", calc},
    {"getPriority", getPriority},
    {"getPriorityBit", getPriorityBit},
    {"getRef", getRef},
    {"addYawPitchRoll", addYawPitchRoll},
    {"moveToAt", moveOrTrack<&Camera::moveToAt>},
    {"moveToEye", moveOrTrack<&Camera::moveToEye>},
    {"trackingAt", moveOrTrack<&Camera::trackingAt>},
    {"trackingEye", moveOrTrack<&Camera::trackingEye>},
    {"setFreeCameraMode", noResults},
    {"getAt", getVector<&Camera::at>},
    {"getEye", getVector<&Camera::eye>},
    {"getAtOffset", getVector<&Camera::atOffset>},
    {"getEyeOffset", getVector<&Camera::eyeOffset>},
    {"setAtOffset", setVector<&Camera::setAtOffset>},
    {"setEyeOffset", setVector<&Camera::setEyeOffset>},
    {"getViewOffset", getVector<&Camera::viewShift>},
    {"setViewOffset", setVector<&Camera::setViewShift>},
    {"setCameraMode", setCameraMode},
    {"setViewMatrix", setViewMatrix},
    {"calc2DTo3D", calc2DTo3D},
    {"calc3DTo2D", calc3DTo2D},
    {"getUp", getVector<&Camera::up>},
    {"stopTrackingEye", switchMover<&Camera::stopTrackingEye>},
    {"runTrackingEye", switchMover<&Camera::runTrackingEye>},
    {"stopTrackingAt", switchMover<&Camera::stopTrackingAt>},
    {"runTrackingAt", switchMover<&Camera::runTrackingAt>},
    {"getFovy", getFovy},
    {"getAspect", getAspect},
    {"setAspect", setAspect},
    {"getStudioInfo", getStudioInfo},
    {"getViewport", getViewport},
    {"isDisplayCapsule", isDisplayCapsule},
    {"isDisplaySphere", isDisplaySphere},
    {"isDisplayOBB", isDisplayOBB},
    {"set3DSoundDistanceFactor", setFloat<&Camera::setSoundDistanceFactor>},
    {"set3DSoundRollOffFactor", setFloat<&Camera::setSoundRolloffFactor>},
    {"set3DSoundZoomParam", setFloat<&Camera::setSoundZoomParam>},
    {"getPriority", getPriority},
    {"getPriorityBit", getPriorityBit},
    {"setFogEnable", setFogEnable},
    {"setFogColor", setFogColor},
    {"setFogStartLength", setFogStartLength},
    {"setFogEndLength", setFogEndLength},
    {"setFogTableMode", setFogTableMode},
    {"setFogVertexMode", setFogVertexMode},
    {"initFog", initFog},
    {"setValidFlare", setValidFlare},
    {"setFlarePosition", setFlarePosition},
    {"setFlareScale", setFlareScale},
    {"setFlareTexture", setFlareTexture},
    {"joinFlareGhostTexture", joinFlareGhostTexture},
    {"setDepthMin", setDepthMin},
    {"getDepthMin", getDepthMin},
    {"setDepthMax", setDepthMax},
    {"getDepthMax", getDepthMax},
    {"clean", noResults},
    {nullptr, nullptr},
};

}  // namespace

// The number is not limited; only cameras 0 to 14 are drawn.
int createCamera(lua_State* L) {
  const int number = toIntArg(L, 1);
  lua_settop(L, 0);
  gfx::CameraManager* cameras = gfx::CameraManager::getInstance();
  Camera* camera = cameras ? cameras->createCamera(number) : nullptr;
  if (!camera) {
    debug::writeErrorLog("src/script/rk_script_graphics", __LINE__, "rk::script::gph::createCamera");
    throw HrException(host::E_OUTOFMEMORY, "src/script/rk_script_graphics", __LINE__, L"cam");
  }
  camera->addRef();
  return pushLuaObject(L, camera, kCameraClass, kCameraMethods, lua_CameraDestructor);
}

}  // namespace rk::script::gph
