// Key-frame takes: reading, key search and interpolation, looping, cross-fades,
// the cache shared by every model of a file, and damaged animation data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

#include "platform/driver/directx_driver/dx12units/rk_dx12_anime_unit.h"
#include "renderer_resources/resources_rig.h"
#include "support/error_log_capture.h"
#include "support/model_file_writer.h"

namespace {

using rk::driver::directx::directx12::DX12AnimationController;
using rk::driver::directx::directx12::DX12AnimeUnit;
using Ctrl = std::unique_ptr<DX12AnimationController>;

constexpr const char* kCreateEntry = "rk::driver::directx::directx12::DX12AnimeUnit::createAnimationController";

rktest::ModelFileTrack track(const std::string& node, std::vector<std::vector<float>> pos,
                             std::vector<std::vector<float>> quat = {}, std::vector<std::vector<float>> scale = {}) {
  return {node, std::move(scale), std::move(quat), std::move(pos)};
}

class AnimeUnitTest : public resourcetest::ResourceRig {
 protected:
  void SetUp() override {
    ResourceRig::SetUp();
    DX12AnimeUnit::createInstance();
  }
  void TearDown() override {
    controllers_.clear();
    resources_.clear();
    DX12AnimeUnit::destroyInstance();
    ResourceRig::TearDown();
  }
  rk::res::ResourceData* resource(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    auto* r = new rk::res::ResourceData(name.c_str(), rk::res::ResourceManager::getInstance());
    r->ownedBytes() = bytes;
    r->setReady(true);
    resources_.emplace_back(r);
    return r;
  }
  DX12AnimationController* load(rk::res::ResourceData* r) {
    controllers_.emplace_back(DX12AnimeUnit::getInstance()->createAnimationController(r));
    return controllers_.back().get();
  }
  DX12AnimationController* load(rktest::ModelFile& f, const std::string& name = "robo.x") {
    return load(resource(name, f.bytes()));
  }
  std::vector<Ctrl> controllers_;
  std::vector<rk::res::ResourcePtr> resources_;
};

host::xmath::Matrix node(DX12AnimationController* c, const std::string& name = "arm") {
  host::xmath::Matrix m{};
  EXPECT_TRUE(c->getNodeMatrix(name, m));
  return m;
}

TEST_F(AnimeUnitTest, KeysAreInterpolatedWithTheIndicesOfTheLastSearch) {
  rktest::ModelFile f;
  const float s45 = std::sqrt(0.5f);
  f.takes = {{"walk", 10.0, {track("arm", {{0, 0, 0, 0}, {10, 0, 0, 10}, {10, 20, 0, 20}},
                                   {{0, 0, 0, 1, 0}, {0, 0, s45, s45, 10}}, {{2, 2, 2, 0}})}}};
  DX12AnimationController* c = load(f);
  ASSERT_NE(c, nullptr);
  EXPECT_FLOAT_EQ(c->getLength(), 2.0f);
  // dt, then the expected time, position and turn about z in degrees (NaN: not checked).
  struct Row { float dt, time, x, y, degrees; };
  const float skip = NAN;
  const Row rows[] = {
      {0.0f, 0.0f, 0, 0, 0},      // the first key before any search
      {0.5f, 0.5f, 5, 0, 45},     // between keys 0 and 1
      {0.5f, 1.0f, 10, 0, 90},    // at key 1
      {0.5f, 1.5f, 15, 0, skip},  // pair (0, 1) from the search at 1.0: not clamped
      {0.5f, 2.0f, 10, 20, 90},   // a two-key rotation past its end holds its last key
      {0.5f, 2.0f, 10, 20, 90},   // loop off: time stops at the length
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.time);
    if (r.dt > 0) c->update(r.dt);
    EXPECT_FLOAT_EQ(c->getTime(), r.time);
    const host::xmath::Matrix m = node(c);
    EXPECT_NEAR(m.m[3][0], r.x, 1e-4f);
    EXPECT_NEAR(m.m[3][1], r.y, 1e-4f);
    EXPECT_NEAR(std::hypot(m.m[0][0], m.m[0][1]), 2.0f, 1e-4f);  // the single scale key
    if (!std::isnan(r.degrees)) {
      const float a = r.degrees * 3.14159265f / 180.0f;
      EXPECT_NEAR(m.m[0][0], 2 * std::cos(a), 1e-4f);
      EXPECT_NEAR(m.m[0][1], 2 * std::sin(a), 1e-4f);
    }
  }
  EXPECT_TRUE(c->isEndOfTake());
}

