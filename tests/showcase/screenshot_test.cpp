// The game in a real window under a virtual X server: the auto-play runs the
// title, the stage and the results while the test photographs each one. The
// game's own scripts run unchanged; the test's autoexec adds a hook that holds
// the game at a chosen frame of a scene (the scene's picture stays on the
// screen) until the photograph is taken. The photographs are kept as PNG
// files in the build folder's screenshots/ and checked for what they must show.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "host/text.h"
#include "showcase/png_file.h"
#include "showcase/x_server.h"
#include "support/game_run.h"
#include "support/script_pack.h"
#include "support/temp_dir.h"

namespace {

namespace fsys = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1280, kHeight = 720;

// The stage's picture is taken no earlier than this many frames (1/60 s each)
// into the stage scene, at the first frame where enemy bullets fly and a laser
// has been out for a while (resources load at their own pace, so a fixed frame
// does not always show the same fight); the auto-play time covers the menus
// before it, the results and the way out.
constexpr int kStageFrame = 960;
constexpr int kAutoPlaySeconds = 25;

// Appended to the game's autoexec before it starts its main coroutine. A scene
// named in SHOTS holds at that frame: it writes "shot-<scene>.ready" and waits
// (yielding frames, drawing nothing new, the physics paused) for
// "shot-<scene>.done". The stage is held from kStageFrame on once its fire
// shows bullets and a laser (or 2 s later regardless, and the checks tell).
constexpr char kHook[] = R"(
local SHOTS = { title = 10, stage = %d, results = 20 }
local scene, frames = nil, 0
local function exists(name)
  local file = io.open(name, "r")
  if file then file:close() end
  return file ~= nil
end
for name, table in pairs({ title = TitleScene, stage = StageScene, results = ResultsScene }) do
  local run = table.run
  table.run = function(...) scene, frames = name, 0 return run(...) end
end
local fire, laserFrames = nil, 0
local bulletsUpdate = StageBullets.update
StageBullets.update = function(self, ...)
  fire = self
  return bulletsUpdate(self, ...)
end
-- A bendable laser's head well inside the actor camera's view. (Its line is
-- kept by the script; a growing laser's ribbon is laid by the physics step,
-- which the hold pauses.)
local function inView(x, z) return x and math.abs(x) < 9 and z > -5 and z < 13 end
local function laserInView()
  for _, c in ipairs(fire.chains) do
    if inView(c.x, c.z) then return true end
  end
  return false
end
local function due()
  if scene ~= "stage" then return SHOTS[scene] == frames end
  if fire and laserInView() then laserFrames = laserFrames + 1 else laserFrames = 0 end
  if frames < SHOTS.stage then return false end
  return (laserFrames >= 20 and #fire.live >= 3) or frames >= SHOTS.stage + 120
end
local frameNext = Frame.next
Frame.next = function()
  frames = frames + 1
  if scene and due() and not exists("shot-" .. scene .. ".done") then
    -- The physics stops too, so that bullets and lasers stay where they are.
    setPhysicalPause(true)
    local file = io.open("shot-" .. scene .. ".ready", "w")
    file:write("1")
    file:close()
    while not exists("shot-" .. scene .. ".done") do coroutine.yield() end
    setPhysicalPause(false)
  end
  return frameNext()
end
)";

// The game's scripts as the build packs them, with the hook in the autoexec.
rktest::PackSources hookedScripts() {
  rktest::PackSources scripts;
  const fsys::path root = fsys::path(RK_SOURCE_DIR) / "data";
  for (const auto& entry : fsys::recursive_directory_iterator(root / "script")) {
    if (!entry.is_regular_file() || entry.path().extension() != ".lua") continue;
    std::string name = fsys::relative(entry.path(), root).generic_string();
    name = name.substr(0, name.size() - 4) + ".a";
    std::string text = rktest::readBytes(entry.path().string());
    if (name == "script/autoexec.a") {
      const std::string start = "entryCoRoutine(\"main\")";
      const std::size_t at = text.rfind(start);
      if (at == std::string::npos) return {};
      char hook[sizeof kHook + 16];
      std::snprintf(hook, sizeof hook, kHook, kStageFrame);
      text.insert(at, hook);
    }
    scripts.push_back({name, host::text::utf8ToCp932(text)});
  }
  return scripts;
}

struct Measure {
  int distinctColours = 0;   // after dropping each channel to 5 bits
  double notBackground = 0;  // share of pixels unlike the most common colour
};

Measure measure(const showcase::RgbImage& image, int left, int top, int right, int bottom) {
  std::vector<int> counts(1 << 15, 0);
  int total = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, image.height); ++y)
    for (int x = std::max(left, 0); x < std::min(right, image.width); ++x) {
      const std::uint8_t* p = image.at(x, y);
      ++counts[(p[0] >> 3) << 10 | (p[1] >> 3) << 5 | (p[2] >> 3)];
      ++total;
    }
  Measure m;
  m.distinctColours = static_cast<int>(std::count_if(counts.begin(), counts.end(), [](int c) { return c > 0; }));
  const int most = *std::max_element(counts.begin(), counts.end());
  m.notBackground = total ? 1.0 - double(most) / total : 0.0;
  return m;
}

