// The game's collision groups: each pairs the player's shots or body (side A)
// with enemy bodies, enemy shots or items (side B), skips the pairs that must
// not interact, runs one shape test and hands each contact to its hit rule.
// A group runs once per physics substep after a script registered it with
// "addCollisionGroup"; it holds plain pointers and owns nothing.
#pragma once
#include <list>
#include <type_traits>
#include <vector>

#include <lua.hpp>

#include "col/rk_collision_group.h"
#include "collision/col_group_side.h"
#include "enemy/bullet/enemy_bullet_rigidbody.h"
#include "enemy/bullet/enemy_bullet_rigidbody_laser_capsule.h"
#include "enemy/bullet/enemy_bullet_rigidbody_list.h"
#include "enemy/bullet/enemy_bullet_rigidbody_sphere_capsule_list.h"
#include "enemy/enemy_rigid_body_capsule.h"
#include "enemy/enemy_rigid_body_obb.h"
#include "enemy/enemy_rigid_body_sphere.h"
#include "item/item.h"
#include "player/player_rigid_body.h"
#include "player/player_wepon/beam_magnum.h"
#include "player/player_wepon/beam_shot.h"
#include "player/player_wepon/reflect_vulcan.h"
#include "rigidbody/rk_rigidbody_group.h"
#include "script/rk_script_collision.h"
#include "script/rk_lua_object.h"

namespace col_group {

// The number global that lets enemy bodies and bullets hurt the player.
inline constexpr const char* kPlayerModeCtrl = "PlayerModeCtrl";
float readPlayerModeCtrl();

// The side setters of the list-pair groups, reached by their script methods.
class ISideSetter {
 public:
  virtual ~ISideSetter() = default;
  virtual void setSideA(lua_State* L, int index) = 0;
  virtual void setSideB(lua_State* L, int index) = 0;
};

// A group over two body lists. Exec copies both lists first and skips every
// body that a hit rule destroyed meanwhile.
template <class A, class B>
class ListPairGroup : public rk::collision::CollisionGroup<BodySide<A>, BodySide<B>>, public ISideSetter {
 public:
  using MemberA = A;
  using MemberB = B;

  void setSideA(const BodySide<A>& side) {
    side_a_ = side;
    this->group_a_ = side_a_ ? &side_a_ : nullptr;
  }
  void setSideB(const BodySide<B>& side) {
    side_b_ = side;
    this->group_b_ = side_b_ ? &side_b_ : nullptr;
  }
  void setSideA(lua_State* L, int index) override { setSideA(readBodySide<A>(L, index)); }
  void setSideB(lua_State* L, int index) override { setSideB(readBodySide<B>(L, index)); }

  void exec() override {
    if (!this->group_a_ || !this->group_b_ || !beginPass()) return;
    this->group_a_->snapshot(as_);
    this->group_b_->snapshot(bs_);
    DeathWatch watch;
    for (A* a : as_) {
      if (watch.gone(a) || !checkAOnce(*a)) continue;
      for (B* b : bs_) {
        if (watch.gone(a)) break;
        if (watch.gone(b) || !checkPair(*a, *b)) continue;
        contact(*a, *b);
      }
    }
  }

 protected:
  // Once per exec: false skips the whole pass.
  virtual bool beginPass() { return true; }
  // Once per element of A before its pass over B.
  virtual bool checkAOnce(A&) { return true; }
  // For every pair, before the shape test.
  virtual bool checkPair(A& a, B& b) = 0;
  // The shape test and, on contact, the hit rule.
  virtual void contact(A& a, B& b) = 0;

 private:
  BodySide<A> side_a_;
  BodySide<B> side_b_;
  std::vector<A*> as_;
  std::vector<B*> bs_;
};

#define COL_GROUP_LIST_PAIR(Name, A, B)                          \
  class Name : public ListPairGroup<A, B> {                      \
   public:                                                       \
    static constexpr const char* kName = "col_group::" #Name;    \
                                                                 \
   protected:                                                    \
    bool checkPair(A& a, B& b) override;                         \
    void contact(A& a, B& b) override;

COL_GROUP_LIST_PAIR(BeamShotAndEnemySphere, PlayerBulletBeamShotRigidBody, EnemyRigidBodySphere) };
COL_GROUP_LIST_PAIR(BeamShotAndEnemyCapsule, PlayerBulletBeamShotRigidBody, EnemyRigidBodyCapsule) };
COL_GROUP_LIST_PAIR(BeamShotAndEnemyOBB, PlayerBulletBeamShotRigidBody, EnemyRigidBodyOBB) };
COL_GROUP_LIST_PAIR(PlayerRefVulcanAndEnemySphere, PlayerBulletVulcanRigidBody, EnemyRigidBodySphere) };
COL_GROUP_LIST_PAIR(PlayerRefVulcanAndEnemyCapsule, PlayerBulletVulcanRigidBody, EnemyRigidBodyCapsule) };
COL_GROUP_LIST_PAIR(PlayerRefVulcanAndEnemyOBB, PlayerBulletVulcanRigidBody, EnemyRigidBodyOBB) };
COL_GROUP_LIST_PAIR(PlayerMagnumAndEnemySphere, PlayerBulletBeamMagnumRigidBody, EnemyRigidBodySphere) };
COL_GROUP_LIST_PAIR(PlayerMagnumAndEnemyCapsule, PlayerBulletBeamMagnumRigidBody, EnemyRigidBodyCapsule) };
COL_GROUP_LIST_PAIR(PlayerMagnumAndEnemyOBB, PlayerBulletBeamMagnumRigidBody, EnemyRigidBodyOBB) };

