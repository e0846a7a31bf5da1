#include "col/rk_collision_group.h"

#include <algorithm>

#include "kernel/rk_instance_table.h"

namespace rk::collision {

namespace {
const SingletonReport kReport{"src/col/rk_collision_group", "rk::collision::CollisionGroupManager", 57, 75, 90};
}  // namespace

CollisionGroupManager* CollisionGroupManager::createInstance() {
  return singletonCreate<CollisionGroupManager>(InstanceSlot::CollisionGroupManager, kReport);
}

CollisionGroupManager* CollisionGroupManager::getInstance() {
  return singletonGet<CollisionGroupManager>(InstanceSlot::CollisionGroupManager, kReport);
}

CollisionGroupManager* CollisionGroupManager::findInstance() {
  return static_cast<CollisionGroupManager*>(instanceSlot(InstanceSlot::CollisionGroupManager));
}

void CollisionGroupManager::destroyInstance() {
  singletonDestroy<CollisionGroupManager>(InstanceSlot::CollisionGroupManager, kReport);
}

void CollisionGroupManager::addCollisionGroup(ICollisionExec* group) {
  if (group && std::find(groups_.begin(), groups_.end(), group) == groups_.end()) groups_.push_back(group);
}

void CollisionGroupManager::removeCollisionGroup(ICollisionExec* group) {
  const auto found = std::find(groups_.begin(), groups_.end(), group);
  if (found != groups_.end()) groups_.erase(found);
}

void CollisionGroupManager::clearCollisionGroup() { groups_.clear(); }

// Walked by index so that a list changed against the rule cannot be read past its end.
void CollisionGroupManager::execGroups() {
  for (std::size_t i = 0; i < groups_.size(); ++i) groups_[i]->exec();
}

}  // namespace rk::collision
