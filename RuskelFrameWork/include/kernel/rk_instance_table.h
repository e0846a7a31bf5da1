// The process-wide table of singleton instances. Every manager lives in one slot,
// made by createInstance, reached by getInstance and removed by destroyInstance.
// Slot numbers are fixed; there is no slot 10, and slots 11 and 22 both hold the
// device context.
#pragma once

namespace rk {

enum class InstanceSlot : int {
  GameConfig = 1,
  GameManager = 2,
  GlobalWipe = 3,
  ScoreUnit = 4,
  StatusUnit = 5,
  ActorManager = 6,
  AudioContext = 7,
  CollisionGroupManager = 8,
  ControllerManager = 9,
  DeviceContextStatic = 11,
  EffectSystem = 12,
  FlushUnit = 13,
  SyncUnit = 14,
  FileManager = 15,
  CameraManager = 16,
  GfxListManager = 17,
  LightManager = 18,
  ModelManager = 19,
  TextureManager = 20,
  WipeManager = 21,
  DeviceContext = 22,
  GlobalVariable = 23,
  InputContext = 24,
  CounterManager = 25,
  AnimeUnit = 26,
  MeshUnit = 27,
  NodeUnit = 28,
  DeviceLostNotifyManager = 29,
  DeviceReCreateNotifyManager = 30,
  StopWatchCounter = 31,
  ResourceManager = 32,
  SaveLoader = 33,
  RigidBodyManager = 34,
  ScriptStateManager = 35,
  ScriptCache = 36,
  TaskManager = 37,
};

constexpr int kInstanceSlotCount = 38;

// The raw slot; null while its singleton does not exist.
void*& instanceSlot(InstanceSlot slot);

// Where a singleton reports its misuse: the source file and line of each of its
// three operations, and its qualified class name ("rk::task::TaskManager").
struct SingletonReport {
  const char* file;
  const char* className;
  int createLine;
  int getLine;
  int destroyLine;
};

// Writes the error-log entry "<className>::<operation>" for the report.
void reportSingleton(const SingletonReport& report, int line, const char* operation);

// The createInstance / getInstance / destroyInstance convention.
// createInstance on a filled slot reports and then overwrites the slot (the old
// instance is not destroyed); getInstance on an empty slot reports and returns
// null; destroyInstance on an empty slot reports and returns.
template <class T>
T* singletonGet(InstanceSlot slot, const SingletonReport& report) {
  void* p = instanceSlot(slot);
  if (!p) reportSingleton(report, report.getLine, "getInstance");
  return static_cast<T*>(p);
}

template <class T, class... Args>
T* singletonCreate(InstanceSlot slot, const SingletonReport& report, Args&&... args) {
  if (instanceSlot(slot)) reportSingleton(report, report.createLine, "createInstance");
  T* instance = new T(static_cast<Args&&>(args)...);
  instanceSlot(slot) = instance;
  return instance;
}

// The slot stays filled while the destructor runs, so that what the instance
// owns can still reach it; it is cleared afterwards.
template <class T>
void singletonDestroy(InstanceSlot slot, const SingletonReport& report) {
  void* p = instanceSlot(slot);
  if (!p) {
    reportSingleton(report, report.destroyLine, "destroyInstance");
    return;
  }
  delete static_cast<T*>(p);
  instanceSlot(slot) = nullptr;
}

// True when the slot holds an instance (no report).
inline bool singletonExists(InstanceSlot slot) { return instanceSlot(slot) != nullptr; }

}  // namespace rk
