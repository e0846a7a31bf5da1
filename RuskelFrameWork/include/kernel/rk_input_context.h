// The owner of the one input driver the frame polls and the controllers read.
#pragma once
#include <memory>

namespace rk {

namespace driver { class InputDriver; }

class InputContext {
 public:
  static InputContext* createInstance();
  static InputContext* getInstance();
  static void destroyInstance();

  InputContext();
  ~InputContext();
  InputContext(const InputContext&) = delete;
  InputContext& operator=(const InputContext&) = delete;

  // Null while no driver has been given.
  driver::InputDriver* getDriver() const;
  // Takes ownership; a driver held before is deleted.
  void setDriver(driver::InputDriver* driver);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rk
