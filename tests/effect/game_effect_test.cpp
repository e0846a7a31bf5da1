// The game plays an effect from its scripts: started headless with the OpenGL
// back end in a data folder holding the build's effect files, its autoexec
// script creates a unit, loads two of the game's effects, waits for them, plays
// one and watches it run for twenty frames, then ends the game, which exits
// cleanly with nothing in its error log.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/script_pack.h"
#include "support/shader_pack.h"
#include "support/temp_dir.h"

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
  const std::string executable = std::string(RK_BINARY_DIR) + "/quorvandel";
  ASSERT_TRUE(fsys::exists(executable)) << executable;
  rktest::TempDir dir;
  ASSERT_TRUE(rktest::writeShaderPack(dir.file("shaders.pkp")));
  ASSERT_TRUE(rktest::writePack(dir.file("script.pkp"), {{"script/autoexec.a", kAutoexec}}));
  ASSERT_TRUE(rktest::writePack(dir.file("textures.pkp"), {}));
  fsys::create_directories(dir.file("effect"));
  for (const char* name : {"bomb01", "spark01"})
    fsys::copy_file(std::string(RK_BINARY_DIR) + "/data/effect/" + name + ".ea", dir.file("effect/") + name + ".ea");
  fsys::create_directories(dir.file("run"));
  fsys::create_directories(dir.file("home"));

  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(90);
    const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err >= 0) dup2(err, 2);
    std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                    "XDG_RUNTIME_DIR=" + dir.file("run"), "XDG_DATA_HOME=" + dir.file("home"),
                                    "HOME=" + dir.path()};
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(executable.c_str()), nullptr};
    execve(executable.c_str(), argv, envp.data());
    _exit(91);
  }
  ASSERT_GT(pid, 0);

  int status = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > until) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      FAIL() << "the game did not end";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::string errors = rktest::readBytes(dir.file("stderr.txt"));
  ASSERT_TRUE(WIFEXITED(status)) << errors;
  EXPECT_EQ(WEXITSTATUS(status), 0) << errors;
  EXPECT_EQ(rktest::readBytes(dir.file("result.txt")), "true true true");
  const fsys::path errorLog =
      fsys::path(dir.file("home")) / fsys::u8path(u8"装甲機兵クォルヴァンデル体験版") / "error_log.txt";
  EXPECT_FALSE(fsys::exists(errorLog)) << rktest::readBytes(errorLog.string());
  EXPECT_EQ(errors.find("host::gpu"), std::string::npos) << errors;
}

}  // namespace
