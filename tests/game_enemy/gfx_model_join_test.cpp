// Joining a drawing command to a gfx model.
#include <gtest/gtest.h>

#include "effect/gfx_model_join.h"
#include "gfx/rk_gfx_model.h"

namespace {

struct NoDraw : rk::gfx::GfxModelCommand {
  void execute(rk::gfx::GfxDeviceContext&, std::int32_t) override {}
};

// Joining moves a command between models; it is never listed twice, so its
// end leaves no model pointing at it.
TEST(JoinGfxModelList, ACommandBelongsToOneModelAtATime) {
  rk::gfx::GfxModel first, second;
  auto* command = new NoDraw();
  effect_misc::joinGfxModelList(&first, command);
  EXPECT_EQ(command->owner_, &first);
  EXPECT_EQ(first.commands().size(), 1u);
  effect_misc::joinGfxModelList(&second, command);
  EXPECT_EQ(command->owner_, &second);
  EXPECT_TRUE(first.commands().empty());
  EXPECT_EQ(second.commands().size(), 1u);
  delete command;
  EXPECT_TRUE(second.commands().empty());
  effect_misc::joinGfxModelList(nullptr, nullptr);
}

}  // namespace
