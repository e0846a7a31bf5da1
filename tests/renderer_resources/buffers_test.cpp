// GPU buffers: sizes of the upload buffers and their views, failures named by
// the upload, rewriting in place, the draw's topology, survival of a device
// rebuild, and the delayed release after the next present.
#include <gtest/gtest.h>

#include "gfx/rk_index_buffer.h"
#include "gfx/rk_vertex_buffer.h"
#include "resources_rig.h"

namespace resourcetest {
namespace {

using Buffers = ResourceRig;
using rk::gfx::IndexBuffer;
using rk::gfx::VertexBuffer;

VertexBuffer* makeBuffer(rk::DeviceContext* context, int kind, int vertices) {
  VertexBuffer* buffer = nullptr;
  context->createVertexBuffer(kind, &buffer);
  for (int i = 0; i < vertices; ++i) {
    buffer->setPosition(float(i), float(i) * 2.0f, 0.5f);
    buffer->setColor(rk::gfx::Color(1.0f, 0.5f, 0.25f, 1.0f));
    buffer->setUV(0.25f * float(i), 1.0f);
    buffer->pushVertex();
  }
  return buffer;
}

gpu::Resource* gpuBufferOf(const VertexBuffer* buffer) {
  std::uint64_t offset = 0;
  return buffer->view() ? gpu::findBufferByAddress(buffer->view()->bufferLocation, &offset) : nullptr;
}

TEST_F(Buffers, UploadBuffersRoundUpTo256WhileViewsKeepTheExactSize) {
  struct Case {
    int kind, vertices;
    std::uint32_t stride, viewBytes;
    std::uint64_t width;
    const char* name;
  };
  std::vector<float> model(44 / 4 * 7, 1.0f);  // seven model vertices
  for (const Case& c : {Case{0, 10, 28, 280, 512, "VERTEX_KIND_POSITION_COLOR"},
                        Case{1, 3, 36, 108, 256, "VERTEX_KIND_POSITION_COLOR_UV"},
                        Case{2, 0, 44, 308, 512, "VERTEX_KIND_MODEL_VERTEX"}}) {
    SCOPED_TRACE(c.name);
    VertexBuffer* buffer = makeBuffer(context, c.kind, c.vertices);
    if (c.kind == 2) buffer->setData(model.data(), model.size() * sizeof(float) + 5);  // a stray tail is cut
    EXPECT_EQ(buffer->getKind(), c.kind);
    EXPECT_FALSE(buffer->isCreated());
    buffer->build();
    ASSERT_TRUE(buffer->isCreated());
    EXPECT_EQ(buffer->view()->strideInBytes, c.stride);
    EXPECT_EQ(buffer->view()->sizeInBytes, c.viewBytes);
    ASSERT_NE(gpuBufferOf(buffer), nullptr);
    EXPECT_EQ(gpuBufferOf(buffer)->getDesc().width, c.width);
    EXPECT_EQ(gpuBufferOf(buffer)->name(), c.name);
    buffer->release("test", 1);
  }

  IndexBuffer* indices = nullptr;
  context->createIndexBuffer(&indices);
  const std::uint32_t ten[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  indices->push(99);
  indices->setIndices(ten, 10);  // replaces what was pushed
  EXPECT_EQ(indices->getCount(), 10u);
  indices->build();
  EXPECT_EQ(indices->view()->sizeInBytes, 256u);
  EXPECT_EQ(indices->view()->format, gpu::DXGI_FORMAT_R32_UINT);
  indices->release("test", 1);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(Buffers, BadKindsAndEmptyBuffersFailAsReported) {
  VertexBuffer* none = nullptr;
  try {
    context->createVertexBuffer(3, &none);
    ADD_FAILURE() << "kind 3 made a buffer";
  } catch (const HrException& e) {
    EXPECT_EQ(e.code(), host::E_OUTOFMEMORY);
    EXPECT_EQ(nameOf(e), "(*ppvb)");
  }
  VertexBuffer* kept = makeBuffer(context, 0, 1);
  VertexBuffer* out = kept;
  context->createVertexBuffer(7, &out);  // an unknown kind leaves a filled pointer alone
  EXPECT_EQ(out, kept);

  // Direct3D refuses an upload buffer of no bytes.
  VertexBuffer* empty = makeBuffer(context, 0, 0);
  try {
    empty->build();
    ADD_FAILURE() << "an empty buffer was built";
  } catch (const HrException& e) {
    EXPECT_EQ(nameOf(e), "VERTEX_KIND_POSITION_COLOR");
  }
  EXPECT_EQ(log.entries("rk::DeviceContext::buildVertexBuffer"), 1u);
  empty->release("test", 1);
  kept->release("test", 1);
}

TEST_F(Buffers, CopyToGpuRewritesInPlaceAndRebuildsWhenTheArrayOutgrowsTheBuffer) {
  VertexBuffer* buffer = makeBuffer(context, 0, 2);
  EXPECT_EQ(buffer->copyToGpu(), host::S_OK);  // builds when there is no buffer yet
  gpu::Resource* first = gpuBufferOf(buffer);
  ASSERT_NE(first, nullptr);

  buffer->clear();
  buffer->setPosition(7.0f, 8.0f, 9.0f);
  for (int i = 0; i < 9; ++i) buffer->pushVertex();  // 252 bytes still fit the 256-byte buffer
  EXPECT_EQ(buffer->copyToGpu(), host::S_OK);
  EXPECT_EQ(gpuBufferOf(buffer), first);
  EXPECT_EQ(buffer->view()->sizeInBytes, 252u);
  float x = 0.0f;
  std::memcpy(&x, first->bufferBytes().data() + 8 * 28, sizeof x);
  EXPECT_FLOAT_EQ(x, 7.0f);

  buffer->pushVertex();  // 280 bytes: a bigger buffer, never a write past the old one
  EXPECT_EQ(buffer->copyToGpu(), host::S_OK);
  ASSERT_NE(gpuBufferOf(buffer), nullptr);
  EXPECT_EQ(gpuBufferOf(buffer)->getDesc().width, 512u);
  EXPECT_EQ(buffer->view()->sizeInBytes, 280u);
  EXPECT_EQ(buffer->copy(nullptr, 0), host::E_FAIL);
  buffer->release("test", 1);

  // Model vertices: copy checks the stored size and needs a built buffer.
  std::vector<float> model(22, 0.0f), update(22, 3.0f);
  VertexBuffer* meshes = makeBuffer(context, 2, 0);
  meshes->setData(model.data(), 88);
  EXPECT_EQ(meshes->getVertexCount(), 2u);
  EXPECT_EQ(meshes->copyToGpu(), host::E_FAIL);
  EXPECT_THROW(meshes->copy(update.data(), 88), HrException);  // not built yet
  meshes->build();
  EXPECT_EQ(meshes->copy(update.data(), 88), host::S_OK);
  std::memcpy(&x, gpuBufferOf(meshes)->bufferBytes().data() + 84, sizeof x);
  EXPECT_FLOAT_EQ(x, 3.0f);
  try {
    meshes->copy(update.data(), 89);
    ADD_FAILURE() << "copied more than the stored size";
  } catch (const HrException& e) {
    EXPECT_EQ(e.code(), host::E_OUTOFMEMORY);
  }
  meshes->release("test", 1);
}

TEST_F(Buffers, DrawPolygonSetsTheTopologyOfEachPrimitiveKind) {
  VertexBuffer* buffer = makeBuffer(context, 1, 3);
  buffer->build();
  const std::vector<std::pair<int, gpu::PrimitiveTopology>> kinds = {
      {1, gpu::D3D_PRIMITIVE_TOPOLOGY_POINTLIST},     {2, gpu::D3D_PRIMITIVE_TOPOLOGY_LINELIST},
      {3, gpu::D3D_PRIMITIVE_TOPOLOGY_LINESTRIP},     {4, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST},
      {5, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP}, {6, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST_ADJ},
      {0, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST},  {9, gpu::D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST}};
  showOverlay([&] {
    for (const auto& k : kinds) context->drawPolygon(k.first, buffer, 3);
  });
  ASSERT_EQ(trace()->draws.size(), kinds.size());
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    EXPECT_EQ(trace()->draws[i].topology, kinds[i].second) << "kind " << kinds[i].first;
    EXPECT_EQ(trace()->draws[i].count, 3u);
    EXPECT_EQ(trace()->draws[i].vertexStride, 36u);
  }

  // Model vertices are not drawn this way.
  std::vector<float> model(33, 0.0f);
  VertexBuffer* meshes = makeBuffer(context, 2, 0);
  meshes->setData(model.data(), 132);
  meshes->build();
  showOverlay([&] { context->drawPolygon(4, meshes, 3); });
  EXPECT_TRUE(trace()->draws.empty());
  EXPECT_EQ(log.entries("rk::DeviceContext::drawPolygon"), 1u);
  meshes->release("test", 1);
  buffer->release("test", 1);
}

TEST_F(Buffers, BuiltBuffersComeBackAfterADeviceResetWithTheirData) {
  std::vector<float> model(22, 0.0f);
  model[0] = 42.0f;
  VertexBuffer* colored = makeBuffer(context, 0, 3);
  VertexBuffer* meshes = makeBuffer(context, 2, 0);
  VertexBuffer* neverBuilt = makeBuffer(context, 1, 0);
  IndexBuffer* indices = nullptr;
  context->createIndexBuffer(&indices);
  indices->push(2);
  colored->build();
  meshes->setData(model.data(), 88);
  meshes->build();
  indices->build();
  const std::uint64_t before = gpuBufferOf(colored)->id();

  resetDevice();
  ASSERT_EQ(boxes.size(), 1u);  // the reset was reported and the device rebuilt
  EXPECT_TRUE(colored->isCreated());
  EXPECT_TRUE(meshes->isCreated());
  EXPECT_TRUE(indices->isCreated());
  EXPECT_FALSE(neverBuilt->isCreated());  // nothing to rebuild, and no failure
  EXPECT_NE(gpuBufferOf(colored)->id(), before);
  float x = 0.0f;
  std::memcpy(&x, gpuBufferOf(meshes)->bufferBytes().data(), sizeof x);
  EXPECT_FLOAT_EQ(x, 42.0f);

  // The owner does nothing, yet the buffer draws on the new device.
  showOverlay([&] {
    context->pushPipeline(rk::PIPELINE_DEFAULT2D_TRIANGLE);  // the pipeline of position-colour vertices
    context->drawPolygon(5, colored, 3);
    context->popPipeline();
  });
  ASSERT_EQ(trace()->draws.size(), 1u);
  EXPECT_EQ(trace()->draws[0].vertexFloats(2, 0, 3), (std::vector<float>{2.0f, 4.0f, 0.5f}));
  for (const std::string& e : trace()->errors) ADD_FAILURE() << e;
  for (rk::gfx::GResource* r : std::initializer_list<rk::gfx::GResource*>{colored, meshes, neverBuilt, indices})
    r->release("test", 1);
}

TEST_F(Buffers, AQueuedBufferLivesUntilThePresentAfterIt) {
  VertexBuffer* buffer = makeBuffer(context, 0, 4);
  buffer->build();
  buffer->addRef();  // the test keeps a second reference to watch the count
  context->addDeferredRelease(new rk::gfx::VertexBufferContainer(buffer));
  EXPECT_EQ(context->deferredReleaseCount(), 1u);
  EXPECT_EQ(buffer->count(), 2);
  showOverlay([&] {
    context->pushPipeline(rk::PIPELINE_DEFAULT2D_TRIANGLE);
    context->drawPolygon(5, buffer, 4);
    context->popPipeline();
  });  // the present drains
  EXPECT_EQ(context->deferredReleaseCount(), 0u);
  EXPECT_EQ(buffer->count(), 1);
  ASSERT_EQ(trace()->draws.size(), 1u);
  EXPECT_EQ(trace()->draws[0].vertices.size(), 112u);
  EXPECT_TRUE(trace()->errors.empty());

  // Holding the last reference, the container's release frees the GPU buffer too.
  gpu::Resource* gpuBuffer = gpuBufferOf(buffer);
  const std::uint64_t id = gpuBuffer->id();
  context->addDeferredRelease(new rk::gfx::VertexBufferContainer(buffer));
  EXPECT_NE(gpu::findResource(id), nullptr);
  context->drawFrame();
  EXPECT_EQ(gpu::findResource(id), nullptr);
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
}  // namespace resourcetest
