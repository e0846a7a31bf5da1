// The physics step: a task of priority 7 that owns the list of every rigid
// body (non-owning pointers, construction order) and once per frame advances
// them through a fixed number of substeps, running the registered collision
// groups in each substep. Singleton slot 34.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "task/rk_task.h"

namespace rk::rigidbody {

class RigidBody;

class RigidBodyManager : public task::Task {
 public:
  static constexpr int kPriority = 7;
  static constexpr std::uint32_t kDefaultCalcCount = 32;
  // The most substeps a step runs: more would stall the frame, not refine it.
  static constexpr std::uint32_t kMaxCalcCount = 1024;

  // Makes the task (active, added to the task manager) and fills the slot; a
  // filled slot is reported and replaced.
  static RigidBodyManager* createInstance();
  static RigidBodyManager* getInstance();
  // The manager, or null without a report.
  static RigidBodyManager* findInstance();
  static void destroyInstance();

  // Builds a body for a caller that owns one reference: constructed (and so
  // registered), initialized, one reference added.
  template <class T>
  static T* create() {
    T* body = new T();
    body->initialize();
    body->addRef();
    return body;
  }

  RigidBodyManager();
  // Frees the list (never the bodies) and leaves the task manager.
  ~RigidBodyManager() override;
  RigidBodyManager(const RigidBodyManager&) = delete;
  RigidBodyManager& operator=(const RigidBodyManager&) = delete;

  int initStep(float dt) override { return 0; }
  // One physics step of dt seconds.
  void update(float dt) override;

  // Appends the body (reported, and still done, while a body loop runs).
  void registerRigidBody(RigidBody* body);
  // Takes the body out (reported while a body loop runs; a loop in progress
  // skips it). A body that is not listed shows the E_FAIL error box.
  void removeRigidBody(RigidBody* body);

  bool isPause() const;
  void setPause(bool pause);
  std::uint32_t getCalcCount() const;
  // A count above kMaxCalcCount is held there, with an error-log entry.
  void setCalcCount(std::uint32_t count);
  // True while a body loop of the step runs.
  bool isStepping() const;
  // The listed bodies in order.
  std::vector<RigidBody*> bodies() const;

 private:
  template <class F>
  void forEachBody(F&& step);
  void clearParentLinksTo(RigidBody* body);
  friend class RigidBody;

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::rigidbody
