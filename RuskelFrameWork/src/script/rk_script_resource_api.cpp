// The resource table: resources, data-chunk buffers and data-chunk readers.
#include <map>
#include <string>
#include <vector>

#include "fs/rk_file_manager.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"
#include "res/rk_data_chank_buffer.h"
#include "script/rk_lua_arg.h"
#include "script/rk_lua_guard.h"
#include "script/rk_lua_object.h"
#include "script/rk_script_resource.h"
#include "rk_script_resource_internal.h"

namespace rk::script {

const LuaClass kResourceClass{"rk::res::ResourceData", castToInterface<res::ResourceData, policy::SharedObject>};

// ============================================================ resource objects

namespace resource_api {

res::ResourcePtr loadNamedResource(const std::string& requested) {
  std::string stored, mode;
  const bool compressed = fs::FileManager::mapAssetName(stored, mode, requested);
  if (!singletonExists(InstanceSlot::FileManager)) return res::ResourcePtr();
  return fs::FileManager::getInstance()->loadFile(stored, mode.c_str(), compressed, nullptr);
}

namespace {

res::ResourceData* resourceArg(lua_State* L, const char* name) {
  auto* resource = toLuaObject<res::ResourceData>(L, 1, kResourceClass);
  if (!resource) reportNullObject(name);
  return resource;
}

int lua_Resource_reload(lua_State* L) {
  res::ResourceData* resource = resourceArg(L, "rk::res::`anonymous-namespace'::lua_Resource_reload");
  lua_settop(L, 0);
  if (resource) resource->reload();
  return 0;
}

int lua_Resource_isReady(lua_State* L) {
  res::ResourceData* resource = resourceArg(L, "rk::res::`anonymous-namespace'::lua_Resource_isReady");
  lua_settop(L, 0);
  lua_pushboolean(L, resource && resource->isLoaded());
  return 1;
}

const luaL_Reg kReloadableMethods[] = {
    {"reload", guarded<lua_Resource_reload>},
    {"isReady", guarded<lua_Resource_isReady>},
    {nullptr, nullptr},
};
const luaL_Reg kLoadedMethods[] = {
    {"isReady", guarded<lua_Resource_isReady>},
    {nullptr, nullptr},
};

}  // namespace

int pushResourceObject(lua_State* L, res::ResourceData* resource, bool withReload) {
  return pushSharedObject(L, resource, kResourceClass, withReload ? kReloadableMethods : kLoadedMethods);
}

}  // namespace resource_api

namespace {

int lua_loadResource(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  res::ResourcePtr resource = resource_api::loadNamedResource(name);
  if (!resource) return 0;
  return resource_api::pushResourceObject(L, resource.get(), false);
}

// ========================================================= data-chunk buffers
// A buffer lives until releaseDataChankBuffer, or until its object is
// collected while no other buffer owns it. A buffer added to another belongs
// to that one, and goes with it: the objects of every buffer deleted with a
// tree are cleared, so they read as null afterwards.

const LuaClass kBufferClass{"rk::res::DataChankBuffer"};

// The cell through which each buffer's script object reaches it.
std::map<const res::DataChankBuffer*, LuaObjectCell*>& bufferCells() {
  static std::map<const res::DataChankBuffer*, LuaObjectCell*> cells;
  return cells;
}

void forgetTree(const res::DataChankBuffer* buffer) {
  auto found = bufferCells().find(buffer);
  if (found != bufferCells().end()) {
    found->second->object = nullptr;  // the cell stays with its object until collected
    bufferCells().erase(found);
  }
  for (const auto& child : buffer->children())
    if (child->kind() == res::kDataChankBuffer) forgetTree(static_cast<const res::DataChankBuffer*>(child.get()));
}

void deleteTree(res::DataChankBuffer* buffer) {
  forgetTree(buffer);
  delete buffer;
}

res::DataChankBuffer* bufferArg(lua_State* L, const char* name) {
  auto* buffer = toLuaObject<res::DataChankBuffer>(L, 1, kBufferClass);
  if (!buffer) reportNullObject(name);
  return buffer;
}

int lua_DataChankBuffer_addDataChankInt(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 2);
  const double number = lua_tonumberx(L, 3, nullptr);
  if (auto* buffer = bufferArg(L, "rk::res::`anonymous-namespace'::lua_DataChankBuffer_addDataChankInt"))
    buffer->addDataChankInt(name, number);
  lua_settop(L, 0);
  return 0;
}

int lua_DataChankBuffer_addDataChankFloat(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 2);
  const double number = lua_tonumberx(L, 3, nullptr);
  if (auto* buffer = bufferArg(L, "rk::res::`anonymous-namespace'::lua_DataChankBuffer_addDataChankFloat"))
    buffer->addDataChankFloat(name, number);
  lua_settop(L, 0);
  return 0;
}

