// The rigid-body script API: the global table (substep count, pause, body and
// group creators, plane tests), the method families every body class
// registers, and the interfaces through which body methods accept objects of
// other modules (models, sync bodies, step hooks).
#pragma once
#include <lua.hpp>

#include "script/rk_lua_object.h"
#include "script/rk_script.h"

namespace rk::gfx {
class GModel;
}

namespace rk::rigidbody {
class RigidBody;
class ImpactParameter;
class ISyncBody;
class ISyncSimStart;
class ISyncSimInit;
class ISyncSimConst;
class ISyncSimExec;
class ISyncSimExeced;
class ISyncSimFlush;
}  // namespace rk::rigidbody

namespace rk::rigidbody::lua_rigid_body {

// Fill the method table (stack index 3) of a body object. A class registers
// the common family (which starts with initialize, finalize, setUse, isUse)
// and then its shape's family. The methods read argument 1 through the
// interfaces below, so a game body's class answers them by casting to them.
void registerCommonMethods(lua_State* L);
void registerSphereMethods(lua_State* L);
void registerCapsuleMethods(lua_State* L);
void registerOBBMethods(lua_State* L);

}  // namespace rk::rigidbody::lua_rigid_body

namespace rk::script {

// The rigid-body table, in registration order.
LuaFunctionTable rigidBodyFunctionTable();

namespace rigidbody {

// Interfaces a class's LuaClass::cast may answer.
extern const LuaClass kRigidBodyClass;        // any rigid body
extern const LuaClass kImpactParameterClass;  // any rigid-body collision group
extern const LuaClass kGModelClass;           // a model a body can drive
extern const LuaClass kSyncBodyClass;
extern const LuaClass kSyncSimStartClass;
extern const LuaClass kSyncSimInitClass;
extern const LuaClass kSyncSimConstClass;
extern const LuaClass kSyncSimExecClass;
extern const LuaClass kSyncSimExecedClass;
extern const LuaClass kSyncSimFlushClass;

// The classes of the body objects the table creates.
extern const LuaClass kRigidBodySphereObjectClass;
extern const LuaClass kRigidBodyCapsuleObjectClass;
extern const LuaClass kRigidBodyOBBObjectClass;

}  // namespace rigidbody

template <>
inline const LuaClass& interfaceClass<rk::rigidbody::RigidBody>() {
  return rigidbody::kRigidBodyClass;
}
template <>
inline const LuaClass& interfaceClass<rk::rigidbody::ImpactParameter>() {
  return rigidbody::kImpactParameterClass;
}
template <>
inline const LuaClass& interfaceClass<rk::gfx::GModel>() {
  return rigidbody::kGModelClass;
}
// The LuaClass::cast of script objects that hold a scene model of class T (a
// GModel): they answer the model tag, so rigid bodies accept them.
template <class T>
void* castGModel(void* object, const LuaClass& target) {
  return &target == &rigidbody::kGModelClass ? static_cast<void*>(static_cast<rk::gfx::GModel*>(static_cast<T*>(object)))
                                             : nullptr;
}
template <>
inline const LuaClass& interfaceClass<rk::rigidbody::ISyncBody>() {
  return rigidbody::kSyncBodyClass;
}
template <>
inline const LuaClass& interfaceClass<rk::rigidbody::ISyncSimStart>() {
  return rigidbody::kSyncSimStartClass;
}
template <>
inline const LuaClass& interfaceClass<rk::rigidbody::ISyncSimInit>() {
  return rigidbody::kSyncSimInitClass;
}
template <>
inline const LuaClass& interfaceClass<rk::rigidbody::ISyncSimConst>() {
  return rigidbody::kSyncSimConstClass;
}
template <>
inline const LuaClass& interfaceClass<rk::rigidbody::ISyncSimExec>() {
  return rigidbody::kSyncSimExecClass;
}
template <>
inline const LuaClass& interfaceClass<rk::rigidbody::ISyncSimExeced>() {
  return rigidbody::kSyncSimExecedClass;
}
template <>
inline const LuaClass& interfaceClass<rk::rigidbody::ISyncSimFlush>() {
  return rigidbody::kSyncSimFlushClass;
}

}  // namespace rk::script
