#include "actor/rk_actor.h"

#include <algorithm>

#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace rk::actor {

namespace {

constexpr const char* kSource = "src/actor/rk_actor";

// The manager when it exists, without a report: actors may outlive it at shut-down.
ActorManager* managerIfAny() {
  return singletonExists(InstanceSlot::ActorManager) ? static_cast<ActorManager*>(instanceSlot(InstanceSlot::ActorManager))
                                                      : nullptr;
}

template <class T>
void removeOne(std::vector<T*>& list, T* item) {
  auto found = std::find(list.begin(), list.end(), item);
  if (found != list.end()) list.erase(found);
}

}  // namespace

// ---------------------------------------------------------------------- Actor

Actor::Actor() = default;

Actor::~Actor() {
  if (ActorManager* manager = managerIfAny()) manager->actorDeleted(this);
  for (Entry& entry : entries_)
    if (entry.component) removeOne(entry.component->holders_, this);
  entries_.clear();
  for (ActorComponent* component : owned_) component->owner_ = nullptr;
  owned_.clear();
}

void Actor::destroy() {
  in_use_ = false;
  clearEntries();
  if (ActorManager* manager = managerIfAny()) manager->erase(this);
}

host::HResult Actor::initialize() {
  in_use_ = true;
  clearEntries();
  return host::S_OK;
}

void Actor::clearEntries() {
  for (std::size_t i = entries_.size(); i-- > 0;)
    if (entries_[i].component) eraseEntryAt(i);
  if (!walking_) entries_.clear();
}

void Actor::eraseEntryAt(std::size_t index) {
  removeOne(entries_[index].component->holders_, this);
  if (walking_) {
    entries_[index].component = nullptr;
  } else {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  }
}

void Actor::compactEntries() {
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(), [](const Entry& e) { return !e.component; }),
                 entries_.end());
}

void Actor::pushComponent(ActorComponent* component) {
  if (!component) return;
  entries_.push_back(Entry{component, 0});
  component->holders_.push_back(this);
}

void Actor::removeComponentEntry(ActorComponent* component) {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (component && entries_[i].component == component) {
      eraseEntryAt(i);
      return;
    }
  }
}

int Actor::componentState(const ActorComponent* component) const {
  for (const Entry& entry : entries_)
    if (component && entry.component == component) return entry.state;
  return -1;
}

bool Actor::setComponentState(const ActorComponent* component, int state) {
  for (Entry& entry : entries_) {
    if (component && entry.component == component) {
      entry.state = state;
      return true;
    }
  }
  return false;
}

void Actor::setRun() {
  for (Entry& entry : entries_)
    if (entry.component && entry.state == 1) entry.state = 2;
}

bool Actor::isReady() const {
  return std::all_of(entries_.begin(), entries_.end(),
                     [](const Entry& e) { return !e.component || e.state == 1; });
}

bool Actor::allComponentsInState(int state) const {
  return std::all_of(entries_.begin(), entries_.end(),
                     [state](const Entry& e) { return !e.component || e.state == state; });
}

int Actor::getComponentNum() const {
  return static_cast<int>(
      std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.component != nullptr; }));
}

// ------------------------------------------------------------- ActorComponent

ActorComponent::ActorComponent(Actor* owner, int kind) : kind_(kind) { setOwner(owner); }

ActorComponent::~ActorComponent() {
  // Every list that still holds this component lets go of it.
  while (!holders_.empty()) holders_.back()->removeComponentEntry(this);
  setOwner(nullptr);
}

void ActorComponent::destroy() {
  if (owner_) owner_->removeComponentEntry(this);
}

void ActorComponent::setOwner(Actor* owner) {
  if (owner_) removeOne(owner_->owned_, this);
  owner_ = owner;
  if (owner_) owner_->owned_.push_back(this);
}

int ActorComponent::state() const { return owner_ ? owner_->componentState(this) : -1; }

bool ActorComponent::isStarted() { return state() > 0; }

bool ActorComponent::isReady() { return state() > 2; }

void ActorComponent::getReady() {
  if (!isStarted()) {
    debug::writeErrorLog(kSource, 277, "rk::actor::ActorComponent::getReady");
    return;
  }
  owner_->setComponentState(this, 3);
}

void ActorComponent::setWait() {
  if (owner_) owner_->setComponentState(this, 4);
}

}  // namespace rk::actor
