// The tag of the gauge window item's script object, which game code reads as
// an argument.
#include "script/rk_script_graphics.h"

namespace rk::script::gph {

const LuaClass kWindowItemGaugeClass{"rk::gfx::gfx_model_command::WindowItemGauge"};

}  // namespace rk::script::gph
