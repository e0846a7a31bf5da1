// The lighting settings that models carry: a scene parameter owns a studio
// information; a model's draw information is a scene parameter whose studio
// keeps the current lighting unless told otherwise. Also the shader-side
// records that cameras own (a spot light and the shadow light's parameters)
// and the reflection wrapper that uploads a studio on demand.
#pragma once
#include <memory>

#include "gfx/rk_studio_info.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"
#include "policy/rk_policy.h"

namespace rk::gfx {

class SceneParameter : public policy::IReflection, public policy::IBackupRelease {
 public:
  SceneParameter() = default;
  SceneParameter(const SceneParameter&) = delete;
  SceneParameter& operator=(const SceneParameter&) = delete;
  virtual ~SceneParameter() = default;

  // The base has nothing to copy.
  virtual SceneParameter* clone() const { return nullptr; }
  void reflect() override {}
  void backup() override {}
  void release() override {}

  int kind() const { return kind_; }
  StudioInfo* studio() const { return studio_.get(); }

 protected:
  int kind_ = 0;
  std::unique_ptr<StudioInfo> studio_;
};

class ModelDrawInfo : public SceneParameter {
 public:
  // A default studio whose light mode keeps the current lighting.
  ModelDrawInfo();
  // A copy whose studio copies this one's.
  SceneParameter* clone() const override;
  void reflect() override { studio_->reflect(); }
  void backup() override { studio_->backup(); }
  void release() override { studio_->release(); }

  // The one draw information shared by every model root for the whole run.
  static ModelDrawInfo& shared();
};

// Uploads whatever it points at when reflected (a camera's studio settings).
class StudioInfoReflection {
 public:
  explicit StudioInfoReflection(policy::IReflection* target) : target_(target) {}
  virtual ~StudioInfoReflection() = default;
  virtual void reflect() {
    if (target_) target_->reflect();
  }

 private:
  policy::IReflection* target_;
};

class ShaderInfoObject {
 public:
  virtual ~ShaderInfoObject() = default;
};

// A camera's spot-light record for the shaders.
class ShaderInfoSpotLight : public ShaderInfoObject {
 public:
  struct Parameter {
    math::Vector4 position{0.0f, 10.0f, 10.0f, 0.0f};
    math::Vector4 vector{0.0f, 0.0f, 0.0f, 0.0f};
    math::Vector4 up{0.0f, 1.0f, 0.0f, 0.0f};
    float angle = 0.7853982f;
  };
  Parameter& parameter() { return parameter_; }

 private:
  Parameter parameter_;
};

// The parameters of a camera's shadow light.
struct ShadowParameter {
  math::Matrix view = math::matrixIdentity();
  math::Matrix projection = math::matrixIdentity();
  math::Vector4 vector{0.0f, 0.0f, 1.0f, 0.0f};
  int kind = 0;
  float range = 100.0f;
};

}  // namespace rk::gfx
