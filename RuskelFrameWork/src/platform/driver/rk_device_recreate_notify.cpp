#include "platform/driver/rk_device_recreate_notify.h"

#include "kernel/rk_instance_table.h"

namespace rk::driver {

namespace {
const SingletonReport kReport{"src/platform/driver/rk_device_recreate_notify", "rk::driver::DeviceReCreateNotifyManager", 56, 65, 74};
}

DeviceReCreateNotifyManager* DeviceReCreateNotifyManager::createInstance() { return singletonCreate<DeviceReCreateNotifyManager>(InstanceSlot::DeviceReCreateNotifyManager, kReport); }
DeviceReCreateNotifyManager* DeviceReCreateNotifyManager::getInstance() { return singletonGet<DeviceReCreateNotifyManager>(InstanceSlot::DeviceReCreateNotifyManager, kReport); }
void DeviceReCreateNotifyManager::destroyInstance() { singletonDestroy<DeviceReCreateNotifyManager>(InstanceSlot::DeviceReCreateNotifyManager, kReport); }

}  // namespace rk::driver
