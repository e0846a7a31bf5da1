// The batch drawing context: a short-lived object through which the display
// list and the gfx models draw. It gathers vertices in CPU arrays with a
// current colour, a 2-D text position, two texture slots and a few flags, and
// turns an array into one draw of the device context when a command flushes
// it. One context serves one replay (the display list, or one pass of one gfx
// model); nothing in it survives between frames.
#pragma once
#include <cstdint>
#include <vector>

#include "gfx/rk_color.h"
#include "gfx/rk_draw_vertex.h"
#include "math/rk_matrix.h"
#include "math/rk_vector.h"

namespace rk::gfx {

class Camera;
class RkTexture;

class GfxDeviceContext {
 public:
  // A vertex of the two-texture line list: position, colour, two UV pairs.
  struct PenRecord {
    float x, y, z;
    std::uint32_t color;
    float u0, v0, u1, v1;
  };
  static_assert(sizeof(PenRecord) == 32);

  // Sets the device context's colour state to disabled opaque black.
  explicit GfxDeviceContext(Camera* camera);
  // Unbinds both texture slots and applies the device context's colour state
  // again. Nothing pending is drawn but a billboard run (see flushBatch).
  ~GfxDeviceContext();
  GfxDeviceContext(const GfxDeviceContext&) = delete;
  GfxDeviceContext& operator=(const GfxDeviceContext&) = delete;

  // The current colour packed as ARGB.
  std::uint32_t packedColor() const { return colorToArgb(color_); }

  // Each appends one vertex with the packed current colour.
  void addLineVertex(const math::Vector4& position);
  void add2DVertex(const math::Vector4& position);  // x and y
  void addStripVertex(float u, float v, const math::Vector4& position);
  // The pen records of the two-texture line list; both write their error-log
  // entry on every call (nothing draws that list).
  void moveTo(const math::Vector4& position, const math::Vector4& uv0, const math::Vector4& uv1);
  void lineTo(const math::Vector4& position, const math::Vector4& uv0, const math::Vector4& uv1);

  // One draw each: the line vertices as a line strip (at least 2), the screen
  // vertices as a line strip in pixels (at least 2), the strip vertices as a
  // textured triangle strip (at least 3). The arrays keep their contents.
  // Lines are seen through `camera_` when it is not the list's own camera.
  void flushLines();
  void flush2D();
  void flushStrip();

  // The world matrix of the device context, uploaded.
  void setWorldMatrix(const math::Matrix& world);
  // Stores the colour and disables the device context's colour state with
  // (0, 0, 0, alpha of argb).
  void setColorARGB(std::uint32_t argb);
  // Stage 0 or 1 (null empties it); a higher stage is reported and ignored.
  void setTexture(std::uint32_t stage, RkTexture* texture);
  // Binds slot 0 then slot 1, then sets the colour state from use_color_ and packed_color_.
  void applyTexturesAndColor();

  // Billboards of one texture that follow each other in a pass draw as one
  // indexed draw: the run collects in strip_vertices_ and indices_ and is drawn
  // by flushBatch, which the pass calls before any other command and at its end.
  RkTexture* batchTexture() const { return batch_texture_; }
  // Starts a run of that texture (drawing the previous one first) unless the
  // current run has it and room for `vertices` more.
  void beginBatch(RkTexture* texture, std::size_t vertices);
  void flushBatch();

  // Fields read and written directly by the commands.
  std::vector<LineVertex> line_vertices_;
  std::vector<ScreenVertex> screen_vertices_;
  std::vector<StripVertex> strip_vertices_;
  std::vector<PenRecord> pen_records_;
  std::vector<std::uint16_t> indices_;
  Color color_{1.0f, 1.0f, 1.0f, 1.0f};
  math::Vector4 locate_{};
  bool alpha_blend_ = true;
  bool depth_test_ = true;
  bool depth_write_ = true;
  bool use_color_ = false;
  std::uint32_t packed_color_ = 0xFF000000u;
  RkTexture* textures_[2] = {};
  Camera* camera_ = nullptr;

 private:
  class CameraView;
  RkTexture* batch_texture_ = nullptr;
};

}  // namespace rk::gfx
