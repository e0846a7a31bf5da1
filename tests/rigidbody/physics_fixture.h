// A physics world for the rigid-body tests: task manager, collision-group
// manager and rigid-body manager, an error log in a temporary folder, and a
// message-box sink that counts the boxes. Bodies made with make<T>() are
// released at the end of the test; a Trace records hook and group calls.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "col/rk_collision_group.h"
#include "host/ui.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "support/error_log_capture.h"
#include "support/math_near.h"
#include "task/rk_task.h"

namespace rktest {

using rk::math::Matrix;
using rk::math::Vector4;
using rk::rigidbody::RigidBody;
using rk::rigidbody::RigidBodyManager;

inline Vector4 v3(float x, float y, float z) { return {x, y, z, 0.0f}; }

using Trace = std::vector<std::string>;

// Every hook and the sync body, each appending "<what>:<name>" to a trace.
class RecordingHooks : public rk::rigidbody::ISyncBody,
                       public rk::rigidbody::ISyncSimStart,
                       public rk::rigidbody::ISyncSimInit,
                       public rk::rigidbody::ISyncSimConst,
                       public rk::rigidbody::ISyncSimExec,
                       public rk::rigidbody::ISyncSimExeced,
                       public rk::rigidbody::ISyncSimFlush {
 public:
  RecordingHooks(Trace* trace, std::string name) : trace_(trace), name_(std::move(name)) {}
  void attach(RigidBody& body) {
    body.setSyncBody(this);
    body.setSyncSimStart(this);
    body.setSyncSimInit(this);
    body.setSyncSimConst(this);
    body.setSyncSimExec(this);
    body.setSyncSimExeced(this);
    body.setSyncSimFlush(this);
  }
  void syncBody(const Matrix* world) override {
    add("sync");
    last_world = *world;
  }
  void syncSimStart(RigidBody*) override { add("start"); }
  void syncSimInit(RigidBody*) override { add("init"); }
  void syncSimConst(RigidBody*) override { add("const"); }
  void syncSimExec(RigidBody*, float dt) override {
    add("exec");
    last_dt = dt;
  }
  void syncSimExeced(RigidBody*, float) override { add("execed"); }
  void syncSimFlush(RigidBody*) override { add("flush"); }

  Matrix last_world{};
  float last_dt = 0.0f;

 private:
  void add(const char* what) { trace_->push_back(std::string(what) + ":" + name_); }
  Trace* trace_;
  std::string name_;
};

// A registered group that only records that it ran.
class TraceGroup : public rk::collision::CollisionGroup<void, void> {
 public:
  explicit TraceGroup(Trace* trace) : trace_(trace) {}
  void exec() override {
    trace_->push_back("group");
    if (onExec) onExec();
  }
  std::function<void()> onExec;

 private:
  Trace* trace_;
};

class PhysicsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    host::ui::setMessageBoxSink([this](const std::string& text, const std::string& caption, unsigned) {
      boxes_.push_back(caption + "|" + text);
      return 1;
    });
    rk::task::TaskManager::createInstance();
    groups_ = rk::collision::CollisionGroupManager::createInstance();
    physics_ = RigidBodyManager::createInstance();
  }
  void TearDown() override {
    for (RigidBody* body : owned_) body->release("physics_fixture", 1);
    owned_.clear();
    if (RigidBodyManager::findInstance()) RigidBodyManager::destroyInstance();
    if (rk::collision::CollisionGroupManager::findInstance()) rk::collision::CollisionGroupManager::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
    host::ui::setMessageBoxSink({});
  }

  // A body made by the factory, initialized, made valid; released at the end.
  template <class T>
  T* make(bool valid = true) {
    T* body = RigidBodyManager::create<T>();
    body->setValid(valid);
    owned_.push_back(body);
    return body;
  }
  // Releases a body made by make() before the end of the test.
  void drop(RigidBody* body) {
    owned_.erase(std::find(owned_.begin(), owned_.end(), body));
    body->release("physics_fixture", 2);
  }
  // Places a body (and its shape) without stepping.
  static void place(RigidBody& body, const Vector4& position) {
    body.setPosition(position);
    body.updateWorldMatrix();
    body.setQuat(body.getQuat());
  }

  ErrorLogCapture log_;
  std::vector<std::string> boxes_;
  rk::collision::CollisionGroupManager* groups_ = nullptr;
  RigidBodyManager* physics_ = nullptr;
  std::vector<RigidBody*> owned_;
};

}  // namespace rktest