// The player against enemy bodies: the mode switch is read once per exec.
#define COL_GROUP_PLAYER_ENEMY(Name, B)                 \
  COL_GROUP_LIST_PAIR(Name, PlayerRigidBody, B)         \
  bool beginPass() override;                            \
                                                        \
 private:                                               \
  float mode_ = 0.0f;                                   \
  };
COL_GROUP_PLAYER_ENEMY(PlayerColEnemySphere, EnemyRigidBodySphere)
COL_GROUP_PLAYER_ENEMY(PlayerColEnemyCapsule, EnemyRigidBodyCapsule)
COL_GROUP_PLAYER_ENEMY(PlayerColEnemyOBB, EnemyRigidBodyOBB)

// The vulcan against enemy shots: bounces with the group's impact parameters
// (friction 0, except 0.7 against the bendable laser's chain).
#define COL_GROUP_VULCAN_SHOT(Name, B, Flic)                                  \
  COL_GROUP_LIST_PAIR(Name, PlayerBulletVulcanRigidBody, B)                   \
  bool checkAOnce(PlayerBulletVulcanRigidBody& a) override;                   \
                                                                              \
 public:                                                                      \
  Name() { impact_.setFlic(Flic); }                                           \
  const rk::rigidbody::ImpactParameter& impact() const { return impact_; }    \
                                                                              \
 private:                                                                     \
  rk::rigidbody::ImpactParameter impact_;                                     \
  };
COL_GROUP_VULCAN_SHOT(PlayerRefVaucanAndSphereShot, EnemyBulletRigidBodySphere, 0.0f)
COL_GROUP_VULCAN_SHOT(PlayerRefVaucanAndCapsuleLaser, EnemyBulletRigidBodyLaserCapsule, 0.0f)
COL_GROUP_VULCAN_SHOT(PlayerRefVaucanAndOBB, EnemyBulletRigidBodyOBB, 0.0f)
COL_GROUP_VULCAN_SHOT(PlayerRefVaucanAndBendLaser, EnemyBulletRigidBodySphereCapsuleList, 0.7f)

COL_GROUP_LIST_PAIR(PlayerBeamShotAndEnemyShotSphere, PlayerBulletBeamShotRigidBody, EnemyBulletRigidBodySphere)
  bool checkAOnce(PlayerBulletBeamShotRigidBody& a) override;
};
COL_GROUP_LIST_PAIR(PlayerBeamMagumAndSphereShot, PlayerBulletBeamMagnumRigidBody, EnemyBulletRigidBodySphere)
  bool checkAOnce(PlayerBulletBeamMagnumRigidBody& a) override;
};

#undef COL_GROUP_VULCAN_SHOT
#undef COL_GROUP_PLAYER_ENEMY
#undef COL_GROUP_LIST_PAIR

// The items that the player-item group walks: plain pointers, the same item
// possibly twice. A destroyed item leaves the list by itself.
class ItemList : private rk::rigidbody::IRigidBodyHolder {
 public:
  ItemList() { rk::rigidbody::registerRigidBodyHolder(this); }
  ~ItemList() override { rk::rigidbody::unregisterRigidBodyHolder(this); }
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;

  void push(Item* item) { items_.push_back(item); }
  // Every entry of the item.
  void remove(Item* item) { items_.remove(item); }
  // The first entry of the item.
  void removeFirst(Item* item);
  const std::list<Item*>& items() const { return items_; }

 private:
  void forgetRigidBody(const void* body) override;
  std::list<Item*> items_;
};

// The setters behind the script methods of the player groups.
class IPlayerGroupSetter {
 public:
  virtual ~IPlayerGroupSetter() = default;
  virtual void setPlayer(PlayerRigidBody* body) = 0;
  // Side B := the list held by the script object at that index (else unset).
  virtual void setListFrom(lua_State* L, int index) = 0;
};

