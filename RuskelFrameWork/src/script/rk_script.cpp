#include "script/rk_script.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/ui.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_hr_exception.h"
#include "kernel/rk_instance_table.h"
#include "script/rk_lua_guard.h"
#include "rk_script_internal.h"
#include "script/rk_script_tables.h"
#include "util/rk_text.h"

namespace rk::script {

namespace {

constexpr const char* kSource = "src/script/rk_script";
const SingletonReport kManagerReport{kSource, "rk::script::ScriptStateManager", 2406, 2420, 2413};

// Registry key under which a Lua state keeps its ScriptState.
const char kStateKey = 0;

void* luaAlloc(void*, void* block, size_t, size_t size) {
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  return std::realloc(block, size);
}

int luaPanic(lua_State* L) {
  const char* text = lua_tostring(L, -1);
  std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", text ? text : "?");
  return 0;
}

}  // namespace

// ============================================================ ScriptState::Impl

class ScriptState::Impl {
 public:
  explicit Impl(ScriptState* owner) : owner(owner) {}

  ScriptState* owner;
  lua_State* L = nullptr;
  lua_State* phaseThread = nullptr;  // anchored in the registry
  bool running = false;
  bool stopped = true;
  int phase = kNone;
  // The phase thread holds the current phase's function, pushed or suspended in it.
  bool pending = false;
  res::ResourcePtr script;
  Entry entries[6];  // indexed by phase number; 0 unused
  std::map<int, MouseEvent> mouseEvents;
  task::ScriptTask* ownerTask = nullptr;
  bool held = false;  // a task or a script object owns the state