TEST_F(AnimeUnitTest, KeysSharingOneTimeGiveTheLaterKeyAndMissingNodesAreRefused) {
  rktest::ModelFile f;
  f.takes = {{"snap", 10.0, {track("arm", {{1, 0, 0, 5}, {7, 0, 0, 5}}), track("leg", {})}}};
  DX12AnimationController* c = load(f);
  ASSERT_NE(c, nullptr);
  c->update(0.5f);  // search at 0 finds no pair inside: (0, 0)
  EXPECT_NEAR(node(c).m[3][0], 1.0f, 1e-6f);
  c->update(0.0f);  // search at 0.5: the pair (0, 1) with d = 0 gives r = 1
  EXPECT_NEAR(node(c).m[3][0], 7.0f, 1e-6f);
  // A node without keys stands still at the identity.
  const host::xmath::Matrix leg = node(c, "leg");
  EXPECT_FLOAT_EQ(leg.m[0][0], 1.0f);
  EXPECT_FLOAT_EQ(leg.m[3][0], 0.0f);
  host::xmath::Matrix untouched{};
  untouched.m[0][0] = 42;
  EXPECT_FALSE(c->getNodeMatrix("Arm", untouched));
  EXPECT_FLOAT_EQ(untouched.m[0][0], 42.0f);
}

TEST_F(AnimeUnitTest, LoopingWrapsByOneLengthPerStep) {
  rktest::ModelFile f;
  f.takes = {{"walk", 10.0, {track("arm", {{0, 0, 0, 0}, {10, 0, 0, 10}})}}};
  DX12AnimationController* c = load(f);
  ASSERT_NE(c, nullptr);
  c->setLoop(true);
  const float steps[][2] = {{0.4f, 0.4f}, {0.4f, 0.8f}, {0.4f, 0.2f}, {2.5f, 1.7f}, {0.0f, 0.7f}};
  for (const auto& s : steps) {
    c->update(s[0]);
    EXPECT_NEAR(c->getTime(), s[1], 1e-5f);
    EXPECT_FALSE(c->isEndOfTake());
  }
  c->setTime(2.25f);
  EXPECT_NEAR(c->getTime(), 0.25f, 1e-5f);
  c->setTime(-0.25f);
  EXPECT_NEAR(c->getTime(), -0.25f, 1e-5f);  // truncated toward zero
  c->setLoop(false);
  c->setTime(5.0f);
  EXPECT_FLOAT_EQ(c->getTime(), 1.0f);
  EXPECT_TRUE(c->isEndOfTake());
  c->setTime(-1.0f);
  EXPECT_FLOAT_EQ(c->getTime(), 0.0f);
}

TEST_F(AnimeUnitTest, ChangeTakeFadesOverTheBlendTime) {
  rktest::ModelFile f;
  f.takes = {{"walk", 10.0, {track("arm", {{0, 0, 0, 0}})}},
             {"run", 10.0, {track("arm", {{10, 0, 0, 0}})}},
             {"idle", 10.0, {}}};
  DX12AnimationController* c = load(f);
  ASSERT_NE(c, nullptr);
  EXPECT_FALSE(c->changeTake(3, 1.0f));
  EXPECT_FALSE(c->changeTake(-1, 1.0f));
  ASSERT_TRUE(c->changeTake(1, 1.0f));
  EXPECT_TRUE(c->isBlending());
  const float expected[] = {0.0f, 2.5f, 5.0f, 7.5f, 10.0f, 10.0f};
  for (float x : expected) {
    EXPECT_NEAR(node(c).m[3][0], x, 1e-4f);
    c->update(0.25f);
  }
  EXPECT_FALSE(c->isBlending());
  // A take without tracks has nothing to fade from.
  ASSERT_TRUE(c->setTake(2));
  ASSERT_TRUE(c->changeTake(0, 1.0f));
  EXPECT_FALSE(c->isBlending());
  // A zero blend time shows the new take at once.
  ASSERT_TRUE(c->changeTake(1, 0.0f));
  EXPECT_NEAR(node(c).m[3][0], 10.0f, 1e-4f);
}

