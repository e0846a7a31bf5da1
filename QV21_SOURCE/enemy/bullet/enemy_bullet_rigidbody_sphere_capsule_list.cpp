#include "enemy/bullet/enemy_bullet_rigidbody_sphere_capsule_list.h"

#include "math/rk_vector.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "script/rk_lua_arg.h"

namespace {

using rk::math::Vector4;
using rk::rigidbody::RigidBodyCapsule;

constexpr const char* kSource = "enemy/bullet/enemy_bullet_rigidbody_sphere_capsule_list";
constexpr float kEpsilon = 1.1920929e-7f;

}  // namespace

const rk::script::LuaClass EnemyBulletRigidBodySphereCapsuleList::kLuaClass{
    "EnemyBulletRigidBodySphereCapsuleList", enemy_bullet::castBullet<EnemyBulletRigidBodySphereCapsuleList>};

EnemyBulletRigidBodySphereCapsuleList::~EnemyBulletRigidBodySphereCapsuleList() { releaseChain(85); }

void EnemyBulletRigidBodySphereCapsuleList::releaseChain(int line, std::size_t keep) {
  while (chain_.size() > keep) {
    RigidBodyCapsule* body = chain_.back();
    chain_.pop_back();
    if (body) body->release(kSource, line);
  }
}

host::HResult EnemyBulletRigidBodySphereCapsuleList::initialize() {
  const host::HResult result = EnemyBulletRigidBodySphere::initialize();
  setGravity({0.0f, 0.0f, 0.0f, 0.0f});
  releaseChain(85);
  trail_.clear();
  return result;
}

void EnemyBulletRigidBodySphereCapsuleList::finalize() {
  EnemyBulletRigidBodySphere::finalize();
  releaseChain(85);
}

void EnemyBulletRigidBodySphereCapsuleList::makeLine() {
  if (!isValid()) return;
  trail_.push_back(getPosition());
  feedConverter();
  converter_.convert(getRadius(), length_, kSampleStep);
  layChain();
}

void EnemyBulletRigidBodySphereCapsuleList::feedConverter() {
  const Vector4& head = trail_.back();
  converter_.moveTo(head.x, head.y, head.z);
  float arc = 0.0f;
  for (std::size_t i = trail_.size() - 1; i-- > 0;) {
    const Vector4& p = trail_[i];
    const Vector4 step = p.minus(trail_[i + 1]);
    converter_.lineTo(p.x, p.y, p.z);
    if (rk::math::vec3LengthSq(step) < kEpsilon) continue;
    arc += rk::math::vec3Length(step);
    if (!(arc < length_)) break;
  }
}

void EnemyBulletRigidBodySphereCapsuleList::layChain() {
  const auto& records = converter_.capsules();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const rk::util::LineConvert::Capsule& record = records[i];
    if (i == chain_.size()) {
      rk::rigidbody::RigidBodyManager::getInstance();
      RigidBodyCapsule* body = rk::rigidbody::RigidBodyManager::create<RigidBodyCapsule>();
      body->setGravity({0.0f, 0.0f, 0.0f, 0.0f});
      chain_.push_back(body);
    }
    RigidBodyCapsule* body = chain_[i];
    body->setRadius(record.radius);
    body->setAxisVector(rk::math::vec3Normalize(record.axis));
    body->setBaseAxis(record.axis);
    body->setPosition(record.centre);
    body->updateWorldMatrix();
    body->setHeight(record.half_length);
    body->setValid(true);
  }
  releaseChain(142, records.size());
}

