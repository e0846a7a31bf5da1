#include "script/rk_script_gfx_parts.h"

#include "gfx/gfx_model_command/rk_gfx_billboard.h"

namespace rk::script::gph {

// kBillboardChipClass is defined with the billboard's script object.
const LuaClass kCapsuleLaserClass{"rk::gfx::gfx_model_command::CapsuleLaser"};

rk::gfx::gfx_model_command::BillboardChip* toBillboardChip(lua_State* L, int index) {
  return toLuaObject<rk::gfx::gfx_model_command::BillboardChip>(L, index, kBillboardChipClass);
}

rk::gfx::gfx_model_command::CapsuleLaser* toCapsuleLaser(lua_State* L, int index) {
  return toLuaObject<rk::gfx::gfx_model_command::CapsuleLaser>(L, index, kCapsuleLaserClass);
}

}  // namespace rk::script::gph
