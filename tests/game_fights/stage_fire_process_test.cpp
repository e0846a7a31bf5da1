// The stage's enemy fire and pick-ups in the built game, headless: the
// stage's own modules (StageBullets, StageItems, StageWaves) driven by a
// test autoexec in a copy of the built data folder (models, effects, sounds),
// and the whole game flown by its auto pilot. Each run writes its figures to
// a file and must end with exit code 0 and an empty error log.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/figures.h"
#include "support/game_run.h"
#include "support/game_scripts.h"
#include "support/script_pack.h"
#include "support/temp_dir.h"

namespace {

namespace fsys = std::filesystem;

const std::string kDataFolder = RK_BINARY_DIR "/data";

// A data folder with everything of the built one, linked, but its own script
// pack: the preloaded modules, the game's stage modules and `autoexec`.
bool prepareStageFolder(const rktest::TempDir& dir, const std::string& autoexec, bool allScripts = false) {
  fsys::create_directories(dir.file("run"));
  fsys::create_directories(dir.file("home"));
  fsys::create_directories(dir.file("data"));
  std::error_code error;
  for (const fsys::directory_entry& entry : fsys::directory_iterator(kDataFolder, error)) {
    if (entry.path().filename() == "script.pkp") continue;
    fsys::create_symlink(entry.path(), fsys::path(dir.file("data")) / entry.path().filename(), error);
    if (error) return false;
  }
  rktest::PackSources scripts;
  if (allScripts) {
    // Every script of the game under its pack name, the autoexec replaced.
    const fsys::path root = fsys::path(RK_SOURCE_DIR) / "data" / "script";
    scripts.push_back({"script/autoexec.a", autoexec});
    for (const fsys::directory_entry& entry : fsys::recursive_directory_iterator(root, error)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".lua") continue;
      const std::string name = fsys::relative(entry.path(), root).replace_extension(".a").generic_string();
      if (name != "autoexec.a") scripts.push_back({"script/" + name, rktest::readBytes(entry.path().string())});
    }
  } else {
    scripts = rktest::gameScripts(autoexec);
    for (const char* module : {"guard", "stage_collision", "stage_player", "stage_bullets", "stage_items", "stage_waves"})
      scripts.push_back({std::string("script/game/") + module + ".a",
                         rktest::readBytes(std::string(RK_SOURCE_DIR) + "/data/script/game/" + module + ".lua")});
  }
  return rktest::writePack(dir.file("data/script.pkp"), scripts);
}

void expectCleanExit(const rktest::TempDir& dir, const rktest::GameRun& run) {
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << "status " << run.status << "\n" << run.errors;
  EXPECT_FALSE(fsys::exists(rktest::gameErrorLog(dir))) << rktest::readBytes(rktest::gameErrorLog(dir).string());
}

// StageBullets and StageItems against a still player body with plenty of hit
// points: patterns fire as many bullets as they say, aimed fire hits, every
// bullet and laser is taken back once it has hit or left, a pick-up dropped
// on the player is collected, and what was already released (a bullet body
// finalized by someone else, a second release, fire after release, unknown
// kinds) is survived without an error-log entry.
constexpr char kApiAutoexec[] = R"(
local figures = {}
local function wait(seconds)
  for _ = 1, math.floor(seconds * 60) do coroutine.yield() end
end

