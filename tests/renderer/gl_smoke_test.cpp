// The game executable draws with the OpenGL back end: started headless under
// SDL's offscreen driver in a data folder with the real shader pack, it draws
// its frames, ends through its autoexec script and exits cleanly.
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

#include "support/game_scripts.h"
#include "support/script_pack.h"
#include "support/shader_pack.h"
#include "support/temp_dir.h"

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
  const std::string executable = std::string(RK_BINARY_DIR) + "/quorvandel";
  ASSERT_TRUE(fsys::exists(executable)) << executable;
  rktest::TempDir dir;
  ASSERT_TRUE(rktest::writeShaderPack(dir.file("shaders.pkp")));
  ASSERT_TRUE(rktest::writePack(dir.file("script.pkp"), rktest::gameScripts(kAutoexec)));
  ASSERT_TRUE(rktest::writePack(dir.file("textures.pkp"), {}));
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
  EXPECT_EQ(rktest::readBytes(dir.file("frames.txt")), "10");
  // No GL context, no shader program, no failed call: each would have ended
  // the game with an error entry, or left a complaint of the GPU layer.
  const fsys::path saveFolder = fsys::path(dir.file("home")) / fsys::u8path(u8"装甲機兵クォルヴァンデル体験版");
  const fsys::path errorLog = saveFolder / "error_log.txt";
  EXPECT_FALSE(fsys::exists(errorLog)) << rktest::readBytes(errorLog.string());
  EXPECT_EQ(errors.find("host::gpu"), std::string::npos) << errors;
}

}  // namespace
