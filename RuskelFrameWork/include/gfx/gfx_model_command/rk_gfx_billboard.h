// Gfx model commands that build camera-facing geometry on the CPU every frame:
// textured quads (billboards), ribbons (capsule lasers, poly lines), plain
// line strips, and DrawFlash, which holds a draw kind but never draws. Their preparation step
// does nothing; all work is in execute.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/rk_gfx_model.h"
#include "gfx/rk_texture.h"
#include "math/rk_vector.h"
#include "policy/rk_shared_object.h"
#include "script/rk_lua_object.h"

namespace rk::gfx::gfx_model_command {

class BillBoard;

// One quad of a billboard: corner offsets in camera space and UVs, in the
// order top-left, top-right, bottom-left, bottom-right.
struct BillboardChip {
  math::Vector4 corners[4] = {};
  math::Vector4 uvs[4] = {};
  math::Vector4 position{};
  bool visible = false;
  BillBoard* billboard = nullptr;  // the billboard that made it
  // Script objects of the chip: the billboard deletes its chips, and those
  // objects then read null instead of a deleted chip.
  script::LuaObjectLinks links;

  void setWidthHeight(float w, float h);
  void setUV(float u0, float v0, float u1, float v1);
};

// Camera-facing textured quads, one per visible chip, in one indexed draw.
// Billboards of the same texture that follow each other in a pass join one draw.
class BillBoard : public GfxModelCommand {
 public:
  explicit BillBoard(GfxModel* owner) : GfxModelCommand(owner) {}
  ~BillBoard() override;
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  bool joinsBatch() const override { return true; }

  void setTexture(RkTexture* texture) { texture_ = policy::SharedPtr<RkTexture>(texture); }
  RkTexture* texture() const { return texture_.get(); }
  void setZBuffer(bool on) { z_test_ = on; }
  void setZBufferWrite(bool on) { z_write_ = on; }
  bool zBuffer() const { return z_test_; }
  bool zBufferWrite() const { return z_write_; }
  // The billboard owns its chips.
  BillboardChip* createBillboardChip();
  // Removes and deletes the chip when it is one of this billboard's.
  bool releaseChip(BillboardChip* chip);
  const std::vector<BillboardChip*>& chips() const { return chips_; }

 private:
  policy::SharedPtr<RkTexture> texture_;
  std::vector<BillboardChip*> chips_;
  bool z_test_ = true;
  bool z_write_ = true;
};

// A capsule-shaped ribbon along an axis: lead cap, centre, term cap.
class CapsuleLaser : public GfxModelCommand {
 public:
  struct Params {
    float radius = 1.0f;
    float length = 1.0f;  // the half-length
    math::Vector4 lead_uv[2] = {{0, 0, 0, 0}, {1, 1, 0, 0}};
    math::Vector4 center_uv[2] = {{0, 0, 0, 0}, {1, 1, 0, 0}};
    math::Vector4 term_uv[2] = {{0, 0, 0, 0}, {1, 1, 0, 0}};
    math::Vector4 axis{0, 1, 0, 0};
    math::Vector4 position{};
    bool visible = false;
  };
  explicit CapsuleLaser(GfxModel* owner) : GfxModelCommand(owner), params_(std::make_unique<Params>()) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  Params& params() { return *params_; }
  // Stores the normalised axis (zero for a zero vector).
  void setAxis(float x, float y, float z);

 private:
  std::unique_ptr<Params> params_;
};

// A camera-facing ribbon along a point list, with a cap at each end.
class PolyLineDraw : public GfxModelCommand {
 public:
  struct Params {
    std::vector<math::Vector4> points;
    float width = 1.0f;
    math::Vector4 top_uv[2] = {};
    math::Vector4 center_uv[2] = {};
    math::Vector4 end_uv[2] = {};
    policy::SharedPtr<RkTexture> texture;
    bool visible = true;
  };
  explicit PolyLineDraw(GfxModel* owner) : GfxModelCommand(owner), params_(std::make_unique<Params>()) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  Params& params() { return *params_; }
  void addPos(float x, float y, float z) { params_->points.push_back({x, y, z, 0.0f}); }

 private:
  std::unique_ptr<Params> params_;
};

// A line strip through its points in the current colour.
class LineDraw : public GfxModelCommand {
 public:
  struct Params {
    bool visible = true;
    std::vector<math::Vector4> points;
  };
  explicit LineDraw(GfxModel* owner) : GfxModelCommand(owner), params_(std::make_unique<Params>()) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  Params& params() { return *params_; }

 private:
  std::unique_ptr<Params> params_;
};

// Holds a draw kind and nothing to draw: no buffers are ever supplied to it.
class DrawFlash : public GfxModelCommand {
 public:
  explicit DrawFlash(GfxModel* owner) : GfxModelCommand(owner) {}
  void execute(GfxDeviceContext&, std::int32_t) override {}
  void setDrawType(std::int32_t type) { draw_type_ = type; }
  std::int32_t drawType() const { return draw_type_; }

 private:
  std::int32_t draw_type_ = 0;
};

}  // namespace rk::gfx::gfx_model_command
