// The file table: file dialogs, relative paths, resources and packs.
#include <string>

#include "host/fs.h"
#include "host/ui.h"
#include "kernel/rk_instance_table.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "script/rk_lua_object.h"
#include "rk_script_internal.h"
#include "script/rk_script_resource.h"
#include "rk_script_resource_internal.h"

namespace rk::script {

namespace {

// PathRelativePathTo's answer without a leading ".\".
std::string relativeFromFolder(const std::string& folder, const std::string& file) {
  std::string path = relativePathTo(folder, file);
  if (path.rfind(".\\", 0) == 0) path.erase(0, 2);
  return path;
}

// The open or save dialog: the initial folder is the current directory plus
// the second argument; the answer comes back relative to the current
// directory, which the dialog may not change.
int showDialog(lua_State* L, bool save) {
  host::ui::FileDialogRequest request;
  request.owner = ownerWindow();
  request.save = save;
  request.title = toTextOrEmpty(L, 1);
  const std::string current = host::fs::currentDirectory();
  request.initialFolder = current + "\\" + toTextOrEmpty(L, 2);
  if (!save) request.fileName = toTextOrEmpty(L, 3);
  request.filter = toTextOrEmpty(L, 4);
  request.flags = host::ui::OFN_FILEMUSTEXIST;
  lua_settop(L, 0);

  const bool chosen = host::ui::showFileDialog(request);
  host::fs::setCurrentDirectory(current);
  lua_pushboolean(L, chosen);
  lua_pushstring(L, chosen ? relativeFromFolder(current, request.fileName).c_str() : "");
  return 2;
}

int lua_loadDialog(lua_State* L) { return showDialog(L, false); }
int lua_saveDialog(lua_State* L) { return showDialog(L, true); }

int lua_changeRelativePath(lua_State* L) {
  const char* base = toTextArg(L, 1);
  const std::string target = toTextOrEmpty(L, 2);
  const std::string current = host::fs::currentDirectory();
  const std::string from = base ? current + "\\" + base : current;
  lua_settop(L, 0);
  lua_pushstring(L, target.empty() ? "" : relativeFromFolder(from, current + "\\" + target).c_str());
  return 1;
}

int lua_createResource(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  res::ResourcePtr resource = resource_api::loadNamedResource(name);
  if (!resource) return 0;
  return resource_api::pushResourceObject(L, resource.get(), true);
}

// ------------------------------------------------------------ pack objects

const LuaClass kRomPackClass{"rk::res::RomPack"};

res::RomPack* packArg(lua_State* L, const char* name) {
  auto* pack = toLuaObject<res::RomPack>(L, 1, kRomPackClass);
  if (!pack) reportNullObject(name);
  return pack;
}

int lua_RomPack_load(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 2);
  res::RomPack* pack = packArg(L, "rk::res::`anonymous-namespace'::lua_RomPack_load");
  lua_settop(L, 0);
  lua_pushboolean(L, pack && pack->load(name.c_str()));
  return 1;
}

int lua_RomPack_isReady(lua_State* L) {
  res::RomPack* pack = packArg(L, "rk::res::`anonymous-namespace'::lua_RomPack_isReady");
  lua_settop(L, 0);
  lua_pushboolean(L, pack && pack->isReady());
  return 1;
}

int lua_RomPack_setup(lua_State* L) {
  res::RomPack* pack = packArg(L, "rk::res::`anonymous-namespace'::lua_RomPack_setup");
  lua_settop(L, 0);
  if (pack) pack->setup(false);
  return 0;
}

const luaL_Reg kRomPackMethods[] = {
    {"load", guarded<lua_RomPack_load>},
    {"isReady", guarded<lua_RomPack_isReady>},
    {"setup", guarded<lua_RomPack_setup>},
    {nullptr, nullptr},
};

int lua_createRomPack(lua_State* L) {
  lua_settop(L, 0);
  return pushLuaObject(L, new res::RomPack(), kRomPackClass, kRomPackMethods,
                       lua_gcDeleteObject<res::RomPack, kRomPackClass>);
}

const LuaFunctionPair kFileTable[] = {
    {guarded<lua_loadDialog>, "loadDialog"},
    {guarded<lua_saveDialog>, "saveDialog"},
    {guarded<lua_changeRelativePath>, "changeRelativePath"},
    {guarded<lua_createResource>, "createResource"},
    {guarded<lua_createRomPack>, "createRomPack"},
};

}  // namespace

LuaFunctionTable fileFunctionTable() {
  return {kFileTable, static_cast<int>(sizeof kFileTable / sizeof kFileTable[0])};
}

}  // namespace rk::script
