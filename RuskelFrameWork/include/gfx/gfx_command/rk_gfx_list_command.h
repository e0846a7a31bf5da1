// The display-list commands. Each is appended to the display list when it is
// made and replayed on the overlay list every frame until the list is cleared.
// Batches are drawn only by the flush commands (line flushes, rectangles), so
// vertices added after the last flush are not drawn; a move empties its batch
// first, so each move starts a new polyline.
#pragma once
#include <cstdint>
#include <string>

#include "gfx/rk_color.h"
#include "gfx/rk_gfx_list_manager.h"
#include "math/rk_vector.h"

namespace rk::gfx::command {

// Commands with nothing to prepare.
class GfxListCommand : public GfxListObject {
 public:
  void prepare(GfxDeviceContext&) override {}
};

// Opaque white, alpha blending on, depth off, the colour state off, locate at 0.
class GfxSetDefault : public GfxListCommand {
 public:
  void execute(GfxDeviceContext& context) override;
};

class GfxSetColor : public GfxListCommand {
 public:
  explicit GfxSetColor(const Color& color) : color_(color) {}
  void execute(GfxDeviceContext& context) override;

 private:
  Color color_;
};

// The camera of that number for the commands after it (none when it does not exist).
class GfxSetCameraNo : public GfxListCommand {
 public:
  explicit GfxSetCameraNo(std::int32_t number) : number_(number) {}
  void execute(GfxDeviceContext& context) override;

 private:
  std::int32_t number_;
};

class GfxMoveTo : public GfxListCommand {
 public:
  explicit GfxMoveTo(const math::Vector4& position) : position_(position) {}
  void execute(GfxDeviceContext& context) override;

 private:
  math::Vector4 position_;
};

class GfxLineTo : public GfxListCommand {
 public:
  explicit GfxLineTo(const math::Vector4& position) : position_(position) {}
  void execute(GfxDeviceContext& context) override;

 private:
  math::Vector4 position_;
};

class GfxFlashLine : public GfxListCommand {
 public:
  void execute(GfxDeviceContext& context) override;
};

class GfxMoveTo2D : public GfxListCommand {
 public:
  GfxMoveTo2D(float x, float y) : x_(x), y_(y) {}
  void execute(GfxDeviceContext& context) override;

 private:
  float x_, y_;
};

class GfxLineTo2D : public GfxListCommand {
 public:
  GfxLineTo2D(float x, float y) : x_(x), y_(y) {}
  void execute(GfxDeviceContext& context) override;

 private:
  float x_, y_;
};

class GfxFlashLine2D : public GfxListCommand {
 public:
  void execute(GfxDeviceContext& context) override;
};

// A closed outline of the rectangle.
class GfxRect2D : public GfxListCommand {
 public:
  GfxRect2D(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
      : left_(left), top_(top), right_(right), bottom_(bottom) {}
  void execute(GfxDeviceContext& context) override;

 private:
  std::int32_t left_, top_, right_, bottom_;
};

// The rectangle filled in the current colour.
class GfxRectFill2D : public GfxListCommand {
 public:
  GfxRectFill2D(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
      : left_(left), top_(top), right_(right), bottom_(bottom) {}
  void execute(GfxDeviceContext& context) override;

 private:
  std::int32_t left_, top_, right_, bottom_;
};

// The text position of the print commands after it.
class GfxSetLocate2D : public GfxListCommand {
 public:
  explicit GfxSetLocate2D(const math::Vector4& position) : position_(position) {}
  void execute(GfxDeviceContext& context) override;
  bool isLocate() const override { return true; }
  void getLocate(float* x, float* y, float* z, float* w) const override;

 private:
  math::Vector4 position_;
};

// Prints its text literally with the display-list font at the locate position
// in the current colour (the font draws at 32 pixels).
class GfxPrintf2D : public GfxListCommand {
 public:
  explicit GfxPrintf2D(std::string text) : text_(std::move(text)) {}
  void execute(GfxDeviceContext& context) override;
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace rk::gfx::command
