#include "player/player_wepon/range_scope.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "collision/convert_pos_between_cameras.h"
#include "enemy/enemy.h"
#include "enemy/enemy_rigid_body.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_draw_vertex.h"
#include "gfx/rk_model.h"
#include "kernel/rk_device_context.h"
#include "math/rk_plane.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"
#include "player/player_wepon/draw_over_scene.h"
#include "rigidbody/rk_rigidbody.h"
#include "script/rk_lua_arg.h"
#include "script/rk_script_model.h"
#include "script/rk_script_rigidbody.h"

namespace range_scope {

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kPulseTop = 1.5f;
constexpr float kHalfBand = 0.025f;  // the lines are bands 0.05 wide
constexpr int kEffectCameraBit = 8;  // camera 3
// Alpha 200, red 255, green 0, blue 255.
constexpr std::uint32_t kScopeColour = 0xC8FF00FFu;

using rk::math::Vector4;

Vector4 add(const Vector4& a, const Vector4& b) { return a.plus(b); }
Vector4 sub(const Vector4& a, const Vector4& b) { return a.minus(b); }

rk::gfx::LineVertex vertex(const Vector4& p) { return {p.x, p.y, p.z, kScopeColour}; }

}  // namespace

const rk::script::LuaClass kRangeScopeClass{"range_scope::RangeScope",
                                            rk::script::castGModel<RangeScope>};

RangeScope::RangeScope(int priority)
    : Task(priority, "range scope"), record_(std::make_unique<Record>()) {}

RangeScope::~RangeScope() {
  std::vector<IRangeScopeUser*> users;
  users.swap(users_);
  for (IRangeScopeUser* user : users) user->forgetRangeScope(this);
  links_.clear();
  if (rk::gfx::ModelManager* models = rk::gfx::ModelManager::findInstance()) models->removeModel(this);
}

void RangeScope::addUser(IRangeScopeUser* user) {
  if (std::find(users_.begin(), users_.end(), user) == users_.end()) users_.push_back(user);
}

void RangeScope::removeUser(IRangeScopeUser* user) {
  auto it = std::find(users_.begin(), users_.end(), user);
  if (it != users_.end()) users_.erase(it);
}

int RangeScope::initStep(float) {
  setActive(true);
  setVisible(true);
  record_->state = kIdle;
  setRenderCameraBit(kEffectCameraBit);
  return 0;
}

void RangeScope::update(float dt) {
  Record& r = *record_;
  if (r.state == kOpening) {
    r.state = kActive;
    return;
  }
  if (r.state != kActive) return;
  if (!r.pulse_falling) {
    r.pulse += dt;
    if (r.pulse > kPulseTop) r.pulse = kPulseTop, r.pulse_falling = true;
  } else {
    r.pulse -= dt;
    if (r.pulse < 0.0f) r.pulse = 0.0f, r.pulse_falling = false;
  }
  r.spin += kTwoPi * dt;
  if (r.spin > kTwoPi) r.spin -= kTwoPi;
}

void RangeScope::open() {
  record_->state = kOpening;
  setVisible(true);
}

void RangeScope::close() {
  record_->state = kClosed;
  setVisible(false);
}

Vector4 RangeScope::worldPosition() const {
  const rk::math::Matrix& m = getMatrix();
  return {m.m[3][0], m.m[3][1], m.m[3][2], 0.0f};
}

Vector4 RangeScope::worldDirection() const {
  return rk::math::vec3Normalize(rk::math::vec3TransformNormal(record_->direction, getMatrix()));
}

bool isTargetable(Enemy& enemy) {
  return !enemy.isDead() && enemy.state().is_range_attack_ && enemy.isUse() &&
         enemy.allComponentsInState(3);
}

