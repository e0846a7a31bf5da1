// Fences, events and the swap chain's present: completion on the queue, values
// held back until waited for, CPU signals, injected present results and the
// device-removed state they leave, buffer rotation and resizing.
#include <gtest/gtest.h>

#include "gpu_rig.h"
#include "host/ui.h"

namespace {

using namespace gpurig;
using host::DXGI_ERROR_DEVICE_HUNG;
using host::DXGI_ERROR_DEVICE_REMOVED;
using host::DXGI_ERROR_DEVICE_RESET;
using host::DXGI_ERROR_INVALID_CALL;

class Fences : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.make(Driver::Trace)); }
  void TearDown() override { resetAdapterList(); }
  Rig rig;
};

TEST_F(Fences, AQueueSignalCompletesOnceTheWorkBeforeItIsDone) {
  Ref<Event> event = Event::create(false, false);
  EXPECT_EQ(rig.fence->getCompletedValue(), 0u);
  EXPECT_EQ(rig.fence->setEventOnCompletion(1, event.get()), S_OK);
  EXPECT_EQ(event->wait(0), WAIT_TIMEOUT);
  rig.queue->signal(rig.fence.get(), 1);
  EXPECT_EQ(rig.fence->getCompletedValue(), 1u);
  EXPECT_EQ(event->wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(event->wait(0), WAIT_TIMEOUT) << "an auto-reset event is consumed by one wait";
  // Asking for a value already reached sets the event at once.
  EXPECT_EQ(rig.fence->setEventOnCompletion(1, event.get()), S_OK);
  EXPECT_EQ(event->wait(0), WAIT_OBJECT_0);
}

TEST_F(Fences, HeldCompletionWaitsForSomeoneToWait) {
  rig.queue->holdCompletion(true);
  rig.queue->signal(rig.fence.get(), 1);
  rig.queue->signal(rig.fence.get(), 2);
  EXPECT_EQ(rig.fence->getCompletedValue(), 0u);
  Ref<Event> event = Event::create(false, false);
  ASSERT_EQ(rig.fence->setEventOnCompletion(2, event.get()), S_OK);
  EXPECT_EQ(event->wait(0), WAIT_TIMEOUT) << "a poll does not finish held work";
  EXPECT_EQ(event->wait(INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(rig.fence->getCompletedValue(), 2u);
  // A null event blocks until the value is reached.
  rig.queue->signal(rig.fence.get(), 3);
  EXPECT_EQ(rig.fence->setEventOnCompletion(3, nullptr), S_OK);
  EXPECT_EQ(rig.fence->getCompletedValue(), 3u);
}

TEST_F(Fences, CpuSignalsSetOnlyTheEventsTheyReach) {
  Ref<Event> early = Event::create(true, false), late = Event::create(true, false);
  rig.fence->setEventOnCompletion(2, early.get());
  rig.fence->setEventOnCompletion(5, late.get());
  EXPECT_EQ(rig.fence->signal(3), S_OK);
  EXPECT_EQ(early->wait(0), WAIT_OBJECT_0);
  EXPECT_EQ(early->wait(0), WAIT_OBJECT_0) << "a manual-reset event stays set";
  EXPECT_EQ(late->wait(0), WAIT_TIMEOUT);
  rig.fence->signal(5);
  EXPECT_EQ(late->wait(10), WAIT_OBJECT_0);
  early->reset();
  EXPECT_EQ(early->wait(0), WAIT_TIMEOUT);
}

class Presents : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig.make(Driver::Trace));
    window = host::ui::createWindow("GpuPresent", "present", host::ui::WS_CAPTION, 80, 60,
                                    [](host::ui::Window*, unsigned, host::ui::WParam, host::ui::LParam) {
                                      return host::ui::LResult{0};
                                    });
    ASSERT_EQ(createFactory(0, &factory), S_OK);
  }
  void TearDown() override {
    clearInjectedPresentResults();
    resetAdapterList();
    host::ui::destroyWindow(window);
  }
  Ref<SwapChain> makeChain(SwapChainDesc1 desc = {}) {
    Ref<SwapChain> chain;
    EXPECT_EQ(factory->createSwapChainForWindow(rig.queue.get(), window, desc, &chain), S_OK);
    return chain;
  }

  Rig rig;
  host::ui::Window* window = nullptr;
  Ref<Factory> factory;
};

