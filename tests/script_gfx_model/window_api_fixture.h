// Window objects in a real script state: a gfx model "g" with a window "w",
// whose text font is a recording adapter with cells 5 wide and 10 high that
// measures a text as 5 units per byte.
#pragma once
#include <boost/make_shared.hpp>

#include "RuskelFrameWork/src/script/rk_script_gfx_window_internal.h"
#include "font/recording_adapter.h"
#include "font/rk_font.h"
#include "script_gfx_model/gfx_model_api_fixture.h"

namespace gfxmodelapitest {

class MeasuringAdapter : public rktest::RecordingAdapter {
 public:
  void calcSize(rk::font::FontRect* rect, int x, int y, const char* text) override {
    RecordingAdapter::calcSize(rect, x, y, text);
    if (rect) *rect = {0, 0, static_cast<std::int32_t>(5 * std::string(text).size()), 10};
  }
};

class WindowApi : public GfxModelApi {
 protected:
  void SetUp() override {
    text->cell = rk::math::Vector4{5, 10, 0, 0};
    saved = rk::DeviceContext::getInstance()->fontAdapter(2);
    rk::DeviceContext::getInstance()->setFontAdapter(2, text);
    GfxModelApi::SetUp();
    // The display-list font measures string items.
    listFont = rk::DeviceContext::getInstance()->font(2);
    if (listFont) {
      savedListAdapter = listFont->adapter();
      listFont->swapFontAdapter(text);
    }
    ASSERT_EQ(run("g = createGfxModel() g:setVisible(true) w = g:createWindow()"), "");
  }
  void TearDown() override {
    if (listFont) listFont->swapFontAdapter(savedListAdapter);
    GfxModelApi::TearDown();
    rk::DeviceContext::getInstance()->setFontAdapter(2, saved);
  }

  rk::gfx::gfx_model_command::GfxWindow* window(const char* name = "w") {
    return dynamic_cast<rk::gfx::gfx_model_command::GfxWindow*>(command(name));
  }
  rk::gfx::gfx_model_command::GfxWindow::Impl& settings() { return window()->impl(); }
  // The item of a global as a window item (null for anything else).
  rk::gfx::gfx_model_command::WindowItemAdapter* item(const char* name) {
    return global<rk::gfx::gfx_model_command::WindowItemAdapter>(name, rk::script::gph::kWindowItemClass);
  }

  boost::shared_ptr<MeasuringAdapter> text = boost::make_shared<MeasuringAdapter>();
  boost::shared_ptr<rk::font::FontAdapter> saved, savedListAdapter;
  boost::shared_ptr<rk::font::RKFont> listFont;
};

}  // namespace gfxmodelapitest