  void reset();
  void luaCreate();
  void registerGlobals();
  // Pushes the entry's function onto `target` as its only value (nil when it
  // cannot be found).
  void pushEntry(int phaseNumber, lua_State* target);
  // Makes `phaseNumber` the phase and pushes its function.
  void enter(int phaseNumber);
  // The phase function returned (or had nothing to run): moves on.
  int advance();
  void finish();
};

void ScriptState::Impl::reset() {
  L = nullptr;
  phaseThread = nullptr;
  running = false;
  stopped = true;
  script.reset();
  phase = kNone;
  pending = false;
  for (Entry& entry : entries) entry = Entry();
}

void ScriptState::Impl::luaCreate() {
  L = lua_newstate(luaAlloc, nullptr);
  if (!L) {
    debug::writeErrorLog(kSource, 1364, "rk::script::ScriptState::Impl::luaCreate");
    return;
  }
  lua_atpanic(L, luaPanic);
}

namespace {

// Runs protected on a fresh state: the standard libraries, the global tables,
// the phase thread and the state's registry key.
int openGlobals(lua_State* L) {
  auto* impl = static_cast<ScriptState::Impl*>(lua_touserdata(L, 1));
  luaL_openlibs(L);
  for (const LuaFunctionTable& table : globalFunctionTables()) registerLuaFunctions(L, table.pairs, table.count);
  impl->phaseThread = lua_newthread(L);
  luaL_ref(L, LUA_REGISTRYINDEX);
  lua_pushlightuserdata(L, impl);
  lua_rawsetp(L, LUA_REGISTRYINDEX, &kStateKey);
  return 0;
}

int lookupEntry(lua_State* L) {
  auto* entry = static_cast<const ScriptState::Entry*>(lua_touserdata(L, 1));
  lua_getglobal(L, entry->function.c_str());
  if (!entry->field.empty()) {
    if (lua_istable(L, -1)) {
      lua_getfield(L, -1, entry->field.c_str());
    } else {
      lua_pushnil(L);
    }
  }
  return 1;
}

int collectAll(lua_State* L) {
  lua_gc(L, LUA_GCCOLLECT, 0);
  return 0;
}

}  // namespace

void ScriptState::Impl::registerGlobals() {
  if (!L) return;
  lua_pushcfunction(L, openGlobals);
  lua_pushlightuserdata(L, this);
  if (lua_pcall(L, 1, 0, 0) != LUA_OK) {
    debug::writeErrorLog(kSource, 1380, "rk::script::ScriptState::Impl::registerGlobals");
    lua_settop(L, 0);
  }
  takeParkedException();  // nothing of ours runs here; never let it linger
}

void ScriptState::Impl::pushEntry(int phaseNumber, lua_State* target) {
  // The lookup may run a script's metamethods: it is made protected on the
  // state's own main thread, which never runs phases, and moved across.
  lua_State* M = L;
  const int top = lua_gettop(M);
  lua_pushcfunction(M, lookupEntry);
  lua_pushlightuserdata(M, &entries[phaseNumber]);
  if (lua_pcall(M, 1, 1, 0) != LUA_OK) {
    lua_pop(M, 1);
    lua_pushnil(M);
  }
  lua_settop(target, 0);
  lua_xmove(M, target, 1);
  lua_settop(M, top);
}

void ScriptState::Impl::enter(int phaseNumber) {
  phase = phaseNumber;
  pushEntry(phaseNumber, phaseThread);
  pending = true;
}

void ScriptState::Impl::finish() {
  phase = kNone;
  running = false;
  stopped = true;
}

int ScriptState::Impl::advance() {
  pending = false;
  switch (phase) {
    case kDataLoad:
      phase = kReady;
      if (entries[kReady].isSet()) enter(kReady);  // else it waits in Ready
      return 1;
    case kReady:
      running = true;
      stopped = false;
      if (entries[kInitialize].isSet()) {
        enter(kInitialize);
      } else if (entries[kCoRoutine].isSet()) {
        enter(kCoRoutine);
      } else if (entries[kDestructer].isSet()) {
        enter(kDestructer);
      } else {
        finish();
      }
      return 1;
    case kInitialize:
      if (entries[kCoRoutine].isSet()) {
        enter(kCoRoutine);
      } else if (entries[kDestructer].isSet()) {
        enter(kDestructer);
      } else {
        finish();
      }
      return 1;
    case kCoRoutine:
      if (entries[kDestructer].isSet()) {
        enter(kDestructer);
        return 1;
      }
      [[fallthrough]];
    default:  // the Destructer returned: the script is over
      running = false;
      stopped = true;
      lua_close(L);
      L = nullptr;
      phaseThread = nullptr;
      rethrowParkedException();  // a binding failed hard inside a collector
      return 0;
  }
}

// ================================================================= ScriptState

ScriptState::ScriptState() : impl_(std::make_unique<Impl>(this)) {}

ScriptState::~ScriptState() { close(); }

bool ScriptState::setScript(res::ResourceData* resource, bool runOnNewThread) {
  Impl& m = *impl_;
  m.script = resource;
  if (!m.L || !resource) return true;
  for (;;) {
    lua_State* thread = m.phaseThread;
    if (runOnNewThread) {
      GcPause pause(m.L);
      thread = lua_newthread(m.L);  // anchored on the main thread's stack while it runs
    }
    lua_settop(thread, 0);
    m.stopped = false;
    if (!runOnNewThread) m.pending = false;

    const char* bytes = reinterpret_cast<const char*>(resource->data());
    // Source text only: Lua does not verify precompiled chunks, and a damaged
    // one would crash the process instead of failing to load.
    int status = luaL_loadbufferx(thread, bytes, resource->size(), resource->name().c_str(), "t");
    if (status != LUA_OK) {
      debug::writeErrorLog(kSource, 1602, "rk::script::ScriptState::Impl::setScript");
    } else {
      status = protectedCall(thread, 0, LUA_MULTRET);
    }
    if (runOnNewThread && status == LUA_OK) lua_pop(m.L, 1);  // the thread has done its work
    if (status == LUA_OK) break;

    std::string text = resource->name() + "\n";
    {
      GcPause pause(m.L);
      if (const char* message = lua_tostring(thread, -1)) text += message;
    }
    lua_settop(thread, 0);
    if (runOnNewThread) lua_pop(m.L, 1);
    const int answer = host::ui::messageBox(ownerWindow(), text, "エラー",
                                            host::ui::MB_RETRYCANCEL | host::ui::MB_ICONERROR);
    if (answer != host::ui::IDRETRY)
      throw HrException(host::E_FAIL, kSource, 1634, util::toWideString(text).c_str());
    resource->reload();
    waitUntilLoaded(resource);
  }
  if (runOnNewThread) return true;

  // The first registered entry starts the machine; none leaves phase 0, so the
  // state finishes at its first update.
  lua_settop(m.phaseThread, 0);
  m.phase = kNone;
  for (int phase : {kDataLoad, kReady, kInitialize, kCoRoutine, kDestructer}) {
    if (m.entries[phase].isSet()) {
      m.enter(phase);
      break;
    }
  }
  return true;
}

int ScriptState::update() {
  Impl& m = *impl_;
  if (!m.running) return 0;
  if (m.phase == kNone) {
    m.running = false;
    m.stopped = true;
    return 0;
  }
  if (m.stopped || !m.L) return 0;
  if (!m.pending) {
    // Ready waits until a Ready entry is set, and starts it then.
    if (m.phase == kReady && !m.entries[kReady].isSet()) return 1;
    if (!m.entries[m.phase].isSet()) return m.advance();
    m.pushEntry(m.phase, m.phaseThread);
    m.pending = true;
  }
  int status;
  try {
    status = scriptResume(m.phaseThread);
  } catch (...) {  // the error ends the machine; the exception goes on to the run loop
    m.pending = false;
    m.stopped = true;
    throw;
  }
  if (status == LUA_YIELD) return 1;
  return m.advance();
}

void ScriptState::close() {
  Impl& m = *impl_;
  if (!m.L) {
    m.running = false;
    m.stopped = false;
    return;
  }
  {
    // Nothing may be thrown from here (destructors and collectors close states):
    // whatever the Destructer parks is dropped with it.
    ParkedExceptionScope parked;
    if (m.entries[kDestructer].isSet()) {
      // A fresh thread: the phase thread may be suspended in the middle of a phase.
      lua_State* thread;
      {
        GcPause pause(m.L);
        thread = lua_newthread(m.L);
      }
      m.pushEntry(kDestructer, thread);
      const int status = lua_pcall(thread, 0, 0, 0);
      if (status != LUA_OK) {
        reportLuaStatus(status, thread);
        if (status != LUA_ERRSYNTAX) host::ui::postQuitMessage(0);
      }
    }
    lua_pushcfunction(m.L, collectAll);
    lua_pcall(m.L, 0, 0, 0);
    lua_close(m.L);
  }
  m.L = nullptr;
  m.phaseThread = nullptr;
  m.pending = false;
  m.running = false;
  m.stopped = false;
}

lua_State* ScriptState::luaState() const { return impl_->L; }
lua_State* ScriptState::phaseThread() const { return impl_->phaseThread; }
bool ScriptState::isRunning() const { return impl_->running; }
bool ScriptState::isStopped() const { return impl_->stopped; }
int ScriptState::phase() const { return impl_->phase; }
void ScriptState::setPhase(int phase) { impl_->phase = phase; }
const ScriptState::Entry& ScriptState::entry(Phase phase) const { return impl_->entries[phase]; }

void ScriptState::setEntry(Phase phase, const std::string& function, const std::string& field) {
  if (phase < kDataLoad || phase > kDestructer) return;
  impl_->entries[phase].function = function;
  impl_->entries[phase].field = field;
}

const res::ResourcePtr& ScriptState::script() const { return impl_->script; }

void ScriptState::registerMouseEvent(int kind, const std::string& function, const std::string& argument) {
  impl_->mouseEvents.emplace(kind, MouseEvent{function, argument});
}

void ScriptState::clearMouseEvents() { impl_->mouseEvents.clear(); }
const std::map<int, ScriptState::MouseEvent>& ScriptState::mouseEvents() const { return impl_->mouseEvents; }
task::ScriptTask* ScriptState::ownerTask() const { return impl_->ownerTask; }
void ScriptState::setOwnerTask(task::ScriptTask* task) { impl_->ownerTask = task; }

ScriptState* scriptStateOf(lua_State* L) {
  if (!L) return nullptr;
  lua_rawgetp(L, LUA_REGISTRYINDEX, &kStateKey);
  auto* impl = static_cast<ScriptState::Impl*>(lua_touserdata(L, -1));
  lua_pop(L, 1);
  return impl ? impl->owner : nullptr;
}

// ========================================================== ScriptStateManager

ScriptStateManager* ScriptStateManager::createInstance() {
  return singletonCreate<ScriptStateManager>(InstanceSlot::ScriptStateManager, kManagerReport);
}

ScriptStateManager* ScriptStateManager::getInstance() {
  return singletonGet<ScriptStateManager>(InstanceSlot::ScriptStateManager, kManagerReport);
}

void ScriptStateManager::destroyInstance() {
  singletonDestroy<ScriptStateManager>(InstanceSlot::ScriptStateManager, kManagerReport);
}

ScriptStateManager::ScriptStateManager() = default;

ScriptStateManager::~ScriptStateManager() {
  // Closing one state may close, or even create, others through the
  // collectors of its objects: walk by index and re-read the size.
  for (std::size_t i = 0; i < states_.size(); ++i) states_[i]->close();
  while (!states_.empty()) {
    ScriptState* state = states_.back();
    states_.pop_back();
    delete state;
  }
}

ScriptState* ScriptStateManager::createScriptState() {
  ScriptState* state = nullptr;
  for (ScriptState* candidate : states_) {
    if (!candidate->impl_->running && !candidate->impl_->held) {
      state = candidate;
      state->close();
      break;
    }
  }
  if (!state) {
    state = new ScriptState();
    states_.push_back(state);
  }
  ScriptState::Impl& m = *state->impl_;
  m.reset();
  m.mouseEvents.clear();
  m.ownerTask = nullptr;
  m.held = true;
  m.luaCreate();
  m.running = true;
  m.registerGlobals();
  m.stopped = false;
  return state;
}

bool ScriptStateManager::releaseScriptState(ScriptState* state) {
  if (!contains(state)) return false;
  state->impl_->ownerTask = nullptr;
  state->close();
  state->impl_->held = false;
  return true;
}

bool ScriptStateManager::contains(const ScriptState* state) const {
  for (const ScriptState* s : states_)
    if (s == state) return true;
  return false;
}

const std::vector<ScriptState*>& ScriptStateManager::states() const { return states_; }

void ScriptStateManager::registerUserLibrary(const char* name, const LuaFunctionPair* pairs, int count) {
  userLibraries_.emplace(res::nameKey(name), UserLibrary{name ? name : "", pairs, count});
}

const ScriptStateManager::UserLibrary* ScriptStateManager::findUserLibrary(const char* name) const {
  if (!name) return nullptr;
  auto range = userLibraries_.equal_range(res::nameKey(name));
  for (auto it = range.first; it != range.second; ++it)
    if (it->second.name == name) return &it->second;
  return nullptr;
}

// ================================================================ free helpers

void registerLuaFunctions(lua_State* L, const LuaFunctionPair* pairs, int count) {
  for (int i = 0; pairs && i < count; ++i) {
    if (!pairs[i].function || !pairs[i].name) continue;
    lua_pushcfunction(L, pairs[i].function);
    lua_setglobal(L, pairs[i].name);
  }
}

bool makeScriptPackPath(std::string& path, std::string& mode, const std::string& name) {
  const std::size_t dot = name.rfind('.');
  path = (dot == std::string::npos ? name : name.substr(0, dot)) + ".a";
  mode = "rb";
  return true;
}

void setFieldNumber(lua_State* L, const char* name, lua_Number value) {
  if (!name) return;  // a nil key would raise an error in the middle of a result table
  lua_pushnumber(L, value);
  lua_setfield(L, -2, name);
}

}  // namespace rk::script
