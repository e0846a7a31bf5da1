// The game executable as a process, headless under SDL's offscreen driver, in a
// data folder whose script pack holds the autoexec script of each test: it
// starts and ends cleanly, its autoexec ends it through exitGame after the
// right number of frames, and a second copy exits at once with -1.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "host/ui.h"
#include "qv21_resource.h"
#include "support/game_run.h"
#include "support/game_scripts.h"
#include "support/script_pack.h"
#include "support/shader_pack.h"
#include "support/temp_dir.h"

namespace {

namespace fsys = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kExecutable = std::string(RK_BINARY_DIR) + "/quorvandel";

// Waits for the next frame forever, as the sample data's autoexec does.
constexpr char kIdleAutoexec[] = "function main() while true do coroutine.yield() end end entryCoRoutine('main')";

// Marks its first frame in "started.txt", waits until "release.txt" exists,
// then counts its frames into "frames.txt" every frame and calls exitGame in
// the 30th. A frame run after that would raise the count.
constexpr char kCountingAutoexec[] = R"(
local function touch(name, text)
  local file = io.open(name, "w")
  file:write(text)
  file:close()
end
function main()
  touch("started.txt", "1")
  while not io.open("release.txt", "r") do coroutine.yield() end
  local frames = 0
  while true do
    frames = frames + 1
    touch("frames.txt", tostring(frames))
    if frames == 30 then exitGame() end
    coroutine.yield()
  end
end
entryCoRoutine("main")
)";

class GameProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fsys::exists(kExecutable)) << kExecutable;
    fsys::create_directories(runtime());
    fsys::create_directories(dataHome());
    setenv("XDG_RUNTIME_DIR", runtime().c_str(), 1);
    writeDataFolder(kIdleAutoexec);
  }
  void TearDown() override {
    for (pid_t pid : pids_) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  std::string runtime() const { return dir_.file("run"); }
  std::string dataHome() const { return dir_.file("home"); }
  // The save folder the game makes when it boots.
  fsys::path saveFolder() const { return fsys::path(dataHome()) / fsys::u8path(u8"装甲機兵クォルヴァンデル体験版"); }
  // The device's shader pack and the two packs the game's boot loads: the
  // scripts (the test's autoexec beside the game's preloaded modules from the
  // data sources) and the textures the build made.
  void writeDataFolder(const std::string& autoexec) {
    ASSERT_TRUE(rktest::writeShaderPack(dir_.file("shaders.pkp")));
    ASSERT_TRUE(rktest::writePack(dir_.file("script.pkp"), rktest::gameScripts(autoexec)));
    ASSERT_TRUE(rktest::copyGameTextures(dir_.path()));
  }

  // Starts a copy of the game in the data folder (the test's own unless one is
  // given); the first one started is pid_.
  pid_t start(const std::string& dataFolder = "") {
    const std::string folder = dataFolder.empty() ? dir_.path() : dataFolder;
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(folder.c_str()) != 0) _exit(90);
      // Message boxes of a headless run go to standard error.
      const int err = open(dir_.file("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
      if (err >= 0) dup2(err, 2);
      const std::string home = home_.empty() ? dir_.path() : home_;
      const std::string dataHome = home_.empty() ? this->dataHome() : home_;
      std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                      "XDG_RUNTIME_DIR=" + runtime(), "XDG_DATA_HOME=" + dataHome,
                                      "HOME=" + home};
      std::vector<char*> envp;
      for (std::string& e : env) envp.push_back(e.data());
      envp.push_back(nullptr);
      char* argv[] = {const_cast<char*>(kExecutable.c_str()), nullptr};
      execve(kExecutable.c_str(), argv, envp.data());
      _exit(91);
    }
    EXPECT_GT(pid, 0);
    if (pid > 0) pids_.push_back(pid);
    if (pid_ < 0) pid_ = pid;
    return pid;
  }
  // The exit code, or -1 when the process did not end within the time.
  int waitForExit(pid_t pid, std::chrono::seconds limit) {
    const auto until = Clock::now() + limit;
    while (Clock::now() < until) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pids_.erase(std::remove(pids_.begin(), pids_.end(), pid), pids_.end());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
  }
  int waitForExit(std::chrono::seconds limit) { return waitForExit(pid_, limit); }
  bool waitFor(const fsys::path& path, std::chrono::seconds limit) {
    const auto until = Clock::now() + limit;
    while (Clock::now() < until && !fsys::exists(path)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return fsys::exists(path);
  }

  rktest::TempDir dir_;
  std::string home_;  // when set: the home and data folder of the game's environment
  pid_t pid_ = -1;
  std::vector<pid_t> pids_;  // started and not yet reaped
};

