// Gfx model state commands: they draw nothing themselves but change what the
// commands after them in the same model draw with (texture slots, blending
// and depth flags, the vertex colour, the world matrix, the device context's
// colour state and depth buffer, the studio lighting), in the pass they run in.
#pragma once
#include <cstdint>
#include <memory>

#include "gfx/rk_color.h"
#include "gfx/rk_gfx_model.h"
#include "gfx/rk_studio_info.h"
#include "gfx/rk_texture.h"
#include "math/rk_transformation.h"
#include "policy/rk_shared_object.h"

namespace rk::gfx::gfx_model_command {

// Puts a texture in slot `stage` of the batch context (none empties it).
class GfxModelTexture : public GfxModelCommand {
 public:
  explicit GfxModelTexture(GfxModel* owner) : GfxModelCommand(owner) {}
  ~GfxModelTexture() override;
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  // A stage above 1 is reported (and reported again at every execute, which
  // then sets no slot). The new texture is referenced before the old one is
  // released, so replacing a texture with itself keeps it alive.
  void setTexture(std::uint32_t stage, RkTexture* texture);
  std::uint32_t stage() const { return stage_; }
  RkTexture* texture() const { return texture_.get(); }

 private:
  std::uint32_t stage_ = 0;
  policy::SharedPtr<RkTexture> texture_;
};

// Alpha blending on or off for the commands after it.
class TextureBlendAlpha : public GfxModelCommand {
 public:
  TextureBlendAlpha(GfxModel* owner, std::int32_t flag) : GfxModelCommand(owner), flag_(flag) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  void setBlend(std::int32_t flag) { flag_ = flag; }
  std::int32_t flag() const { return flag_; }

 private:
  std::int32_t flag_;
};

// Blend, sampler and multi-texture settings that the pipelines keep fixed:
// they store their values and change nothing when they execute.
class StoredSetting : public GfxModelCommand {
 public:
  using GfxModelCommand::GfxModelCommand;
  void execute(GfxDeviceContext&, std::int32_t) override {}
};
class TextureBlendFlag : public StoredSetting {
 public:
  TextureBlendFlag(GfxModel* owner, std::int32_t flag) : StoredSetting(owner), flag_(flag) {}
  void setBlend(std::int32_t flag) { flag_ = flag; }
  std::int32_t flag() const { return flag_; }

 private:
  std::int32_t flag_;
};
class TextureBlendDefault : public TextureBlendFlag {
  using TextureBlendFlag::TextureBlendFlag;
};
class TextureBlendAdd : public TextureBlendFlag {
  using TextureBlendFlag::TextureBlendFlag;
};
class TextureBlendSub : public TextureBlendFlag {
  using TextureBlendFlag::TextureBlendFlag;
};
class TextureBlendMul : public TextureBlendFlag {
  using TextureBlendFlag::TextureBlendFlag;
};
class SamplerStateAddress : public StoredSetting {
 public:
  using StoredSetting::StoredSetting;
  void setAddress(std::int32_t a, std::int32_t b) { a_ = a, b_ = b; }
  std::int32_t first() const { return a_; }
  std::int32_t second() const { return b_; }

 private:
  std::int32_t a_ = 0, b_ = 1;
};
class SamplerStateAddressU : public SamplerStateAddress {
  using SamplerStateAddress::SamplerStateAddress;
};
class SamplerStateAddressV : public SamplerStateAddress {
  using SamplerStateAddress::SamplerStateAddress;
};
class MultiTextureDefault : public StoredSetting {
  using StoredSetting::StoredSetting;
};
class MultiTextureDisable : public StoredSetting {
  using StoredSetting::StoredSetting;
};

// The vertex colour of the commands after it.
class SetColor : public GfxModelCommand {
 public:
  explicit SetColor(GfxModel* owner) : GfxModelCommand(owner) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  void setColor(const Color& color) { color_ = color; }
  const Color& color() const { return color_; }

 private:
  Color color_{1.0f, 1.0f, 1.0f, 1.0f};
};

// Enables the device context's colour state with its colour (quantised to
// 8 bits a channel); it stays in force until something changes it.
class SettingAmbient : public GfxModelCommand {
 public:
  explicit SettingAmbient(GfxModel* owner) : GfxModelCommand(owner) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  void setAmbient(const Color& color) { color_ = color; }
  const Color& color() const { return color_; }

 private:
  Color color_{1.0f, 1.0f, 1.0f, 1.0f};
};

// Uploads its studio's lighting.
class Lighting : public GfxModelCommand {
 public:
  explicit Lighting(GfxModel* owner) : GfxModelCommand(owner), studio_(std::make_unique<StudioInfo>()) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  StudioInfo& studio() { return *studio_; }

 private:
  std::unique_ptr<StudioInfo> studio_;
};

// The depth-test flag of the commands after it.
class TestZBuffer : public GfxModelCommand {
 public:
  explicit TestZBuffer(GfxModel* owner) : GfxModelCommand(owner) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  void setTestZBuffer(bool flag) { flag_ = flag; }
  bool flag() const { return flag_; }

 private:
  bool flag_ = true;
};

// Clears the depth buffer (depth 1) on the current command list.
class ClearZBuffer : public GfxModelCommand {
 public:
  explicit ClearZBuffer(GfxModel* owner) : GfxModelCommand(owner) {}
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
};

// Sets the world matrix from its transformation (built in the preparation
// step). As a billboard, the camera's rotation is cancelled first.
class GfxTransformation : public GfxModelList {
 public:
  explicit GfxTransformation(GfxModel* owner)
      : GfxModelList(owner), transform_(std::make_unique<math::Transformation>()) {}
  void notify(GfxDeviceContext& context) override;
  void execute(GfxDeviceContext& context, std::int32_t arg) override;
  math::Transformation& transform() { return *transform_; }
  void setBillboard(bool on) { billboard_ = on; }
  bool isBillboard() const { return billboard_; }

 private:
  std::unique_ptr<math::Transformation> transform_;
  bool billboard_ = false;
};

}  // namespace rk::gfx::gfx_model_command
