// The device context's shader constants: world and camera matrices, the colour
// state, the material block, and the pass lighting (a studio's own lights or
// the light manager's ambient colour) with the camera's fog.
#include <cmath>
#include <cstring>

#include "gfx/rk_camera.h"
#include "gfx/rk_light.h"
#include "gfx/rk_studio_info.h"
#include "rk_device_context_internal.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace rk {

using device_context_detail::kSource;
using namespace driver::directx::directx12;

namespace {

constexpr int kLightRecords = 16;

void copyColor(float* out, const gfx::Color& color) { std::memcpy(out, color.data(), sizeof(float) * 4); }

void setFour(float* out, float a, float b, float c, float d) {
  out[0] = a, out[1] = b, out[2] = c, out[3] = d;
}

}  // namespace

void DeviceContext::bindSlot(ConstantSlot* slot) {
  if (!slot) return;
  if (host::gpu::GraphicsCommandList* list = getNowCommandList()) slot->bind(list);
}

void DeviceContext::setWorldMatrix(const math::Matrix& world) {
  world_matrix_ = world;
  if (!device_) return;
  ConstantSlot* slot = acquireSlot<DX12World>();
  slot->as<DX12World>()->world = world_matrix_;
  bindSlot(slot);
}

void DeviceContext::setViewProjection() {
  if (!device_) return;
  ConstantSlot* slot = acquireSlot<DX12Camera>();
  slot->as<DX12Camera>()->view_projection = math::matrixMultiply(view_matrix_, projection_matrix_);
  bindSlot(slot);
}

void DeviceContext::setViewport(const host::gpu::Viewport& viewport) {
  viewport_ = viewport;
  if (!device_) return;
  if (host::gpu::GraphicsCommandList* list = getNowCommandList()) list->rsSetViewports(1, &viewport_);
}

void DeviceContext::setColorState(bool enable, std::uint32_t argb) {
  setColorStateRGBA(enable, gfx::colorFromArgb(argb));
}

// Enabling uploads and binds the colour with its flag set. Disabling binds the
// pass's own ambient constant again (its flag is clear) only when an enabled
// colour is bound, so a colour set earlier on the list stops tinting.
void DeviceContext::setColorStateRGBA(bool enable, const gfx::Color& color) {
  use_color_ = enable;
  color_ = color;
  if (!device_) return;
  if (!enable) {
    if (!color_bound_) return;
    color_bound_ = false;
    bindSlot(pass_ambient_slot_ ? pass_ambient_slot_ : default_ambient_slot_[current_frame_]);
    return;
  }
  ConstantSlot* slot = acquireSlot<DX12Ambient>();
  auto* ambient = slot->as<DX12Ambient>();
  copyColor(ambient->color, color_);
  ambient->use_color = 1;
  bindSlot(slot);
  color_bound_ = true;
}

void DeviceContext::uploadMaterial() {
  if (!device_) return;
  ConstantSlot* slot = acquireSlot<DX12Material>();
  auto* material = slot->as<DX12Material>();
  copyColor(material->diffuse, material_.diffuse);
  copyColor(material->specular, material_.specular);
  copyColor(material->emissive, material_.emissive);
  bindSlot(slot);
}

void DeviceContext::bindPassConstants() {
  bindSlot(pass_light_slot_);
  bindSlot(pass_material_slot_);
  bindSlot(pass_ambient_slot_);
  bindSlot(pass_fog_slot_);
}

void DeviceContext::bindLightSlot() { bindSlot(light_slot_[current_frame_]); }

void DeviceContext::applyStudioLights(const gfx::StudioInfo& studio) {
  if (!device_) return;
  ConstantSlot* light = acquireSlot<DX12DirectionalLight>();
  ConstantSlot* material = acquireSlot<DX12Material>();
  ConstantSlot* ambient = acquireSlot<DX12Ambient>();
  const math::Vector4 eye = current_camera_ ? current_camera_->eye() : math::Vector4{};
  uploadLightSlots(light, material, ambient, eye, studio);
  bindSlot(light);
  bindSlot(material);
  bindSlot(ambient);
}

