// The sphere-sphere group's sorted pair search against the plain walk over
// every pair: random scenes run through both must give the same contacts in
// the same order and leave every body in the same state, bit for bit, also
// when responses change the lists or move their bodies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "physics_fixture.h"
#include "rigidbody/rk_rigidbody_group.h"

namespace {

using rk::math::Vector4;
using rk::rigidbody::CollisionGroupRigidBodySphereSphere;
using rk::rigidbody::RigidBody;
using rk::rigidbody::RigidBodySphere;
using rktest::v3;

using Bits = std::vector<std::uint32_t>;

void append(Bits& out, const Vector4& v) {
  std::uint32_t w[4];
  std::memcpy(w, &v, sizeof w);
  out.insert(out.end(), w, w + 4);
}

// A sphere that writes every contact it is asked to respond to, and may run
// an extra action on each one.
class LoggedSphere : public RigidBodySphere {
 public:
  void calcImpact(Vector4& force, RigidBody* other, const Vector4& normal, const Vector4& pointA,
                  const Vector4& pointB, float spring, float damper, float flic, float flicMax) override {
    if (log) {
      log->push_back(id);
      log->push_back(other ? static_cast<LoggedSphere*>(other)->id : ~0u);
      append(*log, normal);
      append(*log, pointA);
      append(*log, pointB);
    }
    RigidBodySphere::calcImpact(force, other, normal, pointA, pointB, spring, damper, flic, flicMax);
    if (onHit) onHit(*this, *other);
  }
  std::uint32_t id = 0;
  Bits* log = nullptr;
  std::function<void(LoggedSphere&, RigidBody&)> onHit;
};

struct Scene {
  std::vector<LoggedSphere*> bodies;
  std::vector<std::unique_ptr<CollisionGroupRigidBodySphereSphere>> groups;
  std::vector<LoggedSphere*> victims;  // out of the state comparison; dropped at the end if still alive
  Bits contacts;
};

class BroadPhase : public rktest::PhysicsFixture {
 protected:
  void TearDown() override {
    rk::rigidbody::setPairBroadPhase(true);
    PhysicsFixture::TearDown();
  }

  // Spheres crowded into a small box so that many pairs touch; a few are not
  // valid, one has radius 0 and one a negative radius. One aliased group over
  // part of them, one two-list group whose lists share bodies and hold one
  // body twice; seeds vary sizes, order and membership.
  std::unique_ptr<Scene> build(std::uint32_t seed) {
    auto scene = std::make_unique<Scene>();
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> pos(-3.0f, 3.0f), vel(-4.0f, 4.0f), rad(0.2f, 1.2f), unit(0.0f, 1.0f);
    const int count = 20 + static_cast<int>(rng() % 40);
    for (int i = 0; i < count; ++i) {
      auto* body = make<LoggedSphere>(unit(rng) > 0.1f);
      body->id = static_cast<std::uint32_t>(i);
      body->log = &scene->contacts;
      body->setRadius(i == 3 ? 0.0f : i == 5 ? -0.8f : rad(rng));
      body->setMass(0.5f + unit(rng));
      place(*body, v3(pos(rng), pos(rng) * 0.5f, pos(rng)));
      body->setVelocity(v3(vel(rng), vel(rng), vel(rng)));
      body->setOmega(v3(vel(rng), vel(rng), vel(rng)));
      scene->bodies.push_back(body);
    }
    auto aliased = std::make_unique<CollisionGroupRigidBodySphereSphere>(true);
    auto pair = std::make_unique<CollisionGroupRigidBodySphereSphere>(false);
    for (LoggedSphere* body : scene->bodies) {
      const float pick = unit(rng);
      if (pick < 0.5f) aliased->addGroupA(body);
      if (pick > 0.3f) pair->addGroupA(body);
      if (pick < 0.2f || pick > 0.8f) pair->addGroupB(body);
    }
    pair->addGroupB(scene->bodies[0]);
    pair->addGroupB(scene->bodies[0]);
    pair->setSpring(3000.0f + 100.0f * static_cast<float>(seed % 7));
    for (auto* group : {aliased.get(), pair.get()}) groups_->addCollisionGroup(group);
    scene->groups.push_back(std::move(aliased));
    scene->groups.push_back(std::move(pair));
    return scene;
  }

