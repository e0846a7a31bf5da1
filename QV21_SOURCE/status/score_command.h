// The scripts' view of the high-score table (library "game_commmon_command_lib").
#pragma once
#include <lua.hpp>

namespace status {

// "getNowRank"(score): the first rank 1..10 whose score is strictly lower, else 0.
int lua_getNowRank(lua_State* L);
// "insertRankIn"(score, name): drops the lowest entry and inserts this one. A
// score that is not a number raises a script error before the table changes.
int lua_insertRankIn(lua_State* L);
// "getScoreRanking"(rank) -> name, score; ranks outside 1..10 clamp.
int lua_getScoreRanking(lua_State* L);

}  // namespace status
