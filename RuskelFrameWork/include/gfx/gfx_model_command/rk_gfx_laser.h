// The laser: a flat ribbon turned towards an eye point the laser holds itself.
// Looping (the default), it runs along the whole point list between a start
// and an end distance, so a script grows, shortens and slides a beam by
// changing two numbers; otherwise it is one quad between the first two points.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/rk_gfx_model.h"
#include "math/rk_vector.h"

namespace rk::gfx::gfx_model_command {

class Laser : public GfxModelCommand {
 public:
  struct Params {
    std::int32_t stages = 1;  // 1 or 2
    float width = 1.0f;
    std::vector<math::Vector4> points;
    math::Vector4 eye{};
    math::Vector4 uv0[2] = {};
    math::Vector4 uv1[2] = {};
    math::Vector4 uv_offset[2] = {};
    bool visible = false;
    float start_length = 0.0f;
    float total_length = 1.0f;
    math::Vector4 end_point{};  // stored only
    bool loop = true;
  };

  explicit Laser(GfxModel* owner) : GfxModelCommand(owner), params_(std::make_unique<Params>()) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  Params& params() { return *params_; }

  // The path's length: the sum of the segments whose squared length is at
  // least the float epsilon; 0 for fewer than two points.
  float calcLength() const;

 private:
  void drawQuad(GfxDeviceContext& context);
  void drawAlongPath(GfxDeviceContext& context);

  std::unique_ptr<Params> params_;
};

}  // namespace rk::gfx::gfx_model_command
