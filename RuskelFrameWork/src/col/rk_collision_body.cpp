#include "col/rk_collision_body.h"

#include "gfx/rk_gmodel.h"

namespace rk::collision {

CollisionBody::~CollisionBody() { gfx::GModel::forgetRevSyncTarget(this); }

namespace {
const Vector4 kZeroAxis{0.0f, 0.0f, 0.0f, 0.0f};
}  // namespace

const Vector4& CollisionBody::getAxis(std::uint32_t) const { return kZeroAxis; }

void CollisionBody::project(float& center, float& radius, const Vector4&) const {
  center = 0.0f;
  radius = 0.0f;
}

void CollisionBody::getInterval(float& min, float& max, const Vector4& d) const {
  float center = 0.0f, radius = 0.0f;
  project(center, radius, d);
  min = center - radius;
  max = center + radius;
}

}  // namespace rk::collision
