// The linear fader of the music and sound players.
#include <gtest/gtest.h>

#include "util/rk_fader.h"

namespace {

TEST(Fader, MovesLinearlyAndStopsAtTheTarget) {
  rk::util::Fader fader;
  EXPECT_TRUE(fader.isFinished());
  EXPECT_FALSE(fader.isFading());

  fader.start(0, 1, 2);
  EXPECT_FALSE(fader.isFinished());
  fader.update(0.5f);
  EXPECT_FLOAT_EQ(fader.getValue(), 0.25f);
  fader.update(1.0f);
  EXPECT_FLOAT_EQ(fader.getValue(), 0.75f);
  fader.update(1.0f);  // past the end: held at the target
  EXPECT_FLOAT_EQ(fader.getValue(), 1.0f);
  EXPECT_TRUE(fader.isFinished());
  EXPECT_FALSE(fader.isFading());
  fader.update(5.0f);
  EXPECT_FLOAT_EQ(fader.getValue(), 1.0f);

  // Downwards, and a copy fades on its own.
  fader.start(1, 0.5f, 1);
  rk::util::Fader copy = fader;
  copy.update(0.5f);
  EXPECT_FLOAT_EQ(copy.getValue(), 0.75f);
  EXPECT_FLOAT_EQ(fader.getValue(), 1.0f);
}

TEST(Fader, ZeroDurationGivesTheTargetAtOnce) {
  rk::util::Fader fader;
  fader.start(0.2f, 0.9f, 0);
  EXPECT_FLOAT_EQ(fader.getValue(), 0.9f);
  fader.update(0);
  EXPECT_TRUE(fader.isFinished());
  EXPECT_FLOAT_EQ(fader.getValue(), 0.9f);
}

}  // namespace