TEST_F(GameProcess, StartsHeadlessAndEndsCleanlyWhenAskedToTerminate) {
  start();
  // The save folder appears when the game has booted and the loop is about to run.
  ASSERT_TRUE(waitFor(saveFolder(), std::chrono::seconds(20)));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_EQ(kill(pid_, SIGTERM), 0);  // arrives as a close of the window
  EXPECT_EQ(waitForExit(std::chrono::seconds(20)), 0);
  EXPECT_FALSE(fsys::exists(saveFolder() / "error_log.txt"));
  // The shut-down saved the settings and the high scores.
  const std::string config = rktest::readBytes((saveFolder() / "config.dat").string());
  EXPECT_NE(config.find("WINDOW_MODE = TRUE\r\nSCREEN_SIZE = (1280,720)\r\n"), std::string::npos);
  const std::string scores = rktest::readBytes((saveFolder() / "score_data.sca").string());
  ASSERT_GE(scores.size(), 16u);
  EXPECT_EQ(scores.substr(0, 4), std::string("\x78\0\0\0", 4));  // 120 bytes of records
}

TEST_F(GameProcess, AutoexecEndsTheGameAfterItsFramesWhileASecondCopyExitsAtOnce) {
  writeDataFolder(kCountingAutoexec);
  start();
  ASSERT_TRUE(waitFor(dir_.file("started.txt"), std::chrono::seconds(20)));

  const pid_t second = start();
  EXPECT_EQ(waitForExit(second, std::chrono::seconds(10)), 255);  // -1
  EXPECT_FALSE(fsys::exists(dir_.file("frames.txt")));  // the first copy still waits

  rktest::writeBytes(dir_.file("release.txt"), "go");
  EXPECT_EQ(waitForExit(std::chrono::seconds(20)), 0);
  EXPECT_EQ(rktest::readBytes(dir_.file("frames.txt")), "30");
  EXPECT_FALSE(fsys::exists(saveFolder() / "error_log.txt"));
}

