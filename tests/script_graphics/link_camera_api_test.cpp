// Link and sync cameras: a running sync camera copies its source's view onto
// every pushed link's target each frame (task frames of 1/60 s).
#include "gfx/rk_camera.h"
#include "gfx/rk_link_camera.h"
#include "script/rk_script_graphics.h"
#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

const char* const kSetup = R"(
  src, dst, other = createCamera(0), createCamera(1), createCamera(2)
  src:setEye(1, 2, 3) src:setAt(4, 5, 6) src:setUp(0, 0, 1) src:setEyeOffset(1, 0, 0) src:setAtOffset(0, 1, 0)
  src:setFovy(0.5) src:setViewport(1, 2, 30, 20, 0.1, 0.9) src:setAspect(3) src:setZDepth(1, 10)
  dst:setAspect(1.25) dst:setZDepth(0.5, 50)
  link = createLinkCameraObject(dst)
  sync = createSyncCamera()
  sync:setCamera(src) sync:push(link)
  function copied(c)
    return join(c:getEye()) == '1,2,3' and join(c:getAt()) == '4,5,6' and join(c:getUp()) == '0,0,1' and
           join(c:getEyeOffset()) == '1,0,0' and join(c:getAtOffset()) == '0,1,0' and c:getFovy() == 0.5 and
           join(c:getViewport()) == '1,2,30,20,0.1000000015,0.8999999762'
  end
)";

TEST_F(GraphicsApi, SyncCameraCopiesTheSourceViewWhileItRuns) {
  ASSERT_EQ(run(kSetup), "");
  frames(2);
  ASSERT_EQ(run("check(not copied(dst), 'nothing before run') sync:run()"), "");
  frames(1);
  ASSERT_EQ(run(R"(check(copied(dst), 'copied')
    check(dst:getAspect() == 1.25 and dst:getDepthMin() == 0.5 and dst:getDepthMax() == 50, 'own aspect, near, far'))"),
            "");
  rk::gfx::Camera* target = rk::gfx::CameraManager::getInstance()->getCamera(1);
  EXPECT_TRUE(target->isValid()) << "the target's matrices are recomputed at once";

  // Stopped: the target keeps the last copy and follows its own methods.
  ASSERT_EQ(run("sync:stop() src:setEye(9, 9, 9) dst:setFovy(1)"), "");
  frames(1);
  ASSERT_EQ(run("check(join(dst:getEye()) == '1,2,3' and dst:getFovy() == 1, 'stopped')"), "");

  // Retargeting: the old target keeps its last copy.
  ASSERT_EQ(run("src:setEye(1, 2, 3) link:setCamera(other) sync:run()"), "");
  frames(1);
  ASSERT_EQ(run("check(copied(other), 'new target') check(dst:getFovy() == 1, 'old target left alone')"), "");
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GraphicsApi, SyncCameraListTakesRepeatsAndPopsEveryEntry) {
  ASSERT_EQ(run(kSetup), "");
  ASSERT_EQ(run("sync:push(link) spare = createLinkCameraObject(other) sync:pop(spare)"), "");
  lua_getglobal(L, "sync");
  auto* sync = rk::script::toLuaObject<rk::gfx::LinkCamera>(L, -1, rk::script::gph::kSyncCameraClass);
  lua_settop(L, 0);
  ASSERT_NE(sync, nullptr);
  EXPECT_EQ(sync->objects().size(), 2u) << "a repeat is kept; popping an absent link changes nothing";
  ASSERT_EQ(run("sync:run()"), "");
  frames(1);
  ASSERT_EQ(run("check(copied(dst), 'synced twice, same result') sync:pop(link)"), "");
  EXPECT_TRUE(sync->objects().empty()) << "one pop removes both entries";

  // A link onto the source itself only recomputes it.
  ASSERT_EQ(run("self = createLinkCameraObject(src) sync:push(self)"), "");
  frames(1);
  ASSERT_EQ(run("check(join(src:getEye()) == '1,2,3', 'unchanged')"), "");
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GraphicsApi, CollectedSyncCamerasLeaveTheTaskManagerAndWrongKindsAreReported) {
  ASSERT_EQ(run(kSetup), "");
  auto* tasks = rk::task::TaskManager::getInstance();
  auto linkTasks = [&] {
    int n = 0;
    for (rk::task::Task* t : tasks->tasks())
      if (t->name() == "Link Camera") ++n;
    return n;
  };
  EXPECT_EQ(linkTasks(), 1);
  ASSERT_EQ(run("sync:pop(link) sync = nil link = nil"), "");
  collect();
  EXPECT_EQ(linkTasks(), 0);

  const LuaCase cases[] = {
      {"a camera as the link", "createSyncCamera():push(src)",
       "rk::script::gph::`anonymous-namespace'::lua_LinkCamera_push"},
      {"a light as the source", "createSyncCamera():setCamera(createLight(0))",
       "rk::script::gph::`anonymous-namespace'::lua_LinkCamera_setCamera"},
      {"a camera as self", "local s = createSyncCamera() s.run(src)",
       "rk::script::gph::`anonymous-namespace'::lua_LinkCamera_run"},
      {"no camera for a link", "createLinkCameraObject(nil)",
       "rk::script::gph::`anonymous-namespace'::createLinkCameraObject"},
  };
  for (const LuaCase& c : cases) {
    SCOPED_TRACE(c.name);
    log.clear();
    EXPECT_EQ(run(c.code), "");
    EXPECT_EQ(log.entries(c.logEntry), 1u) << log.text();
  }
}

// The deleting release run twice on one object (a script calling it, or a
// resurrected userdata) deletes once; the emptied objects read as null.
TEST_F(GraphicsApi, DeletingReleaseRunTwiceDeletesOnce) {
  ASSERT_EQ(run(kSetup), "");
  ASSERT_EQ(run("local gc = getmetatable(link).__gc gc(link) gc(link)\n"
                "gc = getmetatable(sync).__gc gc(sync) gc(sync)\n"
                "local v = createIndexBuffer() gc = getmetatable(v).__gc gc(v) gc(v)"),
            "");
  frames(2);
  EXPECT_TRUE(log.empty()) << log.text();
  ASSERT_EQ(run("sync:run()"), "");
  EXPECT_EQ(log.entries("rk::script::gph::`anonymous-namespace'::lua_LinkCamera_run"), 1u) << log.text();
}

}  // namespace
}  // namespace graphicstest
