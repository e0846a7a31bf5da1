// The physics step and the list of bodies it walks.
#include "rigidbody/rk_rigidbody_manager.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "audio/rk_audio_context.h"
#include "col/rk_collision_group.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "math/rk_vector.h"
#include "rigidbody/rk_rigidbody.h"

namespace rk::rigidbody {

namespace {

constexpr const char* kSource = "src/rigidbody/rk_rigidbody";
const SingletonReport kReport{kSource, "rk::rigidbody::RigidBodyManager", 826, 838, 847};
constexpr int kRegisterLine = 975;
constexpr int kRemoveLine = 991;
constexpr int kNotListedLine = 1001;

}  // namespace

struct RigidBodyManager::Impl {
  // A body removed while a loop walks the list leaves a null entry that the
  // loop skips; the entries are compacted once the loop is done.
  std::vector<RigidBody*> bodies;
  bool holes = false;
  bool stepping = false;
  bool paused = false;
  std::uint32_t calc_count = kDefaultCalcCount;
};

RigidBodyManager* RigidBodyManager::createInstance() {
  return singletonCreate<RigidBodyManager>(InstanceSlot::RigidBodyManager, kReport);
}

RigidBodyManager* RigidBodyManager::getInstance() {
  return singletonGet<RigidBodyManager>(InstanceSlot::RigidBodyManager, kReport);
}

RigidBodyManager* RigidBodyManager::findInstance() {
  return static_cast<RigidBodyManager*>(instanceSlot(InstanceSlot::RigidBodyManager));
}

void RigidBodyManager::destroyInstance() {
  singletonDestroy<RigidBodyManager>(InstanceSlot::RigidBodyManager, kReport);
}

RigidBodyManager::RigidBodyManager() : task::Task(kPriority, "RigidBodyManager"), impl_(std::make_unique<Impl>()) {
  setActive(true);
  setAlive(true);
}

// The task manager may delete the task first: the slot must not keep it.
RigidBodyManager::~RigidBodyManager() {
  if (findInstance() == this) instanceSlot(InstanceSlot::RigidBodyManager) = nullptr;
}

void RigidBodyManager::registerRigidBody(RigidBody* body) {
  if (impl_->stepping)
    debug::writeErrorLog(kSource, kRegisterLine, "rk::rigidbody::RigidBodyManager::registerRigidBody");
  impl_->bodies.push_back(body);
}

void RigidBodyManager::removeRigidBody(RigidBody* body) {
  if (impl_->stepping) debug::writeErrorLog(kSource, kRemoveLine, "rk::rigidbody::RigidBodyManager::removeRigidBody");
  auto& list = impl_->bodies;
  const auto found = body ? std::find(list.begin(), list.end(), body) : list.end();
  if (found == list.end()) {
    std::string text, caption;
    debug::showErrorCodeMessage(text, caption, host::E_FAIL, kSource, kNotListedLine);
    return;
  }
  if (impl_->stepping) {
    *found = nullptr;
    impl_->holes = true;
  } else {
    list.erase(found);
  }
}

void RigidBodyManager::clearParentLinksTo(RigidBody* body) {
  for (RigidBody* child : impl_->bodies)
    if (child && child->parent_ == body) child->parent_ = nullptr;
}

bool RigidBodyManager::isPause() const { return impl_->paused; }
void RigidBodyManager::setPause(bool pause) { impl_->paused = pause; }
std::uint32_t RigidBodyManager::getCalcCount() const { return impl_->calc_count; }
void RigidBodyManager::setCalcCount(std::uint32_t count) {
  if (count > kMaxCalcCount) {
    debug::writeErrorLog(kSource, __LINE__, "rk::rigidbody::RigidBodyManager::setCalcCount");
    count = kMaxCalcCount;
  }
  impl_->calc_count = count;
}
bool RigidBodyManager::isStepping() const { return impl_->stepping; }

std::vector<RigidBody*> RigidBodyManager::bodies() const {
  std::vector<RigidBody*> live;
  for (RigidBody* body : impl_->bodies)
    if (body) live.push_back(body);
  return live;
}

// Bodies added during the loop are visited by it as well.
template <class F>
void RigidBodyManager::forEachBody(F&& step) {
  Impl& m = *impl_;
  m.stepping = true;
  for (std::size_t i = 0; i < m.bodies.size(); ++i)
    if (RigidBody* body = m.bodies[i]) step(*body);
  m.stepping = false;
  if (m.holes) {
    m.bodies.erase(std::remove(m.bodies.begin(), m.bodies.end(), nullptr), m.bodies.end());
    m.holes = false;
  }
}

void RigidBodyManager::update(float dt) {
  if (std::fabs(dt) < math::kFloatEpsilon) return;
  if (impl_->paused) return;
  const std::uint32_t count = impl_->calc_count;

  // The sound entries the scripts read are those of the last step that ran:
  // the list is emptied before any body or group of this step adds to it.
  if (auto* audio = static_cast<audio::AudioContext*>(instanceSlot(InstanceSlot::AudioContext))) audio->clearEntrySE();

  forEachBody([](RigidBody& body) { body.beginStep(); });
  if (count > 0) {
    const float h = dt / static_cast<float>(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      forEachBody([](RigidBody& body) { body.beginSubstep(); });
      if (collision::CollisionGroupManager* groups = collision::CollisionGroupManager::findInstance())
        groups->execGroups();
      forEachBody([](RigidBody& body) { body.afterCollision(); });
      forEachBody([h](RigidBody& body) { body.integrate(h); });
    }
  }
  forEachBody([](RigidBody& body) {
    if (body.isValid()) body.flushSync();
  });
}

}  // namespace rk::rigidbody