namespace {

EnemyBulletRigidBodySphereCapsuleList* selfArg(lua_State* L, const char* method) {
  auto* chain = enemy_bullet::toBullet<EnemyBulletRigidBodySphereCapsuleList>(L, 1);
  if (!chain) rk::script::reportNullObject(method);
  return chain;
}

int lua_setLength(lua_State* L) {
  const float length = rk::script::toFloatArg(L, 2);
  if (auto* chain = selfArg(L, "EnemyBulletRigidBodySphereCapsuleList::lua_setLength")) chain->setLength(length);
  lua_settop(L, 0);
  return 0;
}

int lua_setCapsuleLength(lua_State* L) {
  const float length = rk::script::toFloatArg(L, 2);
  if (auto* chain = selfArg(L, "EnemyBulletRigidBodySphereCapsuleList::lua_setCapsuleLength"))
    chain->setCapsuleLength(length);
  lua_settop(L, 0);
  return 0;
}

int lua_makeLine(lua_State* L) {
  if (auto* chain = selfArg(L, "EnemyBulletRigidBodySphereCapsuleList::lua_makeLine")) chain->makeLine();
  lua_settop(L, 0);
  return 0;
}

template <std::size_t (*Count)(const EnemyBulletRigidBodySphereCapsuleList&)>
int lua_count(lua_State* L) {
  auto* chain = selfArg(L, "EnemyBulletRigidBodySphereCapsuleList::lua_getSize");
  const std::size_t count = chain ? Count(*chain) : 0;
  lua_settop(L, 0);
  lua_pushinteger(L, static_cast<lua_Integer>(count));
  return 1;
}

std::size_t pointCount(const EnemyBulletRigidBodySphereCapsuleList& chain) { return chain.points().size(); }
std::size_t capsuleCount(const EnemyBulletRigidBodySphereCapsuleList& chain) { return chain.capsules().size(); }

// A 1-based index; one outside the range gives no results.
bool indexArg(lua_State* L, std::size_t count, std::size_t& index) {
  const std::int64_t n = rk::script::toInt64Arg(L, 2);
  if (n < 1 || static_cast<std::uint64_t>(n) > count) return false;
  index = static_cast<std::size_t>(n - 1);
  return true;
}

int lua_getPoint(lua_State* L) {
  auto* chain = selfArg(L, "EnemyBulletRigidBodySphereCapsuleList::lua_getPoint");
  std::size_t i = 0;
  const bool found = chain && indexArg(L, chain->points().size(), i);
  lua_settop(L, 0);
  if (!found) return 0;
  const Vector4& p = chain->points()[i];
  lua_pushnumber(L, p.x);
  lua_pushnumber(L, p.y);
  lua_pushnumber(L, p.z);
  return 3;
}

int lua_getCapsule(lua_State* L) {
  auto* chain = selfArg(L, "EnemyBulletRigidBodySphereCapsuleList::lua_getCapsule");
  std::size_t i = 0;
  const bool found = chain && indexArg(L, chain->capsules().size(), i);
  lua_settop(L, 0);
  if (!found) return 0;
  const rk::util::LineConvert::Capsule& c = chain->capsules()[i];
  for (float v : {c.radius, c.half_length, c.axis.x, c.axis.y, c.axis.z, c.centre.x, c.centre.y, c.centre.z})
    lua_pushnumber(L, v);
  return 8;
}

const luaL_Reg kChainMethods[] = {
    {"setLength", lua_setLength},
    {"setCapsuleLength", lua_setCapsuleLength},
    {"makeLine", lua_makeLine},
    {"getPointSize", lua_count<pointCount>},
    {"getPoint", lua_getPoint},
    {"getCapsuleSize", lua_count<capsuleCount>},
    {"getCapsule", lua_getCapsule},
    {nullptr, nullptr},
};

}  // namespace

void EnemyBulletRigidBodySphereCapsuleList::registerMethods(lua_State* L) {
  EnemyBulletRigidBodySphere::registerMethods(L);
  rk::script::setMethods(L, kChainMethods);
}

int lua_createEnemyBulletRigidBodySphereCapsuleList(lua_State* L) {
  return enemy_bullet::createBullet<EnemyBulletRigidBodySphereCapsuleList>(L);
}
