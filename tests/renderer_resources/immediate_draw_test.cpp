// Immediate drawing: what each operation records (pipeline kind, topology,
// vertices and their colours), that each leaves the pipeline stack as it found
// it and queues its buffers, and the colour state's ambient constant.
#include <gtest/gtest.h>

#include <cmath>

#include "gfx/rk_draw_vertex.h"
#include "gfx/rk_vertex_buffer.h"
#include "resources_rig.h"

namespace resourcetest {
namespace {

using Immediate = ResourceRig;
using namespace rk::gfx;

constexpr std::uint32_t kAmbientRoot = 4;

TEST_F(Immediate, EachOperationDrawsWithItsPipelineTopologyAndVertices) {
  const LineVertex line[3] = {{1, 2, 0, 0xFFFF0000u}, {3, 4, 0, 0x8000FF00u}, {5, 6, 0.5f, 0xFF0000FFu}};
  const ScreenVertex screen[3] = {{1, 2, 0, 9, 0xFFFFFFFFu}, {3, 4, 0, 9, 0xFF000000u}, {5, 6, 0, 9, 0x40808080u}};
  const TexturedVertex textured[4] = {
      {0, 0, 0, 1, 0xFFFFFFFFu, 0, 0}, {8, 0, 0, 1, 0xFFFFFFFFu, 1, 0}, {0, 8, 0, 1, 0xFFFFFFFFu, 0, 1},
      {8, 8, 0, 1, 0xFFFFFFFFu, 1, 1}};
  const StripVertex strip[3] = {{1, 1, 0, 0xFF102030u, 0.5f, 0.25f}, {2, 2, 0, 0xFF102030u, 1, 1},
                                {3, 1, 0, 0xFF102030u, 0, 1}};
  struct Case {
    const char* name;
    std::function<void()> draw;
    const char* pipeline;
    gpu::PrimitiveTopology topology;
    std::uint32_t count, stride;
  };
  const std::vector<Case> cases = {
      {"drawRect2D", [&] { context->drawRect2D({10, 20, 2, 40}, 0x80FF8000u); }, "PIPELINE_DEFAULT2D_TRIANGLE",
       gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP, 4, 28},
      {"drawLineStrip", [&] { context->drawLineStrip(line, 2); }, "PIPELINE_DEFAULT2D_LINE",
       gpu::D3D_PRIMITIVE_TOPOLOGY_LINESTRIP, 3, 28},
      {"drawLineStrip of one vertex", [&] { context->drawLineStrip(line, 0); }, "PIPELINE_DEFAULT2D_LINE",
       gpu::D3D_PRIMITIVE_TOPOLOGY_LINESTRIP, 1, 28},
      {"drawVertexStrip", [&] { context->drawVertexStrip(screen, 3); }, "PIPELINE_DEFAULT2D_TRIANGLE",
       gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP, 3, 28},
      {"drawColorStrip", [&] { context->drawColorStrip(line, 3, rk::PIPELINE_STENCIL_MASK); },
       "PIPELINE_STENCIL_MASK", gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP, 3, 28},
      {"drawTexturedStrip", [&] { context->drawTexturedStrip(nullptr, textured, 4); }, "PIPELINE_TRIANGLE_COLOR_UV",
       gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP, 4, 36},
      {"drawColorUVStrip", [&] { context->drawColorUVStrip(strip, 3); }, "PIPELINE_TRIANGLE_COLOR_UV",
       gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP, 3, 36},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::size_t stackDepth = 0;
    showOverlay([&] {
      stackDepth = context->pipelineStack().size();
      c.draw();
      EXPECT_EQ(context->pipelineStack().size(), stackDepth);
      EXPECT_EQ(context->deferredReleaseCount(), 1u);
    });
    ASSERT_EQ(trace()->draws.size(), 1u);
    const gpu::TraceDraw& d = trace()->draws[0];
    EXPECT_EQ(d.pipeline, c.pipeline);
    EXPECT_EQ(d.topology, c.topology);
    EXPECT_EQ(d.count, c.count);
    EXPECT_EQ(d.vertexStride, c.stride);
    EXPECT_TRUE(trace()->errors.empty());
    EXPECT_EQ(context->deferredReleaseCount(), 0u);  // drained by the present
  }

  // Vertices: the rectangle's corners in strip order, colours unpacked from ARGB.
  showOverlay([&] { context->drawRect2D({10, 20, 2, 40}, 0x80FF8000u); });
  const gpu::TraceDraw& rect = trace()->draws.at(0);
  EXPECT_EQ(rect.vertexFloats(0, 0, 3), (std::vector<float>{10, 20, 0}));
  EXPECT_EQ(rect.vertexFloats(1, 0, 3), (std::vector<float>{2, 20, 0}));
  EXPECT_EQ(rect.vertexFloats(2, 0, 3), (std::vector<float>{10, 40, 0}));
  EXPECT_EQ(rect.vertexFloats(3, 0, 3), (std::vector<float>{2, 40, 0}));
  EXPECT_EQ(rect.vertexFloats(3, 12, 4), (std::vector<float>{1.0f, 128 / 255.0f, 0.0f, 128 / 255.0f}));

  showOverlay([&] { context->drawColorUVStrip(strip, 3); });
  const gpu::TraceDraw& uv = trace()->draws.at(0);
  EXPECT_EQ(uv.vertexFloats(0, 0, 9),
            (std::vector<float>{1, 1, 0, 0x10 / 255.0f, 0x20 / 255.0f, 0x30 / 255.0f, 1.0f, 0.5f, 0.25f}));

  showOverlay([&] { context->drawVertexStrip(screen, 3); });  // w is not a vertex field
  EXPECT_EQ(trace()->draws.at(0).vertexFloats(2, 0, 7),
            (std::vector<float>{5, 6, 0, 128 / 255.0f, 128 / 255.0f, 128 / 255.0f, 64 / 255.0f}));
}

TEST_F(Immediate, IndexedStripDrawsEachTriangleOnceAndQueuesBothBuffers) {
  const StripVertex quad[4] = {{0, 0, 0, 0x80FFFFFFu, 0, 0}, {4, 0, 0, 0x80FFFFFFu, 1, 0},
                               {0, 4, 0, 0x80FFFFFFu, 0, 1}, {4, 4, 0, 0x80FFFFFFu, 1, 1}};
  const std::uint16_t six[6] = {0, 1, 2, 2, 1, 3};
  showOverlay([&] {
    context->drawIndexedColorUV(quad, 4, six, 6);
    EXPECT_EQ(context->deferredReleaseCount(), 2u);
  });
  ASSERT_EQ(trace()->draws.size(), 1u);
  const gpu::TraceDraw& d = trace()->draws[0];
  EXPECT_TRUE(d.indexed);
  EXPECT_EQ(d.pipeline, "PIPELINE_TRIANGLE_COLOR_UV");
  EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  EXPECT_EQ(d.indices, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 3}));
  EXPECT_EQ(d.vertexStride, 36u);
  EXPECT_TRUE(trace()->errors.empty());
  EXPECT_EQ(context->deferredReleaseCount(), 0u);
}