// Slots are reused from frame to frame, so every upload starts from cleared
// light and material records: nothing of an earlier pass's lights survives.
void DeviceContext::uploadLightSlots(ConstantSlot* lightSlot, ConstantSlot* materialSlot, ConstantSlot* ambientSlot,
                                     const math::Vector4& eye, const gfx::StudioInfo& studio) {
  auto* light = lightSlot->as<DX12DirectionalLight>();
  auto* material = materialSlot->as<DX12Material>();
  auto* ambient = ambientSlot->as<DX12Ambient>();
  std::memset(light, 0, sizeof *light);
  std::memset(material, 0, sizeof *material);
  ambient->use_color = 0;
  setFour(light->eye, eye.x, eye.y, eye.z, 1.0f);
  // A studio with its lighting off has models drawn unlit.
  light->unlit = studio.lightMode() == gfx::StudioInfo::kLightingOff ? 1 : 0;
  // The studio's ambient colour lights models under either kind of lighting.
  const gfx::Color& studioAmbient = studio.ambientColor();
  setFour(light->ambient, studioAmbient.getR(), studioAmbient.getG(), studioAmbient.getB(), 1.0f);

  if (studio.lightMode() == gfx::StudioInfo::kOwnLights) {
    setFour(ambient->color, 0.0f, 0.0f, 0.0f, 1.0f);
    for (int number = 0; number < DX12DirectionalLight::kPointLights; ++number) {
      auto found = studio.lights().find(number);
      if (found == studio.lights().end()) continue;  // stays disabled
      const gfx::LightParameter& p = found->second;
      if (p.type == 1) {
        DX12PointLight& point = light->points[number];
        std::memcpy(point.position, p.position, sizeof point.position);
        point.enabled = 1;
        std::memcpy(point.diffuse, p.diffuse, sizeof point.diffuse);
        point.range = p.range;
        std::memcpy(point.ambient, p.ambient, sizeof point.ambient);
      } else if (p.type == 3) {
        const float length = std::sqrt(p.direction[0] * p.direction[0] + p.direction[1] * p.direction[1] +
                                       p.direction[2] * p.direction[2]);
        for (int i = 0; i < 3; ++i) light->direction[i] = length > 0.0f ? p.direction[i] / length : p.direction[i];
        light->has_directional = 1;
        std::memcpy(light->color, p.diffuse, sizeof light->color);
        setFour(ambient->color, 0.0f, 0.0f, 0.0f, 1.0f);
        setFour(material->diffuse, p.diffuse[0], p.diffuse[1], p.diffuse[2], 1.0f);
        std::memcpy(material->specular, p.specular, sizeof material->specular);
      }
    }
    return;
  }

  // The light manager's lighting: its ambient colour, no point light, and the
  // default directional light (a new light's direction and colour), so that a
  // scene nobody has lit yet still shows its models.
  setFour(ambient->color, 0.2f, 0.2f, 0.2f, 1.0f);
  if (singletonExists(InstanceSlot::LightManager)) {
    const gfx::Color c = gfx::colorFromArgb(gfx::LightManager::getInstance()->lightingState().ambient);
    setFour(ambient->color, c.getR(), c.getG(), c.getB(), 1.0f);
  }
  gfx::Light defaultLight(0);
  const gfx::LightParameter& d = defaultLight.param_;
  const float length =
      std::sqrt(d.direction[0] * d.direction[0] + d.direction[1] * d.direction[1] + d.direction[2] * d.direction[2]);
  for (int i = 0; i < 3; ++i) light->direction[i] = d.direction[i] / length;
  light->has_directional = 1;
  setFour(light->color, d.diffuse[0], d.diffuse[1], d.diffuse[2], 1.0f);
}

void DeviceContext::fillFogSlot(ConstantSlot* slot, const gfx::Camera& camera) {
  auto* fog = slot->as<DX12FOGInfo>();
  fog->eye[0] = camera.eye().x;
  fog->eye[1] = camera.eye().y;
  fog->eye[2] = camera.eye().z;
  fog->enabled = camera.fogEnable() ? 1 : 0;
  copyColor(fog->color, gfx::colorFromArgb(camera.fogColor()));
  fog->start = camera.fogStart();
  fog->end = camera.fogEnd();
}

void DeviceContext::setLightingNo(int number, bool inUse) {
  if (number < 0 || number >= kLightRecords) {
    debug::writeErrorLog(kSource, 3620, "rk::DeviceContext::setLightingNo");
    return;
  }
  light_in_use_[number] = inUse;
}

void DeviceContext::setLightParameter(int number, const gfx::LightParameter& parameter) {
  if (number < 0 || number >= kLightRecords) {
    debug::writeErrorLog(kSource, 3631, "rk::DeviceContext::setLightParameter");
    return;
  }
  light_records_[number] = parameter;
}

bool DeviceContext::isLightInUse(int number) const {
  return number >= 0 && number < kLightRecords && light_in_use_[number];
}

const gfx::LightParameter& DeviceContext::lightParameter(int number) const {
  static const gfx::LightParameter kNone;
  return number >= 0 && number < kLightRecords ? light_records_[number] : kNone;
}

}  // namespace rk
