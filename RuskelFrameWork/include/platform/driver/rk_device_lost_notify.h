// The register of objects told that the GPU device has been lost. It holds
// one intrusive list (a head linked to itself) and lives from start-up to
// shut-down; nothing registers with it yet.
#pragma once

namespace rk::driver {

class DeviceLostNotifyManager {
 public:
  struct Node {
    Node* prev;
    Node* next;
  };

  static DeviceLostNotifyManager* createInstance();
  static DeviceLostNotifyManager* getInstance();
  static void destroyInstance();

  DeviceLostNotifyManager() { head_.prev = head_.next = &head_; }
  DeviceLostNotifyManager(const DeviceLostNotifyManager&) = delete;
  DeviceLostNotifyManager& operator=(const DeviceLostNotifyManager&) = delete;

  bool empty() const { return head_.next == &head_; }

 private:
  Node head_;
};

}  // namespace rk::driver
