// Display and device globals, read back through the getters and the device
// context. The rig's frame buffer is 64 x 48.
#include "script_graphics/graphics_fixture.h"

namespace graphicstest {
namespace {

TEST_F(GraphicsApi, DisplayGlobalsReadAndWriteTheDeviceContext) {
  const LuaCase cases[] = {
      {"frame-buffer size and client rect",
       R"(local s = values(getFrameBufferSize())
          check(s.n == 2 and s[1] == 64 and s[2] == 48, 'size')
          local r = values(getClientRect())
          check(r.n == 4 and r[1] == 0 and r[2] == 0 and r[3] == 64 and r[4] == 48, 'rect'))"},
      {"aspect rounds half away from zero and keeps the height",
       R"(setAspect(4 / 3)
          check(values(getFrameBufferSize())[1] == 64, '48 * 4/3 = 64')
          setAspect(20.5 / 48)
          check(values(getFrameBufferSize())[1] == 21, '20.5 rounds to 21')
          setAspect(2)
          check(getAspect() == 96 / 48, 'aspect')
          check(values(getClientRect())[3] == 96, 'rect follows'))"},
      {"no aspect gives width 0",
       R"(setAspect()
          check(values(getFrameBufferSize())[1] == 0 and getAspect() == 0, 'width 0'))"},
      {"background colour: byte channels, alpha 1",
       R"(check(join(getBGColor()) == '0,0,32', 'default')
          setBGColor(255, 128, 0)
          check(join(getBGColor()) == '255,128,0', 'round trip')
          setBGColor(256, -1, 0.9)
          check(join(getBGColor()) == '0,255,0', 'wrapped and truncated')
          setBGColor('16', 32, 48)
          check(join(getBGColor()) == '16,32,48', 'numeric string'))"},
      {"screen effect, reset mode and window mode",
       R"(setScreenEffectMode(2.9)
          check(getScreenEffectMode() == 2, 'truncated')
          check(isWindowMode() == true, 'windowed')
          setResetMode()
          resetDevice())"},
      {"the one adapter and screen format",
       R"(check(getDisplayAdapterNum() == 0 and getCurrentDisplayAdapter() == 0, 'adapter')
          check(getDisplayAdapterName(3) == '', 'name')
          check(getScreenFormatNum() == 1 and getCurrentScreenFormatNo() == 0, 'formats')
          check(join(getScreenFormat(7)) == '64,48,60,0', 'format')
          check(getScreenFormatName() == 'Unkown', 'format name')
          check(select('#', setCurrentDisplayAdapter(1)) + select('#', setCurrentScreenFormatNo(1)) +
                select('#', setRefreshRateInHz(75)) == 0, 'no results')
          cameraDump())"},
  };
  for (const LuaCase& c : cases) {
    SCOPED_TRACE(c.name);
    context->setScreenSize(kWidth, kHeight);
    context->setClearColor(rk::gfx::Color(0.0f, 0.0f, 32.0f / 255.0f, 1.0f));
    EXPECT_EQ(run(c.code), "");
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(GraphicsApi, DeviceSettingsLandInTheDeviceContext) {
  ASSERT_EQ(run("setBGColor(255, 0, 0) setZoomBulrEffectParam(0.5, 2.25, 7.9, -1, 300) setResetMode()"), "");
  EXPECT_FLOAT_EQ(context->clearColor().getR(), 1.0f);
  EXPECT_FLOAT_EQ(context->clearColor().getA(), 1.0f);
  const rk::DeviceContext::ZoomBlurParam& p = context->zoomBlurParam();
  EXPECT_FLOAT_EQ(p.scale[0], 0.5f);
  EXPECT_FLOAT_EQ(p.scale[1], 2.25f);
  EXPECT_EQ(p.values[0], 7);
  EXPECT_EQ(p.values[1], -1);
  EXPECT_EQ(p.values[2], 300);
  EXPECT_TRUE(context->resetMode());
  ASSERT_EQ(run("resetDevice() setAspect(4 / 3)"), "");
  EXPECT_FALSE(context->resetMode());
  EXPECT_EQ(context->screenWidth(), 64u);
  EXPECT_EQ(context->screenHeight(), 48u);
  context->setScreenSize(64, 0);
  ASSERT_EQ(run("check(getAspect() == math.huge, 'x / 0') setAspect(3) check(getAspect() ~= getAspect(), '0 / 0')"), "");
  context->setScreenSize(kWidth, kHeight);
  // A camera made after the aspect change takes the new width.
  ASSERT_EQ(run("setAspect(1) c = createCamera(4) check(values(c:getViewport())[3] == 48, 'new width')"), "");
}

}  // namespace
}  // namespace graphicstest
