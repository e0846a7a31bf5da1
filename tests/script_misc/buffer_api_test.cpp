// The index and vertex list objects run from Lua.
#include <gtest/gtest.h>

#include "script/rk_script_vertex_index_buffer.h"
#include "script_misc/script_misc_fixture.h"

namespace {

using BufferApi = rktest::ScriptMiscFixture;
namespace vib = rk::script::vertex_index_buffer;

vib::IndexList indexGlobal(lua_State* L, const char* name) {
  lua_getglobal(L, name);
  vib::IndexList* list = vib::toIndexList(L, -1);
  lua_pop(L, 1);
  EXPECT_NE(list, nullptr) << name;
  return list ? *list : vib::IndexList{};
}

TEST_F(BufferApi, IndexListPushStopsAtTheFirstNonNumberAndWraps) {
  EXPECT_EQ(run(R"(
    list = createIndexBuffer()
    check(values(list:push(1, 2, '3', nil, 5)).n == 0)
    other = createIndexBuffer()
    other:push(65537, -1, 65535.9, -65536.5, '0x10', {}, 7)
  )"), "");
  EXPECT_EQ(indexGlobal(L, "list"), (vib::IndexList{1, 2, 3}));
  EXPECT_EQ(indexGlobal(L, "other"), (vib::IndexList{1, 65535, 65535, 0, 16}));
  EXPECT_EQ(run("list:clear() list:push() list:push(9)"), "");
  EXPECT_EQ(indexGlobal(L, "list"), (vib::IndexList{9}));

  EXPECT_EQ(run("list.push(createVertexBufferVC(), 1) list.clear(nil)"), "");
  EXPECT_EQ(log.entries("rk::script::vertex_index_buffer::`anonymous-namespace'::lua_IndexList_push"), 1u);
  EXPECT_EQ(log.entries("rk::script::vertex_index_buffer::`anonymous-namespace'::lua_IndexList_clear"), 1u);
}

TEST_F(BufferApi, VertexListHasNoMethodsAndStartsFromAGreyVertex) {
  EXPECT_EQ(run(R"(
    vertices = createVertexBufferVC()
    check(type(vertices) == 'userdata')
    check(not pcall(function() vertices:push(1) end), 'no methods')
  )"), "");
  lua_getglobal(L, "vertices");
  vib::VertexBufferVC* buffer = vib::toVertexBufferVC(L, -1);
  lua_pop(L, 1);
  ASSERT_NE(buffer, nullptr);
  EXPECT_TRUE(buffer->vertices().empty());
  const rk::util::VertexColor& v = buffer->current();
  EXPECT_EQ(std::vector<float>({v.x, v.y, v.z, v.r, v.g, v.b, v.a}),
            std::vector<float>({0, 0, 0, 0.5f, 0.5f, 0.5f, 1.0f}));
  // Both kinds are deleted with their objects (the sanitizer build checks for leaks).
  EXPECT_EQ(run("vertices = nil list = createIndexBuffer() list = nil collectgarbage()"), "");
}

}  // namespace