TEST_F(AnimeUnitTest, ModelsOfOneFileShareTheTakesButNotThePlayer) {
  rktest::ModelFile f;
  f.takes = {{"walk", 10.0, {track("arm", {{0, 0, 0, 0}, {10, 0, 0, 10}})}}, {"Run", 10.0, {}}};
  rk::res::ResourceData* r = resource("robo.x", f.bytes());
  DX12AnimationController* a = load(r);
  DX12AnimationController* b = load(r);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(a->anime(), b->anime());
  EXPECT_EQ(a->anime()->count(), 2);
  EXPECT_EQ(DX12AnimeUnit::getInstance()->cached(), 1u);
  a->update(0.5f);
  EXPECT_FLOAT_EQ(b->getTime(), 0.0f);
  int index = -1;
  EXPECT_TRUE(a->anime()->getTakeIndexByName("Run", index));
  EXPECT_EQ(index, 1);
  {
    rktest::ErrorLogCapture log;
    EXPECT_FALSE(a->anime()->getTakeIndexByName("run", index));
    EXPECT_EQ(log.entries("rk::driver::directx::directx12::DX12ModelAnime::getTakeIndexByName"), 1u);
  }
  EXPECT_EQ(a->getTakeName(1), "Run");
  EXPECT_EQ(a->getTakeName(2), "none");
  EXPECT_EQ(a->getTakeCount(), 2);
  // The last controller gone, the set leaves the cache.
  controllers_.clear();
  EXPECT_EQ(DX12AnimeUnit::getInstance()->cached(), 0u);
}

std::size_t find(const std::vector<std::uint8_t>& b, const std::string& tag, std::size_t from = 0) {
  for (std::size_t i = from; i + tag.size() < b.size(); ++i)
    if (std::memcmp(b.data() + i, tag.c_str(), tag.size() + 1) == 0) return i;
  ADD_FAILURE() << tag;
  return 0;
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

TEST_F(AnimeUnitTest, DamagedAnimationDataIsReportedAndNeverTrusted) {
  rktest::ModelFile f;
  f.takes = {{"walk", 10.0, {track("arm", {{0, 0, 0, 0}, {10, 0, 0, 10}}, {{0, 0, 0, 1, 0}}, {{1, 1, 1, 0}})}}};
  const std::vector<std::uint8_t> good = f.bytes();
  const std::size_t anime = find(good, "ANIME-START"), take = find(good, "TAKE");
  struct Case { const char* what; std::function<void(std::vector<std::uint8_t>&)> damage; bool loads; };
  const Case cases[] = {
      {"take count beyond the file", [&](auto& b) { put32(b, anime + 16, 0x7fffffff); }, false},
      {"track count beyond the file", [&](auto& b) { put32(b, take + 32, 0x10000000); }, false},
      {"key count beyond the file", [&](auto& b) { put32(b, find(b, "POS") + 16, 0xffffffff); }, false},
      {"animation offset beyond the file", [&](auto& b) { put32(b, 20, 0x100000); }, false},
      {"cut inside the keys", [&](auto& b) { b.resize(find(b, "POS") + 24); }, false},
      {"no file tag", [&](auto& b) { b[0] = 'Z'; }, false},
      {"zero key rate", [&](auto& b) { std::memset(b.data() + take + 16, 0, 8); }, true},
      {"keys out of order", [&](auto& b) { float t = 20; std::memcpy(b.data() + find(b, "POS") + 16 + 4 + 12, &t, 4); }, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rktest::ErrorLogCapture log;
    std::vector<std::uint8_t> bytes = good;
    c.damage(bytes);
    DX12AnimationController* ctrl = load(resource("bad" + std::to_string(n++) + ".x", bytes));
    EXPECT_GE(log.entries(kCreateEntry) + log.entries("rk::res::ResourceReader::seek"), 1u);
    EXPECT_EQ(ctrl != nullptr, c.loads);
    if (ctrl) {
      for (int i = 0; i < 4; ++i) ctrl->update(0.5f);
      host::xmath::Matrix m{};
      EXPECT_TRUE(ctrl->getNodeMatrix("arm", m));
      EXPECT_TRUE(std::isfinite(m.m[3][0]));
      EXPECT_TRUE(std::isfinite(ctrl->getLength()));
    }
  }
}

}  // namespace
