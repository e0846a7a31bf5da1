#include "effect/gfx_model_join.h"

#include "gfx/rk_gfx_model.h"
#include "script/rk_lua_object.h"
#include "script/rk_script_graphics.h"

namespace effect_misc {

void joinGfxModelList(rk::gfx::GfxModel* model, rk::gfx::GfxModelList* command) {
  if (!model || !command) return;
  if (command->owner_) command->detach();
  command->owner_ = model;
  model->addCommand(command);
}

int lua_joinGfxModelList(lua_State* L) {
  rk::gfx::GfxModel* model = rk::script::gph::toGfxModel(L, 1);
  rk::gfx::GfxModelList* command = rk::script::gph::toGfxModelList(L, 2);
  lua_settop(L, 0);
  if (!model || !command)
    rk::script::reportNullObject("effect_misc::lua_joinGfxModelList");
  else
    joinGfxModelList(model, command);
  return 0;
}

}  // namespace effect_misc