TEST_F(Presents, InjectedResultsComeBackInOrderAndRemovalSticks) {
  struct Case {
    HResult injected, reason;
    HResult returned, removedReasonAfter;
    std::uint32_t indexAfter;
  };
  const Case cases[] = {
      {S_OK, S_OK, S_OK, S_OK, 1},
      {DXGI_ERROR_DEVICE_RESET, DXGI_ERROR_DEVICE_RESET, DXGI_ERROR_DEVICE_RESET, DXGI_ERROR_DEVICE_RESET, 0},
      {DXGI_ERROR_DEVICE_REMOVED, DXGI_ERROR_DEVICE_HUNG, DXGI_ERROR_DEVICE_REMOVED, DXGI_ERROR_DEVICE_HUNG, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.injected);
    ASSERT_TRUE(rig.make(Driver::Trace));
    Ref<SwapChain> chain = makeChain();
    injectPresentResult(c.injected, c.reason);
    EXPECT_EQ(chain->present(1, 0), c.returned);
    EXPECT_EQ(rig.device->getDeviceRemovedReason(), c.removedReasonAfter);
    EXPECT_EQ(chain->getCurrentBackBufferIndex(), c.indexAfter);
    // Nothing injected any more: a removed device keeps failing, a live one presents.
    EXPECT_EQ(chain->present(1, 0), failed(c.returned) ? DXGI_ERROR_DEVICE_REMOVED : S_OK);
  }
}

TEST_F(Presents, BuffersRotateAndStayPutWhileSomeoneHoldsOne) {
  SwapChainDesc1 desc;
  desc.bufferCount = 3;
  Ref<SwapChain> chain = makeChain(desc);
  SwapChainDesc1 got;
  ASSERT_EQ(chain->getDesc1(&got), S_OK);
  EXPECT_EQ(got.width, 80u) << "size 0 takes the window's client size";
  EXPECT_EQ(got.height, 60u);
  std::vector<std::uint32_t> indices;
  for (int i = 0; i < 4; ++i) {
    indices.push_back(chain->getCurrentBackBufferIndex());
    ASSERT_EQ(chain->present(0, 0), S_OK);
  }
  EXPECT_EQ(indices, (std::vector<std::uint32_t>{0, 1, 2, 0}));
  EXPECT_EQ(chain->present(5, 0), DXGI_ERROR_INVALID_CALL);
  Ref<Resource> held;
  EXPECT_EQ(chain->getBuffer(3, &held), DXGI_ERROR_INVALID_CALL);
  ASSERT_EQ(chain->getBuffer(2, &held), S_OK);
  EXPECT_EQ(chain->resizeBuffers(0, 100, 50, DXGI_FORMAT_UNKNOWN, 0), DXGI_ERROR_INVALID_CALL);
  held.reset();
  ASSERT_EQ(chain->resizeBuffers(0, 100, 50, DXGI_FORMAT_UNKNOWN, 0), S_OK);
  ASSERT_EQ(chain->getBuffer(2, &held), S_OK);
  EXPECT_EQ(held->getDesc().width, 100u);
  EXPECT_EQ(held->getDesc().format, DXGI_FORMAT_R8G8B8A8_UNORM);
  EXPECT_EQ(chain->getCurrentBackBufferIndex(), 0u);
}

TEST_F(Presents, SwapChainsRefuseWhatDxgiRefuses) {
  struct Case {
    const char* name;
    std::uint32_t count;
    Format format;
    bool withWindow;
  };
  const Case cases[] = {
      {"one buffer", 1, DXGI_FORMAT_R8G8B8A8_UNORM, true},
      {"seventeen buffers", 17, DXGI_FORMAT_R8G8B8A8_UNORM, true},
      {"depth format", 2, DXGI_FORMAT_D24_UNORM_S8_UINT, true},
      {"no window", 2, DXGI_FORMAT_R8G8B8A8_UNORM, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SwapChainDesc1 desc;
    desc.bufferCount = c.count;
    desc.format = c.format;
    Ref<SwapChain> chain;
    EXPECT_EQ(factory->createSwapChainForWindow(rig.queue.get(), c.withWindow ? window : nullptr, desc, &chain),
              DXGI_ERROR_INVALID_CALL);
    EXPECT_FALSE(chain);
  }
}

}  // namespace
