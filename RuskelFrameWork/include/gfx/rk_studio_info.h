// The lighting settings a camera's pass (and a model) carries: whether it
// lights with its own lights, keeps the current lighting or has none, its
// ambient colour and its lights by number.
#pragma once
#include <map>

#include "gfx/rk_color.h"
#include "gfx/rk_light.h"

namespace rk::gfx {

class StudioInfo {
 public:
  enum LightMode : int { kLightingOff = 0, kOwnLights = 1, kKeepLighting = 2 };

  int lightMode() const { return light_mode_; }
  void setLightMode(int mode) { light_mode_ = mode; }
  const Color& ambientColor() const { return ambient_color_; }
  void setAmbientColor(const Color& color) { ambient_color_ = color; }
  // Lights by number; numbers from 16 up are never uploaded.
  std::map<int, LightParameter>& lights() { return lights_; }
  const std::map<int, LightParameter>& lights() const { return lights_; }

  // The spot light, shadow planes and the backup stack: with the model draw information.

 private:
  int light_mode_ = kKeepLighting;
  Color ambient_color_{64.0f / 255.0f, 64.0f / 255.0f, 64.0f / 255.0f, 1.0f};
  std::map<int, LightParameter> lights_;
};

}  // namespace rk::gfx
