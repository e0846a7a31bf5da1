// The frame in which the range weapons draw themselves over the scene: the
// colour state saved and switched off with the given colour, the back buffer
// bound as the only render target (no depth test), and both put back at the
// end of the scope. Draws run inside a camera's pass, where a list records.
#pragma once
#include <cstdint>

#include "kernel/rk_device_context.h"

namespace player_draw {

class OverScene {
 public:
  OverScene(rk::DeviceContext& context, std::uint32_t offColour);
  ~OverScene();
  OverScene(const OverScene&) = delete;
  OverScene& operator=(const OverScene&) = delete;

  // False when there was no list to draw into: the caller draws nothing.
  bool ready() const { return list_ != nullptr; }

 private:
  rk::DeviceContext& context_;
  host::gpu::GraphicsCommandList* list_ = nullptr;
  rk::ColorStateBackup colour_{};
};

}  // namespace player_draw
