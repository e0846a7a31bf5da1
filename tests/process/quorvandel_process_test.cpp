// The game executable as a process, headless under SDL's offscreen driver: it
// starts and ends cleanly, and a second copy exits at once with -1.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "host/ui.h"
#include "qv21_resource.h"
#include "support/temp_dir.h"

namespace {

namespace fsys = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kExecutable = std::string(RK_BINARY_DIR) + "/quorvandel";

class GameProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fsys::exists(kExecutable)) << kExecutable;
    fsys::create_directories(runtime());
    fsys::create_directories(dataHome());
    setenv("XDG_RUNTIME_DIR", runtime().c_str(), 1);
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  std::string runtime() const { return dir_.file("run"); }
  std::string dataHome() const { return dir_.file("home"); }
  // The save folder the game makes when it boots.
  fsys::path saveFolder() const { return fsys::path(dataHome()) / fsys::u8path(u8"装甲機兵クォルヴァンデル体験版"); }

  void start() {
    pid_ = fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      if (chdir(dir_.path().c_str()) != 0) _exit(90);
      std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                      "XDG_RUNTIME_DIR=" + runtime(), "XDG_DATA_HOME=" + dataHome(),
                                      "HOME=" + dir_.path()};
      std::vector<char*> envp;
      for (std::string& e : env) envp.push_back(e.data());
      envp.push_back(nullptr);
      char* argv[] = {const_cast<char*>(kExecutable.c_str()), nullptr};
      execve(kExecutable.c_str(), argv, envp.data());
      _exit(91);
    }
  }
  // The exit code, or -1 when the process did not end within the time.
  int waitForExit(std::chrono::seconds limit) {
    const auto until = Clock::now() + limit;
    while (Clock::now() < until) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  bool waitFor(const fsys::path& path, std::chrono::seconds limit) {
    const auto until = Clock::now() + limit;
    while (Clock::now() < until && !fsys::exists(path)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fsys::exists(path);
  }

  rktest::TempDir dir_;
  pid_t pid_ = -1;
};

TEST_F(GameProcess, StartsHeadlessAndEndsCleanlyWhenAskedToTerminate) {
  start();
  // The save folder appears when the game has booted and the loop is about to run.
  ASSERT_TRUE(waitFor(saveFolder(), std::chrono::seconds(20)));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_EQ(kill(pid_, SIGTERM), 0);  // arrives as a close of the window
  EXPECT_EQ(waitForExit(std::chrono::seconds(20)), 0);
  EXPECT_FALSE(fsys::exists(saveFolder() / "error_log.txt"));
}

TEST_F(GameProcess, SecondCopyExitsAtOnceWithMinusOne) {
  // This test process plays the first copy: it holds the game's lock.
  ASSERT_TRUE(host::ui::acquireSingleInstanceLock(qv21::kClassName, qv21::kCaption));
  start();
  EXPECT_EQ(waitForExit(std::chrono::seconds(10)), 255);
  EXPECT_FALSE(fsys::exists(saveFolder()));  // it never booted
}

}  // namespace
