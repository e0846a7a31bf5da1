// Light parameters and the light manager. The manager keeps the lighting state
// the scripts set (lighting on or off, a packed ambient colour) and uploads it
// when a frame's background list is begun.
#pragma once
#include <cstdint>
#include <vector>

namespace rk::gfx {

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

class LightManager {
 public:
  struct LightingState {
    bool lighting = false;
    std::uint32_t ambient = 0;  // ARGB, alpha in the top byte
  };

  static LightManager* createInstance();
  static LightManager* getInstance();
  static void destroyInstance();

  LightManager();
  LightManager(const LightManager&) = delete;
  LightManager& operator=(const LightManager&) = delete;

  // The current lighting state (the last of the list; there is always one).
  LightingState& lightingState() { return states_.back(); }

  // With lighting on, sets the device context's colour state to the ambient
  // colour; with lighting off, touches nothing.
  void uploadLights();

 private:
  std::vector<LightingState> states_;
  // The lights pushed per light number: with the lights.
};

}  // namespace rk::gfx
