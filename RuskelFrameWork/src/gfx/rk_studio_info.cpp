#include "gfx/rk_studio_info.h"

#include <cmath>

#include "host/xmath.h"
#include "kernel/rk_device_context.h"

namespace rk::gfx {

namespace {

constexpr int kDeviceLights = 16;

host::xmath::Vector toXm(const math::Vector4& v) { return {v.x, v.y, v.z, v.w}; }

// A channel cut down to a multiple of 1/255.
float truncate255(float v) { return std::floor(v * 255.0f) / 255.0f; }

}  // namespace

void ShadowPlane::updateMatrix() {
  const host::xmath::Matrix m =
      host::xmath::matrixShadow(toXm(plane), {-light.x, -light.y, -light.z, light.w});
  static_assert(sizeof(m) == sizeof(matrix));
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) matrix.m[r][c] = m.m[r][c];
}

StudioInfo::StudioInfo(const StudioInfo& other)
    : spot_light_(other.spot_light_),
      light_mode_(other.light_mode_),
      ambient_color_(other.ambient_color_),
      lights_(other.lights_) {}

void StudioInfo::setLightEnable(int number, bool enable) {
  if (enable) {
    lights_.emplace(number, LightParameter{});
  } else {
    lights_.erase(number);
  }
}

void StudioInfo::createShadowPlane(int number) { shadow_planes_.emplace(number, ShadowPlane{}); }

void StudioInfo::listShadowPlanes(std::vector<int>& out) const {
  for (const auto& entry : shadow_planes_) out.push_back(entry.first);
}

void StudioInfo::updateShadowMatrices() {
  for (auto& entry : shadow_planes_) entry.second.updateMatrix();
}

void StudioInfo::reflect() {
  if (light_mode_ != kLightingOff && light_mode_ != kOwnLights) return;
  DeviceContext* context = DeviceContext::getInstance();
  if (light_mode_ == kLightingOff) {
    context->setColorStateRGBA(false, Color(0.0f, 0.0f, 0.0f, 0.0f));
  } else {
    const Color& c = ambient_color_;
    context->setColorStateRGBA(
        true, Color(truncate255(c.getR()), truncate255(c.getG()), truncate255(c.getB()), truncate255(c.getA())));
    if (!lights_.empty()) {
      for (int number = 0; number < kDeviceLights; ++number) {
        auto found = lights_.find(number);
        context->setLightingNo(number, found != lights_.end());
        if (found != lights_.end()) context->setLightParameter(number, found->second);
      }
    }
  }
  context->bindLightSlot();
}

void StudioInfo::backup() {
  const DeviceContext* context = DeviceContext::getInstance();
  Saved saved;
  saved.ambient_on = context->isUseColor();
  saved.ambient = context->colorState();
  for (int number = 0; number < kDeviceLights; ++number)
    if (context->isLightInUse(number)) saved.lights.emplace(number, context->lightParameter(number));
  backups_.push_back(saved);
}

void StudioInfo::release() {
  if (backups_.empty()) return;
  const Saved& saved = backups_.back();
  DeviceContext* context = DeviceContext::getInstance();
  context->setColorStateRGBA(saved.ambient_on, saved.ambient);
  for (int number = 0; number < kDeviceLights; ++number) {
    auto found = saved.lights.find(number);
    context->setLightingNo(number, found != saved.lights.end());
    context->setLightParameter(number, found != saved.lights.end() ? found->second : LightParameter{});
  }
  backups_.pop_back();
}

}  // namespace rk::gfx