bool RangeScope::coneTest(Enemy& enemy, rk::gfx::Camera& camera, const Vector4& ground, const Vector4& dir,
                          const Vector4& pos, float& forward) const {
  if (enemy.isDead() || !enemy.state().is_range_attack_) return false;
  EnemyRigidBody* root = enemy.rootBody();
  if (!root) return false;
  rk::rigidbody::RigidBody& body = root->rigidBody();
  rk::collision::CollisionBody* shape = body.getCollisionBody();
  if (!body.isValid() || !shape || !camera.isBodyInViewport(*shape)) return false;

  Vector4 centre{}, screen{}, nearPoint{}, farPoint{}, g{};
  shape->getCenter(centre);
  if (!camera.projectToScreen(centre, screen)) return false;
  if (!camera.unprojectScreenPoint(screen.x, screen.y, nearPoint, farPoint)) return false;
  if (!rk::math::planeIntersectLine(ground, nearPoint, farPoint, g)) return false;

  const Vector4 v{g.x - pos.x, 0.0f, g.z - pos.z, 0.0f};
  const float f = rk::math::vec3Dot(v, dir);
  if (!(f > 0.0f)) return false;
  const float cosine = std::fmax(-1.0f, std::fmin(1.0f, rk::math::vec3Dot(rk::math::vec3Normalize(v), dir)));
  if (!(std::acos(cosine) < record_->radian)) return false;
  forward = f;
  return true;
}

Enemy* RangeScope::searchTarget(Enemy* requested) {
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
  rk::gfx::Camera* camera = cameras ? cameras->getCamera(common::kActorCamera) : nullptr;
  if (!camera) return nullptr;
  const Vector4 ground = rk::math::planeFromPointNormal({0.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 0.0f});
  const Vector4 pos = worldPosition();
  const Vector4 dir = worldDirection();
  float forward = 0.0f;
  if (requested) {
    if (!isTargetable(*requested)) return nullptr;
    return coneTest(*requested, *camera, ground, dir, pos, forward) ? requested : nullptr;
  }
  rk::actor::ActorManager* actors = rk::actor::ActorManager::getInstance();
  if (!actors) return nullptr;
  std::multimap<float, Enemy*> found;
  for (rk::actor::Actor* actor : actors->actors()) {
    if (actor->kind() != Enemy::kKind) continue;
    auto* enemy = dynamic_cast<Enemy*>(actor);
    if (!enemy || !enemy->isUse() || !enemy->allComponentsInState(3)) continue;
    if (coneTest(*enemy, *camera, ground, dir, pos, forward)) found.emplace(forward, enemy);
  }
  return found.empty() ? nullptr : found.begin()->second;
}

void RangeScope::draw(int, bool shadowPass) {
  if (shadowPass || !isVisible() || record_->state != kActive) return;
  rk::DeviceContext* context = rk::DeviceContext::getInstance();
  if (!context) return;
  player_draw::OverScene over(*context, 0xFF000000u);
  if (!over.ready()) return;
  context->setTexture(nullptr);
  const rk::math::Matrix& m = getMatrix();
  context->setWorldMatrix(m);

  const Record& r = *record_;
  const Vector4 o{0.0f, 0.0f, 0.0f, 0.0f};
  const float length = r.length;
  const Vector4 d = rk::math::vec3TransformNormal(r.direction, m);
  const Vector4 a = d.scaled(length);
  const Vector4 up{0.0f, 1.0f, 0.0f, 0.0f};
  const Vector4 e1 = rk::math::vec3TransformNormal(a, rk::math::matrixRotationAxis(up, -r.radian));
  const Vector4 e2 = rk::math::vec3TransformNormal(a, rk::math::matrixRotationAxis(up, r.radian));
  const rk::math::Matrix inverseView = rk::math::matrixInverse(context->viewMatrix());
  const Vector4 eye{inverseView.m[3][0], inverseView.m[3][1], inverseView.m[3][2], 0.0f};

  // The two edges, bands turned toward the eye.
  const Vector4 pts[3] = {add(o, e1.scaled(length)), o, add(o, e2.scaled(length))};
  for (int end : {0, 2}) {
    const Vector4 n = rk::math::vec3Normalize(rk::math::vec3Cross(sub(pts[end], pts[1]), sub(pts[end], eye)));
    const rk::gfx::LineVertex strip[4] = {vertex(add(pts[end], n.scaled(kHalfBand))),
                                          vertex(sub(pts[end], n.scaled(kHalfBand))),
                                          vertex(add(pts[1], n.scaled(kHalfBand))),
                                          vertex(sub(pts[1], n.scaled(kHalfBand)))};
    context->drawColorStrip(strip, 4, rk::PIPELINE_DEFAULT2D_TRIANGLE);
  }

  // Two diamonds sliding toward each other, spinning about the direction.
  const float t = r.pulse / kPulseTop;
  const struct {
    float r, phi;
  } diamonds[2] = {{t, r.spin}, {1.0f - t, -r.spin}};
  for (const auto& diamond : diamonds) {
    const float s = diamond.r * length;
    const float k = rk::math::vec3Dot(e2.scaled(s), d);
    const Vector4 c = add(o, d.scaled(k));
    const Vector4 left = add(o, e1.scaled(s)), right = add(o, e2.scaled(s)), lift{0.0f, s, 0.0f, 0.0f};
    const Vector4 outline[5] = {left, add(c, lift), right, sub(c, lift), left};
    const rk::math::Matrix turn = rk::math::matrixRotationAxis(d, diamond.phi);
    Vector4 p[5];
    for (int i = 0; i < 5; ++i) p[i] = add(o, rk::math::vec3TransformNormal(sub(outline[i], o).scaled(1.25f), turn));
    rk::gfx::LineVertex strip[10];
    for (int i = 0; i < 5; ++i) {
      const Vector4& next = p[(i + 1) % 5];
      const Vector4 n = rk::math::vec3Normalize(rk::math::vec3Cross(sub(next, p[i]), sub(p[i], eye)));
      strip[2 * i] = vertex(sub(p[i], n.scaled(kHalfBand)));
      strip[2 * i + 1] = vertex(add(p[i], n.scaled(kHalfBand)));
    }
    context->drawColorStrip(strip, 10, rk::PIPELINE_DEFAULT2D_TRIANGLE);
  }
}