int lua_DataChankBuffer_addDataChankBoolean(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 2);
  const bool value = toBoolArg(L, 3);
  if (auto* buffer = bufferArg(L, "rk::res::`anonymous-namespace'::lua_DataChankBuffer_addDataChankBoolean"))
    buffer->addDataChankBoolean(name, value);
  lua_settop(L, 0);
  return 0;
}

int lua_DataChankBuffer_addDataChankString(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 2);
  const std::string text = toTextOrEmpty(L, 3);
  if (auto* buffer = bufferArg(L, "rk::res::`anonymous-namespace'::lua_DataChankBuffer_addDataChankString"))
    buffer->addDataChankString(name, text);
  lua_settop(L, 0);
  return 0;
}

int lua_DataChankBuffer_addDataChankBuffer(lua_State* L) {
  const char* kName = "rk::res::`anonymous-namespace'::lua_DataChankBuffer_addDataChankBuffer";
  auto* child = toLuaObject<res::DataChankBuffer>(L, 2, kBufferClass);
  auto* buffer = bufferArg(L, kName);
  lua_settop(L, 0);
  if (!buffer) return 0;
  if (!child) {
    reportNullObject(kName);
    return 0;
  }
  buffer->addDataChankBuffer(child);  // refuses a buffer that has an owner or contains this one
  return 0;
}

int lua_DataChankBuffer_releaseDataChankBuffer(lua_State* L) {
  const char* kName = "rk::res::`anonymous-namespace'::lua_DataChankBuffer_releaseDataChankBuffer";
  auto* buffer = bufferArg(L, kName);
  lua_settop(L, 0);
  if (!buffer) return 0;
  if (buffer->owner()) {  // its owner deletes it; deleting it here too would free it twice
    debug::writeErrorLog("src/script/rk_script_resource_api", __LINE__, kName);
    return 0;
  }
  deleteTree(buffer);
  return 0;
}

int lua_DataChankBuffer_outputDataChankBuffer(lua_State* L) {
  const std::string path = toTextOrEmpty(L, 2);
  auto* buffer = bufferArg(L, "rk::res::`anonymous-namespace'::lua_DataChankBuffer_outputDataChankBuffer");
  lua_settop(L, 0);
  if (buffer) buffer->outputDataChankBuffer(path);
  return 0;
}

