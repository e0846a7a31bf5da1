// The twelve rigid-body collision groups: which pairs they test, the forces
// they apply, and what happens when a listed body goes away.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "fs/rk_file_manager.h"
#include "physics_fixture.h"
#include "res/rk_resource.h"
#include "rigidbody/rk_rigidbody_group.h"
#include "support/temp_dir.h"

namespace {

using rk::math::Matrix;
using rk::math::Vector4;
using rk::rigidbody::RigidBody;
using rk::rigidbody::RigidBodyManager;

namespace rb = rk::rigidbody;
using rb::RigidBodyCapsule;
using rb::RigidBodyOBB;
using rb::RigidBodySphere;
using rk::collision::GeoCollision;
using rk::collision::ICollisionExec;
using rk::collision::Plane;
using rktest::nearVector;
using rktest::v3;

// A ".geo" file: header, vertices at 16, then the index triples.
std::vector<std::uint8_t> geoBytes(const std::vector<Vector4>& vertices) {
  const std::uint16_t count = static_cast<std::uint16_t>(vertices.size() / 3);
  const std::uint32_t vertexBase = 16, indexBase = 16 + 16 * static_cast<std::uint32_t>(vertices.size());
  std::vector<std::uint8_t> bytes(indexBase + 6u * count);
  const std::uint16_t header[2] = {16, count};
  const std::uint32_t offsets[2] = {vertexBase, indexBase};
  std::memcpy(&bytes[0], header, 4);
  std::memcpy(&bytes[8], offsets, 8);
  std::memcpy(&bytes[vertexBase], vertices.data(), 16 * vertices.size());
  for (std::uint16_t i = 0; i < 3 * count; ++i) std::memcpy(&bytes[indexBase + 2 * i], &i, 2);
  return bytes;
}

// Records the pairs it is asked about.
template <class Base>
class Recording : public Base {
 public:
  void calcImpact(Vector4& force, RigidBody* other, const Vector4& normal, const Vector4& pointA, const Vector4& pointB,
                  float spring, float damper, float flic, float flicMax) override {
    pairs().emplace_back(this, other);
    Base::calcImpact(force, other, normal, pointA, pointB, spring, damper, flic, flicMax);
  }
  static std::vector<std::pair<RigidBody*, RigidBody*>>& pairs() {
    static std::vector<std::pair<RigidBody*, RigidBody*>> list;
    return list;
  }
};

class Groups : public rktest::PhysicsFixture {
 protected:
  void SetUp() override {
    PhysicsFixture::SetUp();
    cwd_ = std::make_unique<rktest::CurrentDirGuard>(dir_.path());
    resources_ = rk::res::ResourceManager::createInstance();
    files_ = rk::fs::FileManager::createInstance(resources_, false);
    floor_ = mesh("floor", {{-5, 0, -5, 1}, {0, 0, 5, 1}, {5, 0, -5, 1}});
    Recording<RigidBodySphere>::pairs().clear();
    Recording<RigidBodyOBB>::pairs().clear();
  }
  void TearDown() override {
    meshes_.clear();
    held_.clear();
    rk::fs::FileManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
    cwd_.reset();
    PhysicsFixture::TearDown();
  }

  // A ready mesh of the given triangles.
  GeoCollision* mesh(const std::string& name, const std::vector<Vector4>& vertices) {
    rk::res::ResourcePtr r = resources_->getResourceData(name + ".gea");
    r->ownedBytes() = geoBytes(vertices);
    r->setReady(true);
    held_.push_back(r);
    meshes_.push_back(std::make_unique<GeoCollision>(new rk::collision::BoundingBoxTriangleSearchStrategy));
    meshes_.back()->load(name + ".geo");
    meshes_.back()->initialize();
    EXPECT_TRUE(meshes_.back()->isReady());
    return meshes_.back().get();
  }

  // A valid body without gravity, placed, its force cleared as a substep starts.
  template <class T>
  T* at(const Vector4& position, bool valid = true) {
    T* body = make<T>(valid);
    body->setGravity(v3(0, 0, 0));
    place(*body, position);
    body->beginSubstep();
    return body;
  }

