// The values and quads of the status display's bar gauges: a title strip
// chosen by the gauge type, a frame and a fill as long as now / max, all from
// the 512 x 512 atlas "textures/gauge.tga" and tinted by the gauge's colour.
// The X-field gauge's shown value climbs toward a target.
#pragma once
#include <cstdint>
#include <vector>

#include <lua.hpp>

#include "gfx/gfx_model_command/rk_gfx_window.h"
#include "gfx/rk_color.h"
#include "gfx/rk_gfx_model.h"
#include "script/rk_lua_object.h"
#include "status/hud_vertex.h"

namespace rk::gfx {
class IndexBuffer;
class RkTexture;
class VertexBuffer;
}  // namespace rk::gfx

namespace status {

constexpr const char* kGaugeTexture = "textures/gauge.tga";

struct GaugeValue {
  float now_ = 100.0f;
  float max_ = 100.0f;
  rk::gfx::Color color_{0.0f, 1.0f, 0.0f, 1.0f};  // opaque green
  std::uint32_t gauge_type_ = 0;                   // title strip 0..3

  // now := the value clamped to 0..max.
  void setNow(float value);
  // The four bytes' low 8 bits over 255, given alpha first.
  void setColor(std::uint32_t alpha, std::uint32_t red, std::uint32_t green, std::uint32_t blue);
  // now / max; 0 when max is not above 0.
  float fraction() const;
};

// Three quads of four vertices (title strip, frame, fill), each 16 units high
// and 256 × width scale wide: the title at y 0, frame and fill right below
// it. A type above 3 has no title: its quad has no area.
std::vector<HudVertex> buildGaugeQuads(const GaugeValue& gauge);

// The X-field gauge: a gauge of type 1 whose shown value climbs toward its target.
struct XFieldValue {
  GaugeValue gauge{100.0f, 100.0f, {0.0f, 1.0f, 0.0f, 1.0f}, 1};
  float target_now_ = 100.0f;

  // Shown value and target := the value clamped to 0..max.
  void setNowFieldGauge(float value);
  // One step: at least 20 units a second, faster while far below the target;
  // never past the target, always inside 0..max.
  void run(float dt);
  // target := min(target + gain, max).
  void charge(float gain);
};

// The shield: maximum and current value, written by the player's body.
struct ShieldValue {
  float max_ = 100.0f;
  float now_ = 100.0f;
  void setNow(float value);
  float calcLerp() const { return now_ / max_; }
};

// A drawing command of a gfx model that draws a bar gauge from the gauge
// atlas. Owned by its script object (or by the combo gauge that made it).
class GaugeDisplay : public rk::gfx::GfxModelList,
                     public rk::script::ILuaMethod,
                     public rk::gfx::gfx_model_command::ISyncWindowItem {
 public:
  // Appended to `owner` when given.
  GaugeDisplay(rk::gfx::GfxModel* owner, std::uint32_t type);
  // Releases the atlas and the buffers and leaves the owner's list.
  ~GaugeDisplay() override;

  // Loads the atlas when there is none yet and rebuilds the three quads.
  void notify(rk::gfx::GfxDeviceContext& context) override;
  // Draws them; nothing while the atlas has no GPU texture.
  void execute(rk::gfx::GfxDeviceContext& context, std::int32_t arg) override;
  // Nothing to copy.
  void sync() override {}

  // "setNow", "getNow", "getMax", "setMax", "setColor"; the collector deletes the gauge.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

  // The values drawn: the gauge's own, or those of the object that made it.
  GaugeValue& value() { return *value_; }

  rk::gfx::RkTexture* texture_ = nullptr;
  rk::gfx::VertexBuffer* vertex_buffer_ = nullptr;
  rk::gfx::IndexBuffer* index_buffer_ = nullptr;
  bool atlas_reported_ = false;  // a missing atlas is reported once

 protected:
  GaugeValue own_;
  GaugeValue* value_ = &own_;
};

// A gauge display of type 1 whose shown value climbs toward its target.
class XFieldGauge : public GaugeDisplay {
 public:
  explicit XFieldGauge(rk::gfx::GfxModel* owner);
  XFieldValue& field() { return field_; }

  // "setNowFieldGauge", "getNowFieldGauge", "setMaxFieldGauge",
  // "getMaxFieldGauge", "run", "setColor"; the collector deletes the gauge.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 private:
  XFieldValue field_;
};

// The combo gauge's bar of remaining chain time: draws the chain's values.
class ChainTimeGauge : public GaugeDisplay {
 public:
  ChainTimeGauge(rk::gfx::GfxModel* owner, GaugeValue& shown) : GaugeDisplay(owner, 3) { value_ = &shown; }
};

extern const rk::script::LuaClass kGaugeDisplayClass;
extern const rk::script::LuaClass kXFieldGaugeClass;

}  // namespace status
