// The gfx wipe: a gfx model command that covers the whole screen with one
// colour whose alpha fades from 0 to 1 (fade out) or from 1 to 0 (fade in)
// over a duration measured by a named counter. A finished fade-in hides its
// whole model.
#pragma once
#include <cstdint>
#include <memory>

#include "gfx/rk_color.h"
#include "gfx/rk_gfx_model.h"

namespace rk::math {
class Counter;
}

namespace rk::gfx {
class IndexBuffer;
class VertexBuffer;
}  // namespace rk::gfx

namespace rk::gfx::gfx_model_command {

class GfxWipe : public GfxModelList {
 public:
  // Takes the counter of that kind and name from the counter manager, stopped.
  GfxWipe(GfxModel* owner, std::int32_t counterKind, const char* counterName);
  ~GfxWipe() override;
  void notify(GfxDeviceContext& context) override;
  void execute(GfxDeviceContext& context, std::int32_t arg) override;

  // r, g, b from 0 to 255 (low 8 bits of the truncated value); the counter
  // starts again from 0, stopped.
  void fadeOut(double r, double g, double b, float seconds);
  void fadeIn(double r, double g, double b, float seconds);
  void start();
  void stop();
  bool isEndOfWipe() const;

  // The colour drawn now: the start colour moved towards its target by the progress.
  Color currentColor() const;
  math::Counter* counter() const;
  bool buffersMade() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace rk::gfx::gfx_model_command
