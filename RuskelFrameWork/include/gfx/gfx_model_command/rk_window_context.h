// The state one pass over a gfx window's items shares: where the text starts,
// the window's colours, the window's font and a stack of font adapters that
// font items push and pop.
#pragma once
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <deque>

#include "gfx/rk_color.h"
#include "gfx/rk_draw_vertex.h"
#include "math/rk_vector.h"

namespace rk { struct ColorStateBackup; }
namespace rk::font { class RKFont; class FontAdapter; }

namespace rk::gfx { class RkTexture12; }

namespace rk::gfx::gfx_model_command {

// A 1 × 1 white texture: the stencil-masked pipeline always samples a
// texture, so colour strips drawn through it bind this one. Made on first use
// and again after a device rebuild; owned by its window.
class WhiteTexture {
 public:
  WhiteTexture() = default;
  ~WhiteTexture();
  WhiteTexture(const WhiteTexture&) = delete;
  WhiteTexture& operator=(const WhiteTexture&) = delete;
  // Null while no device exists.
  RkTexture12* get();

 private:
  RkTexture12* texture_ = nullptr;  // one counted reference
};

struct WindowContext {
  const ColorStateBackup* saved_state = nullptr;
  math::Vector4 origin{};
  math::Vector4 size{};
  math::Vector4 locate{};  // the text cursor in character cells
  Color font_color, base_color, window_color;
  boost::shared_ptr<font::RKFont> font;
  std::deque<boost::shared_ptr<font::FontAdapter>> font_stack;
  std::int32_t item_pass = 1;  // 1 for the items, 0 for the title
  // True while the window's stencil holds its area: the items then draw
  // through the stencil-masked pipeline and stay inside the window.
  bool clip = false;
  WhiteTexture* white = nullptr;  // for the clipped colour strips

  // Installs the adapter in the context's font and keeps the one it replaces.
  void pushFontAdapter(const boost::shared_ptr<font::FontAdapter>& adapter);
  // Puts the adapter below back; an empty stack is reported and changes nothing.
  void popFontAdapter();
  // The cell height of the adapter installed in the context's font (0 without one).
  float fontHeight() const;
  // Pipeline kind for the context's textured strips.
  int texturedPipeline() const;
  // Draws a colour strip: clipped to the window while `clip` is set, else
  // with the plain 2D pipeline.
  void drawColorStrip(const LineVertex* vertices, int count) const;
};

}  // namespace rk::gfx::gfx_model_command
