#include "font/rk_font.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "recording_adapter.h"
#include "support/error_log_capture.h"

namespace {

using rk::font::RKFont;
using rktest::RecordingAdapter;

TEST(RKFontTest, SwapReturnsPreviousSoInstallThenRestoreLeavesFontUnchanged) {
  RKFont font;
  EXPECT_FALSE(font.adapter());
  auto first = boost::make_shared<RecordingAdapter>();
  auto second = boost::make_shared<RecordingAdapter>();
  EXPECT_FALSE(font.swapFontAdapter(first));
  auto old = font.swapFontAdapter(second);
  EXPECT_EQ(old, first);
  EXPECT_EQ(font.adapter(), second);
  EXPECT_EQ(font.swapFontAdapter(old), second);
  EXPECT_EQ(font.adapter(), first);
}

TEST(RKFontTest, ForwardsToTheInstalledAdapter) {
  RKFont font;
  auto a = boost::make_shared<RecordingAdapter>();
  font.swapFontAdapter(a);
  font.stringPrint(nullptr, 3, 4, "abc");
  font.setFontSizePt(12);
  font.setFontSizePx(20);
  const rk::math::Vector4* size = font.getFontSize();
  ASSERT_EQ(size, &a->cell);
  EXPECT_FLOAT_EQ(size->y, 20.0f);
  EXPECT_EQ(a->calls, (std::vector<std::string>{"stringPrint null 3 4 [abc] 0", "setFontSizePt 12",
                                                "setFontSizePx 20", "getFontSize"}));
}

TEST(RKFontTest, WithoutAdapterTheForwardersLogAndDoNothing) {
  rktest::ErrorLogCapture log;
  RKFont font;
  font.stringPrint(nullptr, 0, 0, "x");
  const rk::math::Vector4* size = font.getFontSize();
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(size->x, 0.0f);
  EXPECT_EQ(size->y, 0.0f);
  font.setFontSizePt(10);
  font.setFontSizePx(10);
  for (const char* text : {"rk::font::RKFont::stringPrint", "rk::font::RKFont::getFontSize",
                           "rk::font::RKFont::setFontSizePt", "rk::font::RKFont::setFontSizePx"})
    EXPECT_EQ(log.entries(text), 1u) << text << "\n" << log.text();
  EXPECT_NE(log.text().find("src/font/rk_font"), std::string::npos);

  // The formatting calls have no adapter to measure or draw with either.
  rk::font::FontRect rect{9, 9, 9, 9};
  font.getStringRectFormat(&rect, 0, 0, "%d", 1);
  font.printNow(0, 0, 0xFFFFFFFF, 0, 0, "%d", 1);
  EXPECT_EQ(rect.left, 9);
}

TEST(RKFontTest, PrintfQueuesEntriesInRequestOrderUntilClearPrint) {
  RKFont font;
  font.clearPrint();  // empty queue: nothing happens
  EXPECT_TRUE(font.prints().empty());
  font.printf(1, 2, 0xFF112233, "hp %d/%s", 7, "9");
  font.printf(-5, 6, 0x80000000, "second");
  ASSERT_EQ(font.prints().size(), 2u);
  const auto& e = *font.prints().front();
  EXPECT_EQ(e.x, 1);
  EXPECT_EQ(e.y, 2);
  EXPECT_EQ(e.text, "hp 7/9");
  EXPECT_EQ(e.color, 0xFF112233u);
  EXPECT_EQ(font.prints().back()->text, "second");
  EXPECT_EQ(font.prints().back()->x, -5);
  font.clearPrint();
  EXPECT_TRUE(font.prints().empty());
}

TEST(RKFontTest, FormattedTextIsCutToItsBuffer) {
  const std::string longText(3000, 'q');
  RKFont font;
  auto a = boost::make_shared<RecordingAdapter>();
  font.swapFontAdapter(a);

  font.printf(0, 0, 0, "%s", longText.c_str());
  EXPECT_EQ(font.prints().front()->text, std::string(1023, 'q'));

  font.getStringRectFormat(nullptr, 0, 0, "%s", longText.c_str());
  font.printNow(0, 0, 0, 0, 0, "%s", longText.c_str());
  ASSERT_EQ(a->calls.size(), 3u);
  EXPECT_EQ(a->calls[0], "calcSize 0 0 [" + std::string(1023, 'q') + "]");
  EXPECT_EQ(a->calls[2], "print 0 0 [" + std::string(1024, 'q') + "] 00000000 0 0");
}

TEST(RKFontTest, GetStringRectFormatMeasuresTheFormattedText) {
  RKFont font;
  auto a = boost::make_shared<RecordingAdapter>();
  font.swapFontAdapter(a);
  rk::font::FontRect rect;
  font.getStringRectFormat(&rect, 2, 3, "%s=%03d", "n", 5);
  EXPECT_EQ(a->calls, std::vector<std::string>{"calcSize 2 3 [n=005]"});
  EXPECT_EQ(rect.right, 3);
  EXPECT_EQ(rect.bottom, 4);
}

TEST(RKFontTest, PrintNowDrawsAt32PixelsAndLeavesTheAdapterThere) {
  RKFont font;
  auto a = boost::make_shared<RecordingAdapter>();
  font.swapFontAdapter(a);
  font.setFontSizePx(12);
  font.printNow(4, 5, 0xFF00FF00, 6, 7, "t%c", 'x');
  EXPECT_EQ(a->calls, (std::vector<std::string>{"setFontSizePx 12", "setFontSizePx 32",
                                                "print 4 5 [tx] FF00FF00 6 7"}));
  EXPECT_FLOAT_EQ(font.getFontSize()->y, 32.0f);
  EXPECT_TRUE(font.prints().empty());  // drawing does not queue
}

TEST(RKFontTest, DestructionReleasesTheAdapterReference) {
  int destroyed = 0;
  {
    auto a = boost::make_shared<RecordingAdapter>();
    a->destroyed = &destroyed;
    auto font = boost::make_shared<RKFont>();
    font->swapFontAdapter(a);
    font->printf(0, 0, 0, "queued");
    EXPECT_EQ(a.use_count(), 2);
    font.reset();
    EXPECT_EQ(a.use_count(), 1);
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 1);
}

// A caller draws with another adapter by swapping it in and putting the old
// one back: while it is in, every call the font makes reaches it alone, and
// the font's own queue of prints is not the adapter's to keep.
TEST(RKFontTest, ASwappedInAdapterTakesEveryCallUntilTheOldOneIsBack) {
  RKFont font;
  auto own = boost::make_shared<RecordingAdapter>();
  auto borrowed = boost::make_shared<RecordingAdapter>();
  borrowed->cell = {8, 16, 0, 0};
  font.swapFontAdapter(own);
  font.printf(1, 1, 0, "queued");

  boost::shared_ptr<rk::font::FontAdapter> previous = font.swapFontAdapter(borrowed);
  font.stringPrint(nullptr, 5, 6, "drawn");
  rk::font::FontRect rect;
  font.getStringRectFormat(&rect, 0, 0, "%d", 42);
  EXPECT_EQ(font.getFontSize(), &borrowed->cell);
  font.printNow(7, 8, 0xFF000000, 0, 0, "now");
  EXPECT_EQ(font.swapFontAdapter(previous), borrowed);

  font.setFontSizePx(20);
  EXPECT_EQ(font.getFontSize(), &own->cell);
  EXPECT_EQ(borrowed->calls, (std::vector<std::string>{"stringPrint null 5 6 [drawn] 0", "calcSize 0 0 [42]",
                                                       "getFontSize", "setFontSizePx 32",
                                                       "print 7 8 [now] FF000000 0 0"}));
  EXPECT_EQ(own->calls, (std::vector<std::string>{"setFontSizePx 20", "getFontSize"}));
  EXPECT_FLOAT_EQ(borrowed->cell.y, 32.0f) << "the borrowed adapter keeps the size printNow gave it";
  ASSERT_EQ(font.prints().size(), 1u);
  EXPECT_EQ(font.prints().front()->text, "queued");
}

TEST(FontSizeConversionTest, NinetySixPixelsPerSeventyTwoPoints) {
  struct Case { int points, pixels; };
  // pixels are negative (a character height); halves round away from zero.
  for (Case c : {Case{0, 0}, Case{9, -12}, Case{10, -13}, Case{12, -16}, Case{15, -20}, Case{-3, 4}})
    EXPECT_EQ(rk::font::pointsToPixels(c.points), c.pixels) << c.points;
  struct Back { int pixels, points; };
  for (Back c : {Back{0, 0}, Back{16, 12}, Back{13, 10}, Back{32, 24}, Back{2, 2}, Back{-16, -12}})
    EXPECT_EQ(rk::font::pixelsToPoints(c.pixels), c.points) << c.pixels;
}

}  // namespace