TEST_F(Immediate, SphereGizmoDrawsThreeCirclesOfEightSegmentsThroughTheMatrix) {
  const rk::math::Matrix move = rk::math::matrixTranslation(10.0f, 0.0f, 0.0f);
  showOverlay([&] { context->drawSphereGizmo(2.0f, move); });
  ASSERT_EQ(trace()->draws.size(), 1u);
  const gpu::TraceDraw& d = trace()->draws[0];
  EXPECT_EQ(d.pipeline, "PIPELINE_DEFAULT2D_LINE");
  EXPECT_EQ(d.topology, gpu::D3D_PRIMITIVE_TOPOLOGY_LINELIST);
  ASSERT_EQ(d.count, 48u);
  // Circle starts: about X from (0, r, 0) in cyan, about Y from (0, 0, r) in
  // green, about Z from (r, 0, 0) in red; each circle closes on its start.
  const struct {
    int first;
    std::vector<float> start, color;
  } circles[] = {{0, {10, 2, 0}, {0, 1, 1, 1}}, {16, {10, 0, 2}, {0, 1, 0, 1}}, {32, {12, 0, 0}, {1, 0, 0, 1}}};
  for (const auto& c : circles) {
    EXPECT_EQ(d.vertexFloats(c.first, 12, 4), c.color);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(d.vertexFloats(c.first, 0, 3)[i], c.start[i], 1e-5f);
      EXPECT_NEAR(d.vertexFloats(c.first + 15, 0, 3)[i], c.start[i], 1e-5f);
    }
    // Every point lies on the sphere of radius 2 around the moved centre.
    for (int v = c.first; v < c.first + 16; ++v) {
      const std::vector<float> p = d.vertexFloats(v, 0, 3);
      EXPECT_NEAR(std::hypot(p[0] - 10.0f, p[1], p[2]), 2.0f, 1e-5f);
    }
  }
}

