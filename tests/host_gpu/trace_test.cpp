// The trace back end: what it records of executed lists, the state it resolves
// for each draw, and the misuse it reports.
#include <gtest/gtest.h>

#include "gpu_rig.h"
#include "host/ui.h"

namespace {

using namespace gpurig;

class TraceDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.make(Driver::Trace));
    trace = rig.device->trace();
    ASSERT_NE(trace, nullptr);
    colour = rig.colourPipeline({}, "PIPELINE_DEFAULT2D_TRIANGLE");
  }
  void TearDown() override { resetAdapterList(); }

  Rig rig;
  Trace* trace = nullptr;
  Ref<PipelineState> colour;
};

TEST_F(TraceDrawing, EveryRecordedCallBecomesOneCommandOfItsKind) {
  struct Case {
    std::function<void(Rig&)> record;
    CommandKind kind;
  };
  Ref<PipelineState> pipeline = colour;
  const std::vector<Case> cases = {
      {[&](Rig& r) { r.list->setPipelineState(pipeline.get()); }, CommandKind::SetPipelineState},
      {[](Rig& r) { r.list->setGraphicsRootSignature(r.signature.get()); }, CommandKind::SetRootSignature},
      {[](Rig& r) { r.setViewport({0, 0, 8, 8, 0, 1}); }, CommandKind::SetViewports},
      {[](Rig& r) { r.setScissor({0, 0, 8, 8}); }, CommandKind::SetScissorRects},
      {[](Rig& r) {
         const CpuDescriptorHandle h = r.rtv();
         r.list->omSetRenderTargets(1, &h, false, nullptr);
       },
       CommandKind::SetRenderTargets},
      {[](Rig& r) { r.list->omSetStencilRef(1); }, CommandKind::SetStencilRef},
      {[](Rig& r) { r.list->omSetBlendFactor(nullptr); }, CommandKind::SetBlendFactor},
      {[](Rig& r) { r.list->iaSetPrimitiveTopology(D3D_PRIMITIVE_TOPOLOGY_LINELIST); }, CommandKind::SetPrimitiveTopology},
      {[](Rig& r) { r.list->iaSetVertexBuffers(0, 1, nullptr); }, CommandKind::SetVertexBuffers},
      {[](Rig& r) { r.list->iaSetIndexBuffer(nullptr); }, CommandKind::SetIndexBuffer},
      {[](Rig& r) {
         DescriptorHeap* heaps[] = {r.srvHeap.get()};
         r.list->setDescriptorHeaps(1, heaps);
       },
       CommandKind::SetDescriptorHeaps},
      {[](Rig& r) { r.list->setGraphicsRootConstantBufferView(0, r.constants(identity())); },
       CommandKind::SetRootConstantBufferView},
      {[](Rig& r) { r.list->setGraphicsRootDescriptorTable(6, r.srvHeap->getGPUDescriptorHandleForHeapStart()); },
       CommandKind::SetRootDescriptorTable},
      {[](Rig& r) {
         const ResourceBarrier b = ResourceBarrier::makeTransition(r.target.get(), D3D12_RESOURCE_STATE_RENDER_TARGET,
                                                                   D3D12_RESOURCE_STATE_PRESENT);
         r.list->resourceBarrier(1, &b);
       },
       CommandKind::ResourceBarrier},
      {[](Rig& r) { r.clear(0, 0, 0, 1); }, CommandKind::ClearRenderTarget},
      {[](Rig& r) { r.clearDepth(1, 0); }, CommandKind::ClearDepthStencil},
      {[](Rig& r) { r.list->drawInstanced(0, 1, 0, 0); }, CommandKind::Draw},
      {[](Rig& r) { r.list->drawIndexedInstanced(0, 1, 0, 0, 0); }, CommandKind::DrawIndexed},
      {[](Rig& r) {
         Ref<Resource> a = r.upload("abcd", 4), b = r.upload("wxyz", 4);
         r.list->copyBufferRegion(a.get(), 0, b.get(), 0, 4);
       },
       CommandKind::CopyBufferRegion},
  };
  ASSERT_EQ(rig.list->reset(rig.allocator.get(), nullptr), S_OK);
  std::vector<CommandKind> expected;
  for (const Case& c : cases) {
    c.record(rig);
    expected.push_back(c.kind);
  }
  rig.execute();
  EXPECT_EQ(trace->kinds(), expected);
  for (const TraceEntry& e : trace->entries) EXPECT_EQ(e.list, "rig list");
}

