#include "sync/sync_model_mapping.h"

#include "gfx/rk_camera.h"
#include "gfx/rk_model.h"
#include "script/rk_script_model.h"

namespace qv21::sync {

rk::math::Matrix turnedNode(const rk::math::Matrix& frame) {
  return rk::math::matrixMultiply(rk::math::matrixRotationX(kNodeTurn), frame);
}

bool mapToActorCamera(const rk::gfx::GModel& model, const rk::math::Matrix& m, rk::math::Matrix& out) {
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
  if (!cameras) return false;
  rk::gfx::Camera* from = cameras->getCameraByMask(static_cast<std::uint32_t>(model.getRenderCameraBit()));
  rk::gfx::Camera* to = cameras->getCamera(kActorCamera);
  if (!from || !to) return false;
  out = rk::math::matrixBetweenCameras(*from, *to, m);
  return true;
}

rk::gfx::Model* toModel(lua_State* L, int index) {
  return rk::script::toLuaObject<rk::gfx::Model>(L, index, rk::script::gph::kModelClass);
}

}  // namespace qv21::sync
