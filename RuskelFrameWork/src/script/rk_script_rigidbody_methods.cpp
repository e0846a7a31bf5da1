// The method families of rigid-body script objects: the common family every
// body registers and the sphere, capsule and box families. Each method reads
// its arguments and leaves only its results on the stack; an argument 1 that
// is not a body of the family's kind is reported and ignored. The script
// objects a body links (model, shape, sync body, hooks, parent) stay
// reachable from the body's own object while the link holds.
#include <cstddef>

#include "col/rk_collision_plane.h"
#include "kernel/rk_error_log.h"
#include "math/rk_quaternion.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "rk_script_rigidbody_internal.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_shared_methods.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_rigidbody.h"

namespace rk::script::rigidbody {

using rk::rigidbody::RigidBody;
using rk::rigidbody::RigidBodyCapsule;
using rk::rigidbody::RigidBodyOBB;
using rk::rigidbody::RigidBodySphere;

const LuaClass kRigidBodyClass{"rk::rigidbody::RigidBody"};
const LuaClass kImpactParameterClass{"rk::rigidbody::ImpactParameter"};
const LuaClass kGModelClass{"rk::gfx::GModel"};
const LuaClass kSyncBodyClass{"rk::rigidbody::ISyncBody"};
const LuaClass kSyncSimStartClass{"rk::rigidbody::ISyncSimStart"};
const LuaClass kSyncSimInitClass{"rk::rigidbody::ISyncSimInit"};
const LuaClass kSyncSimConstClass{"rk::rigidbody::ISyncSimConst"};
const LuaClass kSyncSimExecClass{"rk::rigidbody::ISyncSimExec"};
const LuaClass kSyncSimExecedClass{"rk::rigidbody::ISyncSimExeced"};
const LuaClass kSyncSimFlushClass{"rk::rigidbody::ISyncSimFlush"};

// A body object answers the shared interfaces, the plain body and its shape body.
template <class T>
void* castBody(void* object, const LuaClass& target) {
  return castToInterface<T, T, RigidBody, policy::SharedObject, policy::IInitialize, policy::IFinalize, policy::IIsUse>(
      object, target);
}

const LuaClass kRigidBodySphereObjectClass{"rk::rigidbody::RigidBodySphere", castBody<RigidBodySphere>};
const LuaClass kRigidBodyCapsuleObjectClass{"rk::rigidbody::RigidBodyCapsule", castBody<RigidBodyCapsule>};
const LuaClass kRigidBodyOBBObjectClass{"rk::rigidbody::RigidBodyOBB", castBody<RigidBodyOBB>};

}  // namespace rk::script::rigidbody