// Pixels of a region close to a colour (each channel within 40).
int countNear(const showcase::RgbImage& image, int left, int top, int right, int bottom, int r, int g, int b) {
  int count = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, image.height); ++y)
    for (int x = std::max(left, 0); x < std::min(right, image.width); ++x) {
      const std::uint8_t* p = image.at(x, y);
      count += std::abs(p[0] - r) < 40 && std::abs(p[1] - g) < 40 && std::abs(p[2] - b) < 40;
    }
  return count;
}

// Pixels of a region for which `is` holds.
template <typename Is>
int countWhere(const showcase::RgbImage& image, int left, int top, int right, int bottom, Is is) {
  int count = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, image.height); ++y)
    for (int x = std::max(left, 0); x < std::min(right, image.width); ++x) count += is(image.at(x, y));
  return count;
}

// The hues that only the stage's fighters use, as lit and shaded on screen:
// the enemies' red cores (not the HUD's alert red), the enemy bullets'
// magenta and the enemy lasers' bright green.
bool isEnemyRed(const std::uint8_t* p) {
  const bool alertText = std::abs(p[0] - 255) < 30 && std::abs(p[1] - 96) < 30 && std::abs(p[2] - 80) < 30;
  return p[0] >= 110 && 2 * p[1] <= p[0] && 2 * p[2] <= p[0] && !alertText;
}
bool isBulletMagenta(const std::uint8_t* p) { return p[0] >= 120 && p[2] >= 90 && p[1] + 60 <= p[0] && p[1] + 40 <= p[2]; }
bool isLaserGreen(const std::uint8_t* p) { return p[1] >= 170 && p[0] + 60 <= p[1] && p[2] + 40 <= p[1]; }

