// The stage's bosses in the built game, headless, at a fixed 1/60 s a frame.
// Each test's autoexec loads the game's stage modules from the script pack,
// builds a stage around one boss (the actor and effect cameras with their
// effect units, collision lists, player, status score; no ground, so the
// frames stay cheap to draw) and flies the player in two parts: first it only sits in the line
// of the beam the boss is about to fire, then it fires its beam shots from
// beside the boss's core, keeping out of the beams, until the boss is
// destroyed. The figures go to a file in the data folder; the game ends
// through exitGame.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/figures.h"
#include "support/game_run.h"
#include "support/temp_dir.h"

namespace {

namespace fsys = std::filesystem;

// The game modules the stage needs, beside those the boot preloads.
constexpr const char* kStageModules[] = {"guard", "stage_collision", "stage_player", "stage_boss"};

constexpr char kAutoexec[] = R"(
for _, name in ipairs(MODULES) do includeModule("script/game/" .. name) end

local DT = 1 / 60
local EXPOSED_SECONDS, FIGHT_SECONDS = 10, 40

local function figures(values)
  local file = io.open("figures.txt", "w")
  for key, value in pairs(values) do file:write(string.format("%s %f\n", key, value)) end
  file:close()
end

function main()
  setFixFrame(true)
  COMMON_SE = loadSEGroup(SE_GROUP)
  while isSoundEffectLoding() do coroutine.yield() end