function main()
  setFixFrame(true)
  for _, m in ipairs({ "guard", "stage_collision", "stage_player", "stage_bullets", "stage_items", "stage_waves" }) do
    includeModule("script/game/" .. m)
  end
  -- What a stage has: the effect unit of the pick-up messages, the status unit
  -- whose score a bonus raises.
  local effects = createEffectUnit(CAMERA.EFFECT, 10, 0, 0, 0, 64)
  local unit = createGameStatusUnit()
  local collision = StageCollision.new()
  -- The stage's player, held still at (0, -5).
  local player = StagePlayer.new(collision)
  local pilot = player.actor
  pilot:setHpMax(1000) pilot:setHp(1000)
  player:update(0, 0, -1, false)
  local bullets = StageBullets.new(collision)
  local items = StageItems.new(collision)

  bullets:ring("sphere", 0, 20, 10, 12)
  figures.ring = bullets:count()
  bullets:aimed("capsule", 0, 20, 14, 5, 0.2)
  figures.fan = bullets:count() - figures.ring
  figures.unknown = bullets:fire("nonsense", 0, 0, 0, -1) == nil and 1 or 0
  bullets:aimedLaser(3, 20, 20, 8)
  bullets:chain(-3, 20, 12, 6)
  -- One bullet's body let go of by someone else while in flight.
  local stray = bullets:fire("sphere", 10, 20, 0, -5)
  stray.body:finalize()
  local most, turned = 0, 0
  -- Each fall of the hit points, and whether the machine blinked after one.
  local hits, lastHit, minGap, blinked, hp = 0, nil, math.huge, 0, pilot:getHp()
  for frame = 1, 6 * 60 do
    player:update(1 / 60, 0, 0, false)
    if pilot:getHp() < hp then
      hits = hits + 1
      if lastHit then minGap = math.min(minGap, frame - lastHit) end
      lastHit = frame
    end
    hp = pilot:getHp()
    if lastHit and frame - lastHit < 60 and player.model:isReady() and not player.model:isVisible() then blinked = 1 end
    bullets:update(1 / 60)
    items:update(1 / 60)
    most = math.max(most, bullets:count())
    if frame == 60 then
      local dx = bullets:dodge(0, -5, { left = -12, right = 12, near = -6, far = 10 })
      turned = dx ~= 0 and 1 or 0
    end
    if frame == 30 then items:drop(0, -4) end
    coroutine.yield()
  end
  figures.most = most
  figures.left = bullets:count()
  for i, b in ipairs(bullets.live) do
    local x, y, z = b.body:getPos()
    local vx, vy, vz = b.body:getVelocity()
    figures["stuck" .. i] = string.format("%s_%.1f_%.1f_%.1f_v%.1f_%.1f_%.1f_%s", b.kind, x, y, z, vx, vy, vz, tostring(b.body:isValid()))
  end
  figures.lasers_left, figures.chains_left = #bullets.lasers, #bullets.chains
  figures.dodged = turned
  figures.hits, figures.min_hit_gap, figures.blinked = hits, minGap == math.huge and 9999 or minGap, blinked
  figures.player_hp = pilot:getHp()
  figures.items_dropped = items.dropped
  figures.items_collected = items.collected
  figures.spheres, figures.capsules = bullets.fired.sphere, bullets.fired.capsule
  figures.lasers, figures.chains = bullets.fired.laser, bullets.fired.chain

  -- Bad arguments fire nothing, or a capped pattern; none of them stops
  -- the script.
  local before = bullets:count()
  bullets:fire("sphere", nil, 0, 0, -1)
  bullets:fire("capsule", 0, 0, 0 / 0, -1)
  bullets:aimed("capsule", "x", 0, 5)
  bullets:laser(0, 0, nil, 10)
  bullets:chain(0, 0, nil)
  bullets:fire("sphere", 0, 10, 0, -1, "junk")
  bullets:chain(0, 10, 5, 4, { turn = "fast", life = {} })
  figures.bad_fired = bullets:count() - before
  before = bullets:count()
  bullets:ring("sphere", 0, 10, 5, 1e12, "offset")
  figures.capped_ring = bullets:count() - before
  figures.bad_item = items:drop(nil, 0) == nil and 1 or 0

  -- Fire right before the end, then release twice and fire after it.
  bullets:ring("sphere", 0, 0, 5, 8)
  bullets:aimedLaser(0, 10, 10)
  bullets:release()
  bullets:release()
  figures.after_release = bullets:fire("sphere", 0, 0, 0, -1) == nil and 1 or 0
  bullets:update(1 / 60)
  items:release()
  collision:release()
  wait(0.5)

  local file = io.open("figures.txt", "w")
  for key, value in pairs(figures) do file:write(key, " ", tostring(value), "\n") end
  file:close()
  exitGame()
  coroutine.yield()
