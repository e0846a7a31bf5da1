// The sphere-sphere group's pair search against the plain walk over every
// pair: random scenes run through both must give the same contacts in the
// same order and leave every body in the same state, bit for bit, also when
// responses change the lists or move their bodies. The scenes range from a
// few crowded spheres (where the group may walk every pair itself) to
// hundreds spread out (where the search's map rules most of them out), and
// include centres on a grid (equal coordinates, coincident centres), pairs
// that touch or miss by an ulp, spheres on a line or at one point, and
// centres and radii that are not finite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
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

// How a scene is laid out: how many seeds to run, how many bodies, the half
// extents of the box their centres fill, the range of their radii, the grid
// the centres snap to (0: none), and whether some centres and radii are not
// finite.
struct Layout {
  const char* name;
  std::uint32_t seeds;
  int minCount, maxCount;
  Vector4 half;
  float minRadius, maxRadius;
  float snap;
  bool oddValues;
};

const Layout kCrowded{"crowded", 40, 20, 60, {3.0f, 1.5f, 3.0f, 0.0f}, 0.2f, 1.2f, 0.0f, false};
const Layout kSpread{"spread", 12, 250, 400, {30.0f, 2.0f, 30.0f, 0.0f}, 0.1f, 1.0f, 0.0f, false};
const Layout kLayouts[] = {
    kCrowded,
    kSpread,
    {"grid", 12, 60, 120, {4.0f, 1.0f, 4.0f, 0.0f}, 0.2f, 0.9f, 0.5f, false},
    // Radii 0.5 plus a few ulps on a lattice of spacing 1: neighbours touch
    // or miss by the last bit of the squared distance test.
    {"edges", 12, 80, 140, {5.0f, 0.0f, 5.0f, 0.0f}, 0.5f, 0.5000004f, 1.0f, false},
    {"line", 12, 40, 80, {20.0f, 0.0f, 0.0f, 0.0f}, 0.2f, 1.2f, 0.0f, false},
    {"point", 12, 20, 40, {0.0f, 0.0f, 0.0f, 0.0f}, 0.2f, 1.2f, 0.0f, false},
    {"odd values", 12, 60, 120, {6.0f, 1.5f, 6.0f, 0.0f}, 0.2f, 1.2f, 0.0f, true},
};

// Radius and centre of body i of an odd-values scene where it is one of the
// odd ones: NaN, zero, negative and large radii, non-finite centres, and in
// odd seeds infinite radii (which reach every other sphere).
void makeOdd(int i, std::uint32_t seed, float& radius, Vector4& centre) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const int k = i % 16;
  const bool infinite = seed % 2 == 1;
  if (k == 1) radius = nan;
  if (k == 2 && infinite) radius = inf;
  if (k == 3) radius = 0.0f;
  if (k == 4) radius = -0.8f;
  if (k == 5) radius = 6.0f;
  if (k == 6) centre.x = inf;
  if (k == 7) centre.z = -inf;
  if (k == 8) centre.y = nan;
  if (k == 9 && infinite) radius = -inf;
}

class BroadPhase : public rktest::PhysicsFixture {
 protected:
  void TearDown() override {
    rk::rigidbody::setPairBroadPhase(true);
    PhysicsFixture::TearDown();
  }

