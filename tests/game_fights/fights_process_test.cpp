// Whole fights in the built game, headless, at a fixed 1/60 s a frame: each
// test's autoexec builds the fight from the game's script libraries, plays it
// for a number of seconds of game time, writes its figures to a file in the
// data folder and ends the game through exitGame.
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

// Runs the autoexec to its end; the figures it wrote.
std::map<std::string, double> play(const rktest::TempDir& dir, const std::string& autoexec) {
  EXPECT_TRUE(rktest::prepareGameFolder(dir, autoexec));
  const rktest::GameRun run = rktest::runGame(dir, std::chrono::seconds(120));
  EXPECT_TRUE(run.started);
  EXPECT_FALSE(run.timedOut);
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << "status " << run.status << "\n" << run.errors;
  const fsys::path log = rktest::gameErrorLog(dir);
  EXPECT_FALSE(fsys::exists(log)) << rktest::readBytes(log.string());
  return rktest::parseFigures(rktest::readBytes(dir.file("figures.txt")));
}

// Pooled enemies with sphere root bodies hover in a row and fire for ten
// seconds: sphere and capsule bullets at a target body, a growing laser and a
// bendable laser whose head weaves. Bullets that leave the area are put away.
// The figures count what was fired and how far bullets and lasers travelled
// or grew.
constexpr char kEnemiesAutoexec[] = R"(
local FRAMES = 600  -- ten seconds at 1/60 s

local function rate(frame, every) return frame % every == 0 end

function main()
  setFixFrame(true)
  setGlobalVariable("PlayerModeCtrl", 1)
  local manager = getGameManager():getEnemyManager()

  -- A player body standing still in the first enemy's lane, where its
  -- bullets and the growing laser fly.
  local pilot = createPlayerActor()
  pilot:setHpMax(1000) pilot:setHp(1000) pilot:setNoDamageFlag(false)
  local target = createPlayerColRigidBody()
  target:setOwner(pilot) target:setRadius(1) target:setValid(true) target:setPos(-9, 0, -10) target:syncForced()

  local enemies = {}
  for i = 1, 4 do
    local enemy = manager:createEnemy(i - 1)
    enemy:setHpMax(10) enemy:setHp(10)
    local body = createEnemyRigidBodySphere()
    enemy:entryRootSphereBody(body)
    body:setOwner(enemy) body:setValid(true) body:setPos((i - 2.5) * 6, 0, 20)
    enemies[i] = { enemy = enemy, body = body }
  end

  local spheres = createEnemyBulletRigidBodySphereList()
  local capsules = createEnemyBulletRigidBodyCapsuleList()
  local lasers = createEnemyBulletRigidBodyLaserCapsuleList()
  local chains = createEnemyBulletRigidBodySphereCapsuleListList()
  local groups = {
    createColGroupPlayerEnemyBulletSphere(), createColGroupPlayerEnemyBulletCapsule(),
    createColGroupPlayerEnemyBulletLaserCapsule(), createColGroupPlayerEnemyBulletCapsuleLaserList(),
  }
  for i, list in ipairs({ spheres, capsules, lasers, chains }) do
    groups[i]:setPlayer(target) groups[i]:setBulletList(list)
    addCollisionGroup(groups[i])
  end

  local live = {}  -- { body, list, startZ }
  local fired = { sphere = 0, capsule = 0, laser = 0 }
  local travelled, longestLaser = 0, 0
  local function fire(kind, body, list, x, z)
    body:setHp(1)
    body:setPos(x, 0, z)
    body:setVelocity(0, 0, -15)
    body:setValid(true)
    list:push(body)
    fired[kind] = fired[kind] + 1
    live[#live + 1] = { body = body, list = list, startZ = z }
  end

  local chain = createEnemyBulletRigidBodySphereCapsuleList()
  chain:setRadius(0.5) chain:setLength(6) chain:setHp(1) chain:setValid(true)
  chains:push(chain)
  local chainStart = 0
  local longestChain = 0

  local laser
  for frame = 1, FRAMES do
    for i, e in ipairs(enemies) do
      local x = (i - 2.5) * 6 + math.sin(frame / 30 + i) * 2
      e.body:setPos(x, 0, 20)
      if rate(frame + i * 7, 40) then fire("sphere", createEnemyBulletRigidBodySphere(), spheres, x, 19) end
      if rate(frame + i * 11, 55) then
        local capsule = createEnemyBulletRigidBodyCapsule()
        capsule:setRadius(0.3) capsule:setHeight(1) capsule:setBaseAxis(0, 0, 1)
        fire("capsule", capsule, capsules, x, 19)
      end
    end
    -- One growing laser at a time from the first enemy.
    if not laser and rate(frame, 90) then
      laser = createEnemyBulletRigidBodyLaserCapsule()
      laser:setTotalLength(8) laser:setBaseAxis(0, 0, -1) laser:setHp(1)
      local lead = laser:getLeadSphere()
      lead:setPos(-9, 0, 19) lead:setVelocity(0, 0, -30)
      lasers:push(laser)
      fired.laser = fired.laser + 1
    end
    if laser then
      longestLaser = math.max(longestLaser, laser:getHeight())
      local _, _, z = laser:getLeadSphere():getPos()
      if z < -30 then
        lasers:remove(laser)
        laser:finalize()
        laser = nil
      end
    end
    -- The bendable laser's head weaves down the area and starts again.
    local t = (frame - chainStart) / 60
    if t > 3 then chainStart = frame t = 0 chain:initialize() chain:setRadius(0.5) chain:setLength(6) end
    chain:setPos(math.sin(t * 4) * 6, 0, 19 - t * 15)
    chain:makeLine()
    longestChain = math.max(longestChain, chain:getCapsuleSize())

    for i = #live, 1, -1 do
      local b = live[i]
      local _, _, z = b.body:getPos()
      if not b.body:isValid() or z < -30 then
        travelled = math.max(travelled, b.startZ - z)
        b.list:remove(b.body)
        b.body:finalize()
        table.remove(live, i)
      end
    end
    coroutine.yield()
  end

  for _, g in ipairs(groups) do removeCollisionGroup(g) end
  local file = io.open("figures.txt", "w")
  file:write(string.format("spheres %d\ncapsules %d\nlasers %d\ntravelled %f\nlaser_length %f\nchain_capsules %d\n"
    .. "target_hp %f\n", fired.sphere, fired.capsule, fired.laser, travelled, longestLaser, longestChain,
    pilot:getHp()))
  file:close()
  exitGame()
  coroutine.yield()
end
entryCoRoutine("main")
)";

