// What the model-synced collisions share: the node's pose turned so that a
// shape's y axis follows the node's negated z axis, carried from the camera
// that draws the model into the actor camera's (2) world, and the script
// plumbing of the three sync objects. The namespace sits inside qv21: a global
// "sync" would clash with the C library's sync() function.
#pragma once
#include <string>

#include <lua.hpp>

#include "math/rk_matrix.h"
#include "script/rk_lua_object.h"

namespace rk::gfx {
class GModel;
class Model;
}  // namespace rk::gfx

namespace qv21::sync {

// The turn about x applied before the node's matrix.
constexpr float kNodeTurn = -1.5707964f;
constexpr int kActorCamera = 2;

// R × F for the node's world matrix F.
rk::math::Matrix turnedNode(const rk::math::Matrix& frame);
// M × (view × projection of the camera of the model's lowest camera bit) ×
// inverse(view × projection of camera 2); false (out untouched) when either
// camera or the camera manager is missing.
bool mapToActorCamera(const rk::gfx::GModel& model, const rk::math::Matrix& m, rk::math::Matrix& out);

// The scene model of the script object at that index, else null.
rk::gfx::Model* toModel(lua_State* L, int index);
// Keeps the script object at `valueIndex` reachable from the object at index 1
// under `key`, so the collector cannot free what a link still names.
using rk::script::keepLinked;

}  // namespace qv21::sync
