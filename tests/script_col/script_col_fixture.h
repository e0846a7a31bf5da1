// Runs Lua cases against the collision globals in a real script state (made
// by the script-state manager, so every global table is registered), with a
// collision-group manager, and resource and file managers for meshes. Chunks
// assert in Lua with the math fixture's prelude. Two test globals make
// objects the collision API takes from other modules: makeGroup(name), a
// collision group that records its runs, and makeBody(kind), a stand-in for a
// rigid body of kind "sphere", "capsule" or "box".
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <list>
#include <string>
#include <vector>

#include "col/rk_collision_group.h"
#include "fs/rk_file_manager.h"
#include "res/rk_resource.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "support/lua_run.h"
#include "script/rk_script.h"
#include "script/rk_script_collision.h"
#include "script_math/script_math_fixture.h"
#include "support/error_log_capture.h"
#include "support/temp_dir.h"
#include "task/rk_task.h"

namespace rktest {

inline std::vector<std::string>& groupRuns() {
  static std::vector<std::string> runs;
  return runs;
}

class RecordingGroup : public rk::collision::CollisionGroup<void, void> {
 public:
  explicit RecordingGroup(std::string name) : name_(std::move(name)) {}
  void exec() override { groupRuns().push_back(name_); }

 private:
  std::string name_;
};

inline const rk::script::LuaClass kRecordingGroupClass{
    "rktest::RecordingGroup", rk::script::castToInterface<RecordingGroup, rk::collision::ICollisionExec>};

inline int makeGroup(lua_State* L) {
  auto* group = new RecordingGroup(rk::script::toTextOrEmpty(L, 1));
  static const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};
  return rk::script::pushLuaObject(L, group, kRecordingGroupClass, kNoMethods,
                                   rk::script::lua_gcDeleteObject<RecordingGroup, kRecordingGroupClass>);
}

// A body is only ever listed by address: a plain integer stands in for it.
struct FakeBody {
  int kind;
};
inline void* fakeBodyCast(void* object, const rk::script::LuaClass& target) {
  namespace c = rk::script::collision;
  const int kind = static_cast<FakeBody*>(object)->kind;
  const bool match = (kind == 0 && &target == &c::kRigidBodySphereClass) ||
                     (kind == 1 && &target == &c::kRigidBodyCapsuleClass) ||
                     (kind == 2 && &target == &c::kRigidBodyOBBClass);
  return match ? object : nullptr;
}
inline const rk::script::LuaClass kFakeBodyClass{"rktest::FakeBody", fakeBodyCast};

inline int makeBody(lua_State* L) {
  const std::string kind = rk::script::toTextOrEmpty(L, 1);
  auto* body = new FakeBody{kind == "capsule" ? 1 : kind == "box" ? 2 : 0};
  static const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};
  return rk::script::pushLuaObject(L, body, kFakeBodyClass, kNoMethods,
                                   rk::script::lua_gcDeleteObject<FakeBody, kFakeBodyClass>);
}

class ScriptCollisionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    cwd_ = std::make_unique<CurrentDirGuard>(dir_.path());
    groupRuns().clear();
    rk::task::TaskManager::createInstance();
    resources_ = rk::res::ResourceManager::createInstance();
    files_ = rk::fs::FileManager::createInstance(resources_, false);
    groups_ = rk::collision::CollisionGroupManager::createInstance();
    states_ = rk::script::ScriptStateManager::createInstance();
    L_ = states_->createScriptState()->luaState();
    ASSERT_NE(L_, nullptr);
    lua_register(L_, "makeGroup", makeGroup);
    lua_register(L_, "makeBody", makeBody);
    ASSERT_EQ(run(kMathPrelude), "");
  }
  void TearDown() override {
    rk::script::ScriptStateManager::destroyInstance();
    if (rk::collision::CollisionGroupManager::findInstance()) rk::collision::CollisionGroupManager::destroyInstance();
    rk::fs::FileManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
    cwd_.reset();
  }

  // Runs a chunk; returns the error text, empty on success. A parked
  // exception is rethrown.
  std::string run(const std::string& code) { return rktest::runLua(L_, code); }
  void collect() { lua_gc(L_, LUA_GCCOLLECT, 0); }

  // The bytes of a ".geo" file as the delivered resource of its stored name.
  void provideGeo(const std::string& stored, const std::vector<std::uint8_t>& bytes) {
    rk::res::ResourcePtr r = resources_->getResourceData(stored);
    r->ownedBytes() = bytes;
    r->setReady(true);
    held_.push_back(r);
  }

  ErrorLogCapture log_;
  TempDir dir_;
  std::unique_ptr<CurrentDirGuard> cwd_;
  rk::res::ResourceManager* resources_ = nullptr;
  rk::fs::FileManager* files_ = nullptr;
  rk::collision::CollisionGroupManager* groups_ = nullptr;
  rk::script::ScriptStateManager* states_ = nullptr;
  lua_State* L_ = nullptr;
  std::vector<rk::res::ResourcePtr> held_;
};

// One horizontal triangle at y = 0 covering the origin (x and z from -5 to 5),
// normal up.
inline std::vector<std::uint8_t> floorGeo() {
  const float vertices[3][4] = {{-5, 0, -5, 1}, {0, 0, 5, 1}, {5, 0, -5, 1}};
  std::vector<std::uint8_t> bytes(16 + sizeof vertices + 6);
  const std::uint16_t header[2] = {16, 1};
  const std::uint32_t offsets[2] = {16, 16 + sizeof vertices};
  const std::uint16_t indices[3] = {0, 1, 2};
  std::memcpy(&bytes[0], header, 4);
  std::memcpy(&bytes[8], offsets, 8);
  std::memcpy(&bytes[16], vertices, sizeof vertices);
  std::memcpy(&bytes[16 + sizeof vertices], indices, 6);
  return bytes;
}

}  // namespace rktest
