// A whole OpenGL frame set up by a Lua script: two cameras with studio
// settings, a light, a wipe and drawing commands. The frame draw's
// background takes the script's colour, and the display list's rectangle and
// polyline show in the presented back buffer, read back.
#include <cstring>

#include "gfx/rk_wipe_manager.h"
#include "script/rk_script.h"
#include "support/lua_run.h"
#include "script_graphics/graphics_fixture.h"
#include "support/back_buffer.h"

namespace graphicstest {
namespace {

namespace gpu = host::gpu;

constexpr char kScene[] = R"(
  setBGColor(0, 0, 255)
  cam0, cam1 = createCamera(0), createCamera(1)
  cam1:setViewport(0, 0, 32, 24, 0, 1) cam1:setEye(0, 10, 0) cam1:setUp(0, 0, 1)
  local s0, s1 = cam0:getStudioInfo(), cam1:getStudioInfo()
  s0:setValid(1) s0:setAmbientColor(64, 64, 64, 255)
  s0:setLight(0, 3, 0xFFFFFFFF, 0, 0xFF404040, 0, 0, 0, 0, -1, 0, 100, 1, 1, 0, 0, 0, 0)
  s1:setValid(0) s1:createShadowPlane(0)
  light = createLight(0) light:setValid(true) light:setDiffuse(255, 255, 255, 255) pushLight(light)
  setEnableLighting(true) setAmbientColor(255, 255, 255, 255)
  fadeOut(0, 0, 0, 0.25)
  gfxCls() gfxDefault()
  gfxSetColor(255, 0, 0, 255) gfxRectFill2D(4, 4, 12, 12)
  gfxSetCameraNo(0) gfxSetColor(0, 255, 0, 255)
  gfxMoveTo2D(0, 30) gfxLineTo2D(64, 30) gfxFlashLine2D()
)";

class GraphicsGlFrame : public gfxlisttest::GlRig {
 protected:
  void SetUp() override {
    GlRig::SetUp();
    if (IsSkipped()) return;
    wipes = rk::gfx::WipeManager::createInstance();
    states = rk::script::ScriptStateManager::createInstance();
    L = states->createScriptState()->luaState();
  }
  void TearDown() override {
    if (states) rk::script::ScriptStateManager::destroyInstance();
    if (wipes) rk::gfx::WipeManager::destroyInstance();
    GlRig::TearDown();
  }

  // The back buffer `index`, top row first, one 0xAABBGGRR word per pixel.
  std::vector<std::uint32_t> readBackBuffer(std::uint32_t index) { return rktest::readBackBuffer(*context, index); }

  rk::gfx::WipeManager* wipes = nullptr;
  rk::script::ScriptStateManager* states = nullptr;
  lua_State* L = nullptr;
};

TEST_F(GraphicsGlFrame, AScriptBuiltSceneShowsInTheFrame) {
  ASSERT_EQ(rktest::runLua(L, kScene), "");
  for (int i = 0; i < 20; ++i) {
    rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
    wipes->update();
  }
  ASSERT_EQ(rktest::runLua(L, "assert(isEndOfWipe(), 'the wipe ran out')"), "");
  const unsigned frame = context->currentFrame();
  context->drawFrame();
  const std::vector<std::uint32_t> pixels = readBackBuffer(frame);
  EXPECT_EQ(at(pixels, 8, 8), rgba(255, 0, 0)) << std::hex << at(pixels, 8, 8);
  EXPECT_EQ(at(pixels, 50, 40), rgba(0, 0, 255)) << "background";
  int green = 0;
  for (int x = 0; x < kW; ++x)
    for (int y = 29; y <= 31; ++y) green += at(pixels, x, y) == rgba(0, 255, 0);
  EXPECT_GT(green, kW / 2) << "the polyline across row 30";
  EXPECT_TRUE(log.empty()) << log.text();
}


// With lighting on and a red scene ambient, display-list drawing keeps its own
// colours, and a 3D polyline after "gfxSetCameraNo" is seen through that
// camera: a horizontal line through the origin crosses the middle row.
TEST_F(GraphicsGlFrame, DisplayListDrawsThroughTheSelectedCameraAndUntintedByLighting) {
  ASSERT_EQ(rktest::runLua(L, R"(
    setBGColor(0, 0, 0)
    cam = createCamera(0) cam:setEye(0, 0, -10) cam:setAt(0, 0, 0) cam:setUp(0, 1, 0)
    setEnableLighting(true) setAmbientColor(255, 0, 0, 255)
    gfxCls() gfxDefault()
    gfxSetColor(0, 255, 0, 255) gfxRectFill2D(4, 4, 12, 12)
    gfxSetCameraNo(0) gfxSetColor(0, 0, 255, 255)
    gfxMoveTo(-100, 0, 0) gfxLineTo(100, 0, 0) gfxFlashLine()
  )"), "");
  const unsigned frame = context->currentFrame();
  context->drawFrame();
  const std::vector<std::uint32_t> pixels = readBackBuffer(frame);
  EXPECT_EQ(at(pixels, 8, 8), rgba(0, 255, 0)) << std::hex << at(pixels, 8, 8) << ": the ambient must not tint";
  int middle = 0, top = 0;
  for (int x = 0; x < kW; ++x) {
    for (int y = kH / 2 - 2; y <= kH / 2 + 1; ++y) middle += at(pixels, x, y) == rgba(0, 0, 255);
    top += at(pixels, x, 0) == rgba(0, 0, 255);
  }
  EXPECT_GT(middle, kW / 2) << "the line crosses the camera's view at its centre";
  EXPECT_EQ(top, 0) << "not drawn in screen pixels";
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
}  // namespace graphicstest
