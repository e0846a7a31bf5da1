// The renderer-independent face of a loaded model: what a scene model asks of
// the model file it shows (readiness, base matrix, animation, frames, colours,
// materials, drawing). The base answers the defaults of a model that has
// nothing loaded.
#pragma once
#include <cstdint>

#include "gfx/rk_color.h"
#include "host/hresult.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace rk::gfx {
class Material;
class ModelDrawInfo;
}  // namespace rk::gfx

namespace rk::driver::directx::directx12 {
class Directx12ModelDrawContext;
}

namespace rk::driver {

class ModelRoot {
 public:
  virtual ~ModelRoot() = default;

  virtual bool isReady() { return false; }
  virtual void setBaseMatrix(const math::Matrix&) {}
  // Shifts the texture coordinates of a frame's meshes by (du, dv) from the file's.
  virtual void offsetFrameUV(const char*, float, float) {}
  virtual void setLoopAnime(bool) {}
  virtual bool isLoopAnime() { return false; }
  virtual void setPlayAnime(int) {}
  virtual bool shiftAnime(int, float) { return false; }
  virtual void changeAnime(int) {}
  virtual bool getAnimeID(int&, const char*) { return false; }
  virtual bool isEndOfAnime() { return false; }
  virtual float getNowAnimeTime() { return 0.0f; }
  virtual void setNowAnimeTime(float) {}
  virtual float getMaxAnimeTime() { return 1.0f; }

  virtual void setShadowColor(std::uint32_t argb) = 0;
  virtual std::uint32_t getShadowColor() = 0;
  virtual const gfx::Color& getAddColor() = 0;
  virtual void setAddColor(const gfx::Color& color) = 0;
  virtual void setVisible(bool visible) = 0;
  virtual bool isVisible() = 0;
  virtual bool findFrameCenterPoint(math::Vector4& out, const char* frame) = 0;
  virtual bool findFramePlane(math::Vector4& out, const char* frame) = 0;
  virtual bool findFrameSphere(math::Vector4& center, float& radius, const char* frame) = 0;
  virtual bool findFrameAABB(math::Vector4& minimum, math::Vector4& maximum, const char* frame) = 0;
  // The frame's matrix in model space, base matrix included.
  virtual bool getFrameMatrix(math::Matrix& out, const char* frame) = 0;
  virtual void searchFrameNameBack(const char* frame, int index) = 0;
  virtual gfx::ModelDrawInfo* getModelDrawInfo(int index) = 0;
  virtual void pushModelDrawInfo(int index) = 0;
  virtual void popModelDrawInfo(int index) = 0;
  // A null frame name answers the root material.
  virtual bool getFrameMaterial(gfx::Material*& out, const char* frame) = 0;
  virtual host::HResult computeBoundingBox(math::Vector4* minimum, math::Vector4* maximum, const char* frame) = 0;
  virtual void setDrawMode(const char* frame, int mode) = 0;
  virtual void setFrameQuat(const char* frame, const math::Vector4& quaternion, bool flag) = 0;
  virtual void draw(directx::directx12::Directx12ModelDrawContext& context) = 0;
};

}  // namespace rk::driver
