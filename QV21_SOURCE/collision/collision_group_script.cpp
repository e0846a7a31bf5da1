// The script side of the game's collision groups: reading list objects into
// sides, the groups' script classes and methods, the item list, and the
// "collision_gorup_lib" table.
#include "collision/collision_group_script.h"

#include "enemy/bullet/enemy_bullet_rigidbody_list_template.h"
#include "kernel/rk_error_log.h"
#include "script/rk_script_collision.h"
#include "util/rk_list_template.h"

namespace col_group {

namespace rs = rk::script;

namespace {

template <class T, class E>
void collectFrameworkList(const void* list, std::vector<T*>& out) {
  for (E* element : static_cast<const rk::util::List<E>*>(list)->items())
    if (T* body = dynamic_cast<T*>(element)) out.push_back(body);
}

template <class T, class E>
void collectBulletList(const void* list, std::vector<T*>& out) {
  for (E* element : static_cast<const EnemyBulletRigidBodyList<E>*>(list)->list())
    if (T* body = dynamic_cast<T*>(element)) out.push_back(body);
}

template <class T, class E>
bool tryFrameworkList(lua_State* L, int index, const rs::LuaClass& cls, BodySide<T>& side) {
  auto* list = rs::toLuaObject<rk::util::List<E>>(L, index, cls);
  if (list) side = BodySide<T>{list, collectFrameworkList<T, E>};
  return list != nullptr;
}

template <class T, class E>
bool tryBulletList(lua_State* L, int index, BodySide<T>& side) {
  auto* list = enemy_bullet::toList<E>(L, index);
  if (list) side = BodySide<T>{list, collectBulletList<T, E>};
  return list != nullptr;
}

}  // namespace

template <class T>
BodySide<T> readBodySide(lua_State* L, int index) {
  namespace rc = rs::collision;
  BodySide<T> side;
  if (lua_isnoneornil(L, index)) return side;
  tryFrameworkList<T, rk::rigidbody::RigidBodySphere>(L, index, rc::kRigidBodySphereListClass, side) ||
      tryFrameworkList<T, rk::rigidbody::RigidBodyCapsule>(L, index, rc::kRigidBodyCapsuleListClass, side) ||
      tryFrameworkList<T, rk::rigidbody::RigidBodyOBB>(L, index, rc::kRigidBodyOBBListClass, side) ||
      tryBulletList<T, EnemyBulletRigidBodySphere>(L, index, side) ||
      tryBulletList<T, EnemyBulletRigidBodyCapsule>(L, index, side) ||
      tryBulletList<T, EnemyBulletRigidBodyOBB>(L, index, side) ||
      tryBulletList<T, EnemyBulletRigidBodyLaserCapsule>(L, index, side) ||
      tryBulletList<T, EnemyBulletRigidBodySphereCapsuleList>(L, index, side);
  return side;
}

template BodySide<PlayerBulletBeamShotRigidBody> readBodySide(lua_State*, int);
template BodySide<PlayerBulletVulcanRigidBody> readBodySide(lua_State*, int);
template BodySide<PlayerBulletBeamMagnumRigidBody> readBodySide(lua_State*, int);
template BodySide<PlayerRigidBody> readBodySide(lua_State*, int);
template BodySide<EnemyRigidBodySphere> readBodySide(lua_State*, int);
template BodySide<EnemyRigidBodyCapsule> readBodySide(lua_State*, int);
template BodySide<EnemyRigidBodyOBB> readBodySide(lua_State*, int);
template BodySide<EnemyBulletRigidBodySphere> readBodySide(lua_State*, int);
template BodySide<EnemyBulletRigidBodyLaserCapsule> readBodySide(lua_State*, int);
template BodySide<EnemyBulletRigidBodyOBB> readBodySide(lua_State*, int);
template BodySide<EnemyBulletRigidBodySphereCapsuleList> readBodySide(lua_State*, int);

const rs::LuaClass kSideSetterClass{"col_group::ISideSetter"};
const rs::LuaClass kPlayerGroupSetterClass{"col_group::IPlayerGroupSetter"};
const rs::LuaClass kItemListClass{"col_group::ItemList"};

namespace {

constexpr const char* kSource = "collision/collision_group_script";

// Every group's collector: the group leaves the manager's list as it goes.
int lua_gcDeleteGroup(lua_State* L) {
  rs::LuaObjectBlock* block = rs::luaObjectBlock(L, 1);
  if (block && block->object) {
    auto* group = rs::toLuaObject<rk::collision::ICollisionExec>(L, 1, rs::collision::kCollisionExecClass);
    block->object = nullptr;
    delete group;
  }
  lua_settop(L, 0);
  return 0;
}

ISideSetter* sideSetter(lua_State* L, const char* name) {
  auto* group = rs::toLuaObject<ISideSetter>(L, 1, kSideSetterClass);
  if (!group) rs::reportNullObject(name);
  return group;
}

int lua_setCollisionGroup(lua_State* L) {
  if (ISideSetter* group = sideSetter(L, "col_group::lua_setCollisionGroup")) {
    group->setSideA(L, 2);
    group->setSideB(L, 3);
  }
  lua_settop(L, 0);
  return 0;
}
int lua_setCollisionGroupA(lua_State* L) {
  if (ISideSetter* group = sideSetter(L, "col_group::lua_setCollisionGroupA")) group->setSideA(L, 2);
  lua_settop(L, 0);
  return 0;
}
int lua_setCollisionGroupB(lua_State* L) {
  if (ISideSetter* group = sideSetter(L, "col_group::lua_setCollisionGroupB")) group->setSideB(L, 2);
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kListPairMethods[] = {{"setCollisionGroup", lua_setCollisionGroup},
                                     {"setCollisionGroupA", lua_setCollisionGroupA},
                                     {"setCollisionGroupB", lua_setCollisionGroupB},
                                     {nullptr, nullptr}};

IPlayerGroupSetter* playerSetter(lua_State* L, const char* name) {
  auto* group = rs::toLuaObject<IPlayerGroupSetter>(L, 1, kPlayerGroupSetterClass);
  if (!group) rs::reportNullObject(name);
  return group;
}
int lua_setPlayer(lua_State* L) {
  if (IPlayerGroupSetter* group = playerSetter(L, "col_group::lua_setPlayer")) group->setPlayer(toPlayerRigidBody(L, 2));
  lua_settop(L, 0);
  return 0;
}
int lua_setList(lua_State* L) {
  if (IPlayerGroupSetter* group = playerSetter(L, "col_group::lua_setBulletList")) group->setListFrom(L, 2);
  lua_settop(L, 0);
  return 0;
}

// ------------------------------------------------------------- item list

ItemList* itemList(lua_State* L, const char* name) {
  auto* list = rs::toLuaObject<ItemList>(L, 1, kItemListClass);
  if (!list) rs::reportNullObject(name);
  return list;
}
int lua_ItemList_push(lua_State* L) {
  ItemList* list = itemList(L, "col_group::ItemList::lua_push");
  Item* item = rs::toLuaObject<Item>(L, 2, kItemClass);
  if (list && item) list->push(item);
  else if (list) rk::debug::writeErrorLog(kSource, __LINE__, "col_group::ItemList::lua_push");
  lua_settop(L, 0);
  return 0;
}
int lua_ItemList_remove(lua_State* L) {
  ItemList* list = itemList(L, "col_group::ItemList::lua_remove");
  Item* item = rs::toLuaObject<Item>(L, 2, kItemClass);
  if (list && item) list->remove(item);
  lua_settop(L, 0);
  return 0;
}
const luaL_Reg kItemListMethods[] = {{"push", lua_ItemList_push}, {"remove", lua_ItemList_remove}, {nullptr, nullptr}};

}  // namespace

void ColGroupPlayerItem::registerMethods(lua_State* L) {
  const luaL_Reg methods[] = {{"setPlayerRigidBody", lua_setPlayer}, {"setItemRigidBodyList", lua_setList},
                              {nullptr, nullptr}};
  rs::setMethods(L, methods);
}
void ColGroupPlayerItem::setMetatable(lua_State* L) { rs::setObjectMetatable(L, lua_gcDeleteGroup); }
void ColGroupPlayerItem::setListFrom(lua_State* L, int index) {
  setSideB(rs::toLuaObject<ItemList>(L, index, kItemListClass));
}

template <class T>
void PlayerBulletGroup<T>::registerMethods(lua_State* L) {
  const luaL_Reg methods[] = {{"setPlayer", lua_setPlayer}, {"setBulletList", lua_setList}, {nullptr, nullptr}};
  rs::setMethods(L, methods);
}
template <class T>
void PlayerBulletGroup<T>::setMetatable(lua_State* L) {
  rs::setObjectMetatable(L, lua_gcDeleteGroup);
}
template <class T>
void PlayerBulletGroup<T>::setListFrom(lua_State* L, int index) {
  this->setSideB(enemy_bullet::toList<T>(L, index));
}

template <class G>
int pushListPairGroup(lua_State* L) {
  lua_settop(L, 0);
  G* group = new G();
  return rs::pushLuaObject(L, group, GroupScript<G>::kLuaClass, kListPairMethods, lua_gcDeleteGroup);
}

template <class G>
int pushPlayerGroup(lua_State* L) {
  lua_settop(L, 0);
  G* group = new G();
  return rs::pushLuaObject(L, *group, group, GroupScript<G>::kLuaClass);
}

int lua_createItemList(lua_State* L) {
  lua_settop(L, 0);
  return rs::pushLuaObject(L, new ItemList(), kItemListClass, kItemListMethods,
                           rs::lua_gcDeleteObject<ItemList, kItemListClass>);
}

const std::vector<rs::LuaFunctionPair>& collisionGorupLib() {
  static const std::vector<rs::LuaFunctionPair> entries = {
      {pushListPairGroup<BeamShotAndEnemySphere>, "createColGroupBeamShotEnemySphere"},
      {pushListPairGroup<BeamShotAndEnemyCapsule>, "createColGroupBeamShotEnemyCapsule"},
      {pushListPairGroup<BeamShotAndEnemyOBB>, "createColGroupBeamShotEnemyOBB"},
      {pushListPairGroup<PlayerRefVulcanAndEnemySphere>, "createColGroupRefVulcanEnemySphere"},
      {pushListPairGroup<PlayerRefVulcanAndEnemyCapsule>, "createColGroupRefVulcanEnemyCapsule"},
      {pushListPairGroup<PlayerRefVulcanAndEnemyOBB>, "createColGroupRefVulcanEnemyOBB"},
      {pushListPairGroup<PlayerMagnumAndEnemySphere>, "createColGroupBeamMagnumEnemySphere"},
      {pushListPairGroup<PlayerMagnumAndEnemyCapsule>, "createColGroupBeamMagnumEnemyCapsule"},
      {pushListPairGroup<PlayerMagnumAndEnemyOBB>, "createColGroupBeamMagnumEnemyOBB"},
      {pushListPairGroup<PlayerColEnemySphere>, "createColGroupPlayerEnemySphere"},
      {pushListPairGroup<PlayerColEnemyCapsule>, "createColGroupPlayerEnemyCapsule"},
      {pushListPairGroup<PlayerColEnemyOBB>, "createColGroupPlayerEnemyOBB"},
      {pushListPairGroup<PlayerRefVaucanAndSphereShot>, "createColGroupRefVulcanSphereShot"},
      {pushListPairGroup<PlayerRefVaucanAndCapsuleLaser>, "createColGroupRefVulcanCapsuleLaser"},
      {pushListPairGroup<PlayerRefVaucanAndOBB>, "createColGroupRefVulcanOBB"},
      {pushListPairGroup<PlayerRefVaucanAndBendLaser>, "createColGroupRefVulcanBlendLaser"},
      {pushPlayerGroup<ColGroupPlayerItem>, "createPlayerHitItem"},
      {lua_createItemList, "createItemList"},
      {pushListPairGroup<PlayerBeamShotAndEnemyShotSphere>, "createColGroupPlayerBeamShotAndEnemyShotSphere"},
      {pushListPairGroup<PlayerBeamMagumAndSphereShot>,
       "createColGroupPlayerBeamMagunumAndEnemyBulletRigidBodySphere"},
  };
  return entries;
}

int lua_createColGroupPlayerEnemyBulletSphere(lua_State* L) {
  return pushPlayerGroup<ColGroupPlayerEnemyBulletSphere>(L);
}
int lua_createColGroupPlayerEnemyBulletCapsule(lua_State* L) {
  return pushPlayerGroup<ColGroupPlayerEnemyBulletCapsule>(L);
}
int lua_createColGroupPlayerEnemyBulletOBB(lua_State* L) { return pushPlayerGroup<ColGroupPlayerEnemyBulletOBB>(L); }
int lua_createColGroupPlayerEnemyBulletLaserCapsule(lua_State* L) {
  return pushPlayerGroup<ColGroupPlayerEnemyBulletLaserCapsule>(L);
}
int lua_createColGroupPlayerEnemyBulletCapsuleLaserList(lua_State* L) {
  return pushPlayerGroup<PlayerAndSphereCapsuleList>(L);
}

#define COL_GROUP_SCRIPT_MEMBERS(T)                                        \
  template void PlayerBulletGroup<T>::registerMethods(lua_State*);         \
  template void PlayerBulletGroup<T>::setMetatable(lua_State*);            \
  template void PlayerBulletGroup<T>::setListFrom(lua_State*, int);
COL_GROUP_SCRIPT_MEMBERS(EnemyBulletRigidBodySphere)
COL_GROUP_SCRIPT_MEMBERS(EnemyBulletRigidBodyCapsule)
COL_GROUP_SCRIPT_MEMBERS(EnemyBulletRigidBodyOBB)
COL_GROUP_SCRIPT_MEMBERS(EnemyBulletRigidBodyLaserCapsule)
COL_GROUP_SCRIPT_MEMBERS(EnemyBulletRigidBodySphereCapsuleList)
#undef COL_GROUP_SCRIPT_MEMBERS

}  // namespace col_group
