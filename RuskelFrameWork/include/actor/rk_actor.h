// Actors: pooled game objects that own an ordered list of components. Every
// frame, before anything else is updated, the actor manager steps each
// component of each actor in use through its state machine:
//   0 added -> initializeStep -> 1 waiting for the go -> readyCheck (or the
//   actor's setRun, or getReady) -> 2 go given -> onRun -> 3 running ->
//   runStep returns true -> 4 waiting (waitStep every update);
//   5 ending (set by game code) -> onEnd -> 6 ended.
// Actors are recycled by kind: a factory asks findByKind for one not in use.
#pragma once
#include <map>
#include <memory>
#include <vector>

#include <lua.hpp>

#include "policy/rk_policy.h"
#include "policy/rk_shared_object.h"
#include "script/rk_lua_object.h"

namespace rk::actor {

class ActorComponent;
class ActorManager;

class Actor : public policy::SharedObject,
              public script::ILuaMethod,
              public policy::IInitialize,
              public policy::IFinalize,
              public policy::IIsUse {
 public:
  Actor();
  // Leaves the manager and unlinks every component that lists or names it.
  ~Actor() override;

  // The kind the actor is filed and recycled under; game actors give their own.
  virtual int kind() { return 0; }

  // In use, no components.
  host::HResult initialize() override;
  void finalize() override { in_use_ = false; }
  void setUse(bool use) override { in_use_ = use; }
  bool isUse() override { return in_use_; }

  // Appends an entry {component, state 0}.
  void pushComponent(ActorComponent* component);
  // Erases the first entry of that component; nothing when there is none.
  void removeComponentEntry(ActorComponent* component);
  // The state of the component's first entry; -1 when it has none.
  int componentState(const ActorComponent* component) const;
  // Sets the state of the component's first entry; false when it has none.
  bool setComponentState(const ActorComponent* component, int state);
  // Every entry in state 1 goes to state 2.
  void setRun();
  // True when every entry is in state 1 (also when there are none).
  bool isReady() const;
  // True when every entry is in that state (also when there are none).
  bool allComponentsInState(int state) const;
  int getComponentNum() const;

  // Script objects: the actor's methods; the object holds one reference.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 protected:
  // The last reference went: out of use, no components, out of the manager.
  void destroy() override;

 private:
  friend class ActorComponent;
  friend class ActorManager;
  struct Entry {
    ActorComponent* component;  // null once removed while the manager walks the list
    int state;
  };

  void clearEntries();
  void eraseEntryAt(std::size_t index);
  void compactEntries();

  bool in_use_ = false;
  std::vector<Entry> entries_;
  // Set while the manager steps this actor's entries: removal leaves holes.
  bool walking_ = false;
  // Components whose owner is this actor.
  std::vector<ActorComponent*> owned_;
};

class ActorComponent : public policy::SharedObject, public script::ILuaMethod {
 public:
  ActorComponent(Actor* owner, int kind);
  // Drops its entries from every actor's list and its owner link.
  ~ActorComponent() override;

  Actor* owner() const { return owner_; }
  // Moves the link to another owner (null: none).
  void setOwner(Actor* owner);

  // The component's state lives in its owner's list. A component without an
  // owner, or missing from its owner's list, has no state: it is not started.
  virtual bool isStarted();
  virtual bool isReady();
  // From any started state to running (3); not started is reported.
  virtual void getReady();
  // To waiting (4) from any state.
  virtual void setWait();
  virtual bool initializeStep() { return true; }
  virtual bool readyCheck() { return false; }
  virtual void onRun() {}
  // One update of the running state; true when it is done.
  virtual bool runStep(float dt) = 0;
  virtual void waitStep() {}
  virtual void onEnd() {}
  virtual int getKind() { return kind_; }

  // Script objects are pushed as ActorComponent* under kActorComponentClass;
  // derived classes add their methods here and cast down.
  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

 protected:
  // The last reference went: its entry leaves the owner's list.
  void destroy() override;

 private:
  friend class Actor;
  int state() const;
  Actor* owner_ = nullptr;
  int kind_ = 0;
  // Actors whose lists hold an entry of this component.
  std::vector<Actor*> holders_;
};

class ActorManager {
 public:
  static ActorManager* createInstance();
  static ActorManager* getInstance();
  static void destroyInstance();

  ActorManager();
  // Takes every actor out of use and forgets them.
  ~ActorManager();
  ActorManager(const ActorManager&) = delete;
  ActorManager& operator=(const ActorManager&) = delete;

  // Steps the components of every actor in use (see the top of this file).
  void update(float dt);
  // Files the actor (not counted) under its kind; while an update runs it waits
  // until the next update.
  void add(int kind, Actor* actor);
  // Forgets the first entry of the actor. During an update the entry is only
  // marked and dropped when the update ends, so the walk stays valid.
  void erase(Actor* actor);
  void setAllUnused();
  // The first actor in kind order of that kind and not in use, or null.
  Actor* findByKind(int kind);
  bool isUpdating() const { return updating_; }
  // Every filed actor in walk order (pending ones last), for diagnostics and tests.
  std::vector<Actor*> actors() const;

 private:
  friend class Actor;
  // The actor's destructor: forget it, and stop stepping it if it is the one
  // being stepped.
  void actorDeleted(Actor* actor);
  void stepActor(Actor* actor, float dt);
  bool stepEntry(Actor* actor, std::size_t index, float dt);

  std::multimap<int, Actor*> actors_;
  std::multimap<int, Actor*> pending_;
  bool updating_ = false;
  // The actor being stepped; cleared when it is deleted during its own step.
  Actor* current_ = nullptr;
};

// Script object tags; both cast to the shared object, the actor to the policy
// interfaces as well.
extern const script::LuaClass kActorClass;
extern const script::LuaClass kActorComponentClass;

// Push a new script object holding a reference to the object (a null object
// when it is null); one result.
int pushActor(lua_State* L, Actor* actor);
int pushActorComponent(lua_State* L, ActorComponent* component);

}  // namespace rk::actor
