#include "gfx/rk_lense_flare.h"

namespace rk::gfx {

LenseFlare::~LenseFlare() {
  texture_.reset();
  for (auto& ghost : ghosts_) ghost.reset();
  ghosts_.clear();
}

void LenseFlare::setTexture(RkTexture* texture) {
  policy::SharedPtr<RkTexture> next(texture);  // the new reference first: the same texture survives
  texture_ = next;
}

void LenseFlare::joinGhostTexture(RkTexture* texture) {
  if (texture) ghosts_.emplace_back(texture);
}

}  // namespace rk::gfx