  -- The cameras the boss's bodies and the explosions need, and the effect
  -- units of the sparks and explosions; the view's scroll and flash are not
  -- under test.
  local cameras = {}
  for _, number in ipairs({ CAMERA.MAP, CAMERA.ACTOR, CAMERA.EFFECT, CAMERA.MAP_EFFECT }) do
    local camera = createCamera(number)
    camera:normalSetup() camera:setFovy(degToRad(45))
    camera:setEye(0, 20, -14) camera:setAt(0, 0, 0) camera:setUp(0, 1, 0)
    cameras[#cameras + 1] = camera
  end
  local units = {}
  for _, set in ipairs({ { CAMERA.ACTOR_EFFECT }, { CAMERA.EFFECT, "effect/spark01" },
                         { CAMERA.MAP_EFFECT, "effect/bomb01" } }) do
    local unit = createEffectUnit(set[1], 10, 0, 0, 0, 64)
    if set[2] then unit:load(set[2]) end
    units[#units + 1] = { unit = unit, name = set[2] }
  end
  local stage = { time = 0, view = { distance = 0, flash = function() end } }
  stage.collision = StageCollision.new()
  stage.player = StagePlayer.new(stage.collision)
  -- A sturdy player: the test counts what it loses, it must not be lost.
  stage.player.actor:setHpMax(1000) stage.player.actor:setHp(1000)
  stage.player.actor:setNoDamageFlag(false)
  local hud = createGfxModel()
  hud:setRenderCameraBit(cameraBit(CAMERA.STATUS))
  -- The status unit counts the kills' chains; the score display is paid.
  local unit = createGameStatusUnit()
  stage.status = { unit = unit, score = createGameStatusScoreDisplay(hud) }
  unit:entryScoreDisplay(stage.status.score)

  local boss = StageBoss.new(stage, KIND, 100)
  -- Its first beams as soon as it has flown in.
  boss.beamTimer = 0
  local values = { appeared = 0, beams_fired = 0, beam_damage = 0, destroyed = 0, fight_hp = 0, score = 0,
                   seconds_to_destroy = -1 }
  local function step(stickX, stickY, firing)
    stage.time = stage.time + DT
    for _, u in ipairs(units) do
      if not u.unit:isSetupAll() then u.unit:setupAll() end
    end
    stage.player:update(DT, stickX, stickY, firing)
    boss:update(DT)
    if boss.model:isVisible() and boss.state == "fighting" then values.appeared = 1 end
    coroutine.yield()
  end
  local function steer(tx, tz)
    local x, z = stage.player:position()
    return clamp((tx - x) / 2, -1, 1), clamp((tz - z) / 2, -1, 1)
  end

  -- Into the line of the first beam that charges; no shots.
  local hp = stage.player.actor:getHp()
  local t = 0
  while t < EXPOSED_SECONDS and stage.player.actor:getHp() == hp do
    t = t + DT
    local x, z = stage.player:position()
    local bx = boss:position()
    local lines = boss:beamsAt(z)
    local sx, sz = steer(lines[1] or bx, -3)
    step(sx, sz, false)
  end
  values.beam_damage = hp - stage.player.actor:getHp()
  values.beams_fired = boss.beamsFired

  -- Fire from beside the core until it is destroyed; a short fight.
  boss.enemy:setHp(24)
  t = 0
  while t < FIGHT_SECONDS and not boss:isDone() do
    t = t + DT
    local x, z = stage.player:position()
    local bx = boss:position()
    local tx = bx + 2
    for _, line in ipairs(boss:beamsAt(z)) do
      if math.abs(line - tx) < 3 then tx = line + (tx < line and -4 or 4) end
    end
    local sx, sz = steer(tx, -3)
    step(sx, sz, true)
    if boss:isDestroyed() and values.seconds_to_destroy < 0 then values.seconds_to_destroy = t end
  end
  values.destroyed = boss:isDestroyed() and 1 or 0
  values.done = boss:isDone() and 1 or 0
  values.fight_hp = boss:hpShare()
  values.score = stage.status.score:get()
  boss:release()
  stage.player:release()
  stage.collision:release()
  for _, u in ipairs(units) do
    if u.name then u.unit:release(u.name) end
  end
  figures(values)
  exitGame()
  coroutine.yield()
end
entryCoRoutine("main")
)";

// A data folder with the built game's models, effects and sounds and a
// script pack holding the test's autoexec and the stage modules.
bool prepare(const rktest::TempDir& dir, const std::string& kind) {
  std::string modules = "MODULES = {";
  rktest::PackSources scripts;
  for (const char* module : kStageModules) {
    modules += std::string("\"") + module + "\", ";
    scripts.push_back({std::string("script/game/") + module + ".a",
                       rktest::readBytes(std::string(RK_SOURCE_DIR) + "/data/script/game/" + module + ".lua")});
  }
  modules += "}\nKIND = \"" + kind + "\"\n";
  rktest::PackSources pack = rktest::gameScripts(modules + kAutoexec);
  pack.insert(pack.end(), scripts.begin(), scripts.end());
  std::error_code error;
  for (const char* folder : {"model", "effect", "audio"})
    fsys::copy(std::string(RK_BINARY_DIR) + "/data/" + folder, dir.file(folder), fsys::copy_options::recursive, error);
  // A small window: the fight runs thousands of fixed frames, and the
  // software renderer's time per frame grows with the pixels (at full size a
  // two-core machine took over five minutes for the boss alone).
  rktest::writeGameConfig(dir, "SCREEN_SIZE = (320,180)\r\n");
  return !error && rktest::prepareGameFolder(dir, "") && rktest::writePack(dir.file("script.pkp"), pack);
}

class BossFight : public ::testing::TestWithParam<const char*> {};

TEST_P(BossFight, AppearsFiresBeamsThatHurtAndIsDestroyedByTheShots) {
  rktest::TempDir dir;
  ASSERT_TRUE(prepare(dir, GetParam()));
  const rktest::GameRun run = rktest::runGame(dir, std::chrono::seconds(1200));
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << "status " << run.status << "\n" << run.errors;
  const fsys::path log = rktest::gameErrorLog(dir);
  EXPECT_FALSE(fsys::exists(log)) << rktest::readBytes(log.string());

  std::map<std::string, double> figures = rktest::parseFigures(rktest::readBytes(dir.file("figures.txt")));
  SCOPED_TRACE(rktest::readBytes(dir.file("figures.txt")));
  for (const char* key : {"appeared", "beams_fired", "beam_damage", "destroyed", "done", "fight_hp", "score"})
    EXPECT_EQ(figures.count(key), 1u) << key;
  EXPECT_EQ(figures["appeared"], 1) << "the boss flew in and its model showed";
  EXPECT_GE(figures["beams_fired"], 1);
  EXPECT_GT(figures["beam_damage"], 0) << "a beam that follows the model's muzzle hurt the player in its line";
  EXPECT_EQ(figures["destroyed"], 1) << "the player's shots destroyed the boss";
  EXPECT_EQ(figures["done"], 1) << "its explosion ended and it left the play";
  EXPECT_EQ(figures["fight_hp"], 0);
  EXPECT_GE(figures["score"], 30000) << "the kill paid its score";
}

INSTANTIATE_TEST_SUITE_P(Stage, BossFight, ::testing::Values("midboss", "boss"));

}  // namespace
