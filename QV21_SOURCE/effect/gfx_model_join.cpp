#include "effect/gfx_model_join.h"

#include "gfx/rk_gfx_model.h"

namespace effect_misc {

void joinGfxModelList(rk::gfx::GfxModel* model, rk::gfx::GfxModelList* command) {
  if (!model || !command) return;
  if (command->owner_) command->detach();
  command->owner_ = model;
  model->addCommand(command);
}

}  // namespace effect_misc
