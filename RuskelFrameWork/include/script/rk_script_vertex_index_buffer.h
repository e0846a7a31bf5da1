// The buffer globals (the eighteenth global table): index lists and coloured
// vertex lists that scripts fill for the drawing commands. Each object owns
// its list.
#pragma once
#include <cstdint>
#include <vector>

#include "script/rk_lua_object.h"
#include "script/rk_script.h"
#include "util/rk_vertex_buffer.h"

namespace rk::script {

LuaFunctionTable vertexIndexBufferFunctionTable();

namespace vertex_index_buffer {

// A vertex list starting with the current vertex at the origin, mid grey, opaque.
class VertexBufferVC : public util::VertexBuffer<util::VertexColor> {
 public:
  VertexBufferVC() : VertexBuffer(util::VertexColor{0.0f, 0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 1.0f}) {}
};

using IndexList = std::vector<std::uint16_t>;

extern const LuaClass kIndexListClass;
extern const LuaClass kVertexBufferVCClass;

// The list held at that stack index, or null for anything else.
inline IndexList* toIndexList(lua_State* L, int index) { return toLuaObject<IndexList>(L, index, kIndexListClass); }
inline VertexBufferVC* toVertexBufferVC(lua_State* L, int index) {
  return toLuaObject<VertexBufferVC>(L, index, kVertexBufferVCClass);
}

}  // namespace vertex_index_buffer
}  // namespace rk::script
