// A frame of an enemy-heavy scene: 2,000 enemy sphere bullets (each with its
// pooled owner actor body and that body's no-damage counter task) held in a
// bullet list, 100 enemy stand-in bodies and 50 player-shot stand-ins. The
// frame is the actor manager's update and the task manager's update, which
// runs the counters and the physics step (32 substeps) with three groups:
// the player against the bullets of the list, the shots against the
// enemies, and the shots against the bullets. The reference is the length of
// a 60 fps frame.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "actor/rk_actor.h"
#include "col/rk_collision_group.h"
#include "enemy/bullet/enemy_bullet_rigidbody.h"
#include "enemy/bullet/enemy_bullet_rigidbody_list.h"
#include "math/rk_counter_manager.h"
#include "rigidbody/rk_rigidbody_group.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "task/rk_task.h"

namespace {

using rk::math::Vector4;
using rk::rigidbody::RigidBodyManager;
using rk::rigidbody::RigidBodySphere;
using Group = rk::rigidbody::CollisionGroupRigidBodySphereSphere;

constexpr int kEnemies = 100;
constexpr int kShots = 50;
constexpr float kArena = 50.0f;
constexpr float kFrame = 1.0f / 60.0f;

class Scene {
 public:
  explicit Scene(int bullets) : rng_(7) {
    rk::task::TaskManager::createInstance();
    rk::math::CounterManager::createInstance();
    rk::actor::ActorManager::createInstance();
    rk::collision::CollisionGroupManager::createInstance();
    physics_ = RigidBodyManager::createInstance();
    for (int i = 0; i < bullets; ++i) {
      auto* bullet = new EnemyBulletRigidBodySphere();
      bullet->addRef();
      bullet->initialize();
      place(*bullet, 0.1f, 6.0f);
      bullets_.push_back(bullet);
      list_.push(bullet);
    }
    for (int i = 0; i < kEnemies; ++i) enemies_.push_back(plainBody(1.0f, 1.0f));
    for (int i = 0; i < kShots; ++i) shots_.push_back(plainBody(0.3f, 20.0f));
    player_ = plainBody(0.5f, 0.0f);

    playerBullets_.addGroupA(player_);
    for (EnemyBulletRigidBodySphere* bullet : list_) playerBullets_.addGroupB(bullet);
    for (RigidBodySphere* shot : shots_) {
      shotsEnemies_.addGroupA(shot);
      shotsBullets_.addGroupA(shot);
    }
    for (RigidBodySphere* enemy : enemies_) shotsEnemies_.addGroupB(enemy);
    for (EnemyBulletRigidBodySphere* bullet : list_) shotsBullets_.addGroupB(bullet);
    auto* groups = rk::collision::CollisionGroupManager::getInstance();
    for (Group* group : {&playerBullets_, &shotsEnemies_, &shotsBullets_}) groups->addCollisionGroup(group);
  }
  ~Scene() {
    for (Group* group : {&playerBullets_, &shotsEnemies_, &shotsBullets_})
      rk::collision::CollisionGroupManager::getInstance()->removeCollisionGroup(group);
    for (EnemyBulletRigidBodySphere* bullet : bullets_) bullet->release("bench", 1);
    for (RigidBodySphere* body : enemies_) body->release("bench", 2);
    for (RigidBodySphere* body : shots_) body->release("bench", 3);
    player_->release("bench", 4);
    RigidBodyManager::destroyInstance();
    rk::collision::CollisionGroupManager::destroyInstance();
    rk::actor::ActorManager::destroyInstance();
    rk::math::CounterManager::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
  }

  void frame() {
    rk::actor::ActorManager::getInstance()->update(kFrame);
    rk::task::TaskManager::getInstance()->update(kFrame);
  }
  // The scripts' share of a frame that fires: `count` bullets are finalised,
  // taken out of the list, initialised again (a fresh owner from the pool) and
  // pushed back.
  void respawn(int count) {
    for (int i = 0; i < count; ++i) {
      EnemyBulletRigidBodySphere* bullet = bullets_[next_];
      next_ = (next_ + 1) % bullets_.size();
      bullet->finalize();
      list_.remove(bullet);
      bullet->initialize();
      place(*bullet, 0.1f, 6.0f);
      list_.push(bullet);
    }
  }

 private:
  void place(RigidBodySphere& body, float radius, float speed) {
    std::uniform_real_distribution<float> across(-kArena, kArena), heading(-1.0f, 1.0f);
    body.setRadius(radius);
    body.setGravity({0.0f, 0.0f, 0.0f, 0.0f});
    body.setPosition({across(rng_), 0.0f, across(rng_), 0.0f});
    body.setVelocity({speed * heading(rng_), 0.0f, speed * heading(rng_), 0.0f});
    body.updateWorldMatrix();
    body.setValid(true);
  }
  RigidBodySphere* plainBody(float radius, float speed) {
    RigidBodySphere* body = RigidBodyManager::create<RigidBodySphere>();
    place(*body, radius, speed);
    return body;
  }

  std::mt19937 rng_;
  RigidBodyManager* physics_ = nullptr;
  std::vector<EnemyBulletRigidBodySphere*> bullets_;
  EnemyBulletSphereList list_;
  std::vector<RigidBodySphere*> enemies_, shots_;
  RigidBodySphere* player_ = nullptr;
  Group playerBullets_, shotsEnemies_, shotsBullets_;
  std::size_t next_ = 0;
};

void EnemyBulletFrame(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) scene.frame();
}

// A frame in which 100 bullets are fired again from the pools.
void EnemyBulletFrameFiring(benchmark::State& state) {
  Scene scene(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    scene.respawn(100);
    scene.frame();
  }
}

// The length of one frame at 60 fps, as the reference of the rows above.
void FrameBudget60(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(kFrame);
}

}  // namespace

BENCHMARK(EnemyBulletFrame)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(EnemyBulletFrameFiring)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(FrameBudget60)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