// A group whose side A is the one player body, followed until it is destroyed.
template <class B>
class PlayerGroup : public rk::collision::CollisionGroup<PlayerRigidBody, B>,
                    public rk::script::ILuaMethod,
                    public IPlayerGroupSetter {
 public:
  void setPlayer(PlayerRigidBody* body) override {
    player_.set(body);
    this->group_a_ = body;
  }
  void setSideB(B* side) { this->group_b_ = side; }
  PlayerRigidBody* player() {
    this->group_a_ = player_.get();
    return this->group_a_;
  }

 private:
  BodyLink<PlayerRigidBody> player_;
};

class ColGroupPlayerItem : public PlayerGroup<ItemList> {
 public:
  static constexpr const char* kName = "col_group::ColGroupPlayerItem";
  void exec() override;
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;
  void setListFrom(lua_State* L, int index) override;

 private:
  std::vector<Item*> items_;
  std::vector<Item*> picked_;
};

// The player against one enemy-bullet list.
template <class T>
class PlayerBulletGroup : public PlayerGroup<EnemyBulletRigidBodyList<T>> {
 public:
  void exec() override;
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;
  void setListFrom(lua_State* L, int index) override;

 protected:
  // The checks of one bullet after its in-use and valid flags.
  virtual bool checkBullet(T&) { return true; }
  virtual void contact(PlayerRigidBody& p, T& b) = 0;
  // Whether the player's body can take bullet hits at all in this pass.
  virtual bool canTakeHits(PlayerRigidBody& p);
  std::vector<T*> bs_;
};

class ColGroupPlayerEnemyBulletSphere : public PlayerBulletGroup<EnemyBulletRigidBodySphere> {
 public:
  static constexpr const char* kName = "col_group::ColGroupPlayerEnemyBulletSphere";

 protected:
  void contact(PlayerRigidBody& p, EnemyBulletRigidBodySphere& b) override;
};
class ColGroupPlayerEnemyBulletCapsule : public PlayerBulletGroup<EnemyBulletRigidBodyCapsule> {
 public:
  static constexpr const char* kName = "col_group::ColGroupPlayerEnemyBulletCapsule";

 protected:
  void contact(PlayerRigidBody& p, EnemyBulletRigidBodyCapsule& b) override;
};
class ColGroupPlayerEnemyBulletOBB : public PlayerBulletGroup<EnemyBulletRigidBodyOBB> {
 public:
  static constexpr const char* kName = "col_group::ColGroupPlayerEnemyBulletOBB";

 protected:
  void contact(PlayerRigidBody& p, EnemyBulletRigidBodyOBB& b) override;
};
class ColGroupPlayerEnemyBulletLaserCapsule : public PlayerBulletGroup<EnemyBulletRigidBodyLaserCapsule> {
 public:
  static constexpr const char* kName = "col_group::ColGroupPlayerEnemyBulletLaserCapsule";

 protected:
  bool checkBullet(EnemyBulletRigidBodyLaserCapsule& b) override;
  void contact(PlayerRigidBody& p, EnemyBulletRigidBodyLaserCapsule& b) override;
};
// The player against the chain bodies of bendable lasers. It follows the body
// itself rather than the slot of its script object, and ignores the mode
// switch; the first chain body that hurts the player ends the pass.
class PlayerAndSphereCapsuleList : public PlayerBulletGroup<EnemyBulletRigidBodySphereCapsuleList> {
 public:
  static constexpr const char* kName = "col_group::PlayerAndSphereCapsuleList";
  void exec() override;

 protected:
  void contact(PlayerRigidBody&, EnemyBulletRigidBodySphereCapsuleList&) override {}
};

// The script class of each group: "addCollisionGroup" and the group's own
// methods accept it.
template <class G>
struct GroupScript {
  static const rk::script::LuaClass kLuaClass;
};
extern const rk::script::LuaClass kSideSetterClass;
extern const rk::script::LuaClass kPlayerGroupSetterClass;

template <class G>
void* castGroup(void* object, const rk::script::LuaClass& target) {
  G* group = static_cast<G*>(object);
  if (&target == &rk::script::interfaceClass<rk::collision::ICollisionExec>())
    return static_cast<rk::collision::ICollisionExec*>(group);
  if constexpr (std::is_base_of_v<ISideSetter, G>) {
    if (&target == &kSideSetterClass) return static_cast<ISideSetter*>(group);
  } else {
    if (&target == &kPlayerGroupSetterClass) return static_cast<IPlayerGroupSetter*>(group);
  }
  return nullptr;
}
template <class G>
const rk::script::LuaClass GroupScript<G>::kLuaClass{G::kName, castGroup<G>};
extern const rk::script::LuaClass kItemListClass;

// A new group in a script object that owns it.
template <class G>
int pushListPairGroup(lua_State* L);
template <class G>
int pushPlayerGroup(lua_State* L);

int lua_createItemList(lua_State* L);

}  // namespace col_group