namespace rk::rigidbody::lua_rigid_body {

namespace {

using math::Vector4;
using script::toFloatArg;
using script::toLuaObject;

#define RK_COMMON(name) "rk::rigidbody::lua_rigid_body::lua_Common_" name

// Where the methods report an object argument they cannot use.
constexpr const char* kHeader = "include/rigidbody/rk_rigidbody";

using rk::script::pushNumbers;
using rk::script::pushXYZ;
using rk::script::toXYZArgs;

template <class T>
T* self(lua_State* L, const char* name) {
  T* body = toLuaObject<T>(L, 1, script::interfaceClass<T>());
  if (!body) script::reportNullObject(name);
  return body;
}

// ------------------------------------------------------------ common family

// Argument 2 as a link: nil clears it (when `nilClears`), an object of the
// interface sets it (and is kept reachable as `key`), anything else is
// reported and changes nothing.
template <class Link>
int setLink(lua_State* L, const char* name, const char* key, int line, bool nilClears, void (RigidBody::*set)(Link*)) {
  RigidBody* body = self<RigidBody>(L, name);
  const bool isNil = lua_type(L, 2) == LUA_TNIL;
  Link* link = toLuaObject<Link>(L, 2, script::interfaceClass<Link>());
  if (body && ((isNil && nilClears) || link)) {
    (body->*set)(link);
    script::rigidbody::keepLinked(L, key, 2);
  } else if (body) {
    debug::writeErrorLog(kHeader, line, name);
  }
  lua_settop(L, 0);
  return 0;
}

// Forgets the script object behind a link the method clears.
void forgetLinked(lua_State* L, const char* key) {
  lua_pushnil(L);
  script::rigidbody::keepLinked(L, key, lua_gettop(L));
}

int lua_Common_setModel(lua_State* L) {
  return setLink<gfx::GModel>(L, RK_COMMON("setModel"), "model", 412, false, &RigidBody::setModel);
}

int lua_Common_setCollision(lua_State* L) {
  RigidBody* body = self<RigidBody>(L, RK_COMMON("setCollision"));
  const bool isNil = lua_type(L, 2) == LUA_TNIL;
  collision::CollisionBody* shape = script::collision::toCollisionBody(L, 2);
  if (body && (isNil || shape)) {
    body->setCollisionBody(shape);
    script::rigidbody::keepLinked(L, "collision", 2);
  } else if (body) {
    debug::writeErrorLog(kHeader, 427, RK_COMMON("setCollision"));
  }
  lua_settop(L, 0);
  return 0;
}

int lua_Common_clearSyncModel(lua_State* L) {
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("clearSyncModel"))) {
    body->setModel(nullptr);
    forgetLinked(L, "model");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_Common_isValid(lua_State* L) {
  RigidBody* body = self<RigidBody>(L, RK_COMMON("isValid"));
  lua_settop(L, 0);
  lua_pushboolean(L, body && body->isValid());
  return 1;
}

int lua_Common_setValid(lua_State* L) {
  const bool valid = script::toBoolArg(L, 2);
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("setValid"))) body->setValid(valid);
  lua_settop(L, 0);
  return 0;
}

int lua_Common_setPos(lua_State* L) {
  const Vector4 position = toXYZArgs(L, 2);
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("setPos"))) {
    body->setPosition(position);
    body->updateWorldMatrix();
  }
  lua_settop(L, 0);
  return 0;
}

int lua_Common_getPos(lua_State* L) {
  RigidBody* body = self<RigidBody>(L, RK_COMMON("getPos"));
  lua_settop(L, 0);
  return body ? pushXYZ(L, body->getPosition()) : 0;
}

int lua_Common_setYawPitchRoll(lua_State* L) {
  const Vector4 angles = toXYZArgs(L, 2);
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("setYawPitchRoll")))
    body->setQuat(math::quaternionFromYawPitchRoll(angles.x, angles.y, angles.z));
  lua_settop(L, 0);
  return 0;
}

int lua_Common_getGravity(lua_State* L) {
  RigidBody* body = self<RigidBody>(L, RK_COMMON("getGravity"));
  lua_settop(L, 0);
  return body ? pushXYZ(L, body->getGravity()) : 0;
}

int lua_Common_setGravity(lua_State* L) {
  const Vector4 gravity = toXYZArgs(L, 2);
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("setGravity"))) body->setGravity(gravity);
  lua_settop(L, 0);
  return 0;
}

int lua_Common_setMass(lua_State* L) {
  const float mass = toFloatArg(L, 2);
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("setMass"))) body->setMass(mass);
  lua_settop(L, 0);
  return 0;
}

int lua_Common_getVelocity(lua_State* L) {
  RigidBody* body = self<RigidBody>(L, RK_COMMON("getVelocity"));
  lua_settop(L, 0);
  return body ? pushXYZ(L, body->getVelocity()) : 0;
}

int lua_Common_setVelocity(lua_State* L) {
  const Vector4 velocity = toXYZArgs(L, 2);
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("setVelocity"))) body->setVelocity(velocity);
  lua_settop(L, 0);
  return 0;
}

int lua_Common_getOmega(lua_State* L) {
  RigidBody* body = self<RigidBody>(L, RK_COMMON("getOmega"));
  lua_settop(L, 0);
  return body ? pushXYZ(L, body->getOmega()) : 0;
}

int lua_Common_setOmega(lua_State* L) {
  const Vector4 omega = toXYZArgs(L, 2);
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("setOmega"))) body->setOmega(omega);
  lua_settop(L, 0);
  return 0;
}