class Screenshots : public ::testing::Test {
 protected:
  void SetUp() override {
    if (showcase::findXvfb().empty()) GTEST_SKIP() << "no Xvfb on PATH";
    ASSERT_TRUE(fsys::exists(std::string(RK_BINARY_DIR) + "/quorvandel"));
    fsys::copy(std::string(RK_BINARY_DIR) + "/data", data(), fsys::copy_options::recursive);
    const rktest::PackSources scripts = hookedScripts();
    ASSERT_FALSE(scripts.empty()) << "the autoexec no longer starts its main coroutine as expected";
    ASSERT_TRUE(rktest::writePack(data() + "/script.pkp", scripts));
    fsys::create_directories(dir_.file("home"));
    fsys::create_directories(dir_.file("run"));
    fsys::create_directories(shots());
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  std::string data() const { return dir_.file("data"); }
  static std::string shots() { return std::string(RK_BINARY_DIR) + "/screenshots"; }

  void start(const std::string& display) {
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(data().c_str()) != 0) _exit(90);
      const int err = open(dir_.file("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err >= 0) dup2(err, 2);
      std::vector<std::string> env = {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                                      "XDG_RUNTIME_DIR=" + dir_.file("run"), "XDG_DATA_HOME=" + dir_.file("home"),
                                      "HOME=" + dir_.path(),
                                      "QUORVANDEL_AUTOPLAY=" + std::to_string(kAutoPlaySeconds)};
      std::vector<char*> envp;
      for (std::string& e : env) envp.push_back(e.data());
      envp.push_back(nullptr);
      const std::string executable = std::string(RK_BINARY_DIR) + "/quorvandel";
      char* argv[] = {const_cast<char*>(executable.c_str()), nullptr};
      execve(executable.c_str(), argv, envp.data());
      _exit(91);
    }
    ASSERT_GT(pid_, 0);
  }

  // Photographs the held scene once its picture is up: a picture that is
  // still blank (the frame not yet presented) is taken again for a while.
  showcase::RgbImage photograph(showcase::XServer& server) {
    showcase::RgbImage image;
    const auto until = Clock::now() + std::chrono::seconds(10);
    do {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      image = server.capture();
      if (image.width > 0 && measure(image, 0, 0, image.width, image.height).distinctColours >= 3) break;
    } while (Clock::now() < until);
    return image;
  }

  rktest::TempDir dir_;
  pid_t pid_ = -1;
};

TEST_F(Screenshots, TitleStageAndResultsShowInARealWindow) {
  showcase::XServer server(kWidth, kHeight);
  ASSERT_FALSE(server.display().empty()) << "Xvfb did not start";
  start(server.display());

  std::map<std::string, showcase::RgbImage> taken;
  const std::vector<std::string> scenes = {"title", "stage", "results"};
  int status = -1;
  const auto until = Clock::now() + std::chrono::seconds(280);  // within the test runner's 300 s
  while (Clock::now() < until) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      break;
    }
    for (const std::string& scene : scenes) {
      if (taken.count(scene) || !fsys::exists(data() + "/shot-" + scene + ".ready")) continue;
      taken[scene] = photograph(server);
      EXPECT_TRUE(showcase::writePng(shots() + "/" + scene + ".png", taken[scene])) << scene;
      rktest::writeBytes(data() + "/shot-" + scene + ".done", "1");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_EQ(pid_, -1) << "the game did not end by itself";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(rktest::readBytes(dir_.file("stderr.txt")), "");
  EXPECT_FALSE(fsys::exists(rktest::gameErrorLog(dir_))) << rktest::readBytes(rktest::gameErrorLog(dir_).string());

  // What each picture must show, in its own colours: the title and the
  // results show the game's name over the drifting stars and a framed panel;
  // the stage is a shaded 3D scene under the HUD's score digits and shield gauge.
  constexpr int kCursor[3] = {96, 160, 255};  // panel frames and the full gauge
  constexpr int kTitle[3] = {255, 208, 96};   // the game's name
  constexpr int kText[3] = {230, 236, 255};   // the HUD's score
  constexpr int kStar[3] = {120, 132, 160};
  struct Expect {
    const char* scene;
    int minColours;  // distinct colours over the whole picture
    double minNotBackground;
    int frameBox[4];  // where the panel frame or the gauge lies
    int minFramePixels;
    const int* textColour;
    int textBox[4];  // the game's name, or the score's digits
    int minTextPixels;
    int minStarPixels;  // over the whole picture
  } expects[] = {
      {"title", 4, 0.005, {380, 140, 900, 530}, 1000, kTitle, {400, 20, 880, 80}, 60, 40},
      {"stage", 48, 0.3, {130, 640, 460, 672}, 0, kText, {125, 25, 300, 65}, 40, 0},
      {"results", 4, 0.005, {300, 140, 980, 620}, 1000, kTitle, {400, 20, 880, 80}, 60, 40},
  };
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.scene);
    ASSERT_EQ(taken.count(e.scene), 1u) << "the scene was never held for its photograph";
    const showcase::RgbImage& image = taken[e.scene];
    ASSERT_EQ(image.width, kWidth);
    ASSERT_EQ(image.height, kHeight);
    const Measure whole = measure(image, 0, 0, kWidth, kHeight);
    EXPECT_GE(whole.distinctColours, e.minColours);
    EXPECT_GT(whole.notBackground, e.minNotBackground);
    const int* f = e.frameBox;
    EXPECT_GE(countNear(image, f[0], f[1], f[2], f[3], kCursor[0], kCursor[1], kCursor[2]), e.minFramePixels);
    const int* t = e.textBox;
    EXPECT_GE(countNear(image, t[0], t[1], t[2], t[3], e.textColour[0], e.textColour[1], e.textColour[2]),
              e.minTextPixels);
    EXPECT_GE(countNear(image, 0, 0, kWidth, kHeight, kStar[0], kStar[1], kStar[2]), e.minStarPixels);
  }

  // Between the HUD's corners (score and kills, time, the chain banner) and
  // above its shield gauge, the stage shows the fight: enemies, the bullets
  // they fire and their lasers.
  const showcase::RgbImage& stage = taken["stage"];
  // The shield gauge: what is left of the shield, in the cursor colour, or in
  // the alert colour when it runs low.
  constexpr int kAlert[3] = {255, 96, 80};
  EXPECT_GE(countNear(stage, 130, 640, 460, 672, kCursor[0], kCursor[1], kCursor[2]) +
                countNear(stage, 130, 640, 460, 672, kAlert[0], kAlert[1], kAlert[2]),
            300)
      << "shield gauge";
  const int fight[4] = {300, 0, 1040, 620};
  EXPECT_GE(countWhere(stage, fight[0], fight[1], fight[2], fight[3], isEnemyRed), 300) << "enemies";
  // A few bullets, even under the smoke of an explosion.
  EXPECT_GE(countWhere(stage, fight[0], fight[1], fight[2], fight[3], isBulletMagenta), 150) << "enemy bullets";
  // A bendable laser has been in view for a third of a second: a thin
  // line, dimmed where explosion smoke drifts over it (a laser drawn clear,
  // the fault this guards against, leaves no green pixel at all). On a
  // loaded machine the held frame can come while smoke covers most of it:
  // 87 pixels were seen.
  EXPECT_GE(countWhere(stage, fight[0], fight[1], fight[2], fight[3], isLaserGreen), 40) << "enemy lasers";
  // The status display's pieces keep to their places and size: drawn
  // unplaced, its score digits cover a quarter of the screen in black.
  const int black = countWhere(stage, 0, 0, kWidth, kHeight, [](const std::uint8_t* p) {
    return p[0] < 8 && p[1] < 8 && p[2] < 8;
  });
  EXPECT_LT(black, 20000) << "black pixels over the stage";
}

}  // namespace
