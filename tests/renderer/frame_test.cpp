// The frame: its recording order (background, the cameras 0 to 14 that exist,
// overlay), one execute, present and GPU wait; failures while drawing; delayed
// releases; device-lost recovery through injected present results.
#include <gtest/gtest.h>

#include "kernel/rk_device_lost_recover_event.h"
#include "policy/rk_counter_release.h"
#include "renderer_rig.h"

namespace rendertest {
namespace {

using host::gpu::GpuCall;
namespace cmd = host::gpu::cmd;

using Frame = RendererRig;

TEST_F(Frame, RecordsBackgroundTheCamerasThatExistAndTheOverlayThenPresentsOnce) {
  buildScene();
  rk::gfx::CameraManager* cameras = rk::gfx::CameraManager::getInstance();
  for (int number : {14, 3, 0, 15}) cameras->createCamera(number);  // 15 is never drawn
  context->setClearColor(rk::gfx::Color(1.0f, 0.5f, 0.25f, 1.0f));
  const unsigned frame = context->currentFrame();

  context->drawFrame();
  EXPECT_EQ(executedLists(), (std::vector<std::string>{"command_list_bg_clear_", "command_list_[0]",
                                                       "command_list_[3]", "command_list_[14]", "command_list_top_"}));
  ASSERT_FALSE(trace()->entries.empty());
  EXPECT_EQ(trace()->entries.back().kind, gpu::TraceEntry::Present);  // after every list's commands
  EXPECT_EQ(trace()->presents, 1u);
  EXPECT_TRUE(trace()->errors.empty());
  EXPECT_NE(context->currentFrame(), frame);  // the wait read the next back buffer

  // Background: the back buffer in the clear colour, depth 1, stencil 0, reference 1.
  const std::vector<gpu::Command> bg = commandsOf("command_list_bg_clear_");
  std::vector<gpu::CommandKind> kinds;
  for (const gpu::Command& c : bg) kinds.push_back(gpu::kindOf(c));
  auto at = std::find(kinds.begin(), kinds.end(), gpu::CommandKind::ClearRenderTarget);
  ASSERT_NE(at, kinds.end());
  const auto* clear = as<cmd::ClearRenderTarget>(bg[at - kinds.begin()]);
  EXPECT_FLOAT_EQ(clear->color[1], 0.5f);
  const auto* depth = as<cmd::ClearDepthStencil>(bg[at - kinds.begin() + 1]);
  const auto* stencil = as<cmd::ClearDepthStencil>(bg[at - kinds.begin() + 2]);
  const auto* ref = as<cmd::SetStencilRef>(bg[at - kinds.begin() + 3]);
  ASSERT_TRUE(depth && stencil && ref);
  EXPECT_EQ(depth->flags, gpu::D3D12_CLEAR_FLAG_DEPTH);
  EXPECT_FLOAT_EQ(depth->depth, 1.0f);
  EXPECT_EQ(stencil->flags, gpu::D3D12_CLEAR_FLAG_STENCIL);
  EXPECT_EQ(stencil->stencil, 0);
  EXPECT_EQ(ref->ref, 1u);

  // Each list: root signature, viewport, back buffer to render target, its base
  // pipeline, and back to present at the end. Cameras clear the stencil twice.
  struct Stream {
    const char* list;
    const char* pipeline;
    int stencilClears;
    bool passConstants;  // light, material, ambient and fog at roots 3, 2, 4, 5; else the default ambient
  };
  for (const Stream& s : {Stream{"command_list_bg_clear_", "PIPELINE_DEFAULT2D_TRIANGLE", 1, false},
                          Stream{"command_list_[3]", "PIPELINE_MODEL_DRAW", 2, true},
                          Stream{"command_list_top_", "PIPELINE_TRIANGLE_COLOR_UV", 0, false}}) {
    SCOPED_TRACE(s.list);
    const std::vector<gpu::Command> list = commandsOf(s.list);
    ASSERT_GE(list.size(), 4u);
    EXPECT_NE(as<cmd::SetRootSignature>(list[0]), nullptr);
    const auto* first = as<cmd::ResourceBarriers>(list[3]);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->barriers[0].after, gpu::D3D12_RESOURCE_STATE_RENDER_TARGET);
    const auto* last = as<cmd::ResourceBarriers>(list.back());
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->barriers[0].after, gpu::D3D12_RESOURCE_STATE_PRESENT);
    int stencilClears = 0;
    std::vector<std::uint32_t> roots;
    std::string pipeline;
    for (const gpu::Command& c : list) {
      if (const auto* p = as<cmd::SetPipelineState>(c)) pipeline = p->pipeline->name();
      if (const auto* d = as<cmd::ClearDepthStencil>(c)) stencilClears += d->flags == gpu::D3D12_CLEAR_FLAG_STENCIL;
      if (const auto* r = as<cmd::SetRootConstantBufferView>(c)) roots.push_back(r->rootIndex);
    }
    EXPECT_EQ(pipeline, s.pipeline);
    EXPECT_EQ(stencilClears, s.stencilClears);
    const std::vector<std::uint32_t> expected =
        s.passConstants ? std::vector<std::uint32_t>{3, 2, 4, 5, 0, 1} : std::vector<std::uint32_t>{4, 0, 1};
    EXPECT_EQ(roots, expected);
  }
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(Frame, MissingManagersOrDeviceLeaveTheirPartsOut) {
  // No device: nothing happens at all.
  context->drawFrame();
  EXPECT_TRUE(log.empty()) << log.text();

  // No display-list manager: no overlay list.
  rk::gfx::LightManager::createInstance();
  rk::gfx::CameraManager::createInstance();
  buildDevice();
  context->drawFrame();
  EXPECT_EQ(executedLists(), std::vector<std::string>{"command_list_bg_clear_"});
  EXPECT_EQ(trace()->presents, 1u);

  // No light manager: the allocators are reset, nothing is recorded or presented.
  trace()->clear();
  rk::gfx::LightManager::destroyInstance();
  context->drawFrame();
  EXPECT_TRUE(trace()->entries.empty());
  EXPECT_EQ(trace()->presents, 0u);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(Frame, FailuresWhileDrawingThrowNamingTheirExpression) {
  struct Case {
    GpuCall call;
    unsigned skip;
    const char* name;
  };
  const Case cases[] = {
      {GpuCall::ResetCommandAllocator, 0, "command_allocator_bg_clear_[current_frame_]->Reset()"},
      {GpuCall::ResetCommandAllocator, 1, "command_allocator_top_[current_frame_]->Reset()"},
      {GpuCall::ResetCommandAllocator, 5, "command_allocator_[current_frame_][i]->Reset()"},
      {GpuCall::ResetCommandList, 0, "now_command_list_->Reset()"},
      {GpuCall::CloseCommandList, 0, "now_command_list_->Close()"},
      {GpuCall::Signal, 0, "command_queue_->Signal()"},
  };
  buildScene();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gpu::injectCallFailure(c.call, host::E_FAIL, c.skip);
    try {
      context->drawFrame();
      ADD_FAILURE() << "drew without failing";
    } catch (const HrException& e) {
      EXPECT_EQ(nameOf(e), c.name);
    }
    gpu::clearInjectedCallFailures();
    // A fresh device for the next case: the failed frame left a list open.
    context->shutdownFence();
    context->releaseDevice(false);
    context->initDevice();
  }

  // A present that fails for another reason than a lost device throws too.
  gpu::injectPresentResult(host::E_INVALIDARG);
  try {
    context->drawFrame();
    FAIL() << "presented without failing";
  } catch (const HrException& e) {
    EXPECT_EQ(e.code(), host::E_INVALIDARG);
    EXPECT_EQ(nameOf(e), "swap_chain_->Present(interval, 0)");
  }
}

TEST_F(Frame, TheGpuWaitUsesTheFenceEventWhenTheWorkIsStillPending) {
  buildScene();
  context->commandQueue()->holdCompletion(true);
  context->drawFrame();  // the present waits on the event until the work is done
  context->drawFrame();
  EXPECT_EQ(trace()->presents, 2u);

  gpu::injectCallFailure(GpuCall::SetEventOnCompletion, host::E_FAIL);
  try {
    context->drawFrame();
    FAIL() << "waited without failing";
  } catch (const HrException& e) {
    EXPECT_EQ(nameOf(e), "fence_->SetEventOnCompletion()");
  }
}

// Records its release and what the device context looked like then.
class Probe : public rk::policy::CounterRelease {
 public:
  Probe(int count, std::vector<std::string>* released, std::string name)
      : CounterRelease(count), released_(released), name_(std::move(name)) {}
  void release() override {
    released_->push_back(name_);
    frameAtRelease = rk::DeviceContext::getInstance()->currentFrame();
  }
  static inline unsigned frameAtRelease = 99;