TEST(Fights, EnemiesFireBulletsAndLasersForTenSeconds) {
  rktest::TempDir dir;
  std::map<std::string, double> figures = play(dir, kEnemiesAutoexec);
  SCOPED_TRACE(rktest::readBytes(dir.file("figures.txt")));
  for (const char* key : {"spheres", "capsules", "lasers", "travelled", "laser_length", "chain_capsules"})
    EXPECT_EQ(figures.count(key), 1u) << key;
  EXPECT_GE(figures["spheres"], 50);
  EXPECT_GE(figures["capsules"], 30);
  EXPECT_GE(figures["lasers"], 2);
  EXPECT_GT(figures["travelled"], 40) << "bullets flew from the enemies past the target";
  EXPECT_NEAR(figures["laser_length"], 8.0, 1e-3) << "the laser grew to its length";
  EXPECT_GE(figures["chain_capsules"], 2) << "the bendable laser laid a chain";
  EXPECT_LT(figures["target_hp"], 1000) << "something hit the target";
}


// An auto pilot flies the player's body for twenty seconds against waves of
// enemies inside the game's collision groups, with the status unit's score
// display, combo gauge and shield gauge entered. It lines up with the nearest
// enemy and fires beam shots; the enemies come down the area and fire sphere
// bullets at it. The figures: kills, the score, how many times a finished
// chain paid the score, the player's hit points and the shield gauge's value.
constexpr char kPlayAutoexec[] = R"(
local FRAMES = 1200  -- twenty seconds at 1/60 s
local DT = 1 / 60

