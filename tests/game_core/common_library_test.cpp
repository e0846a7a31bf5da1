// The game libraries' registration and the entries of the common library that
// exist: settings object, game manager, camera numbers, the damage helper and
// the high-score functions.
#include <gtest/gtest.h>

#include "common/game_common_command.h"
#include "common/game_config.h"
#include "common/game_manager.h"
#include "game_core/game_fixture.h"
#include "qv21_game_libraries.h"
#include "script/rk_script.h"
#include "status/score_unit.h"

namespace {

class CommonLibrary : public gametest::GameScript {
 protected:
  CommonLibrary() {
    for (const rk::script::LuaFunctionPair& entry : common::gameCommonCommandLib()) reg(entry.name, entry.function);
  }
};

TEST(GameLibraries, SevenLibrariesAreRegisteredInOrder) {
  rk::script::ScriptStateManager* manager = rk::script::ScriptStateManager::createInstance();
  qv21::registerGameLibraries();
  const std::vector<std::string> expected = {"player_command",      "actor_body_command",       "enemy_command",
                                             "status_unit_command", "collision_gorup_lib",      "game_commmon_command_lib",
                                             "flush_group_command"};
  EXPECT_EQ(qv21::gameLibraryNames(), expected);
  for (const std::string& name : expected) EXPECT_NE(manager->findUserLibrary(name.c_str()), nullptr) << name;
  const auto* actorBody = manager->findUserLibrary("actor_body_command");
  ASSERT_EQ(actorBody->count, 1);
  EXPECT_STREQ(actorBody->pairs[0].name, "createActorBody");
  // The common library keeps the table's order among the entries it holds.
  const auto* common = manager->findUserLibrary("game_commmon_command_lib");
  std::vector<std::string> names;
  for (int i = 0; i < common->count; ++i) names.push_back(common->pairs[i].name);
  const std::vector<std::string> order = {"createGameConfig", "getGameManager", "getCameraNoBackground",
                                          "getCameraNoStageName", "calcHpFromDamageReloadTime", "getScoreRanking",
                                          "getNowRank", "insertRankIn"};
  std::size_t at = 0;
  for (const std::string& name : names)
    if (at < order.size() && name == order[at]) ++at;
  EXPECT_EQ(at, order.size()) << "entries out of order";
  rk::script::ScriptStateManager::destroyInstance();
}

TEST_F(CommonLibrary, CameraNumbersAndTheDamageHelper) {
  EXPECT_EQ(run("return getCameraNoActor(), getCameraNoActorEffect(), getCameraNoRanking(), getCameraNoLogo(), "
                "getCameraNoGameOver(), getCameraNoWeaponSelectDEMO(), getCameraNoStatusDispolay(), "
                "getCameraNoGameWipe(), getCameraNoWipeEffect(), getCameraNoStageName()"),
            "2,2,10,10,10,10,6,6,12,14");
  EXPECT_EQ(run("return string.format('%.10f', calcHpFromDamageReloadTime(0.1, 3)), "
                "calcHpFromDamageReloadTime('x', 3)"),
            "0.3000000119,0");
}

TEST_F(CommonLibrary, HighScoreFunctionsOnTheDefaultTable) {
  status::ScoreUnit* unit = status::ScoreUnit::createInstance();
  unit->load(nullptr);
  struct Case {
    const char* call;
    std::string expected;
  } cases[] = {
      {"getScoreRanking(1)", "＊＊＊,40000"}, {"getScoreRanking(10)", "＊＊＊,78"},
      {"getScoreRanking(0)", "＊＊＊,40000"}, {"getScoreRanking(11)", "＊＊＊,78"},
      {"getScoreRanking(3)", "＊＊＊,10000"}, {"getNowRank(40000)", "2"},
      {"getNowRank(40001)", "1"},             {"getNowRank(78)", "0"},
      {"getNowRank(79)", "10"},               {"getNowRank(4294967296 + 100)", "10"},  // wraps to 100
  };
  for (const Case& c : cases) EXPECT_EQ(run(std::string("return ") + c.call), c.expected) << c.call;

  // A low score still takes the lowest place; a tie ranks above the older entry.
  run("insertRankIn(5, 'LOW')");
  EXPECT_EQ(run("return getScoreRanking(10)"), "LOW,5");
  run("insertRankIn(40000, 'TIE')");
  EXPECT_EQ(run("return getScoreRanking(1)"), "TIE,40000");
  EXPECT_EQ(run("return getScoreRanking(2)"), "＊＊＊,40000");
  EXPECT_EQ(unit->count(), 10u);

  // A score that is not a number is a script error before the table changes.
  const std::vector<std::uint8_t> before = unit->payload();
  EXPECT_NE(run("insertRankIn('many', 'BAD')").find("error"), std::string::npos);
  EXPECT_EQ(unit->payload(), before);
  status::ScoreUnit::destroyInstance();
}

TEST_F(CommonLibrary, GameManagerObjectsShareTheManagerAndOutliveNothing) {
  GameManager::createInstance();
  EXPECT_EQ(run("m1 = getGameManager() m2 = getGameManager() e = m1:getEnemyManager() "
                "return rawequal(m1, m2), e ~= nil"),
            "false,true");
  run("m2 = nil collectgarbage()");
  EXPECT_NE(GameManager::getInstance(), nullptr);
  EXPECT_EQ(run("return m1:getEnemyManager() ~= nil"), "true");
  GameManager::destroyInstance();
  // The scripts' objects now read as null.
  EXPECT_EQ(run("return m1:getEnemyManager(), getGameManager()"), "nil,nil");
  EXPECT_EQ(log_.entries("GameManager::lua_getEnemyManager"), 1u);
  run("m1 = nil e = nil collectgarbage()");

  GameManager::destroyInstance();
  EXPECT_EQ(log_.entries("GameManager::destroyInstance"), 1u);
}

TEST_F(CommonLibrary, TheSettingsObjectComesFromTheLibrary) {
  GameConfig::createInstance();
  EXPECT_EQ(run("local o = createGameConfig() o:setSEVolume(0.5) return o:getSEVolume(), o:getFontName()"), "0.5,nil");
  GameConfig::destroyInstance();
}

}  // namespace
