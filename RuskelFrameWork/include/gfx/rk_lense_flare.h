// A camera's lens flare: the flare texture, the ghost textures in join order,
// a position and a scale. Scripts fill it through the camera; it holds a
// reference to every texture it names.
#pragma once
#include <vector>

#include "gfx/rk_texture.h"
#include "math/rk_vector.h"
#include "policy/rk_shared_object.h"

namespace rk::gfx {

class LenseFlare {
 public:
  LenseFlare() = default;
  // Releases the flare texture, then every ghost texture.
  ~LenseFlare();
  LenseFlare(const LenseFlare&) = delete;
  LenseFlare& operator=(const LenseFlare&) = delete;

  // Takes a reference to the new texture (null allowed) and releases the old one.
  void setTexture(RkTexture* texture);
  // Appends a ghost texture (null is ignored).
  void joinGhostTexture(RkTexture* texture);

  RkTexture* texture() const { return texture_.get(); }
  const std::vector<policy::SharedPtr<RkTexture>>& ghosts() const { return ghosts_; }
  const math::Vector4& position() const { return position_; }
  void setPosition(const math::Vector4& position) { position_ = position; }
  float scale() const { return scale_; }
  void setScale(float scale) { scale_ = scale; }

 private:
  std::vector<policy::SharedPtr<RkTexture>> ghosts_;
  policy::SharedPtr<RkTexture> texture_;
  math::Vector4 position_{};
  float scale_ = 1.0f;
};

}  // namespace rk::gfx
