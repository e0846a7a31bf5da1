// Drawing one model in one camera pass: a matrix stack that the node walk
// pushes and pops, the model and pass kind (normal or planar shadow), and a
// per-frame pool of constant pairs (world matrix, material), one per drawn
// mesh, reused from the first every frame.
#pragma once
#include <deque>
#include <memory>
#include <vector>

#include "math/rk_matrix.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_constants.h"
#include "platform/driver/directx_driver/rk_constant_slot.h"

namespace rk::gfx {
class GModel;
class ModelDrawInfo;
}  // namespace rk::gfx

namespace rk::driver {
class ModelRoot;
}

namespace rk::driver::directx::directx12 {

// The world and material constants of one mesh draw, each in a slot of its own.
class ModelDrawInfoData {
 public:
  // Makes both slots on the device context's device and heap.
  ModelDrawInfoData();
  virtual ~ModelDrawInfoData();
  ModelDrawInfoData(const ModelDrawInfoData&) = delete;
  ModelDrawInfoData& operator=(const ModelDrawInfoData&) = delete;

  // Copies the matrix into the world constants and binds them (root 0).
  virtual void setWorld(const math::Matrix& world);
  virtual void setUsed(bool used) { used_ = used; }
  virtual bool isUsed() const { return used_; }
  // A new pair with the same constants, not used.
  virtual ModelDrawInfoData* clone() const;

  DX12World* worldConstants() const;
  DX12Material* materialConstants() const;
  ConstantSlot* worldSlot() const { return world_.get(); }
  ConstantSlot* materialSlot() const { return material_.get(); }

 private:
  std::unique_ptr<ConstantSlot> world_;
  std::unique_ptr<ConstantSlot> material_;
  bool used_ = true;
};

class Directx12ModelDrawContext {
 public:
  Directx12ModelDrawContext() = default;
  virtual ~Directx12ModelDrawContext();
  Directx12ModelDrawContext(const Directx12ModelDrawContext&) = delete;
  Directx12ModelDrawContext& operator=(const Directx12ModelDrawContext&) = delete;

  // The frame's recording starts: the pool is handed out from the first again.
  virtual void resetFrame() { next_ = 0; }
  // Pushes the world matrix and remembers the model and the pass kind.
  // `drawInfo` is the model's own draw information (index 0); without one the
  // shared draw information applies.
  virtual void begin(const math::Matrix& world, gfx::GModel* model, bool shadowPass,
                     gfx::ModelDrawInfo* drawInfo = nullptr);
  // Pushes local x top.
  virtual void push(const math::Matrix& local);
  virtual void pop();
  // The top matrix; an empty stack is reported and answers the identity.
  virtual math::Matrix getTop() const;
  virtual gfx::GModel* getModel() const { return model_; }
  virtual bool isShadowPass() const { return shadow_pass_; }
  // The next pair of the pool (made when the pool is short); its world
  // constants receive the top matrix.
  virtual ModelDrawInfoData* allocDrawData();
  // Binds the pair's world and material constants (roots 0 and 2).
  virtual void bindDrawData(ModelDrawInfoData* data);
  // Empties the stack and forgets the model.
  virtual void end();

  gfx::ModelDrawInfo* drawInfo() const;
  // The model root being drawn (set by the root's draw for its node walk).
  ModelRoot* root() const { return root_; }
  void setRoot(ModelRoot* root) { root_ = root; }
  std::size_t poolSize() const { return pool_.size(); }
  std::size_t poolUsed() const { return next_; }
  std::size_t stackDepth() const { return stack_.size(); }

 private:
  std::deque<math::Matrix> stack_;
  gfx::GModel* model_ = nullptr;
  gfx::ModelDrawInfo* draw_info_ = nullptr;
  ModelRoot* root_ = nullptr;
  bool shadow_pass_ = false;
  std::vector<std::unique_ptr<ModelDrawInfoData>> pool_;
  std::size_t next_ = 0;
};

}  // namespace rk::driver::directx::directx12