// Every script sees the game libraries' functions and the preloaded modules'
// globals from its first line.
TEST_F(GameProcess, ScriptsStartWithTheGameLibrariesAndThePreloadedModules) {
  writeDataFolder(R"(
local expected = {
  "createActorBody", "createGameStatusUnit", "createGameStatusShiledGauge", "createGameConfig", "getGameManager",
  "getCameraNoBackground", "getCameraNoMap", "getCameraNoActor", "getCameraNoActorEffect", "getCameraNoEffect",
  "getCameraNoDebMap", "getCameraNoStatusDispolay", "getCameraNoMenuUnder", "getCameraNoWeaponModelSelect",
  "getCameraNoContinue", "getCameraNoWeaponSelect", "getCameraNoWeaponSelectDEMO",
  "getCameraNoWeaponSelectPowerParam", "getCameraNoWarning", "getCameraNoMapEffect", "getCameraNoRanking",
  "getCameraNoLogo", "getCameraNoGameOver", "getCameraNoWipeEffect", "getCameraNoTopEffect",
  "getCameraNoGameWipe", "getCameraNoStageName", "calcHpFromDamageReloadTime", "getScoreRanking", "getNowRank",
  "insertRankIn",
}
function main()
  local missing = {}
  for _, name in ipairs(expected) do
    if type(_G[name]) ~= "function" then missing[#missing + 1] = name end
  end
  for _, name in ipairs({"clamp", "waitFrames", "dprint", "nextStage", "cameraBit", "degToRad"}) do
    if type(_G[name]) ~= "function" then missing[#missing + 1] = name end
  end
  if CAMERA.ACTOR ~= 2 or CAMERA.STATUS ~= 6 or TASK_PRIORITY.PHYSICS ~= 7 or ACTOR_KIND.ENEMY ~= 2 then
    missing[#missing + 1] = "module constants"
  end
  local enemy = EnemyBase.new(createActorBody(1, 0), 3, 0.5)
  if not enemy:hit(1) or enemy:hit(1) or enemy.body:getHp() ~= 2 then missing[#missing + 1] = "EnemyBase" end
  local name, score = getScoreRanking(1)
  if score ~= 40000 or getNowRank(40001) ~= 1 then missing[#missing + 1] = "high scores" end
  local file = io.open("libs.txt", "w")
  file:write(#missing == 0 and "ok" or table.concat(missing, " "))
  file:close()
  exitGame()
  coroutine.yield()
end
entryCoRoutine("main")
)");
  start();
  EXPECT_EQ(waitForExit(std::chrono::seconds(20)), 0);
  EXPECT_EQ(rktest::readBytes(dir_.file("libs.txt")), "ok");
  EXPECT_FALSE(fsys::exists(saveFolder() / "error_log.txt"))
      << rktest::readBytes((saveFolder() / "error_log.txt").string());
}

// The data folder the build makes: its autoexec loads the sound group and
// starts the music, and the game runs until it is closed.
TEST_F(GameProcess, TheBuiltDataFolderBootsAndRunsUntilClosed) {
  start(std::string(RK_BINARY_DIR) + "/data");
  ASSERT_TRUE(waitFor(saveFolder(), std::chrono::seconds(20)));
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ASSERT_EQ(waitForExit(std::chrono::seconds(0)), -1) << "still running";
  ASSERT_EQ(kill(pid_, SIGTERM), 0);
  EXPECT_EQ(waitForExit(std::chrono::seconds(20)), 0);
  EXPECT_FALSE(fsys::exists(saveFolder() / "error_log.txt"))
      << rktest::readBytes((saveFolder() / "error_log.txt").string());
}

// A home folder the program cannot name in CP932 leaves it without a save
// folder: it runs and ends normally, writes nothing at the file-system root,
// shows no box at the end and leaves one error-log entry (in the current
// folder, the log's own fallback).
TEST_F(GameProcess, WithoutASaveFolderTheGameRunsAndEndsQuietly) {
  home_ = dir_.file("Jos\xC3\xA9");  // UTF-8 "é" has no CP932 form
  fsys::create_directories(home_);
  const bool rootConfigBefore = fsys::exists("/config.dat");
  start();
  ASSERT_TRUE(waitFor(dir_.file("error_log.txt"), std::chrono::seconds(20)));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ASSERT_EQ(kill(pid_, SIGTERM), 0);
  EXPECT_EQ(waitForExit(std::chrono::seconds(20)), 0);
  const std::string log = rktest::readBytes(dir_.file("error_log.txt"));
  EXPECT_EQ(rktest::countOf(log, "rk::res::RkResSaveLoader::prepareSaveFolder\r\n"), 1u) << log;
  EXPECT_EQ(rktest::readBytes(dir_.file("stderr.txt")), "") << "no box";
  if (!rootConfigBefore) EXPECT_FALSE(fsys::exists("/config.dat"));
  EXPECT_FALSE(fsys::exists(dir_.file("config.dat")));
}

// Prints through the display-list font and measures with the initial font for
// ten frames, then writes the measure and the names of the game fonts in the
// device context's adapter slots, and ends.
constexpr char kPrintingAutoexec[] = R"(
function main()
  gfxSetLocate2D(1, 1)
  gfxPrintf2D("SCORE 0123 あいう")
  local initial = createInitialFont()
  local width, height = initial:calcSize("ＡＢ")
  for frame = 1, 10 do coroutine.yield() end
  local file = io.open("fonts.txt", "w")
  file:write(width .. " " .. height .. " " .. getSystemFontAdapter():getFontName() .. ", " ..
             getUserFontAdapter():getFontName())
  file:close()
  exitGame()
  coroutine.yield()
end
entryCoRoutine("main")
)";

// The boot installs the game's fonts from the texture pack; text is drawn
// through them for some frames and the game ends without a complaint.
TEST_F(GameProcess, TheGameFontsDrawFromTheTexturePack) {
  writeDataFolder(kPrintingAutoexec);
  start();
  EXPECT_EQ(waitForExit(std::chrono::seconds(20)), 0);
  EXPECT_EQ(rktest::readBytes(dir_.file("fonts.txt")), "64 32 org font, sys org font");
  EXPECT_FALSE(fsys::exists(saveFolder() / "error_log.txt"))
      << rktest::readBytes((saveFolder() / "error_log.txt").string());
}

// Without the font pages each missing page is reported once; the fonts draw
// nothing, and the game runs its frames and ends normally.
TEST_F(GameProcess, MissingFontPagesAreReportedAndTheGameGoesOn) {
  writeDataFolder(kPrintingAutoexec);
  ASSERT_TRUE(rktest::writePack(dir_.file("textures.pkp"), {}));
  start();
  EXPECT_EQ(waitForExit(std::chrono::seconds(20)), 0);
  EXPECT_EQ(rktest::readBytes(dir_.file("fonts.txt")), "64 32 org font, sys org font");
  const std::string log = rktest::readBytes((saveFolder() / "error_log.txt").string());
  EXPECT_EQ(rktest::countOf(log, "rk::gfx::RkTextureManager::loadTexture\r\n"), 27u) << log;
  for (const char* page : {"font01", "kanji03_02", "initialfont"})
    EXPECT_EQ(rktest::countOf(log, std::string("loadTexture\r\ntextures/") + page + ".dds\r\n"), 1u) << page;
}

TEST_F(GameProcess, MissingScriptPackEndsTheGameWithAnErrorInTheLog) {
  fsys::remove(dir_.file("script.pkp"));
  start();
  EXPECT_EQ(waitForExit(std::chrono::seconds(20)), 0);
  EXPECT_NE(rktest::readBytes((saveFolder() / "error_log.txt").string()).find("script.pkp"), std::string::npos);
}

TEST_F(GameProcess, SecondCopyExitsAtOnceWithMinusOne) {
  // This test process plays the first copy: it holds the game's lock.
  ASSERT_TRUE(host::ui::acquireSingleInstanceLock(qv21::kClassName, qv21::kCaption));
  start();
  EXPECT_EQ(waitForExit(std::chrono::seconds(10)), 255);
  EXPECT_FALSE(fsys::exists(saveFolder()));  // it never booted
}

}  // namespace
