// Collision groups: one rule "test every member of group A against every
// member of group B and respond to each hit". The manager keeps the ordered
// list of active groups; the physics step runs each once per substep, in
// registration order. A group does nothing until it is registered, and leaves
// the list by itself when it is destroyed.
#pragma once
#include <vector>

namespace rk::collision {

class ICollisionExec {
 public:
  // Tests the group's pairs and responds to each hit. Must not register,
  // deregister or destroy groups.
  virtual void exec() = 0;
  virtual ~ICollisionExec() = default;
};

class CollisionGroupManager {
 public:
  // A second call reports and replaces the slot's manager with a fresh one.
  static CollisionGroupManager* createInstance();
  static CollisionGroupManager* getInstance();
  // The manager, or null without a report (for the physics step and for
  // groups destroyed after shut-down).
  static CollisionGroupManager* findInstance();
  // Frees the list and the manager; registered groups are not touched.
  static void destroyInstance();

  CollisionGroupManager() = default;
  CollisionGroupManager(const CollisionGroupManager&) = delete;
  CollisionGroupManager& operator=(const CollisionGroupManager&) = delete;

  // Appends the group unless it is already listed (null is ignored).
  void addCollisionGroup(ICollisionExec* group);
  // Erases the group's entry; the later ones keep their order.
  void removeCollisionGroup(ICollisionExec* group);
  // Empties the list; the groups themselves are not touched.
  void clearCollisionGroup();
  const std::vector<ICollisionExec*>& getGroups() const { return groups_; }

  // One substep's collision pass: exec of every group in registration order.
  void execGroups();

 private:
  std::vector<ICollisionExec*> groups_;
};

// The pair of sides the derived group tests: sequences of bodies, a single
// body or a list of meshes. The group owns neither side.
template <class GA, class GB>
class CollisionGroup : public ICollisionExec {
 public:
  CollisionGroup() = default;
  CollisionGroup(const CollisionGroup&) = delete;
  CollisionGroup& operator=(const CollisionGroup&) = delete;
  ~CollisionGroup() override {
    if (CollisionGroupManager* manager = CollisionGroupManager::findInstance()) manager->removeCollisionGroup(this);
  }

  GA* getGroupA() const { return group_a_; }
  GB* getGroupB() const { return group_b_; }
  void setGroupA(GA* group) { group_a_ = group; }
  void setGroupB(GB* group) { group_b_ = group; }

 protected:
  GA* group_a_ = nullptr;
  GB* group_b_ = nullptr;
};

}  // namespace rk::collision
