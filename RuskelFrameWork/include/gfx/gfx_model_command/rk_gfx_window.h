// A message or menu window: a translucent background whose area the stencil
// holds while the window's items draw (so they stay inside it), an optional
// frame and title tab, and an ordered list of window items. Everything is in
// the window's own frame: x to the right, y upwards, the top-left corner at
// (0, 0) and the content at negative y; the world matrix set before the
// window places it on the screen.
#pragma once
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "gfx/rk_color.h"
#include "gfx/rk_gfx_model.h"
#include "math/rk_vector.h"

namespace rk::font { class RKFont; class FontAdapter; }

namespace rk::gfx::gfx_model_command {

class WindowItemAdapter;
class WindowItemString;
class WhiteTexture;

// Lets the game copy its values into window items before they draw.
class ISyncWindowItem {
 public:
  virtual ~ISyncWindowItem() = default;
  virtual void sync() = 0;
};

class GfxWindow : public GfxModelCommand {
 public:
  struct Impl {
    math::Vector4 org_{0, 0, 0, 0};
    math::Vector4 size_{1, 1, 0, 0};
    Color bg_color_{1.0f, 1.0f, 1.0f, 0.50000006f};
    float frame_size_ = 0.01f;
    Color frame_color_{1.0f, 1.0f, 1.0f, 1.0f};
    std::int32_t frame_draw_mode_ = 0;
    std::string title_;
    std::uint32_t font_color_ = 0xFFFFFFFFu;
    std::uint32_t base_color_ = 0xFFFFFFFFu;
    std::uint32_t window_color_ = 0xFFFFFFFFu;
    bool visible_ = true;
    boost::shared_ptr<font::RKFont> font_;
    boost::shared_ptr<font::FontAdapter> title_font_;
    boost::shared_ptr<font::FontAdapter> item_font_;
    std::int32_t title_font_size_ = 32, title_pen_size_ = 1, title_quality_ = 1;
    std::int32_t item_font_size_ = 64, item_pen_size_ = 1, item_quality_ = 1;
    std::vector<WindowItemAdapter*> items_;
    std::deque<boost::shared_ptr<font::FontAdapter>> font_stack_;  // kept; nothing uses it
    std::list<ISyncWindowItem*> sync_items_;
  };

  // Appended to `owner` when given. The device context's adapters for window
  // titles (its system adapter) and window text (its user adapter); the
  // window's font starts with the text one.
  explicit GfxWindow(GfxModel* owner = nullptr);
  // Items outlive their window: they are told it is gone.
  ~GfxWindow() override;
  GfxWindow(const GfxWindow&) = delete;
  GfxWindow& operator=(const GfxWindow&) = delete;

  Impl& impl() { return *impl_; }
  const Impl& impl() const { return *impl_; }

  // bg_color_ from ARGB.
  void setColor(std::uint32_t argb);
  // A new string item (owned by the caller), appended to the items.
  WindowItemString* addString();
  // Appends an item made for this window.
  void addItem(WindowItemAdapter* item);
  // Removes the first occurrence of the item from the list, then destroys it.
  void removeString(WindowItemAdapter* item);
  // Empties the item list without destroying the items.
  void cls();
  // Sets the text font's size, quality and pen from the record and rebuilds it.
  void applyFontSettings();
  void addSyncItem(ISyncWindowItem* hook);
  // Installs the text font in the window's font and answers the adapter in
  // effect at `item`: the text font replaced by every font-changing item before it.
  boost::shared_ptr<font::FontAdapter> resolveFontAt(const WindowItemAdapter* item);

  // Draws the window on the recording list (nothing while invisible).
  void execute(GfxDeviceContext& batch, std::int32_t arg) override;

 private:
  friend class WindowItemAdapter;
  void attach(WindowItemAdapter* item);
  void forget(WindowItemAdapter* item);

  std::unique_ptr<Impl> impl_;
  std::unique_ptr<WhiteTexture> white_;
  std::vector<WindowItemAdapter*> made_;  // every living item made for this window
};

}  // namespace rk::gfx::gfx_model_command
