#include "task/rk_task.h"

#include <algorithm>

#include "kernel/rk_instance_table.h"

namespace rk::task {

namespace {
const SingletonReport kReport{"src/task/rk_task", "rk::task::TaskManager", 124, 138, 150};
}

struct TaskManager::Impl {
  std::multimap<int, Task*> tasks;
  std::vector<Task*> pending;
  // Tasks of the running pass that are no longer alive, deleted once at its end.
  std::vector<Task*> dead;
  bool updating = false;
  bool normalPause = false;
  bool normalPauseRequest = false;
};

// ------------------------------------------------------------------ Task

Task::Task(int priority, const std::string& name) : priority_(priority), name_(name) {
  if (TaskManager* manager = TaskManager::getInstance()) manager->add(this);
}

Task::~Task() {
  if (TaskManager* manager = static_cast<TaskManager*>(instanceSlot(InstanceSlot::TaskManager))) manager->remove(this);
}

// ----------------------------------------------------------- TaskManager

TaskManager* TaskManager::createInstance() { return singletonCreate<TaskManager>(InstanceSlot::TaskManager, kReport); }
TaskManager* TaskManager::getInstance() { return singletonGet<TaskManager>(InstanceSlot::TaskManager, kReport); }
void TaskManager::destroyInstance() { singletonDestroy<TaskManager>(InstanceSlot::TaskManager, kReport); }

TaskManager::TaskManager() : impl_(std::make_unique<Impl>()) {}
TaskManager::~TaskManager() = default;

void TaskManager::add(Task* task) {
  if (impl_->updating) {
    impl_->pending.push_back(task);
  } else {
    impl_->tasks.emplace(task->priority_, task);  // multimap keeps insertion order among equals
  }
}

void TaskManager::remove(Task* task) {
  // A dead task deleted by someone else before the end of the pass: its entry
  // is already null, and the pass must not delete it a second time.
  auto& dead = impl_->dead;
  auto buried = std::find(dead.begin(), dead.end(), task);
  if (buried != dead.end()) {
    dead.erase(buried);
    return;
  }
  auto range = impl_->tasks.equal_range(task->priority_);
  for (auto it = range.first; it != range.second; ++it) {
    if (it->second == task) {
      if (impl_->updating) {
        it->second = nullptr;
      } else {
        impl_->tasks.erase(it);
      }
      return;
    }
  }
  auto& pending = impl_->pending;
  auto found = std::find(pending.begin(), pending.end(), task);
  if (found != pending.end()) pending.erase(found);
}

void TaskManager::update(float dt) {
  Impl& m = *impl_;
  for (Task* task : m.pending) m.tasks.emplace(task->priority_, task);
  m.pending.clear();

  m.updating = true;
  if (m.normalPauseRequest) {
    m.normalPause = true;
    m.normalPauseRequest = false;
  }
  const bool normalPause = m.normalPause;
  bool eraseNeeded = false;

  for (auto it = m.tasks.begin(); it != m.tasks.end(); ++it) {
    Task* task = it->second;
    if (!task) {
      eraseNeeded = true;
      continue;
    }
    if (normalPause && task->priority_ > 3) continue;
    if (!task->initialised_) {
      const bool ready = !task->paused_ && task->initStep(dt) == 0;
      if (!it->second) {  // deleted during its own step: nothing of it may be touched
        eraseNeeded = true;
        continue;
      }
      if (ready) task->initialised_ = true;
      if (!task->initialised_) continue;
    }
    if (!task->paused_ && task->active_) {
      if (task->wait_ == 0) {
        task->update(dt);
      } else {
        task->wait_ = std::max(0, task->wait_ - 1);
      }
    }
    if (it->second && !task->alive_) {
      m.dead.push_back(task);
      it->second = nullptr;
    }
    if (!it->second) eraseNeeded = true;
  }
  m.updating = false;

  if (eraseNeeded) {
    for (auto it = m.tasks.begin(); it != m.tasks.end();) {
      it = it->second ? std::next(it) : m.tasks.erase(it);
    }
  }
  // One at a time, in the order found: a destructor that deletes another dead
  // task takes it off the list (remove), so nothing is deleted twice.
  while (!m.dead.empty()) {
    Task* task = m.dead.front();
    m.dead.erase(m.dead.begin());
    delete task;
  }
}

Task* TaskManager::findCurrentScriptTask() {
  for (Task* task : impl_->pending)
    if (task->isScriptTask()) return task;
  for (auto& entry : impl_->tasks)
    if (entry.second && entry.second->isScriptTask()) return entry.second;
  return nullptr;
}

void TaskManager::setPause(int priority, bool pause) {
  auto range = impl_->tasks.equal_range(priority);
  for (auto it = range.first; it != range.second; ++it)
    if (it->second) it->second->paused_ = pause;
}

void TaskManager::setNormalPause(bool pause) {
  if (!pause) {
    impl_->normalPause = false;
  } else if (impl_->updating) {
    impl_->normalPauseRequest = true;
  } else {
    impl_->normalPause = true;
  }
}

bool TaskManager::isNormalPause() const { return impl_->normalPause; }
bool TaskManager::isUpdating() const { return impl_->updating; }

void TaskManager::deleteTasks(bool includeOwnedElsewhere) {
  // A task's destructor removes it from the map or the pending list, and may
  // delete other tasks: look the next victim up afresh every time.
  auto qualifies = [&](Task* task) { return task && (includeOwnedElsewhere || !task->isOwnedElsewhere()); };
  for (;;) {
    Task* victim = nullptr;
    for (auto& entry : impl_->tasks)
      if (qualifies(entry.second)) {
        victim = entry.second;
        break;
      }
    if (!victim)
      for (Task* task : impl_->pending)
        if (qualifies(task)) {
          victim = task;
          break;
        }
    if (!victim) break;
    delete victim;
  }
  if (includeOwnedElsewhere) {
    impl_->tasks.clear();
    impl_->pending.clear();
  }
}

std::vector<Task*> TaskManager::tasks() const {
  std::vector<Task*> out;
  for (auto& entry : impl_->tasks)
    if (entry.second) out.push_back(entry.second);
  out.insert(out.end(), impl_->pending.begin(), impl_->pending.end());
  return out;
}

}  // namespace rk::task
