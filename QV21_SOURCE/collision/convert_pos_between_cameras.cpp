#include "collision/convert_pos_between_cameras.h"

#include "gfx/rk_camera.h"
#include "math/rk_matrix.h"

namespace common {

bool convertPosBetweenCameras(int from, int to, rk::math::Vector4& q, const rk::math::Vector4& p) {
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
  rk::gfx::Camera* a = cameras ? cameras->getCamera(from) : nullptr;
  rk::gfx::Camera* b = cameras ? cameras->getCamera(to) : nullptr;
  if (!a || !b) {
    // Unmapped rather than garbage: the point stays where it was raised.
    q.x = p.x, q.y = p.y, q.z = p.z;
    return false;
  }
  const rk::math::Matrix moved = rk::math::matrixBetweenCameras(*a, *b, rk::math::matrixTranslation(p.x, p.y, p.z));
  q.x = moved.m[3][0], q.y = moved.m[3][1], q.z = moved.m[3][2];
  return true;
}

}  // namespace common
