// The device context's three fonts: made by the device build, kept by a
// rebuild after a lost device, dropped by the shut-down release.
#include <boost/make_shared.hpp>

#include "font/rk_font.h"
#include "recording_adapter.h"
#include "renderer/renderer_rig.h"

namespace {

using DeviceFonts = rendertest::RendererRig;

TEST_F(DeviceFonts, BuildMakesThreeDistinctFontsWithoutAdapters) {
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(context->font(i)) << i;
  buildDevice();
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(context->font(i)) << i;
    EXPECT_FALSE(context->font(i)->adapter()) << i;
    EXPECT_FALSE(context->fontAdapter(i)) << i;
  }
  EXPECT_NE(context->font(0), context->font(1));
  EXPECT_NE(context->font(1), context->font(2));
  EXPECT_NE(context->font(0), context->font(2));
}

TEST_F(DeviceFonts, RecoveryKeepsTheFontsAndTheirQueuesShutdownDropsThem) {
  buildDevice();
  const auto debugFont = context->font(0);
  const auto listFont = context->font(2);
  auto adapter = boost::make_shared<rktest::RecordingAdapter>();
  listFont->swapFontAdapter(adapter);
  debugFont->printf(1, 1, 0, "kept");

  context->shutdownFence();
  context->releaseDevice(true);
  context->initDevice();
  EXPECT_EQ(context->font(0), debugFont);
  EXPECT_EQ(context->font(2), listFont);
  EXPECT_EQ(context->font(2)->adapter(), adapter);
  EXPECT_EQ(context->font(0)->prints().size(), 1u);

  context->shutdownFence();
  context->releaseDevice(false);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(context->font(i)) << i;
}

TEST_F(DeviceFonts, AdapterSlotsHoldWhatTheGameStores) {
  auto system = boost::make_shared<rktest::RecordingAdapter>();
  auto user = boost::make_shared<rktest::RecordingAdapter>();
  context->setFontAdapter(0, system);
  context->setFontAdapter(2, user);
  EXPECT_EQ(context->fontAdapter(0), system);
  EXPECT_FALSE(context->fontAdapter(1));
  EXPECT_EQ(context->fontAdapter(2), user);
  context->setFontAdapter(0, nullptr);
  context->setFontAdapter(2, nullptr);
  EXPECT_EQ(system.use_count(), 1);
}

}  // namespace
