// The lighting settings a camera's pass (and a model) carries: whether it
// lights with its own lights, keeps the current lighting or has none, its
// ambient colour, its lights by number, its spot light, its planar-shadow
// planes, and a stack of saved device lighting states for backup and release.
#pragma once
#include <deque>
#include <map>
#include <vector>

#include "gfx/rk_color.h"
#include "gfx/rk_light.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"
#include "policy/rk_policy.h"
#include "script/rk_lua_object.h"

namespace rk::gfx {

// The studio's spot light, read by the camera's pass set-up.
struct ShaderSpotLightData {
  bool valid = false;
  math::Vector4 position{0.0f, 10.0f, 10.0f, 0.0f};
  math::Vector4 vector{0.0f, 0.0f, 0.0f, 0.0f};
  math::Vector4 up{0.0f, 1.0f, 0.0f, 0.0f};
  Color diffuse{1.0f, 1.0f, 1.0f, 1.0f};
  Color ambient{64.0f / 255.0f, 64.0f / 255.0f, 64.0f / 255.0f, 1.0f};
  float angles[3] = {1.5707964f, 0.7853982f, 0.7853982f};
};

// A plane that models cast their planar shadow on. The light vector's w is 0
// for a direction and 1 for a position; the shadow matrix is recomputed from
// plane and light before every camera pass.
struct ShadowPlane {
  bool valid = false;
  math::Vector4 plane{0.0f, 1.0f, 0.0f, 0.0f};  // (a, b, c, d): through the origin, normal +y
  math::Vector4 light{0.0f, -1.0f, 0.0f, 0.0f};
  math::Matrix matrix = math::matrixIdentity();

  // The flattening matrix for the plane, seen from the light vector with x, y
  // and z negated (w kept).
  void updateMatrix();
};

class StudioInfo : public policy::IBackupRelease {
 public:
  enum LightMode : int { kLightingOff = 0, kOwnLights = 1, kKeepLighting = 2 };

  StudioInfo() = default;
  // Copies the spot light, the light mode, the ambient colour and the lights;
  // the copy starts without shadow planes and with an empty backup stack.
  StudioInfo(const StudioInfo& other);
  StudioInfo& operator=(const StudioInfo&) = delete;
  virtual ~StudioInfo() = default;

  // Uploads this studio's lighting into the device context's light state:
  // mode 2 nothing; mode 0 ambient off; mode 1 ambient on with the studio's
  // colour and its lights. Modes 0 and 1 then bind the frame's light constants.
  virtual void reflect();
  // Saves the device context's ambient state and lights on the backup stack.
  void backup() override;
  // Restores the last saved state and drops it; an empty stack does nothing.
  void release() override;

  int lightMode() const { return light_mode_; }
  void setLightMode(int mode) { light_mode_ = mode; }
  const Color& ambientColor() const { return ambient_color_; }
  void setAmbientColor(const Color& color) { ambient_color_ = color; }
  // Lights by number; numbers from 16 up are never uploaded.
  std::map<int, LightParameter>& lights() { return lights_; }
  const std::map<int, LightParameter>& lights() const { return lights_; }
  // True adds an all-zero light of that number when absent; false removes it.
  void setLightEnable(int number, bool enable);

  ShaderSpotLightData& spotLight() { return spot_light_; }
  const ShaderSpotLightData& spotLight() const { return spot_light_; }

  // Adds a default plane under the number when there is none.
  void createShadowPlane(int number);
  // Appends the plane numbers in ascending order.
  void listShadowPlanes(std::vector<int>& out) const;
  std::map<int, ShadowPlane>& shadowPlanes() { return shadow_planes_; }
  const std::map<int, ShadowPlane>& shadowPlanes() const { return shadow_planes_; }
  // Recomputes every plane's shadow matrix (before each camera pass).
  void updateShadowMatrices();

  std::size_t backupDepth() const { return backups_.size(); }

  // The script views on this entry, its spot light and its planes: they read
  // as null objects once the entry is deleted.
  script::LuaObjectLinks& scriptLinks() { return script_links_; }

 private:
  struct Saved {
    bool ambient_on = false;
    Color ambient;
    std::map<int, LightParameter> lights;  // the lights in use
  };

  ShaderSpotLightData spot_light_;
  int light_mode_ = kKeepLighting;
  Color ambient_color_{64.0f / 255.0f, 64.0f / 255.0f, 64.0f / 255.0f, 1.0f};
  std::map<int, LightParameter> lights_;
  std::map<int, ShadowPlane> shadow_planes_;
  std::deque<Saved> backups_;
  script::LuaObjectLinks script_links_;  // not copied: views stay on their own entry
};

}  // namespace rk::gfx
