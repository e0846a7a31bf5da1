// Resource, file and data-chunk globals: the file table (file dialogs,
// relative paths, resources, packs) and the resource table (resources and
// data-chunk buffers and readers).
#pragma once
#include <string>

#include "script/rk_lua_object.h"
#include "script/rk_script.h"

namespace rk::script {

LuaFunctionTable fileFunctionTable();
LuaFunctionTable resourceFunctionTable();

// The tag of resource objects (both flavours); it casts to the shared object.
extern const LuaClass kResourceClass;

// The path of the file `to` relative to the folder `from`, with '\' between
// components ("..\data\a.txt", ".\a.txt"). Both may use '\' or '/'; folder
// names compare without regard to ASCII case; "." and ".." are resolved.
// Empty when the two share no root (another drive, absolute against relative).
std::string relativePathTo(const std::string& from, const std::string& to);

}  // namespace rk::script
