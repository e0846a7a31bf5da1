#include "script/rk_script_vertex_index_buffer.h"

#include "script/rk_lua_arg.h"

namespace rk::script::vertex_index_buffer {

const LuaClass kIndexListClass{"rk::script::vertex_index_buffer::IndexList"};
const LuaClass kVertexBufferVCClass{"rk::script::vertex_index_buffer::VertexBufferVC"};

namespace {

// Appends the arguments from the second on, each kept modulo 65536, up to the
// first one that is neither a number nor a numeric string.
int lua_IndexList_push(lua_State* L) {
  IndexList* list = toIndexList(L, 1);
  if (!list) reportNullObject("rk::script::vertex_index_buffer::`anonymous-namespace'::lua_IndexList_push");
  for (int i = 2, top = lua_gettop(L); list && i <= top; ++i) {
    int isNumber = 0;
    const lua_Number value = lua_tonumberx(L, i, &isNumber);
    if (!isNumber) break;
    list->push_back(static_cast<std::uint16_t>(truncateToInt64(value)));
  }
  lua_settop(L, 0);
  return 0;
}

int lua_IndexList_clear(lua_State* L) {
  if (IndexList* list = toIndexList(L, 1)) {
    list->clear();
  } else {
    reportNullObject("rk::script::vertex_index_buffer::`anonymous-namespace'::lua_IndexList_clear");
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kIndexListMethods[] = {
    {"push", lua_IndexList_push},
    {"clear", lua_IndexList_clear},
    {nullptr, nullptr},
};
const luaL_Reg kNoMethods[] = {{nullptr, nullptr}};

int createIndexBuffer(lua_State* L) {
  return pushLuaObject(L, new IndexList, kIndexListClass, kIndexListMethods,
                       lua_deleteHeldObject<IndexList, kIndexListClass>);
}

// The drawing commands read the list; scripts have no methods on it.
int createVertexBufferVC(lua_State* L) {
  return pushLuaObject(L, new VertexBufferVC, kVertexBufferVCClass, kNoMethods,
                       lua_deleteHeldObject<VertexBufferVC, kVertexBufferVCClass>);
}

const LuaFunctionPair kBufferFunctions[] = {
    {createIndexBuffer, "createIndexBuffer"},
    {createVertexBufferVC, "createVertexBufferVC"},
};

}  // namespace

}  // namespace rk::script::vertex_index_buffer

namespace rk::script {

LuaFunctionTable vertexIndexBufferFunctionTable() {
  using vertex_index_buffer::kBufferFunctions;
  return {kBufferFunctions, static_cast<int>(sizeof kBufferFunctions / sizeof kBufferFunctions[0])};
}

}  // namespace rk::script
