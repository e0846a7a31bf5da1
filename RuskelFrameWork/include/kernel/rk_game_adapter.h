// The hooks by which the one game of the executable plugs into the framework.
// The framework calls them; the caller of rk::runGame owns the adapter.
#pragma once

namespace rk {

class IGameAdapter {
 public:
  // A 16-byte identifier of the game; the framework never asks for it.
  virtual const unsigned char* getId() = 0;
  // Before the window exists: may change the client size in the device
  // context's window configuration and sets its window mode.
  virtual void configure() = 0;
  // Once, after the framework has started: libraries, packs, script modules, settings.
  virtual void boot() = 0;
  // Twice per frame (before the tasks and after the update); the result is unused.
  virtual int update(float dt) = 0;
  // Once, only when boot has returned: saves and releases the game's state
  // before the framework is taken down.
  virtual void shutdown() = 0;
  virtual ~IGameAdapter() = default;
};

}  // namespace rk
