#include "status/score_command.h"

#include <cstdint>
#include <string>

#include "script/rk_lua_arg.h"
#include "status/score_unit.h"

namespace status {

namespace {
// A number converted to an unsigned 32-bit integer: truncated, wrapped.
std::uint32_t toUnsignedArg(lua_State* L, int index) {
  return static_cast<std::uint32_t>(rk::script::toInt64Arg(L, index));
}
}  // namespace

int lua_getNowRank(lua_State* L) {
  const std::uint32_t score = toUnsignedArg(L, 1);
  lua_settop(L, 0);
  const ScoreUnit* unit = ScoreUnit::getInstance();
  lua_pushinteger(L, unit ? unit->getNowRank(score) : 0);
  return 1;
}

int lua_insertRankIn(lua_State* L) {
  const auto score = static_cast<std::uint32_t>(luaL_checkinteger(L, 1));
  const std::string name = rk::script::toTextOrEmpty(L, 2);
  lua_settop(L, 0);
  if (ScoreUnit* unit = ScoreUnit::getInstance()) unit->insertRankIn(score, name);
  return 0;
}

int lua_getScoreRanking(lua_State* L) {
  const std::uint32_t rank = toUnsignedArg(L, 1);
  lua_settop(L, 0);
  const ScoreUnit* unit = ScoreUnit::getInstance();
  if (!unit) {
    lua_pushstring(L, "");
    lua_pushinteger(L, 0);
    return 2;
  }
  const ScoreUnit::ScoreData& entry = unit->getScoreData(rank);
  lua_pushlstring(L, entry.name.data(), entry.name.size());
  lua_pushinteger(L, entry.score);
  return 2;
}

}  // namespace status