function main()
  setFixFrame(true)
  setGlobalVariable("PlayerModeCtrl", 1)
  local manager = getGameManager():getEnemyManager()
  -- Sparks and explosions play on the effect cameras' units.
  local effects = {}
  for _, camera in ipairs({ CAMERA.ACTOR_EFFECT, CAMERA.EFFECT, CAMERA.MAP_EFFECT }) do
    effects[#effects + 1] = createEffectUnit(camera, 10, 0, 0, 0, 64)
  end

  -- The status display: score, combo chain paying the score, shield.
  local unit = createGameStatusUnit()
  local hud = createGfxModel()
  hud:setRenderCameraBit(cameraBit(CAMERA.STATUS))
  local score = createGameStatusScoreDisplay(hud)
  unit:entryScoreDisplay(score)
  local combo = createGameStatusComboGauge(hud, 30)
  unit:entryComboGauge(combo)
  combo:entryNotifyComboEndToScoreDisplay(score)
  combo:run()
  local shield = createGameStatusShiledGauge()
  shield:setMaxGauge(100) shield:setNowGauge(100)
  unit:entryShieldGauge(shield)

  -- The collision groups over the sides' lists.
  local players, shots, enemyBodies = createRigidBodySphereList(), createRigidBodyCapsuleList(), createRigidBodySphereList()
  local bullets = createEnemyBulletRigidBodySphereList()
  local groups = { createColGroupBeamShotEnemySphere(), createColGroupPlayerEnemySphere() }
  groups[1]:setCollisionGroup(shots, enemyBodies)
  groups[2]:setCollisionGroup(players, enemyBodies)

  local player = createPlayerActor()
  player:setHpMax(100) player:setHp(100) player:setNoDamageFlag(false)
  local body = createPlayerColRigidBody()
  body:setOwner(player) body:setRadius(0.8) body:setValid(true)
  local px, pz = 0, -5
  body:setPos(px, 0, pz) body:syncForced()
  players:push(body)
  groups[3] = createColGroupPlayerEnemyBulletSphere()
  groups[3]:setPlayer(body) groups[3]:setBulletList(bullets)
  for _, g in ipairs(groups) do addCollisionGroup(g) end

  local enemies, live, kills = {}, {}, 0
  local function spawnWave(wave)
    for i = 1, 4 do
      local enemy = manager:createEnemy(i - 1)
      enemy:setHpMax(2) enemy:setHp(2) enemy:setNoDamageFlag(false)
      local b = createEnemyRigidBodySphere()
      enemy:entryRootSphereBody(b)
      local x = (i - 2.5) * 2.5 + (wave % 3 - 1) * 3
      b:setOwner(enemy) b:setRadius(1) b:setValid(true) b:setPos(x, 0, 25) b:syncForced()
      enemyBodies:push(b)
      enemies[#enemies + 1] = { enemy = enemy, body = b, x = x, z = 25, reload = i * 0.4 }
    end
  end
  local function dropEnemy(i)
    local e = table.remove(enemies, i)
    enemyBodies:remove(e.body)
    e.body:setValid(false)
    e.body:setOwner(nil)
    e.enemy:entryRootSphereBody(nil)
    e.enemy:finalize()
  end
  local function fire(list, b, x, z, vx, vz, damage, lifetime)
    b:setHp(damage) b:setPos(x, 0, z) b:setVelocity(vx, 0, vz) b:setValid(true)
    list:push(b)
    live[#live + 1] = { body = b, list = list, time = lifetime }
  end

  local paid, lastScore, shotTimer, wave = 0, 0, 0, 0
  for frame = 1, FRAMES do
    -- A wave every six seconds: its kills make one chain, which ends and
    -- pays before the next wave's first kill.
    if (frame - 1) % 360 == 0 then wave = wave + 1 spawnWave(wave) end
    -- The pilot lines up with the nearest enemy and keeps firing.
    local target
    for _, e in ipairs(enemies) do
      if not target or e.z < target.z then target = e end
    end
    local tx = target and target.x or 0
    px = px + math.max(-1, math.min(1, (tx - px) / 2)) * 12 * DT
    body:setPos(px, 0, pz)
    shotTimer = shotTimer - DT
    if shotTimer <= 0 then
      shotTimer = 0.1
      fire(shots, createBulletBeamShot(), px, pz + 1.5, 0, 60, 1, 1)
    end
    -- Enemies come down the area and fire at the player.
    for i = #enemies, 1, -1 do
      local e = enemies[i]
      e.z = e.z - 4 * DT
      e.body:setPos(e.x, 0, e.z)
      e.reload = e.reload - DT
      if e.reload <= 0 then
        e.reload = 1.6
        local dx, dz = px - e.x, pz - e.z
        local d = math.sqrt(dx * dx + dz * dz)
        fire(bullets, createEnemyBulletRigidBodySphere(), e.x, e.z - 1, dx / d * 14, dz / d * 14, 2, 4)
      end
      e.body:runDeadInfo()
      if e.enemy:isDead() then kills = kills + 1 dropEnemy(i)
      elseif e.z < -15 then dropEnemy(i) end
    end
    for i = #live, 1, -1 do
      local l = live[i]
      l.time = l.time - DT
      if l.time <= 0 or not l.body:isValid() then
        l.list:remove(l.body)
        l.body:finalize()
        table.remove(live, i)
      end
    end
    local now = score:get()
    if now > lastScore then paid = paid + 1 lastScore = now end
    coroutine.yield()
  end

  for _, g in ipairs(groups) do removeCollisionGroup(g) end
  local file = io.open("figures.txt", "w")
  file:write(string.format("kills %d\nscore %d\ncombos_paid %d\nplayer_hp %f\nshield %f\n",
    kills, score:get(), paid, player:getHp(), shield:getNowGauge()))
  file:close()
  exitGame()
  coroutine.yield()
end
entryCoRoutine("main")
)";

TEST(Fights, AnAutoPilotedPlayerScoresCombosAndTakesDamageInTwentySeconds) {
  rktest::TempDir dir;
  std::map<std::string, double> figures = play(dir, kPlayAutoexec);
  SCOPED_TRACE(rktest::readBytes(dir.file("figures.txt")));
  for (const char* key : {"kills", "score", "combos_paid", "player_hp", "shield"})
    EXPECT_EQ(figures.count(key), 1u) << key;
  EXPECT_GE(figures["kills"], 2);
  EXPECT_GT(figures["score"], 0);
  EXPECT_GE(figures["combos_paid"], 1);
  // A chain pays 1000 for each of its kills beyond the first; nothing else
  // scores here.
  EXPECT_EQ(static_cast<long long>(figures["score"]) % 1000, 0);
  EXPECT_LE(figures["score"], (figures["kills"] - figures["combos_paid"]) * 1000);
  EXPECT_LT(figures["player_hp"], 100) << "the player was hit";
  EXPECT_GT(figures["player_hp"], 0) << "and survived";
  EXPECT_FLOAT_EQ(figures["shield"], figures["player_hp"]) << "the body shows its hit points on the shield gauge";
}

}  // namespace
