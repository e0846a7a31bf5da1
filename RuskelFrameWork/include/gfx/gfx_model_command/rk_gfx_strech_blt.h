// The stretch blit: a rectangle of a texture drawn into a rectangle of the
// screen, in pixels of the current viewport (y downward from its top-left
// corner), placed by its own transformation. It clears the depth buffer
// after drawing, so what is drawn after it ignores what was drawn before.
#pragma once
#include <cstdint>

#include "gfx/rk_gfx_model.h"
#include "gfx/rk_texture.h"
#include "math/rk_transformation.h"
#include "math/rk_vector.h"
#include "policy/rk_shared_object.h"

namespace rk::gfx::gfx_model_command {

class GfxModelStrechBlt : public GfxModelCommand {
 public:
  explicit GfxModelStrechBlt(GfxModel* owner) : GfxModelCommand(owner) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;

  // None releases the held texture.
  void setTexture(RkTexture* texture) { texture_ = policy::SharedPtr<RkTexture>(texture); }
  RkTexture* texture() const { return texture_.get(); }
  math::Transformation& transform() { return transform_; }
  void setDstXY(float x, float y) { dst_xy_ = {x, y, 0, 0}; }
  void setDstSize(float w, float h) { dst_size_ = {w, h, 0, 0}; }
  void setSrcXY(float x, float y) { src_xy_ = {x, y, 0, 0}; }
  void setSrcSize(float w, float h) { src_size_ = {w, h, 0, 0}; }
  void setDrawCommand(std::int32_t n) { draw_command_ = n; }
  const math::Vector4& dstXY() const { return dst_xy_; }
  const math::Vector4& dstSize() const { return dst_size_; }
  const math::Vector4& srcXY() const { return src_xy_; }
  const math::Vector4& srcSize() const { return src_size_; }
  std::int32_t drawCommand() const { return draw_command_; }

 private:
  policy::SharedPtr<RkTexture> texture_;
  math::Transformation transform_;
  math::Vector4 dst_xy_{}, dst_size_{256, 256, 0, 0}, src_xy_{}, src_size_{};
  std::int32_t draw_command_ = 0;
};

}  // namespace rk::gfx::gfx_model_command