// An unowned buffer whose object is gone can no longer be reached: it is
// deleted. An owned one stays with its owner.
int lua_DataChankBuffer_gc(lua_State* L) {
  LuaObjectBlock* block = luaObjectBlock(L, 1);
  if (block && block->cls == &kBufferClass) {
    if (auto* buffer = toLuaObject<res::DataChankBuffer>(L, 1, kBufferClass)) {
      bufferCells().erase(buffer);
      if (!buffer->owner()) deleteTree(buffer);
    }
    LuaObjectLinks::release(block);
  }
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kBufferMethods[] = {
    {"addDataChankInt", guarded<lua_DataChankBuffer_addDataChankInt>},
    {"addDataChankFloat", guarded<lua_DataChankBuffer_addDataChankFloat>},
    {"addDataChankBoolean", guarded<lua_DataChankBuffer_addDataChankBoolean>},
    {"addDataChankString", guarded<lua_DataChankBuffer_addDataChankString>},
    {"addDataChankBuffer", guarded<lua_DataChankBuffer_addDataChankBuffer>},
    {"releaseDataChankBuffer", guarded<lua_DataChankBuffer_releaseDataChankBuffer>},
    {"outputDataChankBuffer", guarded<lua_DataChankBuffer_outputDataChankBuffer>},
    {nullptr, nullptr},
};

int lua_createDataChankBuffer(lua_State* L) {
  const std::string name = toTextOrEmpty(L, 1);
  lua_settop(L, 0);
  auto buffer = std::make_unique<res::DataChankBuffer>(name);
  auto cell = std::make_unique<LuaObjectCell>(LuaObjectCell{buffer.get(), nullptr});
  LuaObjectBlock* block = nullptr;
  pushLuaObject(L, nullptr, kBufferClass, kBufferMethods, guarded<lua_DataChankBuffer_gc>, &block);
  bufferCells()[buffer.get()] = cell.get();
  block->cell = cell.release();  // the object owns its cell, and through it the buffer
  buffer.release();
  return 1;
}

// ========================================================= data-chunk readers

const LuaClass kReaderClass{"rk::res::DataChankReader"};

res::DataChankReader* readerArg(lua_State* L, const char* name) {
  auto* reader = toLuaObject<res::DataChankReader>(L, 1, kReaderClass);
  if (!reader) reportNullObject(name);
  return reader;
}

int lua_DataChankReader_nextChank(lua_State* L) {
  if (auto* reader = readerArg(L, "rk::res::`anonymous-namespace'::lua_DataChankReader_nextChank")) reader->nextChank();
  lua_settop(L, 0);
  return 0;
}

int lua_DataChankReader_inChank(lua_State* L) {
  if (auto* reader = readerArg(L, "rk::res::`anonymous-namespace'::lua_DataChankReader_inChank")) reader->inChank();
  lua_settop(L, 0);
  return 0;
}

int lua_DataChankReader_outChank(lua_State* L) {
  if (auto* reader = readerArg(L, "rk::res::`anonymous-namespace'::lua_DataChankReader_outChank")) reader->outChank();
  lua_settop(L, 0);
  return 0;
}

int lua_DataChankReader_getChankName(lua_State* L) {
  auto* reader = readerArg(L, "rk::res::`anonymous-namespace'::lua_DataChankReader_getChankName");
  lua_settop(L, 0);
  const std::string name = reader ? reader->getChankName() : std::string();
  lua_pushlstring(L, name.data(), name.size());
  return 1;
}

int lua_DataChankReader_getDataType(lua_State* L) {
  auto* reader = readerArg(L, "rk::res::`anonymous-namespace'::lua_DataChankReader_getDataType");
  lua_settop(L, 0);
  lua_pushstring(L, reader ? reader->getDataType() : "int");
  return 1;
}

int lua_DataChankReader_getData(lua_State* L) {
  auto* reader = readerArg(L, "rk::res::`anonymous-namespace'::lua_DataChankReader_getData");
  lua_settop(L, 0);
  if (!reader) return 0;
  const res::DataChankReader::Value value = reader->getData();
  switch (value.kind) {
    case res::kDataChankFloat: lua_pushnumber(L, value.number); break;
    case res::kDataChankBoolean: lua_pushboolean(L, value.boolean); break;
    case res::kDataChankString: lua_pushlstring(L, value.text.data(), value.text.size()); break;
    case res::kDataChankBuffer: lua_pushnumber(L, value.children); break;
    default: lua_pushnumber(L, value.integer); break;
  }
  return 1;
}

int lua_DataChankReader_isEnd(lua_State* L) {
  auto* reader = readerArg(L, "rk::res::`anonymous-namespace'::lua_DataChankReader_isEnd");
  lua_settop(L, 0);
  lua_pushboolean(L, !reader || reader->isEnd());
  return 1;
}

const luaL_Reg kReaderMethods[] = {
    {"nextChank", guarded<lua_DataChankReader_nextChank>},
    {"inChank", guarded<lua_DataChankReader_inChank>},
    {"outChank", guarded<lua_DataChankReader_outChank>},
    {"getChankName", guarded<lua_DataChankReader_getChankName>},
    {"getDataType", guarded<lua_DataChankReader_getDataType>},
    {"getData", guarded<lua_DataChankReader_getData>},
    {"isEnd", guarded<lua_DataChankReader_isEnd>},
    {nullptr, nullptr},
};

int lua_createDataChankReader(lua_State* L) {
  auto* resource = toLuaObject<res::ResourceData>(L, 1, kResourceClass);
  lua_settop(L, 0);
  if (!resource) {
    reportNullObject("rk::res::`anonymous-namespace'::lua_createDataChankReader");
    return 0;
  }
  auto reader = std::make_unique<res::DataChankReader>(resource);
  pushLuaObject(L, reader.get(), kReaderClass, kReaderMethods,
                lua_gcDeleteObject<res::DataChankReader, kReaderClass>);
  reader.release();  // its object owns it now
  return 1;
}

const LuaFunctionPair kResourceTable[] = {
    {guarded<lua_loadResource>, "loadResource"},
    {guarded<lua_createDataChankBuffer>, "createDataChankBuffer"},
    {guarded<lua_createDataChankReader>, "createDataChankReader"},
};

}  // namespace

LuaFunctionTable resourceFunctionTable() {
  return {kResourceTable, static_cast<int>(sizeof kResourceTable / sizeof kResourceTable[0])};
}

}  // namespace rk::script
