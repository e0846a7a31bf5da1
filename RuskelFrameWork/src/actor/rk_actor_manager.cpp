#include "actor/rk_actor.h"

#include "kernel/rk_instance_table.h"

namespace rk::actor {

namespace {
const SingletonReport kReport{"src/actor/rk_actor", "rk::actor::ActorManager", 935, 951, 960};

// Drops the first entry of the actor; during an update only marks it.
bool eraseFrom(std::multimap<int, Actor*>& map, Actor* actor, bool updating) {
  for (auto it = map.begin(); it != map.end(); ++it) {
    if (it->second != actor) continue;
    if (updating) {
      it->second = nullptr;
    } else {
      map.erase(it);
    }
    return true;
  }
  return false;
}
}  // namespace

ActorManager* ActorManager::createInstance() { return singletonCreate<ActorManager>(InstanceSlot::ActorManager, kReport); }
ActorManager* ActorManager::getInstance() { return singletonGet<ActorManager>(InstanceSlot::ActorManager, kReport); }
void ActorManager::destroyInstance() { singletonDestroy<ActorManager>(InstanceSlot::ActorManager, kReport); }

ActorManager::ActorManager() = default;

ActorManager::~ActorManager() {
  setAllUnused();
  actors_.clear();
  pending_.clear();
}

void ActorManager::add(int kind, Actor* actor) {
  if (!actor) return;
  (updating_ ? pending_ : actors_).emplace(kind, actor);
}

// Actors added during an update wait in pending; one erased before the next
// update must leave pending too, or the next update would step a freed actor.
void ActorManager::erase(Actor* actor) {
  if (!actor) return;
  if (!eraseFrom(actors_, actor, updating_)) eraseFrom(pending_, actor, false);
}

void ActorManager::actorDeleted(Actor* actor) {
  erase(actor);
  if (current_ == actor) current_ = nullptr;
}

void ActorManager::setAllUnused() {
  for (auto& entry : actors_)
    if (entry.second) entry.second->setUse(false);
}

Actor* ActorManager::findByKind(int kind) {
  for (auto& entry : actors_) {
    Actor* actor = entry.second;
    if (actor && actor->kind() == kind && !actor->isUse()) return actor;
  }
  return nullptr;
}

std::vector<Actor*> ActorManager::actors() const {
  std::vector<Actor*> out;
  for (const auto& entry : actors_)
    if (entry.second) out.push_back(entry.second);
  for (const auto& entry : pending_) out.push_back(entry.second);
  return out;
}

void ActorManager::update(float dt) {
  for (auto& entry : pending_) actors_.emplace(entry.first, entry.second);  // after equal kinds
  pending_.clear();

  updating_ = true;
  for (auto& entry : actors_) {
    // Erasing marks entries instead of removing them, so the walk stays valid.
    if (entry.second && entry.second->isUse()) stepActor(entry.second, dt);
  }
  updating_ = false;

  for (auto it = actors_.begin(); it != actors_.end();) it = it->second ? std::next(it) : actors_.erase(it);
}

void ActorManager::stepActor(Actor* actor, float dt) {
  current_ = actor;
  actor->walking_ = true;
  // Components appended during the walk are first stepped in the next update.
  const std::size_t count = actor->entries_.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (!stepEntry(actor, i, dt)) break;
  }
  if (current_ == actor) {  // else the actor was deleted by one of its components
    actor->walking_ = false;
    actor->compactEntries();
  }
  current_ = nullptr;
}

// Runs the entry's state step and falls through while a step succeeds. After
// every call into the component the actor may be gone or the entry removed,
// so both are checked before the entry is touched again. False when the actor
// was deleted.
bool ActorManager::stepEntry(Actor* actor, std::size_t index, float dt) {
  ActorComponent* component = actor->entries_[index].component;
  if (!component) return true;
  auto entryGone = [&] { return actor->entries_[index].component != component; };
  for (;;) {
    const int state = actor->entries_[index].state;
    int next = -1;
    bool goOn = true;
    switch (state) {
      case 0:
        goOn = component->initializeStep();
        next = 1;
        break;
      case 1:
        goOn = component->readyCheck();
        next = 2;
        break;
      case 2:
        component->onRun();
        next = 3;
        break;
      case 3:
        if (!component->runStep(dt)) {
          goOn = false;
        } else {
          next = 4;
        }
        if (current_ != actor) return false;
        if (!entryGone() && goOn) actor->entries_[index].state = next;
        return true;  // runStep runs at most once per update
      case 4:
        component->waitStep();
        return current_ == actor;
      case 5:
        component->onEnd();
        if (current_ != actor) return false;
        if (!entryGone()) actor->entries_[index].state = 6;
        return true;
      default:
        return true;
    }
    if (current_ != actor) return false;
    if (entryGone() || !goOn) return true;
    actor->entries_[index].state = next;
  }
}

}  // namespace rk::actor