TEST_F(TraceDrawing, DrawsCarryTheStateTheyWereMadeWith) {
  Ref<Resource> texture;
  HeapProperties heap;
  ASSERT_EQ(rig.device->createCommittedResource(heap, 0, ResourceDesc::texture2D(DXGI_FORMAT_R8G8B8A8_UNORM, 4, 4),
                                                D3D12_RESOURCE_STATE_PIXEL_SHADER_RESOURCE, nullptr, &texture),
            S_OK);
  texture->setName("font page");
  rig.device->createShaderResourceView(texture.get(), nullptr, rig.srvHeap->getCPUDescriptorHandleForHeapStart());
  const Matrix world = translation(5, 6, 7);
  rig.begin(true);
  rig.list->setPipelineState(colour.get());
  rig.list->setGraphicsRootConstantBufferView(0, rig.constants(world));
  rig.list->setGraphicsRootDescriptorTable(6, rig.srvHeap->getGPUDescriptorHandleForHeapStart());
  rig.list->omSetStencilRef(1);
  rig.setScissor({1, 2, 30, 40});
  rig.drawVertices(quad(0, 0, 10, 20, 0.25f, 1, 0.5f, 0), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.execute();

  ASSERT_EQ(trace->draws.size(), 1u);
  const TraceDraw& d = trace->draws[0];
  EXPECT_EQ(d.pipeline, "PIPELINE_DEFAULT2D_TRIANGLE");
  EXPECT_EQ(d.topology, D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  EXPECT_EQ(d.count, 4u);
  EXPECT_EQ(d.vertexStride, sizeof(ColourVertex));
  EXPECT_EQ(d.vertexFloats(3, 0, 7), (std::vector<float>{10, 20, 0.25f, 1, 0.5f, 0, 1}));
  Matrix bound{};
  ASSERT_TRUE(d.constant(0, 0, &bound));
  EXPECT_EQ(bound, world);
  EXPECT_TRUE(d.constants[2].empty()) << "root 2 was never bound";
  EXPECT_EQ(d.texture, texture->id());
  EXPECT_EQ(d.textureName, "font page");
  EXPECT_EQ(d.viewport.width, float(Rig::kWidth));
  EXPECT_EQ(d.scissor.bottom, 40);
  EXPECT_EQ(d.stencilRef, 1u);
  EXPECT_EQ(d.renderTarget, rig.target->id());
  EXPECT_EQ(d.depthStencil, rig.depth->id());
  EXPECT_FALSE(d.depthTest) << "the pipeline has its depth test off";
  EXPECT_TRUE(trace->errors.empty());
}

TEST_F(TraceDrawing, DepthAndStencilTestsNeedADepthStencilView) {
  Ref<PipelineState> tested = rig.colourPipeline([](GraphicsPipelineStateDesc& d) {
    d.depthStencilState.depthEnable = true;
    d.depthStencilState.stencilEnable = true;
  });
  for (bool withDepth : {true, false}) {
    rig.begin(withDepth);
    rig.list->setPipelineState(tested.get());
    rig.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
    rig.execute();
  }
  ASSERT_EQ(trace->draws.size(), 2u);
  EXPECT_TRUE(trace->draws[0].depthTest);
  EXPECT_TRUE(trace->draws[0].stencilTest);
  EXPECT_FALSE(trace->draws[1].depthTest);
  EXPECT_FALSE(trace->draws[1].stencilTest);
  EXPECT_EQ(trace->draws[1].depthStencil, 0u);
}

TEST_F(TraceDrawing, ConstantsAreReadWhenTheListExecutesAndTargetsWhenItRecords) {
  Ref<Resource> cb = rig.upload(identity().data(), 64);
  rig.begin(false);
  rig.list->setPipelineState(colour.get());
  rig.list->setGraphicsRootConstantBufferView(0, cb->getGPUVirtualAddress());
  rig.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  EXPECT_EQ(rig.list->close(), S_OK);
  // After recording: rewrite the constants and point the view elsewhere.
  void* mapped = nullptr;
  cb->map(0, nullptr, &mapped);
  const Matrix moved = translation(1, 2, 3);
  std::memcpy(mapped, moved.data(), 64);
  rig.device->createRenderTargetView(rig.depth.get(), nullptr, rig.rtv());
  GraphicsCommandList* lists[] = {rig.list.get()};
  rig.queue->executeCommandLists(1, lists);
  ASSERT_EQ(trace->draws.size(), 1u);
  Matrix bound{};
  ASSERT_TRUE(trace->draws[0].constant(0, 0, &bound));
  EXPECT_EQ(bound, moved);
  EXPECT_EQ(trace->draws[0].renderTarget, rig.target->id());
}

TEST_F(TraceDrawing, IndexedDrawsRecordTheIndicesTheyRead) {
  const std::uint16_t indices[] = {0, 1, 2, 2, 1, 3};
  Ref<Resource> ib = rig.upload(indices, sizeof(indices));
  Ref<Resource> vb = rig.upload(quad(0, 0, 1, 1, 0, 1, 1, 1).data(), 4 * sizeof(ColourVertex));
  rig.begin(false);
  rig.list->setPipelineState(colour.get());
  const VertexBufferView v{vb->getGPUVirtualAddress(), 4 * sizeof(ColourVertex), sizeof(ColourVertex)};
  const IndexBufferView i{ib->getGPUVirtualAddress(), sizeof(indices), DXGI_FORMAT_R16_UINT};
  rig.list->iaSetVertexBuffers(0, 1, &v);
  rig.list->iaSetIndexBuffer(&i);
  rig.list->iaSetPrimitiveTopology(D3D_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  rig.list->drawIndexedInstanced(6, 1, 0, 0, 0);
  rig.execute();
  ASSERT_EQ(trace->draws.size(), 1u);
  EXPECT_TRUE(trace->draws[0].indexed);
  EXPECT_EQ(trace->draws[0].indices, (std::vector<std::uint32_t>{0, 1, 2, 2, 1, 3}));
  EXPECT_TRUE(trace->errors.empty());
}

TEST_F(TraceDrawing, MisuseIsReportedAndTheDrawStillRecorded) {
  struct Case {
    const char* name;
    std::function<void(Rig&, PipelineState*)> record;
    const char* error;
  };
  const std::vector<Case> cases = {
      {"no pipeline", [](Rig& r, PipelineState*) {
         r.begin(false);
         r.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
       },
       "draw without a pipeline state"},
      {"no scissor", [](Rig& r, PipelineState* p) {
         r.begin(false);
         r.list->rsSetScissorRects(0, nullptr);
         r.list->setPipelineState(p);
         r.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
       },
       "draw without a scissor rectangle"},
      {"no render target", [](Rig& r, PipelineState* p) {
         r.begin(false);
         r.list->omSetRenderTargets(0, nullptr, false, nullptr);
         r.list->setPipelineState(p);
         r.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
       },
       "draw without a render target"},
      {"too many vertices", [](Rig& r, PipelineState* p) {
         r.begin(false);
         r.list->setPipelineState(p);
         r.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
         r.list->drawInstanced(5, 1, 0, 0);
       },
       "vertex range outside the vertex buffer in slot 0"},
      {"index past the vertices", [](Rig& r, PipelineState* p) {
         const std::uint32_t indices[] = {0, 1, 9};
         Ref<Resource> ib = r.upload(indices, sizeof(indices));
         r.begin(false);
         r.list->setPipelineState(p);
         r.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
         const IndexBufferView view{ib->getGPUVirtualAddress(), sizeof(indices), DXGI_FORMAT_R32_UINT};
         r.list->iaSetIndexBuffer(&view);
         r.list->drawIndexedInstanced(3, 1, 0, 0, 0);
       },
       "vertex range outside the vertex buffer in slot 0"},
      {"wrong barrier", [](Rig& r, PipelineState*) {
         r.begin(false);
         const ResourceBarrier b = ResourceBarrier::makeTransition(r.target.get(), D3D12_RESOURCE_STATE_PRESENT,
                                                                   D3D12_RESOURCE_STATE_RENDER_TARGET);
         r.list->resourceBarrier(1, &b);
       },
       "barrier on \"target\" from state 0x0 but it is in 0x4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    trace->clear();
    c.record(rig, colour.get());
    rig.execute();
    ASSERT_EQ(trace->errors.size(), 1u);
    EXPECT_EQ(trace->errors[0], c.error);
    if (std::string(c.name) != "wrong barrier") {
      EXPECT_FALSE(trace->draws.empty());
    }
  }
}

TEST_F(TraceDrawing, EachListStartsFromNothingAndANewRootSignatureDropsBindings) {
  rig.begin(false);
  rig.list->setPipelineState(colour.get());
  rig.execute();
  // A second list inherits neither the pipeline nor the viewport.
  ASSERT_EQ(rig.list->reset(rig.allocator.get(), nullptr), S_OK);
  rig.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.execute();
  ASSERT_EQ(trace->errors.size(), 1u);
  EXPECT_EQ(trace->errors[0], "draw without a pipeline state");

  trace->clear();
  Ref<RootSignature> other = frameworkRootSignature(rig.device.get(), D3D12_FILTER_MIN_MAG_MIP_POINT);
  rig.begin(false);
  // The same signature keeps the bindings, and a twin made from the same
  // description may stand in for the pipeline's.
  Ref<RootSignature> twin = frameworkRootSignature(rig.device.get());
  rig.list->setGraphicsRootSignature(twin.get());
  rig.list->setGraphicsRootConstantBufferView(0, rig.constants(identity()));
  rig.list->setGraphicsRootSignature(twin.get());
  rig.list->setPipelineState(colour.get());
  rig.drawVertices(quad(0, 0, 1, 1, 0, 1, 1, 1), D3D_PRIMITIVE_TOPOLOGY_TRIANGLESTRIP);
  rig.list->setGraphicsRootSignature(other.get());
  rig.list->drawInstanced(4, 1, 0, 0);
  rig.execute();
  ASSERT_EQ(trace->draws.size(), 2u);
  EXPECT_FALSE(trace->draws[0].constants[0].empty());
  EXPECT_TRUE(trace->draws[1].constants[0].empty());
  EXPECT_EQ(trace->errors, std::vector<std::string>{"pipeline state made for another root signature"});
}

TEST_F(TraceDrawing, ClosedListsTakeNoCommandsAndRecordingListsAreNotExecuted) {
  rig.begin(false);
  GraphicsCommandList* lists[] = {rig.list.get()};
  rig.queue->executeCommandLists(1, lists);
  EXPECT_TRUE(trace->entries.empty());
  EXPECT_EQ(trace->errors, std::vector<std::string>{"executed a list that is still recording"});
  ASSERT_EQ(rig.list->close(), S_OK);
  EXPECT_EQ(rig.list->close(), E_FAIL);
  const std::size_t recorded = rig.list->commands().size();
  rig.list->omSetStencilRef(3);
  EXPECT_EQ(rig.list->commands().size(), recorded);
  EXPECT_EQ(rig.list->reset(rig.allocator.get(), nullptr), S_OK);
  EXPECT_EQ(rig.list->reset(rig.allocator.get(), nullptr), E_FAIL);
  EXPECT_EQ(rig.allocator->reset(), E_FAIL) << "a list is still recording with it";
  ASSERT_EQ(rig.list->close(), S_OK);
  EXPECT_EQ(rig.allocator->reset(), S_OK);
}

TEST_F(TraceDrawing, PresentsAreRecordedBetweenTheListsOfAFrame) {
  host::ui::Window* window = nullptr;  // the trace presents nothing, but a swap chain needs a window
  window = host::ui::createWindow("GpuTrace", "trace", host::ui::WS_CAPTION, 32, 32,
                                  [](host::ui::Window*, unsigned, host::ui::WParam, host::ui::LParam) {
                                    return host::ui::LResult{0};
                                  });
  Ref<Factory> factory;
  ASSERT_EQ(createFactory(0, &factory), S_OK);
  Ref<SwapChain> chain;
  ASSERT_EQ(factory->createSwapChainForWindow(rig.queue.get(), window, SwapChainDesc1{}, &chain), S_OK);
  for (int frame = 0; frame < 3; ++frame) {
    rig.begin(false);
    rig.clear(0, 0, 0, 1);
    rig.execute();
    ASSERT_EQ(chain->present(1, 0), S_OK);
  }
  std::vector<std::uint32_t> presented;
  for (const TraceEntry& e : trace->entries)
    if (e.kind == TraceEntry::Present) presented.push_back(e.presentedBuffer);
  EXPECT_EQ(presented, (std::vector<std::uint32_t>{0, 1, 0}));
  EXPECT_EQ(trace->presents, 3u);
  EXPECT_EQ(latestTrace(), trace);
  host::ui::destroyWindow(window);
}

}  // namespace