RangeScope* toRangeScope(lua_State* L, int index) {
  return rk::script::toLuaObject<RangeScope>(L, index, kRangeScopeClass);
}

namespace {

RangeScope* self(lua_State* L, const char* method) {
  RangeScope* scope = toRangeScope(L, 1);
  if (!scope) rk::script::reportNullObject(method);
  return scope;
}

template <float RangeScope::Record::*Field>
int lua_setField(lua_State* L) {
  const float value = rk::script::toFloatArg(L, 2);
  if (RangeScope* scope = self(L, "range_scope::RangeScope::lua_setField")) scope->record().*Field = value;
  lua_settop(L, 0);
  return 0;
}

int lua_isActive(lua_State* L) {
  RangeScope* scope = self(L, "range_scope::RangeScope::lua_isActive");
  const bool active = scope && scope->isActive();
  lua_settop(L, 0);
  lua_pushboolean(L, active);
  return 1;
}

template <void (RangeScope::*Action)()>
int lua_action(lua_State* L) {
  if (RangeScope* scope = self(L, "range_scope::RangeScope::lua_action")) (scope->*Action)();
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kScopeMethods[] = {
    {"setLength", lua_setField<&RangeScope::Record::length>},
    {"setRadian", lua_setField<&RangeScope::Record::radian>},
    {"isActive", lua_isActive},
    {"open", lua_action<&RangeScope::open>},
    {"close", lua_action<&RangeScope::close>},
    {nullptr, nullptr},
};

// Out of the model manager, then deleted (the task leaves its manager).
int lua_collect(lua_State* L) {
  rk::script::LuaObjectBlock* block = rk::script::luaObjectBlock(L, 1);
  if (block && block->cls == &kRangeScopeClass) {
    RangeScope* scope = toRangeScope(L, 1);
    rk::script::LuaObjectLinks::release(block);
    block->object = nullptr;
    if (scope) {
      if (rk::gfx::ModelManager* models = rk::gfx::ModelManager::findInstance()) models->removeModel(scope);
      delete scope;
    }
  }
  lua_settop(L, 0);
  return 0;
}

}  // namespace

void RangeScope::registerMethods(lua_State* L) {
  rk::script::gph::setModelRenderMethods<RangeScope, kRangeScopeClass>(L);
  rk::script::setMethods(L, kScopeMethods);
}

void RangeScope::setMetatable(lua_State* L) { rk::script::setObjectMetatable(L, lua_collect); }

}  // namespace range_scope

int lua_createRangeScope(lua_State* L) {
  const int priority = rk::script::toIntArg(L, 1);
  lua_settop(L, 0);
  rk::gfx::ModelManager* models = rk::gfx::ModelManager::getInstance();
  auto* scope = new range_scope::RangeScope(priority);
  if (models) {
    scope->setManager(models);
    models->addModel(scope);
  }
  rk::script::LuaObjectBlock* block = nullptr;
  rk::script::pushLuaObject(L, *scope, scope, range_scope::kRangeScopeClass, &block);
  scope->links().link(block);
  return 1;
}
