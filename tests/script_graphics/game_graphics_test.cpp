// The game runs a graphics scene from its scripts: started headless with the
// OpenGL back end, its autoexec script (from the script pack) sets up two
// cameras with studio settings, a light, a wipe and display-list drawing,
// lets the frames draw until the wipe has run, writes what it reads back and
// ends the game, which exits cleanly with nothing in its error log.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "support/game_run.h"

namespace {

namespace fsys = std::filesystem;

constexpr char kAutoexec[] = R"(
function main()
  setBGColor(0, 0, 64)
  local cam0, cam1 = createCamera(0), createCamera(1)
  cam1:setViewport(0, 0, 320, 180, 0, 1) cam1:normalSetup()
  local s0, s1 = cam0:getStudioInfo(), cam1:getStudioInfo()
  s0:setValid(1) s0:setAmbientColor(64, 64, 64, 255)
  s0:setLight(0, 3, 0xFFFFFFFF, 0, 0xFF404040, 0, 0, 0, 0, -1, 0, 100, 1, 1, 0, 0, 0, 0)
  s1:setValid(0) s1:createShadowPlane(0) s1:getShadowPlane(0):setDir(0, -1, 0)
  local light = createLight(0) light:setValid(true) pushLight(light)
  setEnableLighting(true) setAmbientColor(255, 255, 255, 255)
  local sync, link = createSyncCamera(), createLinkCameraObject(cam1)
  sync:setCamera(cam0) sync:push(link) sync:run()
  cam0:moveToEye(0, 5, 10, 0.2)
  gfxCls() gfxDefault()
  gfxSetColor(255, 0, 0, 255) gfxRectFill2D(10, 10, 50, 50)
  gfxSetLocate2D(1, 1) gfxPrintf2D("graphics")
  fadeOut(0, 0, 0, 0.25)
  local frames = 0
  while not isEndOfWipe() and frames < 600 do
    frames = frames + 1
    coroutine.yield()
  end
  fadeIn(0, 0, 0, 0.1)
  while not isEndOfWipe() and frames < 1200 do
    frames = frames + 1
    coroutine.yield()
  end
  local file = io.open("result.txt", "w")
  local _, y = cam1:getEye()
  file:write(tostring(isEndOfWipe()) .. " " .. string.format("%g", y) .. " " .. table.concat({getBGColor()}, ","))
  file:close()
  sync:pop(link)
  exitGame()
end
entryCoRoutine("main")
)";

TEST(GameGraphics, TheGameDrawsAScriptBuiltSceneAndExitsCleanly) {
  ASSERT_TRUE(fsys::exists(rktest::gameExecutable())) << rktest::gameExecutable();
  rktest::TempDir dir;
  ASSERT_TRUE(rktest::prepareGameFolder(dir, kAutoexec));
  const rktest::GameRun run = rktest::runGame(dir);
  ASSERT_TRUE(run.started);
  ASSERT_FALSE(run.timedOut) << "the game did not end";
  const int status = run.status;
  const std::string& errors = run.errors;
  ASSERT_TRUE(WIFEXITED(status)) << errors;
  EXPECT_EQ(WEXITSTATUS(status), 0) << errors;
  EXPECT_EQ(rktest::readBytes(dir.file("result.txt")), "true 5 0,0,64") << "the wipes ended; camera 1 follows camera 0's move";
  const fsys::path errorLog = rktest::gameErrorLog(dir);
  EXPECT_FALSE(fsys::exists(errorLog)) << rktest::readBytes(errorLog.string());
  EXPECT_EQ(errors.find("host::gpu"), std::string::npos) << errors;
}

}  // namespace