  rktest::TempDir dir_;
  std::unique_ptr<rktest::CurrentDirGuard> cwd_;
  rk::res::ResourceManager* resources_ = nullptr;
  rk::fs::FileManager* files_ = nullptr;
  std::vector<rk::res::ResourcePtr> held_;
  std::vector<std::unique_ptr<GeoCollision>> meshes_;
  GeoCollision* floor_ = nullptr;
  Plane ground_{0, 1, 0, 0};
};

struct Built {
  std::unique_ptr<ICollisionExec> group;
  RigidBody* a;
  RigidBody* b;  // null against planes and meshes
};

template <class G, class A, class B>
Built bodies(A* a, B* b) {
  auto group = std::make_unique<G>();
  group->addGroupA(a);
  group->addGroupB(b);
  return {std::move(group), a, b};
}

template <class G, class A, class Static>
Built against(A* a, Static* s) {
  auto group = std::make_unique<G>();
  group->addGroupA(a);
  group->addGroupB(s);
  return {std::move(group), a, nullptr};
}

// Body A overlaps B (or the ground at y = 0) from above by about half a unit.
TEST_F(Groups, EveryKindPushesItsMembersApart) {
  const std::pair<const char*, std::function<Built()>> cases[] = {
      {"sphere-sphere",
       [&] {
         return bodies<rb::CollisionGroupRigidBodySphereSphere>(at<RigidBodySphere>(v3(0, 1.5f, 0)),
                                                                at<RigidBodySphere>(v3(0, 0, 0)));
       }},
      {"sphere-capsule",
       [&] {
         return bodies<rb::CollisionGroupRigidBodySphereCapsule>(at<RigidBodySphere>(v3(0, 2.5f, 0)),
                                                                 at<RigidBodyCapsule>(v3(0, 0, 0)));
       }},
      {"sphere-box",
       [&] {
         return bodies<rb::CollisionGroupRigidBodySphereOBB>(at<RigidBodySphere>(v3(0, 1.5f, 0)),
                                                             at<RigidBodyOBB>(v3(0, 0, 0)));
       }},
      {"sphere-plane",
       [&] { return against<rb::CollisionGroupRigidBodySpherePlane>(at<RigidBodySphere>(v3(0, 0.5f, 0)), &ground_); }},
      {"sphere-mesh",
       [&] { return against<rb::CollisionGroupRigidBodySphereGeo>(at<RigidBodySphere>(v3(0, 0.5f, 0)), floor_); }},
      {"capsule-capsule",
       [&] {
         return bodies<rb::CollisionGroupRigidBodyCapsuleCapsule>(at<RigidBodyCapsule>(v3(0, 3.5f, 0)),
                                                                  at<RigidBodyCapsule>(v3(0, 0, 0)));
       }},
      {"capsule-box",
       [&] {
         return bodies<rb::CollisionGroupRigidBodyCapsuleOBB>(at<RigidBodyCapsule>(v3(0, 2.5f, 0)),
                                                              at<RigidBodyOBB>(v3(0, 0, 0)));
       }},
      {"capsule-plane",
       [&] {
         return against<rb::CollisionGroupRigidBodyCapsulePlane>(at<RigidBodyCapsule>(v3(0, 1.5f, 0)), &ground_);
       }},
      {"capsule-mesh",
       [&] { return against<rb::CollisionGroupRigidBodyCapsuleGeo>(at<RigidBodyCapsule>(v3(0, 1.5f, 0)), floor_); }},
      {"box-box",
       [&] {
         return bodies<rb::CollisionGroupRigidBodyOBBOBB>(at<RigidBodyOBB>(v3(0, 1.5f, 0)),
                                                          at<RigidBodyOBB>(v3(0, 0, 0)));
       }},
      {"box-plane",
       [&] { return against<rb::CollisionGroupRigidBodyOBBPlane>(at<RigidBodyOBB>(v3(0, 0.5f, 0)), &ground_); }},
      {"box-mesh",
       [&] { return against<rb::CollisionGroupRigidBodyOBBGeo>(at<RigidBodyOBB>(v3(0, 0.5f, 0)), floor_); }},
  };
  for (const auto& [name, build] : cases) {
    Built built = build();
    built.group->exec();
    const Vector4& fa = built.a->getForce();
    EXPECT_GT(fa.y, 1000.0f) << name;
    EXPECT_NEAR(fa.x, 0.0f, 1e-2f) << name;
    EXPECT_NEAR(fa.z, 0.0f, 1e-2f) << name;
    if (built.b) {
      EXPECT_TRUE(nearVector(built.b->getForce(), v3(-fa.x, -fa.y, -fa.z), 1e-3f)) << name;
    }
    drop(built.a);
    if (built.b) drop(built.b);
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Groups, AnAliasedGroupTestsEachPairOfItsOneListOnceInOrder) {
  using Sphere = Recording<RigidBodySphere>;
  Sphere* s1 = at<Sphere>(v3(0, 0, 0));
  Sphere* s2 = at<Sphere>(v3(0.5f, 0, 0));
  Sphere* s3 = at<Sphere>(v3(0, 0.5f, 0));
  rb::CollisionGroupRigidBodySphereSphere group(true);
  EXPECT_TRUE(group.isGroupAEqGroupB());
  for (Sphere* s : {s1, s2, s3}) group.addGroupA(s);
  group.exec();
  const std::vector<std::pair<RigidBody*, RigidBody*>> want{{s1, s2}, {s1, s3}, {s2, s3}};
  EXPECT_EQ(Sphere::pairs(), want);

  // addGroupB on the aliased group is reported and the body takes no part.
  Sphere* late = at<Sphere>(v3(0, -0.5f, 0));
  group.addGroupB(late);
  EXPECT_EQ(log_.entries("rk::rigidbody::CollisionGroupRigidBodySphereSphere::addGroupB"), 1u);
  Sphere::pairs().clear();
  group.exec();
  EXPECT_EQ(Sphere::pairs(), want);
  EXPECT_TRUE(nearVector(late->getForce(), v3(0, 0, 0), 0));

  // The aliased capsule group lets it join the shared list, unreported.
  rb::CollisionGroupRigidBodyCapsuleCapsule capsules(true);
  RigidBodyCapsule* c1 = at<RigidBodyCapsule>(v3(0, 0, 0));
  RigidBodyCapsule* c2 = at<RigidBodyCapsule>(v3(1, 0, 0));
  capsules.addGroupA(c1);
  capsules.addGroupB(c2);
  capsules.exec();
  EXPECT_LT(c1->getForce().x, 0.0f);
  EXPECT_GT(c2->getForce().x, 0.0f);
  EXPECT_EQ(log_.entries("rk::rigidbody::CollisionGroupRigidBodySphereSphere::addGroupB"), 1u);
}

TEST_F(Groups, AnInvalidBodyOnEitherSideMeetsNothing) {
  for (bool invalidA : {true, false}) {
    RigidBodySphere* a = at<RigidBodySphere>(v3(0, 1.5f, 0), !invalidA);
    RigidBodySphere* b = at<RigidBodySphere>(v3(0, 0, 0), invalidA);
    rb::CollisionGroupRigidBodySphereSphere group;
    group.addGroupA(a);
    group.addGroupB(b);
    group.exec();
    EXPECT_TRUE(nearVector(a->getForce(), v3(0, 0, 0), 0));
    EXPECT_TRUE(nearVector(b->getForce(), v3(0, 0, 0), 0));
  }
}

TEST_F(Groups, ABoxOnAPlaneGetsOneForcePerCornerBelowIt) {
  using Box = Recording<RigidBodyOBB>;
  Box* box = at<Box>(v3(0, 0.9f, 0));
  rb::CollisionGroupRigidBodyOBBPlane group;
  group.addGroupA(box);
  group.addGroupB(&ground_);
  group.exec();
  EXPECT_EQ(Box::pairs().size(), 4u);
  EXPECT_NEAR(box->getForce().y, 4 * 5000 * 0.1f, 1e-1f);
  EXPECT_TRUE(nearVector(box->getTorque(), v3(0, 0, 0), 1e-2f));

  group.setSpring(10000);  // the next test uses the new value
  box->beginSubstep();
  group.exec();
  EXPECT_NEAR(box->getForce().y, 4 * 10000 * 0.1f, 1e-1f);
}

// The mesh search covers height + radius around the centre: enough for a
// lying capsule to find a triangle under its end.
TEST_F(Groups, ALyingCapsuleFindsTheTrianglesUnderItsEnds) {
  GeoCollision* side = mesh("side", {{1.3f, 0, -1, 1}, {2, 0, 1, 1}, {3, 0, -1, 1}});
  RigidBodyCapsule* capsule = make<RigidBodyCapsule>();
  capsule->setGravity(v3(0, 0, 0));
  capsule->setBaseAxis(v3(1, 0, 0));
  place(*capsule, v3(0, 0.7f, 0));  // its end overhangs the triangle, 1.25·r would not reach it
  capsule->beginSubstep();
  rb::CollisionGroupRigidBodyCapsuleGeo group;
  group.addGroupA(capsule);
  group.addGroupB(side);
  group.exec();
  EXPECT_GT(capsule->getForce().y, 100.0f);
}

TEST_F(Groups, BodiesComeToRestOnTheGroundAndOnEachOther) {
  RigidBodySphere* ball = make<RigidBodySphere>();
  place(*ball, v3(0, 3, 0));
  RigidBodyOBB* crate = make<RigidBodyOBB>();
  place(*crate, v3(0, 1.5f, -2));
  rb::CollisionGroupRigidBodySpherePlane ballOnGround;
  ballOnGround.addGroupA(ball);
  ballOnGround.addGroupB(&ground_);
  rb::CollisionGroupRigidBodyOBBGeo crateOnFloor;
  crateOnFloor.addGroupA(crate);
  crateOnFloor.addGroupB(floor_);
  groups_->addCollisionGroup(&ballOnGround);
  groups_->addCollisionGroup(&crateOnFloor);
  for (int frame = 0; frame < 180; ++frame) physics_->update(1.0f / 60);

  // Resting where the spring carries the weight: depth m·g / k.
  EXPECT_NEAR(ball->getPosition().y, 1.0f - 9.8f / 5000, 1e-3f);
  EXPECT_NEAR(ball->getVelocity().y, 0.0f, 1e-2f);
  EXPECT_NEAR(crate->getPosition().y, 1.0f, 1e-2f);
  EXPECT_NEAR(crate->getVelocity().y, 0.0f, 1e-2f);
}

TEST_F(Groups, ABodyReleasedWhileListedLeavesEveryGroup) {
  RigidBodySphere* kept = at<RigidBodySphere>(v3(0, 0, 0));
  RigidBodySphere* gone = at<RigidBodySphere>(v3(0, 1, 0));
  rb::CollisionGroupRigidBodySphereSphere aliased(true);
  aliased.addGroupA(kept);
  aliased.addGroupA(gone);
  rb::CollisionGroupRigidBodySpherePlane onGround;
  onGround.addGroupA(gone);
  onGround.addGroupA(gone);
  onGround.addGroupB(&ground_);
  groups_->addCollisionGroup(&aliased);
  groups_->addCollisionGroup(&onGround);

  drop(gone);
  EXPECT_EQ(aliased.ownListA(), std::vector<RigidBodySphere*>{kept});
  EXPECT_TRUE(onGround.ownListA().empty());
  physics_->update(1.0f / 60);  // nothing reaches the freed body

  // A group that goes first leaves its bodies nothing to call back.
  auto early = std::make_unique<rb::CollisionGroupRigidBodySphereSphere>();
  early->addGroupA(kept);
  early.reset();
  drop(kept);
  EXPECT_TRUE(aliased.ownListA().empty());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

}  // namespace
