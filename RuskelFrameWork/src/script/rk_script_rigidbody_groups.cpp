// Script objects of the twelve rigid-body collision groups: the impact
// parameters of every group and the methods that fill its two lists. The
// object owns its group; collecting it deletes the group, which leaves the
// collision-group manager by itself. Planes and meshes a group lists stay
// reachable through the group's object, so the collector cannot free them
// under a live group.
#include <string>

#include "col/rk_collision_plane.h"
#include "col/rk_geo_collision.h"
#include "rigidbody/rk_rigidbody_group.h"
#include "rk_script_rigidbody_internal.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_collision.h"
#include "script/rk_script_rigidbody.h"

namespace rk::script::rigidbody {

namespace {

namespace rb = rk::rigidbody;
using rb::ImpactParameter;
using rk::collision::GeoCollision;
using rk::collision::ICollisionExec;
using rk::collision::Plane;

// ------------------------------------------------------- what a group is

template <class G>
struct GroupKind;

// Class tag, the names of its two add methods, and the one group with a
// third method (the alias test).
#define RK_GROUP_KIND(Group, addA, addB)                                                                  \
  template <>                                                                                             \
  struct GroupKind<rb::Group> {                                                                           \
    static constexpr const char* kName = "rk::rigidbody::" #Group;                                        \
    static constexpr const char* kAddA = addA;                                                            \
    static constexpr const char* kAddB = addB;                                                            \
    inline static const LuaClass cls{kName, castToInterface<rb::Group, ICollisionExec, ImpactParameter>}; \
  };

RK_GROUP_KIND(CollisionGroupRigidBodySphereSphere, "addGroupA", "addGroupB")
RK_GROUP_KIND(CollisionGroupRigidBodySphereCapsule, "addSphere", "addCapsule")
RK_GROUP_KIND(CollisionGroupRigidBodySphereOBB, "addSphere", "addOBB")
RK_GROUP_KIND(CollisionGroupRigidBodySpherePlane, "addSphere", "addPlane")
RK_GROUP_KIND(CollisionGroupRigidBodySphereGeo, "addSphere", "addGeo")
RK_GROUP_KIND(CollisionGroupRigidBodyCapsuleCapsule, "addGroupA", "addGroupB")
RK_GROUP_KIND(CollisionGroupRigidBodyCapsuleOBB, "addCapsule", "addOBB")
RK_GROUP_KIND(CollisionGroupRigidBodyCapsulePlane, "addCapsule", "addPlane")
RK_GROUP_KIND(CollisionGroupRigidBodyCapsuleGeo, "addCapsule", "addGeo")
RK_GROUP_KIND(CollisionGroupRigidBodyOBBOBB, "addGroupA", "addGroupB")
RK_GROUP_KIND(CollisionGroupRigidBodyOBBPlane, "addOBB", "addPlane")
RK_GROUP_KIND(CollisionGroupRigidBodyOBBGeo, "addOBB", "addGeo")
#undef RK_GROUP_KIND

// A list member at that index: a body of the list's shape, a plane or a mesh
// object; null for anything else.
template <class Member>
Member* toMember(lua_State* L, int index) {
  return toLuaObject<Member>(L, index, interfaceClass<Member>());
}
template <>
Plane* toMember<Plane>(lua_State* L, int index) {
  return toLuaObject<Plane>(L, index, collision::kCollisionPlaneClass);
}
template <>
GeoCollision* toMember<GeoCollision>(lua_State* L, int index) {
  return collision::toCollisionGeo(L, index);
}

// ----------------------------------------------------- impact parameters

ImpactParameter* parameters(lua_State* L, const char* name) {
  ImpactParameter* p = toLuaObject<ImpactParameter>(L, 1, kImpactParameterClass);
  if (!p) reportNullObject(name);
  return p;
}

template <float (ImpactParameter::*Get)() const>
int lua_getParameter(lua_State* L) {
  ImpactParameter* p = parameters(L, "rk::rigidbody::ImpactParameter::get");
  lua_settop(L, 0);
  if (!p) return 0;
  lua_pushnumber(L, (p->*Get)());
  return 1;
}

// No argument stores 0.
template <void (ImpactParameter::*Set)(float)>
int lua_setParameter(lua_State* L) {
  const float value = toFloatArg(L, 2);
  if (ImpactParameter* p = parameters(L, "rk::rigidbody::ImpactParameter::set")) (p->*Set)(value);
  lua_settop(L, 0);
  return 0;
}

// ---------------------------------------------------------------- lists

// Appends without a duplicate check and without taking a reference on the
// engine object; the member's script object stays reachable from the group's.
// A member of the wrong kind is reported and not listed.
template <class G, bool ListA>
int lua_add(lua_State* L) {
  using Member = std::conditional_t<ListA, typename G::MemberA, typename G::MemberB>;
  static const std::string name =
      std::string(GroupKind<G>::kName) + "::" + (ListA ? GroupKind<G>::kAddA : GroupKind<G>::kAddB);
  G* group = toLuaObject<G>(L, 1, GroupKind<G>::cls);
  Member* member = toMember<Member>(L, 2);
  if (group && member) {
    if constexpr (ListA) {
      group->addGroupA(member);
    } else {
      group->addGroupB(member);
    }
    keepMember(L, 2);
  } else {
    reportNullObject(name.c_str());
  }
  lua_settop(L, 0);
  return 0;
}

int lua_isGroupAEqGroupB(lua_State* L) {
  using G = rb::CollisionGroupRigidBodySphereSphere;
  G* group = toLuaObject<G>(L, 1, GroupKind<G>::cls);
  lua_settop(L, 0);
  if (!group) reportNullObject("rk::rigidbody::CollisionGroupRigidBodySphereSphere::isGroupAEqGroupB");
  lua_pushboolean(L, group && group->isGroupAEqGroupB());
  return 1;
}

template <class G>
struct Extra {
  static constexpr const char* kName = nullptr;
  static constexpr lua_CFunction kFunction = nullptr;
};
template <>
struct Extra<rb::CollisionGroupRigidBodySphereSphere> {
  static constexpr const char* kName = "isGroupAEqGroupB";
  static constexpr lua_CFunction kFunction = lua_isGroupAEqGroupB;
};

template <class G>
const luaL_Reg kGroupMethods[] = {
    {"getSpring", lua_getParameter<&ImpactParameter::getSpring>},
    {"setSpring", lua_setParameter<&ImpactParameter::setSpring>},
    {"getDamper", lua_getParameter<&ImpactParameter::getDamper>},
    {"setDamper", lua_setParameter<&ImpactParameter::setDamper>},
    {"getFlic", lua_getParameter<&ImpactParameter::getFlic>},
    {"setFlic", lua_setParameter<&ImpactParameter::setFlic>},
    {"getFlicMax", lua_getParameter<&ImpactParameter::getFlicMax>},
    {"setFlicMax", lua_setParameter<&ImpactParameter::setFlicMax>},
    {GroupKind<G>::kAddA, lua_add<G, true>},
    {GroupKind<G>::kAddB, lua_add<G, false>},
    {Extra<G>::kName, Extra<G>::kFunction},  // the end of the list for the other groups
    {nullptr, nullptr},
};

template <class G>
int pushGroup(lua_State* L, G* group) {
  return pushLuaObject(L, group, GroupKind<G>::cls, kGroupMethods<G>, lua_gcDeleteObject<G, GroupKind<G>::cls>);
}

template <class G>
int createPlain(lua_State* L) {
  return pushGroup(L, new G);
}

template <class G>
int createAliasable(lua_State* L) {
  const bool alias = toBoolArg(L, 1);
  return pushGroup(L, new G(alias));
}

}  // namespace

int createCollisionRigidBodySphereSphere(lua_State* L) {
  return createAliasable<rb::CollisionGroupRigidBodySphereSphere>(L);
}
int createCollisionRigidBodySphereCapsule(lua_State* L) {
  return createPlain<rb::CollisionGroupRigidBodySphereCapsule>(L);
}
int createCollisionRigidBodySphereOBB(lua_State* L) { return createPlain<rb::CollisionGroupRigidBodySphereOBB>(L); }
int createCollisionRigidBodySpherePlane(lua_State* L) { return createPlain<rb::CollisionGroupRigidBodySpherePlane>(L); }
int createCollisionRigidBodySphereGeo(lua_State* L) { return createPlain<rb::CollisionGroupRigidBodySphereGeo>(L); }
int createCollisionRigidBodyCapsuleCapsule(lua_State* L) {
  return createAliasable<rb::CollisionGroupRigidBodyCapsuleCapsule>(L);
}
int createCollisionRigidBodyCapsuleOBB(lua_State* L) { return createPlain<rb::CollisionGroupRigidBodyCapsuleOBB>(L); }
int createCollisionRigidBodyCapsulePlane(lua_State* L) {
  return createPlain<rb::CollisionGroupRigidBodyCapsulePlane>(L);
}
int createCollisionRigidBodyCapsuleGeo(lua_State* L) { return createPlain<rb::CollisionGroupRigidBodyCapsuleGeo>(L); }
int createCollisionRigidBodyOBBOBB(lua_State* L) { return createAliasable<rb::CollisionGroupRigidBodyOBBOBB>(L); }
int createCollisionRigidBodyOBBPlane(lua_State* L) { return createPlain<rb::CollisionGroupRigidBodyOBBPlane>(L); }
int createCollisionRigidBodyOBBGeo(lua_State* L) { return createPlain<rb::CollisionGroupRigidBodyOBBGeo>(L); }

}  // namespace rk::script::rigidbody