int lua_Common_setQuat(lua_State* L) {
  const Vector4 q{toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), toFloatArg(L, 5)};
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("setQuat"))) body->setQuat(q);
  lua_settop(L, 0);
  return 0;
}

int lua_Common_getQuat(lua_State* L) {
  RigidBody* body = self<RigidBody>(L, RK_COMMON("getQuat"));
  lua_settop(L, 0);
  if (!body) return 0;
  const Vector4& q = body->getQuat();
  return pushNumbers(L, {q.x, q.y, q.z, q.w});
}

int lua_Common_setSyncBody(lua_State* L) {
  return setLink<ISyncBody>(L, RK_COMMON("setSyncBody"), "syncBody", 520, false, &RigidBody::setSyncBody);
}

int lua_Common_clearSyncBody(lua_State* L) {
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("clearSyncBody"))) {
    body->setSyncBody(nullptr);
    forgetLinked(L, "syncBody");
  }
  lua_settop(L, 0);
  return 0;
}

int lua_Common_setSyncSimStart(lua_State* L) {
  return setLink<ISyncSimStart>(L, RK_COMMON("setSyncSimStart"), "syncSimStart", 541, true,
                                &RigidBody::setSyncSimStart);
}
int lua_Common_setSyncSimInit(lua_State* L) {
  return setLink<ISyncSimInit>(L, RK_COMMON("setSyncSimInit"), "syncSimInit", 552, true, &RigidBody::setSyncSimInit);
}
int lua_Common_setSyncSimConst(lua_State* L) {
  return setLink<ISyncSimConst>(L, RK_COMMON("setSyncSimConst"), "syncSimConst", 563, true,
                                &RigidBody::setSyncSimConst);
}
int lua_Common_setSyncSimExec(lua_State* L) {
  return setLink<ISyncSimExec>(L, RK_COMMON("setSyncSimExec"), "syncSimExec", 574, true, &RigidBody::setSyncSimExec);
}
int lua_Common_setSyncSimExeced(lua_State* L) {
  return setLink<ISyncSimExeced>(L, RK_COMMON("setSyncSimExeced"), "syncSimExeced", 585, true,
                                 &RigidBody::setSyncSimExeced);
}
int lua_Common_setSyncSimFlush(lua_State* L) {
  return setLink<ISyncSimFlush>(L, RK_COMMON("setSyncSimFlush"), "syncSimFlush", 596, true,
                                &RigidBody::setSyncSimFlush);
}

// A parent that would close a loop (the body itself or one of its
// descendants) is reported like an unusable argument.
int lua_Common_setParent(lua_State* L) {
  RigidBody* body = self<RigidBody>(L, RK_COMMON("setParent"));
  const bool isNil = lua_type(L, 2) == LUA_TNIL;
  RigidBody* parent = toLuaObject<RigidBody>(L, 2, script::rigidbody::kRigidBodyClass);
  if (body && (isNil || parent) && body->setParent(parent)) {
    script::rigidbody::keepLinked(L, "parent", 2);
  } else if (body) {
    debug::writeErrorLog(kHeader, 612, RK_COMMON("setParent"));
  }
  lua_settop(L, 0);
  return 0;
}

// Hands the current pose on even while the body is not valid.
int lua_Common_syncForced(lua_State* L) {
  if (RigidBody* body = self<RigidBody>(L, RK_COMMON("syncForced"))) {
    const bool valid = body->isValid();
    body->setValid(true);
    body->updateWorldMatrix();
    body->flushSync();
    body->setValid(valid);
  }
  lua_settop(L, 0);
  return 0;
}

int lua_Common_checkPlane(lua_State* L) {
  const collision::Plane plane(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), toFloatArg(L, 5));
  RigidBody* body = self<RigidBody>(L, RK_COMMON("checkPlane"));
  lua_settop(L, 0);
  Vector4 normal, points[4], projections[4];
  lua_pushboolean(L, body && body->checkPlane(normal, points, projections, plane) > 0);
  return 1;
}

