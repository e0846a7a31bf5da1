// Tasks: the units of per-frame work, and the task manager that owns and runs
// them in ascending priority (equal priorities in the order they were added).
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace rk::task {

class Task {
 public:
  // Registers the task with the task manager, which owns it from now on.
  Task(int priority, const std::string& name);
  Task(const Task&) = delete;
  Task& operator=(const Task&) = delete;
  // Removes the task from the manager (a running pass skips and erases it).
  virtual ~Task();

  // The script-name stack of script tasks; empty for other tasks.
  virtual const char* currentScriptName() { return nullptr; }
  virtual void pushScriptName(const char* name) {}
  virtual void popScriptName() {}
  // True for tasks that another container owns and deletes.
  virtual bool isOwnedElsewhere() { return false; }
  virtual bool isScriptTask() { return false; }
  // Called every frame until it returns 0 (ready); 1 means not ready yet.
  virtual int initStep(float dt) { return 1; }
  virtual void update(float dt) = 0;

  int priority() const { return priority_; }
  const std::string& name() const { return name_; }
  bool isInitialised() const { return initialised_; }
  void setInitialised(bool v) { initialised_ = v; }
  bool isActive() const { return active_; }
  void setActive(bool v) { active_ = v; }
  bool isPaused() const { return paused_; }
  void setPaused(bool v) { paused_ = v; }
  bool isAlive() const { return alive_; }
  void setAlive(bool v) { alive_ = v; }
  int wait() const { return wait_; }
  void setWait(int frames) { wait_ = frames; }

 private:
  friend class TaskManager;
  int priority_;
  bool initialised_ = false;
  bool active_ = false;
  bool paused_ = false;
  bool alive_ = true;
  int wait_ = 0;
  std::string name_;
};

class TaskManager {
 public:
  static TaskManager* createInstance();
  static TaskManager* getInstance();
  static void destroyInstance();

  TaskManager();
  ~TaskManager();

  // Inserts the task after the ones of equal priority; during a pass it waits in
  // the pending list until the next pass starts.
  void add(Task* task);
  // Forgets the task (called by the task's destructor).
  void remove(Task* task);
  // One pass over every task; dead tasks are deleted at its end.
  void update(float dt);

  Task* findCurrentScriptTask();
  // Pauses or resumes every running task of exactly this priority.
  void setPause(int priority, bool pause);
  void setNormalPause(bool pause);
  bool isNormalPause() const;
  bool isUpdating() const;

  // Shut-down: the first pass deletes every task that is not owned elsewhere;
  // the second deletes all that remain.
  void deleteTasks(bool includeOwnedElsewhere);

  // Every task in run order (pending ones last), for diagnostics and tests.
  std::vector<Task*> tasks() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk::task
