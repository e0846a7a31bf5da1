// Script objects of the collision table: free-standing shapes, triangle
// meshes and rigid-body lists.
#include "col/rk_collision_capsule.h"
#include "col/rk_collision_obb.h"
#include "col/rk_collision_plane.h"
#include "col/rk_collision_sphere.h"
#include "col/rk_geo_collision.h"
#include "kernel/rk_error_log.h"
#include "rigidbody/rk_rigidbody_hooks.h"
#include "rk_script_collision_internal.h"
#include "script/rk_lua_guard.h"
#include "script/rk_script_math.h"
#include "util/rk_list_template.h"

namespace rk::script::collision {

using rk::collision::Capsule;
using rk::collision::CollisionBody;
using rk::collision::GeoCollision;
using rk::collision::ICollisionExec;
using rk::collision::OBB;
using rk::collision::Plane;
using rk::collision::Sphere;
using rk::math::Vector4;

// A script's list of rigid bodies. The list takes no reference on its bodies,
// so it registers with the rigid-body module to forget a body that is destroyed
// while listed (scripts may drop bodies in any order).
template <class Body>
class BodyList : public rk::util::List<Body>, public rk::rigidbody::IRigidBodyHolder {
 public:
  explicit BodyList(const char* removeName) : rk::util::List<Body>(removeName) {
    rk::rigidbody::registerRigidBodyHolder(this);
  }
  ~BodyList() override { rk::rigidbody::unregisterRigidBodyHolder(this); }
  void forgetRigidBody(const void* body) override {
    this->items().remove_if([body](Body* item) { return static_cast<const void*>(item) == body; });
  }
};

const LuaClass kCollisionBodyClass{"rk::collision::CollisionBody"};
const LuaClass kCollisionExecClass{"rk::collision::ICollisionExec"};
const LuaClass kRigidBodySphereClass{"rk::rigidbody::RigidBodySphere"};
const LuaClass kRigidBodyCapsuleClass{"rk::rigidbody::RigidBodyCapsule"};
const LuaClass kRigidBodyOBBClass{"rk::rigidbody::RigidBodyOBB"};

const LuaClass kCollisionSphereClass{"rk::collision::Sphere", castToInterface<Sphere, CollisionBody>};
const LuaClass kCollisionCapsuleClass{"rk::collision::Capsule", castToInterface<Capsule, CollisionBody>};
const LuaClass kCollisionOBBClass{"rk::collision::OBB", castToInterface<OBB, CollisionBody>};
const LuaClass kCollisionPlaneClass{"rk::collision::Plane", castToInterface<Plane, CollisionBody>};
const LuaClass kCollisionGeoClass{"rk::collision::GeoCollision"};
const LuaClass kRigidBodySphereListClass{"rk::util::List<class rk::rigidbody::RigidBodySphere>"};
const LuaClass kRigidBodyCapsuleListClass{"rk::util::List<class rk::rigidbody::RigidBodyCapsule>"};
const LuaClass kRigidBodyOBBListClass{"rk::util::List<class rk::rigidbody::RigidBodyOBB>"};

CollisionBody* toCollisionBody(lua_State* L, int index) {
  return toLuaObject<CollisionBody>(L, index, kCollisionBodyClass);
}
GeoCollision* toCollisionGeo(lua_State* L, int index) {
  return toLuaObject<GeoCollision>(L, index, kCollisionGeoClass);
}
ICollisionExec* toCollisionGroup(lua_State* L, int index) {
  return toLuaObject<ICollisionExec>(L, index, kCollisionExecClass);
}

namespace {

template <class T>
T* self(lua_State* L, const LuaClass& cls, const char* name) {
  T* object = toLuaObject<T>(L, 1, cls);
  if (!object) reportNullObject(name);
  return object;
}

// ----------------------------------------------------- methods of every shape

int lua_CollisionBody_setPos(lua_State* L) {
  const char* name = RK_COLLISION_BINDING("lua_CollisionBody_setPos");
  if (CollisionBody* body = self<CollisionBody>(L, kCollisionBodyClass, name)) body->setCenter(toXYZArgs(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_CollisionBody_getPos(lua_State* L) {
  CollisionBody* body = self<CollisionBody>(L, kCollisionBodyClass, RK_COLLISION_BINDING("lua_CollisionBody_getPos"));
  lua_settop(L, 0);
  return body ? pushXYZ(L, rk::collision::centerOf(*body)) : 0;
}

// Debug drawing of free-standing shapes does not exist: the call is accepted.
int lua_CollisionBody_setVisibleDebug(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

// The collector of every shape object: deletes the shape through its virtual destructor.
int lua_CollisionSphere_gc(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (CollisionBody* body = toCollisionBody(L, 1)) {
    block->object = nullptr;
    delete body;
  }
  lua_settop(L, 0);
  return 0;
}

// ------------------------------------------------------------------ sphere

int lua_CollisionSphere_getRadius(lua_State* L) {
  Sphere* sphere = self<Sphere>(L, kCollisionSphereClass, RK_COLLISION_BINDING("lua_CollisionSphere_getRadius"));
  lua_settop(L, 0);
  return sphere ? pushNumbers(L, {sphere->getRadius()}) : 0;
}

int lua_CollisionSphere_setRadius(lua_State* L) {
  if (Sphere* sphere = self<Sphere>(L, kCollisionSphereClass, RK_COLLISION_BINDING("lua_CollisionSphere_setRadius")))
    sphere->setRadius(toFloatArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kSphereMethods[] = {
    {"setPos", lua_CollisionBody_setPos},
    {"getPos", lua_CollisionBody_getPos},
    {"setVisibleDebug", lua_CollisionBody_setVisibleDebug},
    {"getRadius", lua_CollisionSphere_getRadius},
    {"setRadius", lua_CollisionSphere_setRadius},
    {nullptr, nullptr},
};

// ----------------------------------------------------------------- capsule

Capsule* capsule(lua_State* L, const char* name) { return self<Capsule>(L, kCollisionCapsuleClass, name); }

int lua_CollisionCapsule_setRadius(lua_State* L) {
  if (Capsule* c = capsule(L, RK_COLLISION_BINDING("lua_CollisionCapsule_setRadius"))) c->setRadius(toFloatArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_CollisionCapsule_getRadius(lua_State* L) {
  Capsule* c = capsule(L, RK_COLLISION_BINDING("lua_CollisionCapsule_getRadius"));
  lua_settop(L, 0);
  return c ? pushNumbers(L, {c->getRadius()}) : 0;
}

int lua_CollisionCapsule_getAxis(lua_State* L) {
  Capsule* c = capsule(L, RK_COLLISION_BINDING("lua_CollisionCapsule_getAxis"));
  lua_settop(L, 0);
  return c ? pushXYZ(L, c->getAxisVector()) : 0;
}

// The world axis, normalised; the base axis stays (free shapes never get a matrix).
int lua_CollisionCapsule_setAxis(lua_State* L) {
  if (Capsule* c = capsule(L, RK_COLLISION_BINDING("lua_CollisionCapsule_setAxis")))
    c->setAxisVector(rk::math::vec3Normalize(toXYZArgs(L, 2)));
  lua_settop(L, 0);
  return 0;
}

int lua_CollisionCapsule_setHeight(lua_State* L) {
  if (Capsule* c = capsule(L, RK_COLLISION_BINDING("lua_CollisionCapsule_setHeight"))) c->setHeight(toFloatArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_CollisionCapsule_getHeight(lua_State* L) {
  Capsule* c = capsule(L, RK_COLLISION_BINDING("lua_CollisionCapsule_getHeight"));
  lua_settop(L, 0);
  return c ? pushNumbers(L, {c->getHeight()}) : 0;
}

const luaL_Reg kCapsuleMethods[] = {
    {"setPos", lua_CollisionBody_setPos},
    {"getPos", lua_CollisionBody_getPos},
    {"setVisibleDebug", lua_CollisionBody_setVisibleDebug},
    {"setRadius", lua_CollisionCapsule_setRadius},
    {"getRadius", lua_CollisionCapsule_getRadius},
    {"getAxis", lua_CollisionCapsule_getAxis},
    {"setAxis", lua_CollisionCapsule_setAxis},
    {"setHeight", lua_CollisionCapsule_setHeight},
    {"getHeight", lua_CollisionCapsule_getHeight},
    {nullptr, nullptr},
};

// --------------------------------------------------------------------- box

int lua_CollisionOBB_setSize(lua_State* L) {
  if (OBB* box = self<OBB>(L, kCollisionOBBClass, RK_COLLISION_BINDING("lua_CollisionOBB_setSize")))
    box->setSize(toXYZArgs(L, 2));
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kOBBMethods[] = {
    {"setPos", lua_CollisionBody_setPos},
    {"getPos", lua_CollisionBody_getPos},
    {"setVisibleDebug", lua_CollisionBody_setVisibleDebug},
    {"setSize", lua_CollisionOBB_setSize},
    {nullptr, nullptr},
};

// ------------------------------------------------------------------- plane

Plane* plane(lua_State* L, const char* name) { return self<Plane>(L, kCollisionPlaneClass, name); }

int lua_CollisionPlane_calcFromPointNormal(lua_State* L) {
  Plane* p = plane(L, RK_COLLISION_BINDING("lua_CollisionPlane_calcFromPointNormal"));
  const Vector4* point = math::toVec3(L, 2);
  const Vector4* normal = math::toVec3(L, 3);
  if (p && (!point || !normal)) reportNullObject(RK_COLLISION_BINDING("lua_CollisionPlane_calcFromPointNormal"));
  if (p && point && normal) p->calcFromPointNormal(*point, *normal);
  lua_settop(L, 0);
  return 0;
}

int lua_CollisionPlane_calcFromPointNormalDirect(lua_State* L) {
  if (Plane* p = plane(L, RK_COLLISION_BINDING("lua_CollisionPlane_calcFromPointNormalDirect")))
    p->calcFromPointNormal(toXYZArgs(L, 2), toXYZArgs(L, 5));
  lua_settop(L, 0);
  return 0;
}

int lua_CollisionPlane_setPlane(lua_State* L) {
  if (Plane* p = plane(L, RK_COLLISION_BINDING("lua_CollisionPlane_setPlane")))
    p->setPlane(toFloatArg(L, 2), toFloatArg(L, 3), toFloatArg(L, 4), toFloatArg(L, 5));
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kPlaneMethods[] = {
    {"setPos", lua_CollisionBody_setPos},
    {"getPos", lua_CollisionBody_getPos},
    {"setVisibleDebug", lua_CollisionBody_setVisibleDebug},
    {"calcFromPointNormal", lua_CollisionPlane_calcFromPointNormal},
    {"calcFromPointNormalDirect", lua_CollisionPlane_calcFromPointNormalDirect},
    {"setPlane", lua_CollisionPlane_setPlane},
    {nullptr, nullptr},
};

// -------------------------------------------------------------------- mesh

GeoCollision* geo(lua_State* L, const char* name) { return self<GeoCollision>(L, kCollisionGeoClass, name); }

// A file that does not exist fails hard, as every asset load does.
int lua_CollisionGeo_load(lua_State* L) {
  GeoCollision* g = geo(L, RK_COLLISION_BINDING("lua_CollisionGeo_load"));
  const char* name = toTextArg(L, 2);
  const std::string requested = name ? name : "";
  lua_settop(L, 0);
  if (g && !name) reportNullObject(RK_COLLISION_BINDING("lua_CollisionGeo_load"));
  if (g && name) g->load(requested);
  return 0;
}

int lua_CollisionGeo_isLoaded(lua_State* L) {
  GeoCollision* g = geo(L, RK_COLLISION_BINDING("lua_CollisionGeo_isLoaded"));
  lua_settop(L, 0);
  lua_pushboolean(L, g && g->isLoaded());
  return 1;
}

int lua_CollisionGeo_isReady(lua_State* L) {
  GeoCollision* g = geo(L, RK_COLLISION_BINDING("lua_CollisionGeo_isReady"));
  lua_settop(L, 0);
  lua_pushboolean(L, g && g->isReady());
  return 1;
}

// A file with a wrong header fails hard.
int lua_CollisionGeo_init(lua_State* L) {
  GeoCollision* g = geo(L, RK_COLLISION_BINDING("lua_CollisionGeo_init"));
  lua_settop(L, 0);
  if (g) g->initialize();
  return 0;
}

int lua_CollisionGeo_gc(lua_State* L) { return lua_gcDeleteObject<GeoCollision, kCollisionGeoClass>(L); }

const luaL_Reg kGeoMethods[] = {
    {"load", guarded<lua_CollisionGeo_load>},
    {"isLoaded", lua_CollisionGeo_isLoaded},
    {"isReady", lua_CollisionGeo_isReady},
    {"init", guarded<lua_CollisionGeo_init>},
    {nullptr, nullptr},
};

// ------------------------------------------------------------ body lists

// What differs between the three list kinds.
template <class Body>
struct ListKind;

template <>
struct ListKind<rk::rigidbody::RigidBodySphere> {
  static const LuaClass& list() { return kRigidBodySphereListClass; }
  static const LuaClass& element() { return kRigidBodySphereClass; }
  static constexpr const char* kRemoveName = "rk::util::List<class rk::rigidbody::RigidBodySphere>::remove";
  static constexpr const char* kSelfName = RK_COLLISION_BINDING("lua_RigidBodySphereList");
};
template <>
struct ListKind<rk::rigidbody::RigidBodyCapsule> {
  static const LuaClass& list() { return kRigidBodyCapsuleListClass; }
  static const LuaClass& element() { return kRigidBodyCapsuleClass; }
  static constexpr const char* kRemoveName = "rk::util::List<class rk::rigidbody::RigidBodyCapsule>::remove";
  static constexpr const char* kSelfName = RK_COLLISION_BINDING("lua_RigidBodyCapsuleList");
};
template <>
struct ListKind<rk::rigidbody::RigidBodyOBB> {
  static const LuaClass& list() { return kRigidBodyOBBListClass; }
  static const LuaClass& element() { return kRigidBodyOBBClass; }
  static constexpr const char* kRemoveName = "rk::util::List<class rk::rigidbody::RigidBodyOBB>::remove";
  static constexpr const char* kSelfName = RK_COLLISION_BINDING("lua_RigidBodyOBBList");
};

template <class Body>
BodyList<Body>* bodyList(lua_State* L) {
  return self<BodyList<Body>>(L, ListKind<Body>::list(), ListKind<Body>::kSelfName);
}

// A null body is not listed: the groups walking the list need real bodies.
template <class Body>
int lua_List_push(lua_State* L) {
  BodyList<Body>* list = bodyList<Body>(L);
  Body* body = toLuaObject<Body>(L, 2, ListKind<Body>::element());
  lua_settop(L, 0);
  if (list && !body) reportNullObject(ListKind<Body>::kSelfName);
  if (list && body) list->push(body);
  return 0;
}

template <class Body>
int lua_List_remove(lua_State* L) {
  BodyList<Body>* list = bodyList<Body>(L);
  Body* body = toLuaObject<Body>(L, 2, ListKind<Body>::element());
  lua_settop(L, 0);
  if (list) list->remove(body);
  return 0;
}

// The list's sequence of body pointers, in the form the groups take it.
template <class Body>
int lua_List_getList(lua_State* L) {
  BodyList<Body>* list = bodyList<Body>(L);
  lua_settop(L, 0);
  if (!list) return 0;
  lua_pushlightuserdata(L, &list->items());
  return 1;
}

template <class Body>
int lua_List_clear(lua_State* L) {
  if (BodyList<Body>* list = bodyList<Body>(L)) list->clear();
  lua_settop(L, 0);
  return 0;
}

template <class Body>
int lua_List_gc(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &ListKind<Body>::list() && block->object) {
    auto* list = static_cast<BodyList<Body>*>(block->object);
    block->object = nullptr;
    delete list;
  }
  lua_settop(L, 0);
  return 0;
}

template <class Body>
const luaL_Reg kListMethods[] = {
    {"push", lua_List_push<Body>},
    {"remove", lua_List_remove<Body>},
    {"getList", lua_List_getList<Body>},
    {"clear", lua_List_clear<Body>},
    {nullptr, nullptr},
};

template <class Body>
int pushBodyList(lua_State* L) {
  return pushLuaObject(L, new BodyList<Body>(ListKind<Body>::kRemoveName), ListKind<Body>::list(),
                       kListMethods<Body>, lua_List_gc<Body>);
}

}  // namespace

int createCollisionSphere(lua_State* L) {
  return pushLuaObject(L, new Sphere, kCollisionSphereClass, kSphereMethods, lua_CollisionSphere_gc);
}
int createCollisionCapsule(lua_State* L) {
  return pushLuaObject(L, new Capsule, kCollisionCapsuleClass, kCapsuleMethods, lua_CollisionSphere_gc);
}
int createCollisionOBB(lua_State* L) {
  return pushLuaObject(L, new OBB, kCollisionOBBClass, kOBBMethods, lua_CollisionSphere_gc);
}
int createCollisionPlane(lua_State* L) {
  return pushLuaObject(L, new Plane, kCollisionPlaneClass, kPlaneMethods, lua_CollisionSphere_gc);
}
int createCollisionGeo(lua_State* L) {
  return pushLuaObject(L, new GeoCollision(new rk::collision::BoundingBoxTriangleSearchStrategy), kCollisionGeoClass,
                       kGeoMethods, lua_CollisionGeo_gc);
}
int createRigidBodySphereList(lua_State* L) { return pushBodyList<rk::rigidbody::RigidBodySphere>(L); }
int createRigidBodyCapsuleList(lua_State* L) { return pushBodyList<rk::rigidbody::RigidBodyCapsule>(L); }
int createRigidBodyOBBList(lua_State* L) { return pushBodyList<rk::rigidbody::RigidBodyOBB>(L); }

}  // namespace rk::script::collision
