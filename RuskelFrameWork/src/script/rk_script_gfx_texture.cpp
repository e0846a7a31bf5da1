// The texture object: "createTexture" hands out one counted reference to a
// texture of the texture manager, loaded from its file or, with the
// from-memory flag, an empty texture registered under the name. Commands and
// cameras that take a texture object add references of their own.
#include "gfx/rk_texture.h"
#include "gfx/rk_texture_manager.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_texture.h"
#include "rk_script_graphics_internal.h"
#include "script/rk_script_graphics.h"

namespace rk::script::gph {

const LuaClass kTextureClass{"rk::gfx::RkTexture"};

gfx::RkTexture* toTexture(lua_State* L, int index) { return toLuaObject<gfx::RkTexture>(L, index, kTextureClass); }

bool isTextureObject(lua_State* L, int index) {
  LuaObjectBlock* block = luaObjectBlock(L, index);
  return block && block->cls == &kTextureClass;
}

namespace {

// A texture object that holds no texture answers false.
int textureIsReady(lua_State* L) {
  auto* texture = dynamic_cast<gfx::RkTexture12*>(toTexture(L, 1));
  const bool ready = texture && texture->resource();
  lua_settop(L, 0);
  lua_pushboolean(L, ready);
  return 1;
}

// 0, 0 until the GPU texture exists.
int textureGetSize(lua_State* L) {
  gfx::RkTexture* texture = toTexture(L, 1);
  std::uint32_t width = 0, height = 0;
  if (texture) texture->getSize(&width, &height);
  lua_settop(L, 0);
  lua_pushinteger(L, width);
  lua_pushinteger(L, height);
  return 2;
}

// Drops the object's reference, once.
int textureCollector(lua_State* L) {
  gfx::RkTexture* texture = toTexture(L, 1);
  if (texture) {
    luaObjectBlock(L, 1)->object = nullptr;
    texture->release("src/script/rk_script_graphics", __LINE__);
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kTextureMethods[] = {
    {"isReady", textureIsReady},
    {"getTexutreSize", textureGetSize},
    {nullptr, nullptr},
};

}  // namespace

// Arguments: name, from-memory flag, two numbers that are not used, and the
// linear flag: a boolean true loads the file without forcing sRGB (loader
// flags 0); false, absent or anything else keeps the default (1). A name that
// is neither a string nor a number is reported and gives an object that holds
// no texture.
int createTexture(lua_State* L) {
  const char* text = toTextArg(L, 1);
  const std::string name = text ? text : "";
  const bool fromMemory = toBoolArg(L, 2);
  const std::uint32_t loaderFlags = lua_type(L, 5) == LUA_TBOOLEAN && lua_toboolean(L, 5) ? 0u : 1u;
  lua_settop(L, 0);
  gfx::RkTexture* texture = nullptr;
  gfx::RkTextureManager* textures = text ? gfx::RkTextureManager::getInstance() : nullptr;
  if (textures && fromMemory) {
    texture = textures->loadTextureFromMemory(name);
  } else if (textures) {
    texture = textures->loadTexture(name);
    texture->info().load_flags_ = loaderFlags;
  }
  if (!texture) RK_GPH_REPORT_NULL("createTexture");
  return pushLuaObject(L, texture, kTextureClass, kTextureMethods, textureCollector);
}

}  // namespace rk::script::gph
