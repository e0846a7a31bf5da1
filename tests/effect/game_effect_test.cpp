// The game plays an effect from its scripts: started headless with the OpenGL
// back end in a data folder holding the build's effect files, its autoexec
// script creates a unit, loads two of the game's effects, waits for them, plays
// one and watches it run for twenty frames, then ends the game, which exits
// cleanly with nothing in its error log.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "support/game_run.h"

namespace {

namespace fsys = std::filesystem;

constexpr char kAutoexec[] = R"(
function main()
  local u = createEffectUnit(0, 20, 0, 0, 0, 64)
  local loaded = u:load("effect/bomb01") and u:load("effect/spark01")
  local waited = 0
  while not u:isSetupAll() and waited < 600 do
    u:setupAll()
    waited = waited + 1
    coroutine.yield()
  end
  local h = u:play("effect/bomb01", 0, 0, 0, nil)
  local alive = true
  for i = 1, 20 do
    alive = alive and h:isAlive()
    coroutine.yield()
  end
  local file = io.open("result.txt", "w")
  file:write(tostring(loaded) .. " " .. tostring(u:isSetupAll()) .. " " .. tostring(alive))
  file:close()
  exitGame()
end
entryCoRoutine("main")
)";

TEST(GameEffect, TheGamePlaysAnEffectFromItsScriptsAndExitsCleanly) {
  ASSERT_TRUE(fsys::exists(rktest::gameExecutable())) << rktest::gameExecutable();
  rktest::TempDir dir;
  ASSERT_TRUE(rktest::prepareGameFolder(dir, kAutoexec));
  fsys::create_directories(dir.file("effect"));
  for (const char* name : {"bomb01", "spark01"})
    fsys::copy_file(std::string(RK_BINARY_DIR) + "/data/effect/" + name + ".ea", dir.file("effect/") + name + ".ea");
  const rktest::GameRun run = rktest::runGame(dir);
  ASSERT_TRUE(run.started);
  ASSERT_FALSE(run.timedOut) << "the game did not end";
  const int status = run.status;
  const std::string& errors = run.errors;
  ASSERT_TRUE(WIFEXITED(status)) << errors;
  EXPECT_EQ(WEXITSTATUS(status), 0) << errors;
  EXPECT_EQ(rktest::readBytes(dir.file("result.txt")), "true true true");
  const fsys::path errorLog = rktest::gameErrorLog(dir);
  EXPECT_FALSE(fsys::exists(errorLog)) << rktest::readBytes(errorLog.string());
  EXPECT_EQ(errors.find("host::gpu"), std::string::npos) << errors;
}

}  // namespace
