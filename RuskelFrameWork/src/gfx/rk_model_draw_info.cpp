#include "gfx/rk_model_draw_info.h"

namespace rk::gfx {

ModelDrawInfo::ModelDrawInfo() {
  kind_ = 2;
  studio_ = std::make_unique<StudioInfo>();
  studio_->setLightMode(StudioInfo::kKeepLighting);
}

SceneParameter* ModelDrawInfo::clone() const {
  auto* copy = new ModelDrawInfo;
  copy->studio_ = std::make_unique<StudioInfo>(*studio_);
  return copy;
}

ModelDrawInfo& ModelDrawInfo::shared() {
  static ModelDrawInfo info;
  return info;
}

}  // namespace rk::gfx