  // Spheres laid out as the layout says; a few are not valid; in every
  // layout but the odd one body 3 has radius 0 and body 5 a negative radius.
  // Three groups: one aliased over part of the bodies, one two-list group
  // with a long list A and a shorter list B whose lists share bodies and hold
  // one body twice, and one with a short list A and a long list B. Seeds vary
  // sizes, order and membership.
  std::unique_ptr<Scene> build(const Layout& layout, std::uint32_t seed) {
    auto scene = std::make_unique<Scene>();
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> pos(-1.0f, 1.0f), vel(-4.0f, 4.0f), unit(0.0f, 1.0f);
    const int count = layout.minCount + static_cast<int>(rng() % (layout.maxCount - layout.minCount + 1));
    auto coordinate = [&](float half) {
      const float x = half * pos(rng);
      return layout.snap > 0.0f ? layout.snap * std::round(x / layout.snap) : x;
    };
    for (int i = 0; i < count; ++i) {
      auto* body = make<LoggedSphere>(unit(rng) > 0.1f);
      body->id = static_cast<std::uint32_t>(i);
      body->log = &scene->contacts;
      float radius = layout.minRadius + (layout.maxRadius - layout.minRadius) * unit(rng);
      Vector4 centre = v3(coordinate(layout.half.x), coordinate(layout.half.y), coordinate(layout.half.z));
      if (layout.oddValues)
        makeOdd(i, seed, radius, centre);
      else if (i == 3 || i == 5)
        radius = i == 3 ? 0.0f : -0.8f;
      body->setRadius(radius);
      body->setMass(0.5f + unit(rng));
      place(*body, centre);
      body->setVelocity(v3(vel(rng), vel(rng), vel(rng)));
      body->setOmega(v3(vel(rng), vel(rng), vel(rng)));
      scene->bodies.push_back(body);
    }
    auto aliased = std::make_unique<CollisionGroupRigidBodySphereSphere>(true);
    auto pair = std::make_unique<CollisionGroupRigidBodySphereSphere>(false);
    auto fewRows = std::make_unique<CollisionGroupRigidBodySphereSphere>(false);
    for (LoggedSphere* body : scene->bodies) {
      const float pick = unit(rng);
      if (pick < 0.5f) aliased->addGroupA(body);
      if (pick > 0.3f) pair->addGroupA(body);
      if (pick < 0.2f || pick > 0.8f) pair->addGroupB(body);
      if (pick > 0.45f && pick < 0.55f) fewRows->addGroupA(body);
      if (pick < 0.6f) fewRows->addGroupB(body);
    }
    pair->addGroupB(scene->bodies[0]);
    pair->addGroupB(scene->bodies[0]);
    pair->setSpring(3000.0f + 100.0f * static_cast<float>(seed % 7));
    for (auto* group : {aliased.get(), pair.get(), fewRows.get()}) groups_->addCollisionGroup(group);
    scene->groups.push_back(std::move(aliased));
    scene->groups.push_back(std::move(pair));
    scene->groups.push_back(std::move(fewRows));
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
  std::pair<Bits, Bits> run(const Layout& layout, std::uint32_t seed, bool broad,
                            const std::function<void(Scene&)>& rig = nullptr) {
    rk::rigidbody::setPairBroadPhase(broad);
    auto scene = build(layout, seed);
    if (rig) rig(*scene);
    physics_->setCalcCount(8);
    for (int frame = 0; frame < 3; ++frame) physics_->update(1.0f / 60.0f);
    std::pair<Bits, Bits> result{scene->contacts, stateOf(*scene)};
    clear(*scene);
    return result;
  }
};

TEST_F(BroadPhase, RandomScenesGiveTheContactsAndStatesOfThePlainWalk) {
  for (const Layout& layout : kLayouts) {
    std::size_t contacts = 0;
    for (std::uint32_t seed = 1; seed <= layout.seeds; ++seed) {
      const auto plain = run(layout, seed, false);
      const auto searched = run(layout, seed, true);
      ASSERT_EQ(plain.first, searched.first) << layout.name << ", contacts, seed " << seed;
      ASSERT_EQ(plain.second, searched.second) << layout.name << ", body states, seed " << seed;
      contacts += plain.first.size() / 14;
    }
    // The scenes are crowded enough to exercise the responses.
    EXPECT_GT(contacts, 1000u) << layout.name;
  }
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
  // Fewer of the large scenes: each walks every pair of some hundred bodies.
  const std::pair<const Layout*, std::uint32_t> layouts[] = {{&kCrowded, 10}, {&kSpread, 3}};
  for (const auto& [layout, seeds] : layouts)
    for (const auto& [name, rig] : cases) {
      for (std::uint32_t seed = 1; seed <= seeds; ++seed) {
        const auto plain = run(*layout, seed, false, rig);
        const auto searched = run(*layout, seed, true, rig);
        ASSERT_EQ(plain.first, searched.first) << layout->name << ", " << name << ", contacts, seed " << seed;
        ASSERT_EQ(plain.second, searched.second) << layout->name << ", " << name << ", body states, seed " << seed;
      }
    }
}

}  // namespace