  static Bits stateOf(const Scene& scene) {
    Bits out;
    for (const LoggedSphere* b : scene.bodies) {
      for (const Vector4* v : {&b->getPosition(), &b->getVelocity(), &b->getOmega(), &b->getQuat(),
                               &b->getForce(), &b->getTorque()})
        append(out, *v);
      out.push_back(b->isValid());
    }
    return out;
  }

  void clear(Scene& scene) {
    scene.groups.clear();
    for (LoggedSphere* body : scene.bodies) {
      body->onHit = nullptr;
      drop(body);
    }
    scene.bodies.clear();
    for (LoggedSphere* body : scene.victims)
      if (std::find(owned_.begin(), owned_.end(), body) != owned_.end()) drop(body);
    scene.victims.clear();
  }

  // Runs one scene through the given search and returns contacts and states.
  std::pair<Bits, Bits> run(std::uint32_t seed, bool broad, const std::function<void(Scene&)>& rig = nullptr) {
    rk::rigidbody::setPairBroadPhase(broad);
    auto scene = build(seed);
    if (rig) rig(*scene);
    physics_->setCalcCount(8);
    for (int frame = 0; frame < 3; ++frame) physics_->update(1.0f / 60.0f);
    std::pair<Bits, Bits> result{scene->contacts, stateOf(*scene)};
    clear(*scene);
    return result;
  }
};

TEST_F(BroadPhase, RandomScenesGiveTheContactsAndStatesOfThePlainWalk) {
  std::size_t contacts = 0;
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    const auto plain = run(seed, false);
    const auto sorted = run(seed, true);
    ASSERT_EQ(plain.first, sorted.first) << "contacts, seed " << seed;
    ASSERT_EQ(plain.second, sorted.second) << "body states, seed " << seed;
    contacts += plain.first.size() / 14;
  }
  // The scenes are crowded enough to exercise the responses.
  EXPECT_GT(contacts, 1000u);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// Responses that change what the rest of the walk sees: a body that leaves
// the game on its first hit, a hit that makes the partner invalid, one that
// moves the body, one that appends to a list, and one that destroys a body
// listed later.
TEST_F(BroadPhase, ResponsesThatChangeTheSceneAreSeenAsByThePlainWalk) {
  const std::pair<const char*, std::function<void(Scene&)>> cases[] = {
      {"invalidate self",
       [](Scene& s) {
         for (LoggedSphere* b : s.bodies)
           b->onHit = [](LoggedSphere& self, RigidBody&) { self.setValid(false); };
       }},
      {"invalidate partner",
       [](Scene& s) {
         for (LoggedSphere* b : s.bodies)
           b->onHit = [](LoggedSphere&, RigidBody& other) { other.setValid(false); };
       }},
      {"move self",
       [](Scene& s) {
         for (LoggedSphere* b : s.bodies)
           b->onHit = [](LoggedSphere& self, RigidBody&) {
             Vector4 c;
             self.getCenter(c);
             self.setCenter(v3(c.x + 0.5f, c.y, c.z - 0.25f));
           };
       }},
      {"grow a list",
       [](Scene& s) {
         auto* group = s.groups[1].get();
         for (LoggedSphere* b : s.bodies)
           b->onHit = [group, count = 0](LoggedSphere& self, RigidBody&) mutable {
             if (++count < 3) group->addGroupB(&self);
           };
       }},
      {"destroy a later body",
       [this](Scene& s) {
         LoggedSphere* victim = s.bodies.back();
         s.bodies.pop_back();
         s.victims.push_back(victim);
         s.bodies.front()->onHit = [this, victim, done = false](LoggedSphere&, RigidBody& other) mutable {
           if (done || &other == victim) return;
           done = true;
           drop(victim);
         };
       }},
  };
  for (const auto& [name, rig] : cases) {
    for (std::uint32_t seed = 1; seed <= 10; ++seed) {
      const auto plain = run(seed, false, rig);
      const auto sorted = run(seed, true, rig);
      ASSERT_EQ(plain.first, sorted.first) << name << ", contacts, seed " << seed;
      ASSERT_EQ(plain.second, sorted.second) << name << ", body states, seed " << seed;
    }
  }
}

}  // namespace
