// The game executable draws with the OpenGL back end: started headless under
// SDL's offscreen driver in a data folder with the real shader pack, it draws
// its frames, ends through its autoexec script and exits cleanly.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "support/game_run.h"

namespace {

namespace fsys = std::filesystem;

// Counts its frames into "frames.txt" and ends the game in the tenth.
constexpr char kAutoexec[] = R"(
function main()
  local frames = 0
  while true do
    frames = frames + 1
    local file = io.open("frames.txt", "w")
    file:write(tostring(frames))
    file:close()
    if frames == 10 then exitGame() end
    coroutine.yield()
  end
end
entryCoRoutine("main")
)";

TEST(GlSmoke, TheGameDrawsItsFramesWithOpenGlAndExitsCleanly) {
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
  EXPECT_EQ(rktest::readBytes(dir.file("frames.txt")), "10");
  // No GL context, no shader program, no failed call: each would have ended
  // the game with an error entry, or left a complaint of the GPU layer.
  const fsys::path errorLog = rktest::gameErrorLog(dir);
  EXPECT_FALSE(fsys::exists(errorLog)) << rktest::readBytes(errorLog.string());
  EXPECT_EQ(errors.find("host::gpu"), std::string::npos) << errors;
}

}  // namespace
