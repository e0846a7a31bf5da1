#include "platform/driver/rk_device_lost_notify.h"

#include "kernel/rk_instance_table.h"

namespace rk::driver {

namespace {
const SingletonReport kReport{"src/platform/driver/rk_device_lost_notify", "rk::driver::DeviceLostNotifyManager", 60, 69, 78};
}

DeviceLostNotifyManager* DeviceLostNotifyManager::createInstance() { return singletonCreate<DeviceLostNotifyManager>(InstanceSlot::DeviceLostNotifyManager, kReport); }
DeviceLostNotifyManager* DeviceLostNotifyManager::getInstance() { return singletonGet<DeviceLostNotifyManager>(InstanceSlot::DeviceLostNotifyManager, kReport); }
void DeviceLostNotifyManager::destroyInstance() { singletonDestroy<DeviceLostNotifyManager>(InstanceSlot::DeviceLostNotifyManager, kReport); }

}  // namespace rk::driver
