// A script-owned list of the enemy bullets of one class, in push order, that
// the collision groups walk once per substep. The entries are plain pointers:
// the list keeps no bullet alive, and a bullet that is destroyed leaves every
// list by itself. An index beside the list finds an entry without walking
// it, so pushing, removing and forgetting take constant time.
#pragma once
#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

#include <lua.hpp>

#include "kernel/rk_error_log.h"
#include "rigidbody/rk_rigidbody.h"
#include "rigidbody/rk_rigidbody_hooks.h"
#include "script/rk_lua_object.h"

template <class T>
class EnemyBulletRigidBodyList : public rk::script::ILuaMethod, private rk::rigidbody::IRigidBodyHolder {
 public:
  using List = std::list<T*>;

  EnemyBulletRigidBodyList() { rk::rigidbody::registerRigidBodyHolder(this); }
  ~EnemyBulletRigidBodyList() override { rk::rigidbody::unregisterRigidBodyHolder(this); }
  EnemyBulletRigidBodyList(const EnemyBulletRigidBodyList&) = delete;
  EnemyBulletRigidBodyList& operator=(const EnemyBulletRigidBodyList&) = delete;

  // Appends; a bullet already listed gets a second entry.
  void push(T* bullet) {
    if (!bullet) return;
    const auto entry = list_.insert(list_.end(), bullet);
    auto [slot, fresh] = index_.try_emplace(keyOf(bullet));
    if (fresh)
      slot->second.first = entry;
    else
      slot->second.more.push_back(entry);
  }
  // Erases the first (oldest) entry of the bullet; nothing when it has none.
  void remove(T* bullet) {
    if (!bullet) return;
    const auto slot = index_.find(keyOf(bullet));
    if (slot == index_.end()) return;
    Entries& entries = slot->second;
    list_.erase(entries.first);
    if (entries.more.empty()) {
      index_.erase(slot);
    } else {
      entries.first = entries.more.front();
      entries.more.erase(entries.more.begin());
    }
  }
  void clear() {
    list_.clear();
    index_.clear();
  }

  const List& list() const { return list_; }
  typename List::const_iterator begin() const { return list_.begin(); }
  typename List::const_iterator end() const { return list_.end(); }
  std::size_t size() const { return list_.size(); }
  bool empty() const { return list_.empty(); }

  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

  static const rk::script::LuaClass kLuaClass;

 private:
  struct Entries {
    typename List::iterator first;
    std::vector<typename List::iterator> more;  // later duplicates, oldest first
  };
  static const void* keyOf(T* bullet) { return static_cast<rk::rigidbody::RigidBody*>(bullet); }

  // A destroyed bullet (known by its body's address) leaves with every entry.
  void forgetRigidBody(const void* body) override {
    const auto slot = index_.find(body);
    if (slot == index_.end()) return;
    list_.erase(slot->second.first);
    for (auto entry : slot->second.more) list_.erase(entry);
    index_.erase(slot);
  }

  List list_;
  std::unordered_map<const void*, Entries> index_;
};

namespace enemy_bullet {

constexpr const char* kListSource = "enemy/bullet/enemy_bullet_rigidbody_list_template";

template <class T>
EnemyBulletRigidBodyList<T>* toList(lua_State* L, int index) {
  return rk::script::toLuaObject<EnemyBulletRigidBodyList<T>>(L, index, EnemyBulletRigidBodyList<T>::kLuaClass);
}

// push and remove: argument 2 must hold a bullet of the list's class (a
// derived class included); anything else is reported and changes nothing.
template <class T, void (EnemyBulletRigidBodyList<T>::*Change)(T*)>
int lua_changeList(lua_State* L, const char* name, int line) {
  EnemyBulletRigidBodyList<T>* list = toList<T>(L, 1);
  T* bullet = rk::script::toLuaObject<T>(L, 2, T::kLuaClass);
  if (!list)
    rk::script::reportNullObject(name);
  else if (!bullet)
    rk::debug::writeErrorLog(kListSource, line, name);
  else
    (list->*Change)(bullet);
  lua_settop(L, 0);
  return 0;
}

template <class T>
int lua_push(lua_State* L) {
  return lua_changeList<T, &EnemyBulletRigidBodyList<T>::push>(
      L, "lua_enemy_bullet_rigidbody_list::lua_command_push", 29);
}

template <class T>
int lua_remove(lua_State* L) {
  return lua_changeList<T, &EnemyBulletRigidBodyList<T>::remove>(
      L, "lua_enemy_bullet_rigidbody_list::lua_command_remove", 49);
}

template <class T>
int lua_clear(lua_State* L) {
  if (EnemyBulletRigidBodyList<T>* list = toList<T>(L, 1))
    list->clear();
  else
    rk::script::reportNullObject("lua_enemy_bullet_rigidbody_list::lua_command_clear");
  lua_settop(L, 0);
  return 0;
}

template <class T>
int lua_collectList(lua_State* L) {
  return rk::script::lua_gcDeleteObject<EnemyBulletRigidBodyList<T>, EnemyBulletRigidBodyList<T>::kLuaClass>(L);
}

// A new empty list owned by the script object it returns.
template <class T>
int createList(lua_State* L) {
  auto* list = new EnemyBulletRigidBodyList<T>();
  return rk::script::pushLuaObject(L, *list, list, EnemyBulletRigidBodyList<T>::kLuaClass);
}

}  // namespace enemy_bullet

template <class T>
const rk::script::LuaClass EnemyBulletRigidBodyList<T>::kLuaClass{"EnemyBulletRigidBodyList"};

template <class T>
void EnemyBulletRigidBodyList<T>::registerMethods(lua_State* L) {
  static const luaL_Reg methods[] = {
      {"push", enemy_bullet::lua_push<T>},
      {"remove", enemy_bullet::lua_remove<T>},
      {"clear", enemy_bullet::lua_clear<T>},
      {nullptr, nullptr},
  };
  rk::script::setMethods(L, methods);
}

template <class T>
void EnemyBulletRigidBodyList<T>::setMetatable(lua_State* L) {
  rk::script::setObjectMetatable(L, enemy_bullet::lua_collectList<T>);
}