TEST_F(Immediate, WithoutARecordingListNothingIsMadeOrRecorded) {
  const LineVertex line[2] = {{0, 0, 0, 0xFFFFFFFFu}, {1, 1, 0, 0xFFFFFFFFu}};
  context->drawLineStrip(line, 1);
  context->drawRect2D({0, 0, 1, 1}, 0xFFFFFFFFu);
  EXPECT_EQ(log.entries("rk::DeviceContext::getNowCommandList"), 2u);
  EXPECT_EQ(context->deferredReleaseCount(), 0u);
}

TEST_F(Immediate, TheColourStateUploadsTheAmbientConstantOnlyWhenEnabled) {
  auto ambientBindings = [&] {
    std::vector<std::uint64_t> out;
    for (const gpu::TraceEntry& e : trace()->entries)
      if (const auto* c = std::get_if<gpu::cmd::SetRootConstantBufferView>(&e.command))
        if (c->rootIndex == kAmbientRoot) out.push_back(c->address);
    return out;
  };
  const rk::ColorStateBackup saved = context->backupColorState();
  std::size_t before = 0;
  float ambient[4] = {};
  showOverlay([&] {});
  before = ambientBindings().size();

  showOverlay([&] {
    context->setColorState(false, 0xFF00FF00u);  // stored, but nothing is bound
    context->drawRect2D({0, 0, 4, 4}, 0xFFFFFFFFu);
  });
  EXPECT_EQ(ambientBindings().size(), before);
  EXPECT_FALSE(context->isUseColor());
  EXPECT_FLOAT_EQ(context->colorState().getG(), 1.0f);

  showOverlay([&] {
    context->setColorState(true, 0x80FF0000u);
    context->drawRect2D({0, 0, 4, 4}, 0xFFFFFFFFu);
  });
  EXPECT_EQ(ambientBindings().size(), before + 1);
  ASSERT_TRUE(trace()->draws.at(0).constant(kAmbientRoot, 0, &ambient));
  EXPECT_FLOAT_EQ(ambient[0], 1.0f);
  EXPECT_FLOAT_EQ(ambient[1], 0.0f);
  EXPECT_FLOAT_EQ(ambient[3], 128 / 255.0f);

  // Restoring an enabled backup binds its colour again.
  const rk::ColorStateBackup red = context->backupColorState();
  showOverlay([&] {
    context->setColorState(false, 0);
    context->restoreColorState(red);
    context->drawRect2D({0, 0, 4, 4}, 0xFFFFFFFFu);
  });
  EXPECT_TRUE(context->isUseColor());
  EXPECT_EQ(ambientBindings().size(), before + 1);
  ASSERT_TRUE(trace()->draws.at(0).constant(kAmbientRoot, 0, &ambient));
  EXPECT_FLOAT_EQ(ambient[0], 1.0f);
  context->restoreColorState(saved);
}

}  // namespace
}  // namespace resourcetest