 private:
  std::vector<std::string>* released_;
  std::string name_;
};

TEST_F(Frame, DelayedReleasesGoAfterThePresentsGpuWaitWhateverTheirCount) {
  buildScene();
  std::vector<std::string> released;
  const unsigned frame = context->currentFrame();
  context->addDeferredRelease(new Probe(1, &released, "once"));
  context->addDeferredRelease(new Probe(3, &released, "thrice"));
  context->addDeferredRelease(new Probe(1, &released, "later"));
  EXPECT_EQ(context->deferredReleaseCount(), 3u);

  context->drawFrame();
  // One drain releases everything: the count-3 holder in its third pass.
  EXPECT_EQ(released, (std::vector<std::string>{"once", "later", "thrice"}));
  EXPECT_NE(Probe::frameAtRelease, frame);  // after the wait read the next back buffer
  EXPECT_EQ(context->deferredReleaseCount(), 0u);

  // Queued and never drawn: the device's release drains them.
  context->addDeferredRelease(new Probe(2, &released, "at release"));
  context->shutdownFence();
  context->releaseDevice(false);
  EXPECT_EQ(released.back(), "at release");
}

class Listener : public rk::IDeviceLostRecoverEvent {
 public:
  explicit Listener(std::vector<std::string>* calls) : calls_(calls) {}
  void onLost() override {
    calls_->push_back("lost");
    deviceAtLost = rk::DeviceContext::getInstance()->getDevice();
  }
  void onRecover() override {
    calls_->push_back("recover");
    deviceAtRecover = rk::DeviceContext::getInstance()->getDevice();
  }
  gpu::Device* deviceAtLost = nullptr;
  gpu::Device* deviceAtRecover = nullptr;

