#include "script/rk_script_gfx_parts.h"

#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "rk_script_gfx_model_internal.h"

namespace rk::script::gph {

const LuaClass kBillboardChipClass{"rk::gfx::gfx_model_command::BillboardChip"};
const LuaClass kCapsuleLaserPartClass{"rk::gfx::gfx_model_command::CapsuleLaser"};

rk::gfx::gfx_model_command::BillboardChip* toBillboardChip(lua_State* L, int index) {
  return toLuaObject<rk::gfx::gfx_model_command::BillboardChip>(L, index, kBillboardChipClass);
}

// A command object of the gfx model is read as any command, then checked to
// be a capsule laser.
rk::gfx::gfx_model_command::CapsuleLaser* toCapsuleLaser(lua_State* L, int index) {
  if (auto* laser = toLuaObject<rk::gfx::gfx_model_command::CapsuleLaser>(L, index, kCapsuleLaserPartClass))
    return laser;
  auto* command = toLuaObject<rk::gfx::GfxModelList>(L, index, kGfxCommandClass);
  return dynamic_cast<rk::gfx::gfx_model_command::CapsuleLaser*>(command);
}

}  // namespace rk::script::gph