const luaL_Reg kCommonMethods[] = {
    {"initialize", policy::lua_initialize::lua_command_initialize},
    {"finalize", policy::lua_initialize::lua_command_finalize},
    {"setUse", policy::lua_initialize::lua_command_setUse},
    {"isUse", policy::lua_initialize::lua_command_isUse},
    {"setModel", lua_Common_setModel},
    {"setCollision", lua_Common_setCollision},
    {"clearSyncModel", lua_Common_clearSyncModel},
    {"isValid", lua_Common_isValid},
    {"setValid", lua_Common_setValid},
    {"setPos", lua_Common_setPos},
    {"getPos", lua_Common_getPos},
    {"setYawPitchRoll", lua_Common_setYawPitchRoll},
    {"getGravity", lua_Common_getGravity},
    {"setGravity", lua_Common_setGravity},
    {"setMass", lua_Common_setMass},
    {"getVelocity", lua_Common_getVelocity},
    {"setVelocity", lua_Common_setVelocity},
    {"getOmega", lua_Common_getOmega},
    {"setOmega", lua_Common_setOmega},
    {"setQuat", lua_Common_setQuat},
    {"getQuat", lua_Common_getQuat},
    {"setSyncBody", lua_Common_setSyncBody},
    {"clearSyncBody", lua_Common_clearSyncBody},
    {"setSyncSimStart", lua_Common_setSyncSimStart},
    {"setSyncSimInit", lua_Common_setSyncSimInit},
    {"setSyncSimConst", lua_Common_setSyncSimConst},
    {"setSyncSimExec", lua_Common_setSyncSimExec},
    {"setSyncSimExeced", lua_Common_setSyncSimExeced},
    {"setSyncSimFlush", lua_Common_setSyncSimFlush},
    {"setParent", lua_Common_setParent},
    {"syncForced", lua_Common_syncForced},
    {"checkPlane", lua_Common_checkPlane},
    {nullptr, nullptr},
};

// ------------------------------------------------------------ shape families

// Methods every shape family has: setupTensor, getCollisionKind, getColPos.
template <class Body>
int lua_setupTensor(lua_State* L) {
  if (Body* body = self<Body>(L, "rk::rigidbody::lua_rigid_body::lua_Shape_setupTensor")) body->setupTensor();
  lua_settop(L, 0);
  return 0;
}

template <class Body>
int lua_getCollisionKind(lua_State* L) {
  Body* body = self<Body>(L, "rk::rigidbody::lua_rigid_body::lua_Shape_getCollisionKind");
  lua_settop(L, 0);
  return body ? pushNumbers(L, {static_cast<double>(body->getKind())}) : 0;
}

template <class Body>
int lua_getColPos(lua_State* L) {
  Body* body = self<Body>(L, "rk::rigidbody::lua_rigid_body::lua_Shape_getColPos");
  lua_settop(L, 0);
  return body ? pushXYZ(L, collision::centerOf(static_cast<const collision::CollisionBody&>(*body))) : 0;
}

// The radius of the shape part; the tensor waits for setupTensor.
template <class Body>
int lua_setRadius(lua_State* L) {
  const float radius = toFloatArg(L, 2);
  if (Body* body = self<Body>(L, "rk::rigidbody::lua_rigid_body::lua_Shape_setRadius")) body->setRadius(radius);
  lua_settop(L, 0);
  return 0;
}

template <class Body>
int lua_getRadius(lua_State* L) {
  Body* body = self<Body>(L, "rk::rigidbody::lua_rigid_body::lua_Shape_getRadius");
  lua_settop(L, 0);
  return body ? pushNumbers(L, {body->getRadius()}) : 0;
}

const luaL_Reg kSphereMethods[] = {
    {"setRadius", lua_setRadius<RigidBodySphere>},     {"getRadius", lua_getRadius<RigidBodySphere>},
    {"setupTensor", lua_setupTensor<RigidBodySphere>}, {"getCollisionKind", lua_getCollisionKind<RigidBodySphere>},
    {"getColPos", lua_getColPos<RigidBodySphere>},     {nullptr, nullptr},
};

RigidBodyCapsule* capsule(lua_State* L, const char* name) { return self<RigidBodyCapsule>(L, name); }

