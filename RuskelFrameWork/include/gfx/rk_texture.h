// Textures: created at once, filled once the file manager has delivered the
// DDS bytes. A texture is also a task (priority 0) whose initialise step polls
// for the bytes and sets up the GPU texture; the task manager never deletes it.
#pragma once
#include <cstdint>
#include <string>

#include "policy/rk_shared_object.h"
#include "res/rk_resource.h"
#include "task/rk_task.h"

namespace rk::gfx {

class RkTexture : public policy::SharedObject, public task::Task {
 public:
  struct Info {
    std::string name_;              // the stored file name, the manager's key
    res::ResourcePtr resource_;     // the file's bytes (loading or loaded)
    bool loaded_ = false;           // the set-up step has run
    bool manager_owned_ = false;    // the manager releases it when destroyed
    // Listed in the manager's cache; a texture made outside it (a window's
    // white texture, for one) has no entry to leave when it goes.
    bool listed_ = false;
    std::uint32_t load_flags_ = 1;  // handed to the DDS loader unchanged
  };

  RkTexture();
  ~RkTexture() override;

  // Width and height of the GPU texture; 0 while there is none.
  virtual void getSize(std::uint32_t* width, std::uint32_t* height) const;
  // Waits for the bytes, then sets up the GPU texture. 1: not ready yet; 0: done.
  int setupStep();

  bool isOwnedElsewhere() override { return true; }
  int initStep(float) override { return setupStep(); }
  void update(float) override {}

  Info& info() { return *info_; }
  const Info& info() const { return *info_; }

 protected:
  void destroy() override;

 private:
  Info* info_;
};

}  // namespace rk::gfx
