// The gfx model's script-object tag and argument reader, as game code needs
// them to take a gfx model from a script.
#include "gfx/rk_gfx_model.h"
#include "script/rk_script_graphics.h"

namespace rk::script::gph {

const LuaClass kGfxModelClass{"rk::gfx::GfxModel"};

gfx::GfxModel* toGfxModel(lua_State* L, int index) { return toLuaObject<gfx::GfxModel>(L, index, kGfxModelClass); }

}  // namespace rk::script::gph
