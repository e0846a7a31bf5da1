// Textures: loaded through the file manager and set up by their task, cached
// by stored name (colliding keys told apart by the text), bound once per list,
// rebuilt after a device reset, and released by the manager's destruction.
#include <gtest/gtest.h>

#include <algorithm>

#include "fs/rk_file_manager.h"
#include "gfx/rk_draw_vertex.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"
#include "resources_rig.h"

namespace resourcetest {
namespace {

using Textures = ResourceRig;
using rk::gfx::RkTexture;
using rk::gfx::RkTexture12;
using rk::gfx::RkTextureManager;

constexpr std::uint32_t kTextureTable = 6;

RkTexture12* gpuOf(RkTexture* texture) { return dynamic_cast<RkTexture12*>(texture); }

bool hasTask(RkTexture* texture) {
  const std::vector<rk::task::Task*> tasks = rk::task::TaskManager::getInstance()->tasks();
  return std::find(tasks.begin(), tasks.end(), static_cast<rk::task::Task*>(texture)) != tasks.end();
}

TEST_F(Textures, ALoadedTextureIsCachedByItsStoredNameAndSetUpByItsTask) {
  writeFile(data.file("wall.dds"), makeDds(5));
  RkTextureManager* textures = RkTextureManager::getInstance();
  RkTexture* first = textures->loadTexture("wall.tga");  // ".tga" is stored as ".dds"
  RkTexture* second = textures->loadTexture("wall.tga");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->count(), 2);
  EXPECT_EQ(textures->count(), 1u);
  EXPECT_EQ(first->info().name_, "wall.dds");
  EXPECT_EQ(textures->find("wall.dds"), first);
  EXPECT_EQ(first->priority(), 0);
  EXPECT_EQ(first->name(), "RkTexture");
  EXPECT_TRUE(first->isOwnedElsewhere());

  std::uint32_t width = 9, height = 9;
  first->getSize(&width, &height);
  EXPECT_EQ(width + height, 0u);  // nothing on the GPU before the bytes arrive
  ASSERT_TRUE(runUntilSetUp(first));
  EXPECT_TRUE(first->isInitialised());
  first->getSize(&width, &height);
  EXPECT_EQ(width, 4u);
  EXPECT_EQ(height, 4u);
  ASSERT_TRUE(gpuOf(first)->hasView());
  EXPECT_TRUE(context->descriptorHeap().isUsed(gpuOf(first)->slot()));

  // Drawn with it, the draw sees that texture behind the table.
  const rk::gfx::TexturedVertex quad[4] = {{0, 0, 0, 1, 0xFFFFFFFFu, 0, 0}, {4, 0, 0, 1, 0xFFFFFFFFu, 1, 0},
                                           {0, 4, 0, 1, 0xFFFFFFFFu, 0, 1}, {4, 4, 0, 1, 0xFFFFFFFFu, 1, 1}};
  showOverlay([&] { context->drawTexturedStrip(first, quad, 4); });
  ASSERT_EQ(trace()->draws.size(), 1u);
  EXPECT_EQ(trace()->draws[0].texture, gpuOf(first)->resource()->id());
  EXPECT_TRUE(trace()->errors.empty());

