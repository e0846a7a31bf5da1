// The pipeline stack: what binding a kind records, and popping back to the
// kind below.
#include <gtest/gtest.h>

#include "renderer_rig.h"

namespace rendertest {
namespace {

namespace cmd = host::gpu::cmd;
using PipelineStack = RendererRig;

// What one setPipeline recorded: the state's name, whether a depth-stencil
// view came with the target, and the stencil reference.
struct Binding {
  std::string pipeline;
  bool depthBound = false;
  std::uint32_t stencilRef = 0;
};

std::vector<Binding> bindings(const std::vector<gpu::Command>& commands) {
  std::vector<Binding> out;
  for (std::size_t i = 0; i + 2 < commands.size(); ++i) {
    const auto* state = as<cmd::SetPipelineState>(commands[i]);
    if (!state) continue;
    const auto* targets = as<cmd::SetRenderTargets>(commands[i + 1]);
    const auto* ref = as<cmd::SetStencilRef>(commands[i + 2]);
    if (!targets || !ref) continue;
    out.push_back({state->pipeline->name(), targets->depthStencil != 0, ref->ref});
  }
  return out;
}

TEST_F(PipelineStack, EachKindBindsItsDepthBufferAndStencilReference) {
  buildScene();
  context->beginCommandList(nullptr, false, false);
  for (int kind = 0; kind < rk::PIPELINE_KIND_COUNT; ++kind) context->setPipeline(kind);
  const std::vector<Binding> b = bindings(context->getNowCommandList()->commands());
  ASSERT_EQ(b.size(), 9u);  // the overlay's base kind, then the eight
  const Binding expected[] = {
      {"PIPELINE_DEFAULT2D_TRIANGLE", false, 0}, {"PIPELINE_DEFAULT2D_LINE", false, 0},
      {"PIPELINE_TRIANGLE_COLOR_UV", false, 0},  {"PIPELINE_MODEL_DRAW", true, 0},
      {"PIPELINE_MODEL_SHADOW", true, 0},        {"PIPELINE_STENCIL_CLIP", true, 1},
      {"PIPELINE_STENCIL_MASK", true, 1},        {"PIPELINE_STENCIL_VCUV_MASK", true, 0},
  };
  for (int kind = 0; kind < rk::PIPELINE_KIND_COUNT; ++kind) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(b[kind + 1].pipeline, expected[kind].pipeline);
    EXPECT_EQ(b[kind + 1].depthBound, expected[kind].depthBound);
    EXPECT_EQ(b[kind + 1].stencilRef, expected[kind].stencilRef);
  }
  context->closeNowCommandList();
}

TEST_F(PipelineStack, PoppingRebindsTheKindBelowAndTheLastPopBindsNothing) {
  buildScene();
  context->beginCommandList(nullptr, false, false);  // base kind 2
  gpu::GraphicsCommandList* list = context->getNowCommandList();
  context->pushPipeline(rk::PIPELINE_STENCIL_CLIP);
  context->pushPipeline(rk::PIPELINE_DEFAULT2D_LINE);
  EXPECT_EQ(context->pipelineStack(), (std::deque<int>{2, 5, 1}));
  context->popPipeline();
  context->popPipeline();
  EXPECT_EQ(context->pipelineStack(), std::deque<int>{2});
  std::vector<std::string> names;
  for (const Binding& b : bindings(list->commands())) names.push_back(b.pipeline);
  EXPECT_EQ(names, (std::vector<std::string>{"PIPELINE_TRIANGLE_COLOR_UV", "PIPELINE_STENCIL_CLIP",
                                             "PIPELINE_DEFAULT2D_LINE", "PIPELINE_STENCIL_CLIP",
                                             "PIPELINE_TRIANGLE_COLOR_UV"}));
  // Closing pops the base kind; nothing is bound again after it.
  const std::size_t before = list->commands().size();
  context->closeNowCommandList();
  EXPECT_TRUE(context->pipelineStack().empty());
  EXPECT_EQ(list->commands().size(), before + 1);  // only the barrier back to present
  context->popPipeline();  // an empty stack stays empty
  EXPECT_TRUE(context->pipelineStack().empty());

  // Beginning a list empties whatever a careless caller left on the stack.
  context->beginCommandList(nullptr, false, false);
  context->pushPipeline(rk::PIPELINE_MODEL_DRAW);
  context->closeNowCommandList();
  context->beginCommandList(nullptr, true, false);
  EXPECT_EQ(context->pipelineStack(), std::deque<int>{0});
  context->closeNowCommandList();
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(PipelineStack, WithoutARecordingListNothingIsRecorded) {
  buildScene();
  context->setPipeline(rk::PIPELINE_MODEL_DRAW);
  context->setWorldMatrix(rk::math::matrixIdentity());
  EXPECT_EQ(log.entries("rk::DeviceContext::getNowCommandList"), 2u);
  context->beginCommandList(nullptr, false, false);
  context->setPipeline(8);
  EXPECT_EQ(log.entries("rk::DeviceContext::setPipeline"), 1u);
  context->closeNowCommandList();
}

}  // namespace
}  // namespace rendertest
