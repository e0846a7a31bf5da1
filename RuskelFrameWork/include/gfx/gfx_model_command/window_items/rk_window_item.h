// Window items: the contents of a gfx window. Each draws relative to the
// pass's origin and may change the pass's state (text cursor, font) for the
// items after it. An item lives until its owner (script object or game)
// destroys it; the window only lists it.
#pragma once
#include <boost/shared_ptr.hpp>
#include <string>

#include "gfx/gfx_model_command/rk_window_context.h"
#include "math/rk_vector.h"

namespace rk::gfx::gfx_model_command {

class GfxWindow;

class WindowItemAdapter {
 public:
  // Registers with the window (which tells the item when it goes); the
  // creator appends it to the window's list.
  explicit WindowItemAdapter(GfxWindow* owner);
  virtual ~WindowItemAdapter();
  WindowItemAdapter(const WindowItemAdapter&) = delete;
  WindowItemAdapter& operator=(const WindowItemAdapter&) = delete;

  virtual bool changesFont() const { return false; }
  virtual boost::shared_ptr<font::FontAdapter> getFontAdapter() const { return {}; }
  virtual void execute(WindowContext& context) = 0;

  // Null once the window is gone.
  GfxWindow* owner() const { return owner_; }

 private:
  friend class GfxWindow;
  GfxWindow* owner_;
};

class WindowItemString : public WindowItemAdapter {
 public:
  struct Record {
    std::string text;
    math::Vector4 size{};
  };
  using WindowItemAdapter::WindowItemAdapter;
  Record& record() { return record_; }
  // Prints the text at the context's cell position.
  void execute(WindowContext& context) override;
  // Measures the text with the display-list font at the window's text size
  // and stores the size here and as the window's size.
  void calcSize();

 private:
  Record record_;
};

class WindowItemLocate : public WindowItemAdapter {
 public:
  using WindowItemAdapter::WindowItemAdapter;
  math::Vector4 locate{};
  void execute(WindowContext& context) override { context.locate = locate; }
};

// Installs its adapter for the items after it (no stack).
class WindowItemFontAdapter : public WindowItemAdapter {
 public:
  WindowItemFontAdapter(GfxWindow* owner, const boost::shared_ptr<font::FontAdapter>& adapter)
      : WindowItemAdapter(owner), adapter_(adapter) {}
  bool changesFont() const override { return true; }
  boost::shared_ptr<font::FontAdapter> getFontAdapter() const override { return adapter_; }
  void execute(WindowContext& context) override;
  const boost::shared_ptr<font::FontAdapter>& adapter() const { return adapter_; }

 private:
  boost::shared_ptr<font::FontAdapter> adapter_;
};

// Pushes its adapter on the pass's font stack.
class WindowItemSetFont : public WindowItemAdapter {
 public:
  WindowItemSetFont(GfxWindow* owner, const boost::shared_ptr<font::FontAdapter>& adapter)
      : WindowItemAdapter(owner), adapter_(new boost::shared_ptr<font::FontAdapter>(adapter)) {}
  ~WindowItemSetFont() override { delete adapter_; }
  void execute(WindowContext& context) override { context.pushFontAdapter(*adapter_); }

 private:
  boost::shared_ptr<font::FontAdapter>* adapter_;
};

// Pops the pass's font stack.
class WindowItemPopFont : public WindowItemAdapter {
 public:
  using WindowItemAdapter::WindowItemAdapter;
  bool changesFont() const override { return true; }
  void execute(WindowContext& context) override { context.popFontAdapter(); }
};

class WindowItemGauge : public WindowItemAdapter {
 public:
  struct Record {
    float max = 100.0f, now = 100.0f, display_max = 100.0f, width = 5.0f;
    std::int32_t type = 2;  // 0 and 1 upright, 2 to the right, 3 to the left
    std::int32_t draw_mode = 0;
    Color lower_color{0.0f, 0.0f, 1.0f, 1.0f};
    Color upper_color{1.0f, 0.0f, 0.0f, 1.0f};
    Color shade_color{1.0f, 1.0f, 1.0f, 1.0f};
  };
  using WindowItemAdapter::WindowItemAdapter;
  Record& record() { return record_; }
  // The six vertices of the bar in window units (before they are drawn).
  void vertices(const WindowContext& context, LineVertex out[6]) const;
  void execute(WindowContext& context) override;

 private:
  Record record_;
};

}  // namespace rk::gfx::gfx_model_command
