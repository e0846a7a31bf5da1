// Attaches a drawing command to a gfx model (the game common library's
// "joinGfxModelList"): the command's owner becomes the model and it is
// appended to the model's command list.
#pragma once

namespace rk::gfx {
class GfxModel;
class GfxModelList;
}  // namespace rk::gfx

namespace effect_misc {

// A command still listed by another model leaves that list first: a command
// listed by two models would leave only its owner's list when destroyed, and
// the other model would draw a freed command. Null arguments do nothing.
void joinGfxModelList(rk::gfx::GfxModel* model, rk::gfx::GfxModelList* command);

}  // namespace effect_misc