 private:
  std::vector<std::string>* calls_;
};

TEST_F(Frame, AResetDeviceIsReportedAndRebuiltWithTheListenersToldOnce) {
  buildScene();
  rk::gfx::CameraManager::getInstance()->createCamera(2);
  std::vector<std::string> calls;
  Listener listener(&calls);
  context->addDeviceLostListener(&listener);
  context->addDeviceLostListener(&listener);  // listed once
  gpu::Device* before = context->getDevice();

  gpu::injectPresentResult(host::DXGI_ERROR_DEVICE_RESET);
  context->drawFrame();
  EXPECT_EQ(calls, (std::vector<std::string>{"lost", "recover"}));
  EXPECT_EQ(listener.deviceAtLost, before);
  EXPECT_NE(listener.deviceAtRecover, nullptr);
  EXPECT_EQ(listener.deviceAtRecover, context->getDevice());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "確認");
  EXPECT_EQ(boxes[0].type, host::ui::MB_ICONINFORMATION);
  const std::string resetText =
      "DXGI_ERROR_DEVICE_RESET(不適切な形式のコマンドが原因でデバイスが失敗しました。 これは実行時の問題です。"
      "アプリケーションは、デバイスを破棄して再作成する必要があります。)\n";
  EXPECT_EQ(boxes[0].text, "エラーコード = 0x887a0007" + resetText + "デバイスの再構築を試みます。");

