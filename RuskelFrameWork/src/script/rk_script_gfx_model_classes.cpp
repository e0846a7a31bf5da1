// The tags of the gfx model's script objects that game code reads as
// arguments: the gfx model itself and its window's gauge item.
#include "script/rk_script_graphics.h"

namespace rk::script::gph {

const LuaClass kGfxModelClass{"rk::gfx::GfxModel"};
const LuaClass kWindowItemGaugeClass{"rk::gfx::gfx_model_command::WindowItemGauge"};

}  // namespace rk::script::gph
