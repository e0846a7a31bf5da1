#include "kernel/rk_input_context.h"

#include "kernel/rk_instance_table.h"
#include "platform/driver/rk_input_driver.h"

namespace rk {

namespace {
const SingletonReport kReport{"src/kernel/rk_input_context", "rk::InputContext", 42, 63, 72};
}

struct InputContext::Impl {
  std::unique_ptr<driver::InputDriver> driver;
};

InputContext* InputContext::createInstance() { return singletonCreate<InputContext>(InstanceSlot::InputContext, kReport); }
InputContext* InputContext::getInstance() { return singletonGet<InputContext>(InstanceSlot::InputContext, kReport); }
void InputContext::destroyInstance() { singletonDestroy<InputContext>(InstanceSlot::InputContext, kReport); }

InputContext::InputContext() : impl_(std::make_unique<Impl>()) {}
InputContext::~InputContext() = default;

driver::InputDriver* InputContext::getDriver() const { return impl_->driver.get(); }

void InputContext::setDriver(driver::InputDriver* driver) { impl_->driver.reset(driver); }

}  // namespace rk
