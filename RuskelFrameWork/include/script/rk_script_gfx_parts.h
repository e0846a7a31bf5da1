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

// The tag of script objects that borrow a BillboardChip of its billboard.
extern const LuaClass kBillboardChipClass;
// A tag under which code other than the gfx model object may hand out a
// CapsuleLaser; the gfx model object's own capsule-laser commands are read too.
extern const LuaClass kCapsuleLaserPartClass;

// The part at that index, or null for anything else.
rk::gfx::gfx_model_command::BillboardChip* toBillboardChip(lua_State* L, int index);
rk::gfx::gfx_model_command::CapsuleLaser* toCapsuleLaser(lua_State* L, int index);

}  // namespace rk::script::gph
