// The bendable laser: "makeLine" records the head's position and lays a chain
// of capsule bodies over the resampled leading arc of the trail.
#include "enemy_bullet/bullet_fixture.h"

namespace {

using rk::math::Vector4;

class BendLasers : public bullettest::BulletScript {
 protected:
  void SetUp() override {
    ASSERT_EQ(run("chain = createEnemyBulletRigidBodySphereCapsuleList()"), "");
    chain_ = global<EnemyBulletRigidBodySphereCapsuleList>("chain");
    ASSERT_NE(chain_, nullptr);
  }
  // Puts the head at each point in turn and calls makeLine.
  void drive(std::initializer_list<Vector4> points) {
    for (const Vector4& p : points) {
      chain_->setPosition(p);
      chain_->updateWorldMatrix();
      run("chain:makeLine()");
    }
  }
  // Every chain body lies on its capsule record.
  void expectChainOnRecords() {
    const auto& records = chain_->capsules();
    ASSERT_EQ(chain_->chain().size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      const rk::rigidbody::RigidBodyCapsule* body = chain_->chain()[i];
      SCOPED_TRACE("capsule " + std::to_string(i));
      EXPECT_TRUE(body->isValid());
      EXPECT_EQ(body->getRadius(), records[i].radius);
      EXPECT_EQ(body->getHeight(), records[i].half_length);
      EXPECT_EQ(body->getPosition().x, records[i].centre.x);
      EXPECT_EQ(body->getPosition().y, records[i].centre.y);
      EXPECT_EQ(body->getBaseAxis().x, records[i].axis.x);
      EXPECT_EQ(body->getGravity().y, 0.0f);
    }
  }
  EnemyBulletRigidBodySphereCapsuleList* chain_ = nullptr;
};

TEST_F(BendLasers, AFreshChainIsEmpty) {
  EXPECT_EQ(run("return chain:getCollisionKind(), chain:getPointSize(), chain:getCapsuleSize(), chain:getGravity()"),
            "7,0,0,0,0,0");
  EXPECT_EQ(chain_->length(), 1.0f);
  EXPECT_EQ(chain_->getCollisionKind(), 7);
  // One point of trail makes no line yet.
  run("chain:makeLine()");
  EXPECT_EQ(run("return chain:getPointSize(), chain:getCapsuleSize()"), "0,0");
  EXPECT_TRUE(chain_->chain().empty());
}

TEST_F(BendLasers, TheChainFollowsTheSampledLine) {
  struct Case {
    const char* name;
    float radius, length;
    std::vector<float> headX;  // head positions along x, in the order visited
    std::size_t points, capsules;
    float halfLength;  // of the first capsule
  } cases[] = {
      {"length 1, radius 0.5 (2r = L)", 0.5f, 1.0f, {0, 3}, 3, 2, 0.25f},
      {"length 2, radius 0.5", 0.5f, 2.0f, {0, 3}, 5, 4, 0.25f},
      {"arc 0.8 used of length 1", 0.5f, 1.0f, {0, 0.8f}, 2, 1, 0.25f},
      {"arc 0.2 used of length 1", 0.5f, 1.0f, {0, 0.2f}, 6, 5, 0.02f},
      {"radius 0.6 is too thick for length 1", 0.6f, 1.0f, {0, 3}, 0, 0, 0},
      {"a head that did not move adds a skipped point", 0.5f, 1.0f, {0, 3, 3}, 3, 2, 0.25f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    run("chain:initialize()");
    run("chain:setRadius(" + std::to_string(c.radius) + ") chain:setLength(" + std::to_string(c.length) + ")");
    for (float x : c.headX) drive({{x, 1.0f, 0.0f, 0.0f}});
    EXPECT_EQ(run("return chain:getPointSize(), chain:getCapsuleSize()"),
              std::to_string(c.points) + "," + std::to_string(c.capsules));
    expectChainOnRecords();
    if (c.capsules == 0) continue;
    const std::vector<double> first = bullettest::numbers(run("return chain:getCapsule(1)"));
    ASSERT_EQ(first.size(), 8u);
    EXPECT_NEAR(first[0], c.radius * 0.5, 1e-6) << "half the head's radius";
    EXPECT_NEAR(first[1], c.halfLength, 1e-4);
    EXPECT_NEAR(first[2], -1.0, 1e-5) << "axis (before the centre) from the head back along the trail";
    // The first sample is the head.
    EXPECT_EQ(run("return chain:getPoint(1)"), run("return chain:getPos()"));
  }
}

TEST_F(BendLasers, TheChainCoversExactlyTheLengthBehindTheHead) {
  run("chain:setRadius(0.5) chain:setLength(2)");
  // A bent trail: along x, then up along y, head last.
  drive({{0, 0, 0, 0}, {2, 0, 0, 0}, {2, 0.5f, 0, 0}, {2, 1, 0, 0}});
  const auto& points = chain_->points();
  ASSERT_GE(points.size(), 2u);
  EXPECT_NEAR(points.back().x, 1.0f, 1e-4f) << "the last sample is the cut at arc 2 from the head";
  EXPECT_NEAR(points.back().y, 0.0f, 1e-4f);
  expectChainOnRecords();
  // The trail is never shortened: a longer length later reaches further back.
  run("chain:setLength(2.5)");
  drive({{2, 1, 0, 0}});
  EXPECT_NEAR(chain_->points().back().x, 0.5f, 1e-4f);
  EXPECT_EQ(chain_->trail().size(), 5u);
}

TEST_F(BendLasers, RebuildsReuseTheBodiesByPositionAndReleaseTheSurplus) {
  run("chain:setRadius(0.5) chain:setLength(2)");
  drive({{0, 0, 0, 0}, {4, 0, 0, 0}});
  ASSERT_EQ(chain_->chain().size(), 4u);
  const auto before = chain_->chain();
  const std::size_t bodies = physics_->bodies().size();

  run("chain:setLength(1)");
  drive({{5.5f, 0, 0, 0}});
  ASSERT_EQ(chain_->chain().size(), 2u);
  EXPECT_EQ(chain_->chain()[0], before[0]);
  EXPECT_EQ(chain_->chain()[1], before[1]);
  EXPECT_EQ(physics_->bodies().size(), bodies - 2) << "the trailing bodies were released";

  run("chain:setLength(2)");
  drive({{6.5f, 0, 0, 0}});
  ASSERT_EQ(chain_->chain().size(), 4u);
  EXPECT_EQ(chain_->chain()[1], before[1]);
  expectChainOnRecords();

  // Too thick: the whole chain goes.
  run("chain:setRadius(1.5)");
  drive({{7, 0, 0, 0}});
  EXPECT_TRUE(chain_->chain().empty());
  EXPECT_EQ(physics_->bodies().size(), bodies - 4);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(BendLasers, AnInvalidHeadChangesNothingAndFinaliseReleasesTheChain) {
  run("chain:setRadius(0.5)");
  drive({{0, 0, 0, 0}, {3, 0, 0, 0}});
  const std::size_t capsules = chain_->chain().size();
  ASSERT_GT(capsules, 0u);
  run("chain:setValid(false)");
  drive({{9, 0, 0, 0}});
  EXPECT_EQ(chain_->trail().size(), 2u);
  EXPECT_EQ(chain_->chain().size(), capsules);

  const std::size_t bodies = physics_->bodies().size();
  run("chain:finalize()");
  EXPECT_TRUE(chain_->chain().empty());
  EXPECT_EQ(physics_->bodies().size(), bodies - capsules);
  EXPECT_EQ(run("return chain:getCapsuleSize()"), std::to_string(capsules)) << "the records stay";
  // Indexes outside the records give nothing.
  EXPECT_EQ(run("return chain:getCapsule(0)"), "");
  EXPECT_EQ(run("return chain:getPoint(99)"), "");
  EXPECT_EQ(run("return chain:getPoint(-1)"), "");

  // The chain's bodies are plain capsules that stay put between rebuilds.
  run("chain:initialize() chain:setRadius(0.5)");
  drive({{0, 0, 0, 0}, {3, 0, 0, 0}});
  const Vector4 at = chain_->chain()[0]->getPosition();
  for (int i = 0; i < 3; ++i) step();
  EXPECT_EQ(chain_->chain()[0]->getPosition().x, at.x);
  EXPECT_EQ(chain_->chain()[0]->getPosition().y, at.y);

  // Collecting the chain releases its bodies.
  const std::size_t withChain = physics_->bodies().size();
  run("chain = nil collectgarbage()");
  EXPECT_EQ(physics_->bodies().size(), withChain - 1 - 2);
  EXPECT_TRUE(log_.empty()) << log_.text();
}

}  // namespace
