// Lights and the light manager. A light is a parameter record that scripts
// create and push to owners; the manager keeps, per light number 0..7, the
// lights pushed in push order plus the lighting state (lighting on or off, a
// packed ambient colour), and uploads the last light of each number when a
// frame's background list is begun. Pushing takes no reference: a light leaves
// every owner when it dies, and an owner that dies forgets its lights.
#pragma once
#include <cstdint>
#include <vector>

namespace rk::gfx {

struct ShadowParameter;

// One light, in the field order and widths of the classic fixed-function light.
struct LightParameter {
  std::int32_t type = 0;  // 1 point, 2 spot, 3 directional
  float diffuse[4] = {};
  float specular[4] = {};
  float ambient[4] = {};
  float position[3] = {};
  float direction[3] = {};
  float range = 0.0f;
  float falloff = 0.0f;
  float attenuation0 = 0.0f;
  float attenuation1 = 0.0f;
  float attenuation2 = 0.0f;
  float theta = 0.0f;
  float phi = 0.0f;
};
static_assert(sizeof(LightParameter) == 104);

class Light;

class ILightOwner {
 public:
  virtual void pushLight(Light* light) = 0;
  virtual void popLight(Light* light) = 0;

 protected:
  ~ILightOwner() = default;
};

class Light {
 public:
  // A directional light with the default parameters, not enabled.
  explicit Light(int number = 0);
  ~Light();  // pops itself from every owner
  Light(const Light&) = delete;
  Light& operator=(const Light&) = delete;

  // Keeps the type and zeroes the rest; a light that is neither a point nor a
  // spot light becomes a half-grey light shining down and forward.
  void setDefaults();

  bool enabled_ = false;
  std::int32_t number_ = 0;
  LightParameter param_;
  // Every owner the light was pushed to, in push order (repeats allowed).
  std::vector<ILightOwner*> owners_;
};

// The spot light every camera owns for its shadows. It is never pushed to the
// light manager: it is a Light record plus the shadow parameters.
class ShadowLight {
 public:
  // Disabled, number 0, a white spot light at (0, range, 0) shining down with
  // a cone of pi / 2.
  ShadowLight();
  virtual ~ShadowLight();
  ShadowLight(const ShadowLight&) = delete;
  ShadowLight& operator=(const ShadowLight&) = delete;

  Light& light() { return light_; }
  const Light& light() const { return light_; }
  ShadowParameter& parameter() { return *parameter_; }
  const ShadowParameter& parameter() const { return *parameter_; }

 private:
  Light light_;
  ShadowParameter* parameter_;
};

class LightManager final : public ILightOwner {
 public:
  static constexpr int kLightNumbers = 8;

  struct LightingState {
    bool lighting = false;
    std::uint32_t ambient = 0;  // ARGB, alpha in the top byte
  };

  static LightManager* createInstance();
  static LightManager* getInstance();
  static void destroyInstance();

  LightManager();
  ~LightManager();  // detaches itself from the lights it still lists
  LightManager(const LightManager&) = delete;
  LightManager& operator=(const LightManager&) = delete;

  // The current lighting state (the last of the list; there is always one).
  LightingState& lightingState() { return states_.back(); }

  // With lighting on, sets the device context's colour state to the ambient
  // colour; with lighting off, touches nothing.
  // Then the last light of each number 0..7 decides the device context's
  // in-use byte and, when enabled, its light record.
  void uploadLights();

  // Appends the light to the list of its number; a number outside 0..7 is
  // reported and refused.
  void pushLight(Light* light) override;
  // Removes the first occurrence of the light; a light not listed is ignored.
  void popLight(Light* light) override;

  // The lights pushed on a number, in push order (empty outside 0..7).
  const std::vector<Light*>& lights(int number) const;
  // The last light pushed on a number, or null.
  Light* lastLight(int number) const;

 private:
  std::vector<LightingState> states_;
  std::vector<Light*> lights_[kLightNumbers];
};

}  // namespace rk::gfx