end
entryCoRoutine("main")
)";

TEST(StageFire, PatternsHitAreTakenBackAndPickUpsAreCollected) {
  rktest::TempDir dir;
  ASSERT_TRUE(prepareStageFolder(dir, kApiAutoexec));
  const rktest::GameRun run = rktest::runGame(dir, {dir.file("data"), {}}, std::chrono::seconds(120));
  expectCleanExit(dir, run);
  const std::string text = rktest::readBytes(dir.file("data/figures.txt"));
  SCOPED_TRACE(text);
  std::map<std::string, double> f = rktest::parseFigures(text);
  EXPECT_EQ(f["ring"], 12);
  EXPECT_EQ(f["fan"], 5);
  EXPECT_EQ(f["unknown"], 1) << "an unknown kind fires nothing";
  EXPECT_EQ(f["lasers"], 1);
  EXPECT_EQ(f["chains"], 1);
  EXPECT_GE(f["most"], 19);
  EXPECT_EQ(f["left"], 0) << "every bullet and laser was taken back";
  EXPECT_LT(f["player_hp"], 1000) << "aimed fire hit the still player";
  // A hit leaves the machine unhurtable, blinking, for 1.2 s: a stream of
  // bullets takes it down once per period, not once per bullet or frame.
  EXPECT_GE(f["hits"], 1);
  EXPECT_GE(f["min_hit_gap"], 70) << "frames between two falls of the hit points";
  EXPECT_EQ(f["blinked"], 1);
  EXPECT_EQ(f["dodged"], 1) << "the pilot is told to step aside";
  EXPECT_EQ(f["items_dropped"], 1);
  EXPECT_EQ(f["items_collected"], 1);
  EXPECT_EQ(f["after_release"], 1) << "released bullets fire nothing";
  EXPECT_EQ(f["bad_fired"], 2) << "only the sphere with junk options and the chain with junk options fire";
  EXPECT_EQ(f["capped_ring"], 64);
  EXPECT_EQ(f["bad_item"], 1);
}

// The game's own scripts with the scene flow replaced by one stage: the
// stage flown by its auto pilot for QUORVANDEL_AUTOPLAY seconds, in a small
// window (the software renderer draws it on CI machines). Its enemies fire
// bullets, needles, lasers and bendable lasers, the pilot shoots some down
// and picks up what the first one leaves, and the game ends cleanly.
TEST(StageFire, AutoPlayedStageFiresEveryKindAndCollectsAPickUp) {
  rktest::TempDir dir;
  std::string autoexec = rktest::readBytes(std::string(RK_SOURCE_DIR) + "/data/script/autoexec.lua");
  const std::string flow = "SceneFlow.run(\"title\")";
  const std::size_t at = autoexec.find(flow);
  ASSERT_NE(at, std::string::npos);
  autoexec.replace(at, flow.size(), "StageScene.run()");
  ASSERT_TRUE(prepareStageFolder(dir, autoexec, true));
  rktest::writeGameConfig(dir, "SCREEN_SIZE = (640,360)\r\n");
  const std::string summary = dir.file("summary.txt");
  rktest::GameRunOptions options{dir.file("data"), {"QUORVANDEL_AUTOPLAY=24", "QUORVANDEL_STAGE_SUMMARY=" + summary}};
  const rktest::GameRun run = rktest::runGame(dir, options, std::chrono::seconds(240));
  expectCleanExit(dir, run);
  EXPECT_EQ(run.errors, "");
  const std::string text = rktest::readBytes(summary);
  SCOPED_TRACE(text);
  ASSERT_NE(text.find("stage summary: "), std::string::npos);
  std::map<std::string, double> f = rktest::parseFigures(text);
  EXPECT_GE(f["kills"], 3);
  EXPECT_GE(f["spheres"], 10);
  EXPECT_GE(f["capsules"], 2);
  EXPECT_GE(f["lasers"], 1);
  EXPECT_GE(f["chains"], 1);
  EXPECT_GE(f["items_collected"], 1);
}

}  // namespace