int lua_Capsule_setHeight(lua_State* L) {
  const float height = toFloatArg(L, 2);
  if (RigidBodyCapsule* c = capsule(L, "rk::rigidbody::lua_rigid_body::lua_Capsule_setHeight")) c->setHeight(height);
  lua_settop(L, 0);
  return 0;
}

int lua_Capsule_getHeight(lua_State* L) {
  RigidBodyCapsule* c = capsule(L, "rk::rigidbody::lua_rigid_body::lua_Capsule_getHeight");
  lua_settop(L, 0);
  return c ? pushNumbers(L, {c->getHeight()}) : 0;
}

int lua_Capsule_getAxis(lua_State* L) {
  RigidBodyCapsule* c = capsule(L, "rk::rigidbody::lua_rigid_body::lua_Capsule_getAxis");
  lua_settop(L, 0);
  return c ? pushXYZ(L, c->getAxisVector()) : 0;
}

// Normalised; a zero axis stays zero.
int lua_Capsule_setAxis(lua_State* L) {
  const Vector4 axis = math::vec3Normalize(toXYZArgs(L, 2));
  if (RigidBodyCapsule* c = capsule(L, "rk::rigidbody::lua_rigid_body::lua_Capsule_setAxis")) c->setAxisVector(axis);
  lua_settop(L, 0);
  return 0;
}

// The axis in the body's own frame, as given; the pose turns it into the world axis.
int lua_Capsule_setBaseAxis(lua_State* L) {
  const Vector4 axis = toXYZArgs(L, 2);
  if (RigidBodyCapsule* c = capsule(L, "rk::rigidbody::lua_rigid_body::lua_Capsule_setBaseAxis")) c->setBaseAxis(axis);
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kCapsuleMethods[] = {
    {"setRadius", lua_setRadius<RigidBodyCapsule>},
    {"getRadius", lua_getRadius<RigidBodyCapsule>},
    {"setHeight", lua_Capsule_setHeight},
    {"getHeight", lua_Capsule_getHeight},
    {"setupTensor", lua_setupTensor<RigidBodyCapsule>},
    {"getAxis", lua_Capsule_getAxis},
    {"setAxis", lua_Capsule_setAxis},
    {"setBaseAxis", lua_Capsule_setBaseAxis},
    {"getCollisionKind", lua_getCollisionKind<RigidBodyCapsule>},
    {"getColPos", lua_getColPos<RigidBodyCapsule>},
    {nullptr, nullptr},
};

// Half extents; the box recomputes its tensor.
int lua_OBB_setSize(lua_State* L) {
  const Vector4 size = toXYZArgs(L, 2);
  if (RigidBodyOBB* box = self<RigidBodyOBB>(L, "rk::rigidbody::lua_rigid_body::lua_OBB_setSize")) box->setSize(size);
  lua_settop(L, 0);
  return 0;
}

int lua_OBB_getSize(lua_State* L) {
  RigidBodyOBB* box = self<RigidBodyOBB>(L, "rk::rigidbody::lua_rigid_body::lua_OBB_getSize");
  lua_settop(L, 0);
  return box ? pushXYZ(L, *box->getSize()) : 0;
}

const luaL_Reg kOBBMethods[] = {
    {"setSize", lua_OBB_setSize},
    {"getSize", lua_OBB_getSize},
    {"setupTensor", lua_setupTensor<RigidBodyOBB>},
    {"getCollisionKind", lua_getCollisionKind<RigidBodyOBB>},
    {"getColPos", lua_getColPos<RigidBodyOBB>},
    {nullptr, nullptr},
};

}  // namespace

void registerCommonMethods(lua_State* L) { script::setMethods(L, kCommonMethods); }
void registerSphereMethods(lua_State* L) { script::setMethods(L, kSphereMethods); }
void registerCapsuleMethods(lua_State* L) { script::setMethods(L, kCapsuleMethods); }
void registerOBBMethods(lua_State* L) { script::setMethods(L, kOBBMethods); }

}  // namespace rk::rigidbody::lua_rigid_body
