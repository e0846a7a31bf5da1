// Shared by the file table and the resource table.
#pragma once
#include <string>

#include <lua.hpp>

#include "res/rk_resource.h"

namespace rk::script::resource_api {

// Maps the requested name to its stored name and asks the file manager for it
// (no owner). Throws HrException when the file does not exist.
res::ResourcePtr loadNamedResource(const std::string& requested);

// A resource object holding one reference: isReady, and reload when asked for.
int pushResourceObject(lua_State* L, res::ResourceData* resource, bool withReload);

}  // namespace rk::script::resource_api
