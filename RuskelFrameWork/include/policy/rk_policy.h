// Small interfaces that framework and game classes implement beside their main
// base: initialisation, pooled in-use flags, per-frame sync, drawing-state
// backup and settings reflection.
#pragma once
#include "host/hresult.h"

namespace rk::policy {

class IInitialize {
 public:
  virtual ~IInitialize() = default;
  // (Re)initialises the object for use; a negative result is a failure.
  virtual host::HResult initialize() = 0;
};

class IFinalize {
 public:
  virtual ~IFinalize() = default;
  virtual void finalize() = 0;
};

class IIsUse {
 public:
  virtual ~IIsUse() = default;
  virtual void setUse(bool use) = 0;
  virtual bool isUse() = 0;
};

class ISync {
 public:
  virtual ~ISync() = default;
  virtual void sync() = 0;
};

class IBackupRelease {
 public:
  virtual ~IBackupRelease() = default;
  // Saves the current drawing state and applies this object's; release restores it.
  virtual void backup() = 0;
  virtual void release() = 0;
};

class IReflection {
 public:
  virtual ~IReflection() = default;
  // Uploads this object's settings to the device context.
  virtual void reflect() = 0;
};

}  // namespace rk::policy