  const int slot = gpuOf(first)->slot();
  EXPECT_EQ(first->release("test", 1), 1);
  EXPECT_EQ(second->release("test", 1), 0);  // the last: out of the cache, slot freed
  EXPECT_EQ(textures->count(), 0u);
  EXPECT_FALSE(context->descriptorHeap().isUsed(slot));
  EXPECT_EQ(context->currentTexture(), nullptr);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(Textures, NamesWithTheSameKeyAreToldApartByTheirText) {
  ASSERT_EQ(rk::res::nameKey("ab.dds"), rk::res::nameKey("ba.dds"));
  RkTextureManager* textures = RkTextureManager::getInstance();
  RkTexture* ab = textures->createTexture("ab.dds");
  RkTexture* ba = textures->createTexture("ba.dds");
  EXPECT_NE(ab, ba);
  EXPECT_EQ(textures->find("ab.dds"), ab);
  EXPECT_EQ(textures->find("ba.dds"), ba);
  EXPECT_EQ(textures->find("AB.dds"), nullptr);
  EXPECT_EQ(textures->createTexture("ba.dds"), ba);
  EXPECT_EQ(ba->count(), 2);

  // An empty texture's set-up only marks it loaded; it is never bound.
  EXPECT_EQ(ab->setupStep(), 0);
  EXPECT_TRUE(ab->info().loaded_);
  EXPECT_FALSE(gpuOf(ab)->hasView());
  showOverlay([&] { context->setTexture(ab); });
  EXPECT_TRUE(tableBindings(*trace(), kTextureTable).empty());
  EXPECT_EQ(context->currentTexture(), nullptr);
  EXPECT_TRUE(log.empty()) << log.text();
}

// A missing or corrupt texture file is reported once and never ends the
// program: the texture counts as set up, has no view and is never bound.
TEST_F(Textures, MissingAndCorruptFilesAreReportedOnceAndLeaveTexturesWithoutAView) {
  RkTextureManager* textures = RkTextureManager::getInstance();
  std::vector<std::uint8_t> corrupt = makeDds();
  corrupt.resize(100);  // cut inside the header
  writeFile(data.file("broken.dds"), corrupt);

  RkTexture* absent = nullptr;
  ASSERT_NO_THROW(absent = textures->loadTexture("absent.tga"));
  ASSERT_NE(absent, nullptr);
  EXPECT_EQ(log.entries("rk::gfx::RkTextureManager::loadTexture"), 1u);
  RkTexture* again = textures->loadTexture("absent.dds");  // the same stored name: cached, not reported again
  EXPECT_EQ(again, absent);
  EXPECT_EQ(log.entries("rk::gfx::RkTextureManager::loadTexture"), 1u);

  RkTexture* broken = textures->loadTexture("broken.dds");
  ASSERT_TRUE(waitLoaded(broken->info().resource_.get()));
  for (RkTexture* t : {absent, broken}) {
    SCOPED_TRACE(t->info().name_);
    ASSERT_TRUE(runUntilSetUp(t));
    EXPECT_FALSE(gpuOf(t)->hasView());
  }
  EXPECT_EQ(log.entries("rk::DeviceContext::setupTexture"), 1u);
  showOverlay([&] {
    context->setTexture(absent);
    context->setTexture(broken);
  });
  EXPECT_TRUE(tableBindings(*trace(), kTextureTable).empty());
  for (RkTexture* t : {absent, again, broken}) t->release("test", 1);
}

TEST_F(Textures, TheSameTextureIsBoundOncePerListAndAgainAfterNull) {
  writeFile(data.file("a.dds"), makeDds(1));
  writeFile(data.file("b.dds"), makeDds(2));
  RkTexture* a = RkTextureManager::getInstance()->loadTexture("a.dds");
  RkTexture* b = RkTextureManager::getInstance()->loadTexture("b.dds");
  ASSERT_TRUE(runUntilSetUp(a) && runUntilSetUp(b));
  const std::uint64_t ha = gpuOf(a)->gpuHandle().ptr, hb = gpuOf(b)->gpuHandle().ptr;
  EXPECT_NE(ha, hb);

  showOverlay([&] {
    context->setTexture(a);
    context->setTexture(a);
    context->setTexture(b);
    context->setTexture(nullptr);
    context->setTexture(b);
  });
  EXPECT_EQ(tableBindings(*trace(), kTextureTable), (std::vector<std::uint64_t>{ha, hb, hb}));
  // A new list has no texture bound, so the same texture is bound again there.
  showOverlay([&] { context->setTexture(b); });
  EXPECT_EQ(tableBindings(*trace(), kTextureTable), (std::vector<std::uint64_t>{hb}));
  a->release("test", 1);
  b->release("test", 1);
}

TEST_F(Textures, TexturesAreSetUpAgainAfterADeviceReset) {
  writeFile(data.file("keep.dds"), makeDds(3));
  RkTexture* texture = RkTextureManager::getInstance()->loadTexture("keep.dds");
  ASSERT_TRUE(runUntilSetUp(texture));
  const std::uint64_t before = gpuOf(texture)->resource()->id();

  resetDevice();
  ASSERT_NE(gpuOf(texture)->resource(), nullptr);
  EXPECT_NE(gpuOf(texture)->resource()->id(), before);
  ASSERT_TRUE(gpuOf(texture)->hasView());
  EXPECT_TRUE(context->descriptorHeap().isUsed(gpuOf(texture)->slot()));

  const rk::gfx::TexturedVertex quad[3] = {
      {0, 0, 0, 1, 0xFFFFFFFFu, 0, 0}, {4, 0, 0, 1, 0xFFFFFFFFu, 1, 0}, {0, 4, 0, 1, 0xFFFFFFFFu, 0, 1}};
  showOverlay([&] { context->drawTexturedStrip(texture, quad, 3); });
  ASSERT_EQ(trace()->draws.size(), 1u);
  EXPECT_EQ(trace()->draws[0].texture, gpuOf(texture)->resource()->id());
  EXPECT_TRUE(trace()->errors.empty());
  texture->release("test", 1);
}

TEST_F(Textures, DestroyingTheManagerReleasesTheTexturesItMadeEvenWhenHeld) {
  RkTextureManager* textures = RkTextureManager::getInstance();
  RkTexture* owned = textures->createTexture("owned.dds");
  owned->addRef();  // a second holder
  writeFile(data.file("loaded.dds"), makeDds());
  RkTexture* loaded = textures->loadTexture("loaded.dds");
  ASSERT_TRUE(hasTask(owned) && hasTask(loaded));

  RkTextureManager::destroyInstance();
  EXPECT_FALSE(hasTask(owned));  // deleted
  EXPECT_TRUE(hasTask(loaded));  // still held by the test
  EXPECT_EQ(log.entries("rk::gfx::RkTextureManager::~RkTextureManager"), 1u);
  // Its last release no longer needs the manager.
  EXPECT_EQ(loaded->release("test", 1), 0);
  EXPECT_EQ(log.entries("rk::gfx::RkTextureManager::getInstance"), 0u);
}

}  // namespace
}  // namespace resourcetest