  // The new device draws the next frame as the old one did.
  context->drawFrame();
  EXPECT_EQ(executedLists(), (std::vector<std::string>{"command_list_bg_clear_", "command_list_[2]",
                                                       "command_list_top_"}));
  EXPECT_TRUE(trace()->errors.empty());
  context->removeDeviceLostListener(&listener);
  EXPECT_TRUE(log.empty()) << log.text();
}

TEST_F(Frame, ARemovedDeviceRebuildsOnlyWhenItsReasonIsAReset) {
  struct Case {
    host::HResult reason;
    std::vector<std::string> captions;
    bool rebuilt;
    const char* reasonText;
  };
  const Case cases[] = {
      {host::DXGI_ERROR_DEVICE_HUNG, {"エラー"}, false,
       "DXGI_ERROR_DEVICE_HUNG(アプリケーションによって送信されたコマンドの形式が正しくないため、"
       "アプリケーションのデバイスが失敗しました。 これは、調査して修正する必要があるデザイン時の問題です。)\n"},
      {host::DXGI_ERROR_DEVICE_RESET, {"確認", "確認"}, true, "DXGI_ERROR_DEVICE_RESET("},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.captions.size());
    buildScene();
    std::vector<std::string> calls;
    Listener listener(&calls);
    context->addDeviceLostListener(&listener);
    boxes.clear();

    gpu::injectPresentResult(host::DXGI_ERROR_DEVICE_REMOVED, c.reason);
    bool threw = false;
    try {
      context->drawFrame();
    } catch (const HrException& e) {
      threw = true;
      EXPECT_EQ(e.code(), c.reason);
      EXPECT_EQ(nameOf(e), "swap_chain_->Present(interval, 0)");
    }
    EXPECT_EQ(threw, !c.rebuilt);
    EXPECT_EQ(calls.size(), c.rebuilt ? 2u : 0u);
    std::vector<std::string> captions;
    for (const Box& b : boxes) captions.push_back(b.caption);
    EXPECT_EQ(captions, c.captions);
    ASSERT_FALSE(boxes.empty());
    const std::string head = "エラーコード = 0x887a0005(DXGI_ERROR_DEVICE_REMOVED)\n原因：";
    EXPECT_EQ(boxes[0].text.substr(0, head.size()), head);
    EXPECT_NE(boxes[0].text.find(c.reasonText), std::string::npos);

    context->removeDeviceLostListener(&listener);
    context->shutdownFence();
    context->releaseDevice(false);
    rk::gfx::LightManager::destroyInstance();
    rk::gfx::CameraManager::destroyInstance();
    rk::gfx::GfxListManager::destroyInstance();
  }
}

TEST_F(Frame, TheBatchHoldsFortyEightListsAndAnEmptyBatchExecutesNothing) {
  buildScene();
  context->closeDraw();
  EXPECT_EQ(log.entries("rk::DeviceContext::closeDraw"), 1u);
  EXPECT_TRUE(trace()->entries.empty());

  for (int i = 0; i < 49; ++i) {
    context->beginCommandList(nullptr, false, false);
    context->closeNowCommandList();
  }
  EXPECT_EQ(log.entries("rk::policy::MaxFixVector<struct ID3D12CommandList *,48>::push_back"), 1u);
  // Closing again without a list recording is reported and records nothing.
  context->closeNowCommandList();
  EXPECT_EQ(log.entries("rk::DeviceContext::getNowCommandList"), 1u);
  context->closeDraw();
  int executed = 0;
  for (const gpu::TraceEntry& e : trace()->entries) executed += as<cmd::SetRootSignature>(e.command) != nullptr;
  EXPECT_EQ(executed, 48);
}

}  // namespace
}  // namespace rendertest
