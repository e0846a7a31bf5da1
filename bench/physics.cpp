// The physics step of a shooter frame: enemy bullets, enemy bodies and player
// shots as sphere bodies in three sphere-sphere groups (bullets against
// enemies, bullets against shots, shots against enemies), stepped at the
// default 32 substeps. The reference is a plain O(n²) loop over the same
// pairs with the centres and radii in flat arrays.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "col/rk_collision_group.h"
#include "rigidbody/rk_rigidbody_group.h"
#include "rigidbody/rk_rigidbody_manager.h"
#include "rigidbody/rk_rigidbody_shapes.h"
#include "task/rk_task.h"

namespace {

using rk::math::Vector4;
using rk::rigidbody::RigidBodyManager;
using rk::rigidbody::RigidBodySphere;
using Group = rk::rigidbody::CollisionGroupRigidBodySphereSphere;

constexpr int kEnemies = 100;
constexpr int kShots = 50;
constexpr float kArena = 50.0f;  // half width of the play field on x and z
constexpr float kBulletRadius = 0.1f;
constexpr float kEnemyRadius = 1.0f;
constexpr float kShotRadius = 0.3f;

struct Ball {
  float x, y, z, r;
};

// The same positions for the framework scene and the flat reference.
std::vector<Ball> layout(int count, float radius, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> across(-kArena, kArena);
  std::vector<Ball> balls;
  for (int i = 0; i < count; ++i) balls.push_back({across(rng), 0.0f, across(rng), radius});
  return balls;
}

class World {
 public:
  explicit World(int bullets) {
    rk::task::TaskManager::createInstance();
    rk::collision::CollisionGroupManager::createInstance();
    physics_ = RigidBodyManager::createInstance();
    make(bullets_, layout(bullets, kBulletRadius, 1), 4.0f);
    make(enemies_, layout(kEnemies, kEnemyRadius, 2), 1.0f);
    make(shots_, layout(kShots, kShotRadius, 3), 8.0f);
    link(bulletsEnemies_, bullets_, enemies_);
    link(bulletsShots_, bullets_, shots_);
    link(shotsEnemies_, shots_, enemies_);
  }
  ~World() {
    for (Group* group : {&bulletsEnemies_, &bulletsShots_, &shotsEnemies_})
      rk::collision::CollisionGroupManager::getInstance()->removeCollisionGroup(group);
    for (auto* list : {&bullets_, &enemies_, &shots_})
      for (RigidBodySphere* body : *list) body->release("bench", 1);
    RigidBodyManager::destroyInstance();
    rk::collision::CollisionGroupManager::destroyInstance();
    rk::task::TaskManager::getInstance()->deleteTasks(true);
    rk::task::TaskManager::destroyInstance();
  }
  void step() { physics_->update(1.0f / 60.0f); }
  // The collision pass of a step alone: every group, 32 times.
  void collide() {
    for (int substep = 0; substep < 32; ++substep) rk::collision::CollisionGroupManager::getInstance()->execGroups();
  }

 private:
  // Weightless bodies drifting across the field at the given speed.
  static void make(std::vector<RigidBodySphere*>& list, const std::vector<Ball>& balls, float speed) {
    std::mt19937 rng(static_cast<std::uint32_t>(balls.size()));
    std::uniform_real_distribution<float> heading(-1.0f, 1.0f);
    for (const Ball& b : balls) {
      RigidBodySphere* body = RigidBodyManager::create<RigidBodySphere>();
      body->setRadius(b.r);
      body->setGravity({0.0f, 0.0f, 0.0f, 0.0f});
      body->setPosition({b.x, b.y, b.z, 0.0f});
      body->setVelocity({speed * heading(rng), 0.0f, speed * heading(rng), 0.0f});
      body->updateWorldMatrix();
      body->setQuat(body->getQuat());
      body->setValid(true);
      list.push_back(body);
    }
  }
  static void link(Group& group, const std::vector<RigidBodySphere*>& a, const std::vector<RigidBodySphere*>& b) {
    for (RigidBodySphere* body : a) group.addGroupA(body);
    for (RigidBodySphere* body : b) group.addGroupB(body);
    rk::collision::CollisionGroupManager::getInstance()->addCollisionGroup(&group);
  }

  RigidBodyManager* physics_ = nullptr;
  std::vector<RigidBodySphere*> bullets_, enemies_, shots_;
  Group bulletsEnemies_, bulletsShots_, shotsEnemies_;
};

void PhysicsStep(benchmark::State& state) {
  World world(static_cast<int>(state.range(0)));
  for (auto _ : state) world.step();
}

// The same step with the groups walking every pair.
void PhysicsStepEveryPair(benchmark::State& state) {
  rk::rigidbody::setPairBroadPhase(false);
  {
    World world(static_cast<int>(state.range(0)));
    for (auto _ : state) world.step();
  }
  rk::rigidbody::setPairBroadPhase(true);
}

// The groups' share of a step: the pair search and the responses.
void CollisionPass(benchmark::State& state) {
  World world(static_cast<int>(state.range(0)));
  world.step();
  for (auto _ : state) world.collide();
}

// Every pair of a against b, tested 32 times as the substeps would.
int plainPairs(const std::vector<Ball>& a, const std::vector<Ball>& b) {
  int contacts = 0;
  for (const Ball& p : a)
    for (const Ball& q : b) {
      const float dx = p.x - q.x, dy = p.y - q.y, dz = p.z - q.z, r = p.r + q.r;
      contacts += dx * dx + dy * dy + dz * dz < r * r;
    }
  return contacts;
}

void PlainPairLoop(benchmark::State& state) {
  const std::vector<Ball> bullets = layout(static_cast<int>(state.range(0)), kBulletRadius, 1);
  const std::vector<Ball> enemies = layout(kEnemies, kEnemyRadius, 2);
  const std::vector<Ball> shots = layout(kShots, kShotRadius, 3);
  for (auto _ : state) {
    int contacts = 0;
    for (int substep = 0; substep < 32; ++substep) {
      benchmark::ClobberMemory();
      contacts += plainPairs(bullets, enemies) + plainPairs(bullets, shots) + plainPairs(shots, enemies);
    }
    benchmark::DoNotOptimize(contacts);
  }
}

}  // namespace

void bulletCounts(benchmark::internal::Benchmark* b) {
  for (int count : {500, 1000, 2000, 4000, 8000}) b->Arg(count);
}

// The scene changes as it is stepped (bodies meet, start to spin, drift
// apart), so every run steps it the same number of times: two seconds of
// play from the same start.
constexpr int kSteps = 120;
BENCHMARK(PhysicsStep)->Apply(bulletCounts)->Iterations(kSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(CollisionPass)->Apply(bulletCounts)->Iterations(kSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(PhysicsStepEveryPair)->Arg(2000)->Iterations(kSteps)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainPairLoop)->Apply(bulletCounts)->Unit(benchmark::kMillisecond);
