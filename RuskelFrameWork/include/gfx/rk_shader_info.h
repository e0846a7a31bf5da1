// Shader-side light records a camera owns: the spot-light information (its
// placement, cone and projection) and the shadow light's parameter record.
#pragma once
#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace rk::gfx {

// Placement and cone of a spot light as the shaders see it.
struct ShaderSpotParameter {
  math::Vector4 position{0.0f, 10.0f, 10.0f, 0.0f};
  math::Vector4 vector{0.0f, 0.0f, 0.0f, 0.0f};
  math::Vector4 up{0.0f, 1.0f, 0.0f, 0.0f};
  float angle = 0.7853982f;  // pi / 4
  math::Matrix projection = math::matrixIdentity();
};

class ShaderInfoObject {
 public:
  virtual ~ShaderInfoObject() = default;
};

class ShaderInfoSpotLight : public ShaderInfoObject {
 public:
  ShaderSpotParameter& parameter() { return parameter_; }
  const ShaderSpotParameter& parameter() const { return parameter_; }

 private:
  ShaderSpotParameter parameter_;
};

// The shadow light's record: its view and projection, the direction it
// shines along, a mode and its range.
struct ShadowLightParameter {
  math::Matrix view = math::matrixIdentity();
  math::Matrix projection = math::matrixIdentity();
  math::Vector4 vector{0.0f, 0.0f, 1.0f, 0.0f};
  int mode = 0;
  float range = 100.0f;
};

}  // namespace rk::gfx
