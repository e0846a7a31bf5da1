// Tags of the script objects that stand for parts of gfx-model drawing
// commands which game objects drive: billboard chips and capsule lasers. The
// graphics API hands these objects out; game code reads them with the readers
// below and keeps plain pointers.
#pragma once
#include <lua.hpp>

#include "script/rk_lua_object.h"

namespace rk::gfx::gfx_model_command {
struct BillboardChip;
class CapsuleLaser;
}  // namespace rk::gfx::gfx_model_command

namespace rk::script::gph {

extern const LuaClass kBillboardChipClass;  // borrows a BillboardChip of its billboard
extern const LuaClass kCapsuleLaserClass;   // a CapsuleLaser command

// The part at that index, or null for anything else.
rk::gfx::gfx_model_command::BillboardChip* toBillboardChip(lua_State* L, int index);
rk::gfx::gfx_model_command::CapsuleLaser* toCapsuleLaser(lua_State* L, int index);

}  // namespace rk::script::gph
