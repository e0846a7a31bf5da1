// The register of objects told that the GPU device has been rebuilt. It holds
// one intrusive list (a head linked to itself) and lives from start-up to
// shut-down; nothing registers with it yet.
#pragma once

namespace rk::driver {

class DeviceReCreateNotifyManager {
 public:
  struct Node {
    Node* prev;
    Node* next;
  };

  static DeviceReCreateNotifyManager* createInstance();
  static DeviceReCreateNotifyManager* getInstance();
  static void destroyInstance();

  DeviceReCreateNotifyManager() { head_.prev = head_.next = &head_; }
  DeviceReCreateNotifyManager(const DeviceReCreateNotifyManager&) = delete;
  DeviceReCreateNotifyManager& operator=(const DeviceReCreateNotifyManager&) = delete;

  bool empty() const { return head_.next == &head_; }

 private:
  Node head_;
};

}  // namespace rk::driver
