// Base of every GPU-backed object the renderer hands out: a reference-counted
// object whose GPU part can be built from the CPU data it keeps.
#pragma once
#include "policy/rk_shared_object.h"

namespace rk::gfx {

class GResource : public policy::SharedObject {
 public:
  // True while the GPU part exists.
  virtual bool isCreated() const = 0;
  // Uploads the CPU data into a fresh GPU part. Throws HrException on failure.
  virtual void build() = 0;
};

}  // namespace rk::gfx
