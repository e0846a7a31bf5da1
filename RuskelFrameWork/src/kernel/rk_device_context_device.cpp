// The device context's device: building every device object on the game
// window, releasing them again, and waiting for the GPU.
#include <chrono>
#include <string>
#include <thread>

#include <boost/make_shared.hpp>

#include "font/rk_font.h"
#include "fs/rk_file_manager.h"
#include "platform/driver/directx_driver/rk_directx12_model_draw_context.h"
#include "rk_device_context_internal.h"
#include "policy/rk_counter_release.h"
#include "res/rk_resource.h"

namespace rk {

namespace gpu = host::gpu;
using device_context_detail::check;

namespace {

constexpr gpu::FeatureLevel kFeatureLevels[] = {gpu::D3D_FEATURE_LEVEL_12_1, gpu::D3D_FEATURE_LEVEL_12_0,
                                                gpu::D3D_FEATURE_LEVEL_11_1, gpu::D3D_FEATURE_LEVEL_11_0};

// "command_allocator_07" for camera 7.
std::wstring cameraAllocatorName(int camera) {
  std::wstring name = L"command_allocator_";
  name += static_cast<wchar_t>(L'0' + camera / 10);
  name += static_cast<wchar_t>(L'0' + camera % 10);
  return name;
}

}  // namespace

void DeviceContext::initDevice() {
  screen_effect_mode_ = 0;
  createDevice();
  check(device_->createCommandQueue(gpu::CommandQueueDesc{}, &command_queue_), 2215, L"device_->CreateCommandQueue()");

  gpu::SwapChainDesc1 chain;
  chain.width = screen_width_;
  chain.height = screen_height_;
  chain.format = gpu::DXGI_FORMAT_R8G8B8A8_UNORM;
  chain.bufferCount = kFrameCount;
  chain.scaling = gpu::DXGI_SCALING_STRETCH;
  chain.swapEffect = gpu::DXGI_SWAP_EFFECT_FLIP_DISCARD;
  check(dxgi_factory_->createSwapChainForWindow(command_queue_.get(), window_, chain, &swap_chain_), 2240,
        L"dxgi_factory_->CreateSwapChainForHwnd()");
  current_frame_ = swap_chain_->getCurrentBackBufferIndex();

  createCommandObjects();
  createRenderTargets();
  createFence();
  createRootSignature();
  command_lists_.clear();
  loadShaderPack();
  for (int kind = 0; kind < PIPELINE_KIND_COUNT; ++kind) createPipelineState(kind, pipelineKindName(kind));

  depth_stencil_.setSize(screen_width_, screen_height_);
  depth_stencil_.build(device_.get());
  check(desc_heap_.init(device_.get(), gpu::D3D12_DESCRIPTOR_HEAP_TYPE_CBV_SRV_UAV, true, kDescriptorCount), 2352,
        L"desc_heap_.init()");

  // The default ambient colour of each frame: white.
  for (unsigned frame = 0; frame < kFrameCount; ++frame)
    if (!default_ambient_slot_[frame]) default_ambient_slot_[frame] = createDefaultAmbientSlot();
  for (auto*& drawContext : model_draw_context_)
    if (!drawContext) drawContext = new driver::directx::directx12::Directx12ModelDrawContext;
  createFonts();
}

ConstantSlot* DeviceContext::createDefaultAmbientSlot() {
  using driver::directx::directx12::DX12Ambient;
  auto* slot = new ConstantSlot(DX12Ambient::kSlotSize, DX12Ambient::kRootIndex);
  try {
    slot->create(*device_, desc_heap_, DX12Ambient::kTypeName);
  } catch (...) {
    slot->release(desc_heap_);
    delete slot;
    throw;
  }
  auto* ambient = slot->as<DX12Ambient>();
  for (float& channel : ambient->color) channel = 1.0f;
  ambient->use_color = 0;
  return slot;
}

void DeviceContext::createDevice() {
  factory_flags_ = 0;
  dxgi_factory_.reset();
  check(gpu::createFactory(factory_flags_, &dxgi_factory_), 2120, L"CreateDXGIFactory2()");

  // Nothing waits on the adapters-changed event; it is registered as the
  // platform expects and revoked before it is closed.
  adapters_changed_event_ = gpu::Event::create(false, false);
  check(dxgi_factory_->registerAdaptersChangedEvent(adapters_changed_event_.get(), &adapters_changed_cookie_), 2135,
        L"spDxgiFactory7->RegisterAdaptersChangedEvent()");

  // Every adapter in order of preference, with whether it can make a device at 11.0.
  // A rebuild starts the list afresh.
  adapters_.clear();
  for (std::uint32_t i = 0;; ++i) {
    gpu::Ref<gpu::Adapter> adapter;
    if (dxgi_factory_->enumAdapterByGpuPreference(i, gpu_preference_, &adapter) == host::DXGI_ERROR_NOT_FOUND) break;
    DxgiAdapterInfo info;
    check(adapter->getDesc1(&info.desc), 2150, L"adapter->GetDesc1()");
    info.supported = host::succeeded(gpu::createDevice(adapter.get(), gpu::D3D_FEATURE_LEVEL_11_0, nullptr));
    adapters_.push_back(info);
  }

  // The first adapter that can make a device; none: the default adapter.
  gpu::Ref<gpu::Adapter> chosen;
  if (!adapters_.empty()) {
    for (std::uint32_t i = 0;; ++i) {
      gpu::Ref<gpu::Adapter> adapter;
      if (dxgi_factory_->enumAdapterByGpuPreference(i, gpu_preference_, &adapter) == host::DXGI_ERROR_NOT_FOUND) {
        adapter_index_ = i;
        break;
      }
      gpu::AdapterDesc1 desc;
      check(adapter->getDesc1(&desc), 2168, L"adapter->GetDesc1()");
      if (host::succeeded(gpu::createDevice(adapter.get(), gpu::D3D_FEATURE_LEVEL_11_0, nullptr))) {
        chosen = adapter;
        adapter_index_ = i;
        break;
      }
    }
  }

  host::HResult hr = host::E_FAIL;
  for (gpu::FeatureLevel level : kFeatureLevels) {
    hr = gpu::createDevice(chosen.get(), level, &device_);
    if (host::succeeded(hr)) break;
  }
  check(hr, 2190, L"D3D12CreateDevice()");
  adapter_luid_ = adapters_[adapter_index_].desc.adapterLuid;

  dxgi_factory_->unregisterAdaptersChangedEvent(adapters_changed_cookie_);
  adapters_changed_event_.reset();
}

void DeviceContext::createCommandObjects() {
  for (unsigned frame = 0; frame < kFrameCount; ++frame) {
    check(device_->createCommandAllocator(gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, &command_allocator_bg_clear_[frame]),
          2262, L"device_->CreateCommandAllocator");
    check(device_->createCommandAllocator(gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, &command_allocator_top_[frame]), 2266,
          L"device_->CreateCommandAllocator()");
    for (int camera = 0; camera < kCameraCount; ++camera)
      check(device_->createCommandAllocator(gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, &command_allocator_[frame][camera]),
            2271, cameraAllocatorName(camera).c_str());
  }

  // Lists start recording when made; they are closed at once and reset per frame.
  check(device_->createCommandList(0, gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, command_allocator_bg_clear_[0].get(),
                                   nullptr, &command_list_bg_clear_),
        2280, L"device_->CreateCommandList()");
  command_list_bg_clear_->setName("command_list_bg_clear_");
  check(command_list_bg_clear_->close(), 2283, L"command_list_bg_clear_->Close()");
  check(device_->createCommandList(0, gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, command_allocator_top_[0].get(), nullptr,
                                   &command_list_top_),
        2287, L"device_->CreateCommandList()");
  command_list_top_->setName("command_list_top_");
  check(command_list_top_->close(), 2290, L"command_list_top_->Close()");
  for (int camera = 0; camera < kCameraCount; ++camera) {
    check(device_->createCommandList(0, gpu::D3D12_COMMAND_LIST_TYPE_DIRECT, command_allocator_[0][camera].get(),
                                     nullptr, &command_list_[camera]),
          2295, L"device_->CreateCommandList()");
    command_list_[camera]->setName("command_list_[" + std::to_string(camera) + "]");
    check(command_list_[camera]->close(), 2298, L"command_list_[cam]->Close()");
  }
}

void DeviceContext::createRenderTargets() {
  const gpu::DescriptorHeapDesc desc{gpu::D3D12_DESCRIPTOR_HEAP_TYPE_RTV, kFrameCount,
                                     gpu::D3D12_DESCRIPTOR_HEAP_FLAG_NONE, 0};
  check(device_->createDescriptorHeap(desc, &heap_rtv_), 2306, L"heap_rtv_");
  heap_rtv_->setName("heap_rtv_");
  const std::uint32_t increment = device_->getDescriptorHandleIncrementSize(gpu::D3D12_DESCRIPTOR_HEAP_TYPE_RTV);
  for (unsigned i = 0; i < kFrameCount; ++i) {
    color_buffer_[i].reset();
    check(swap_chain_->getBuffer(i, &color_buffer_[i]), 2312, L"swap_chain_->GetBuffer");
    color_buffer_[i]->setName("color_buffer_[" + std::to_string(i) + "]");
    gpu::RenderTargetViewDesc view;
    view.format = gpu::DXGI_FORMAT_R8G8B8A8_UNORM;
    rtv_handle_[i] = heap_rtv_->getCPUDescriptorHandleForHeapStart().offset(static_cast<int>(i), increment);
    device_->createRenderTargetView(color_buffer_[i].get(), &view, rtv_handle_[i]);
  }
}

void DeviceContext::createFence() {
  check(device_->createFence(0, gpu::D3D12_FENCE_FLAG_NONE, &fence_), 2325, L"Fence");
  fence_->setName("Fence");
  fence_value_ = 1;
  fence_event_ = gpu::Event::create(false, false);
}

void DeviceContext::loadShaderPack() {
  shader_pack_ = std::make_unique<res::RomPack>();
  shader_pack_->load("shaders.pkp");
  fs::FileManager* files = fs::FileManager::getInstance();
  while (!shader_pack_->isReady()) {
    files->notify();
    std::this_thread::sleep_for(std::chrono::microseconds(10));
  }
  shader_pack_->setup(false);
}

// A rebuild after a lost device keeps the fonts it already has.
void DeviceContext::createFonts() {
  for (int index : {2, 0, 1})
    if (!fonts_[index]) fonts_[index] = boost::make_shared<font::RKFont>();
}

void DeviceContext::releaseDevice(bool recovering) {
  // The draw contexts' constant pairs hold slots of the heap released below.
  for (auto*& drawContext : model_draw_context_) {
    delete drawContext;
    drawContext = nullptr;
  }
  for (unsigned frame = 0; frame < kFrameCount; ++frame) {
    // The light slot belongs to the light pool cleared below; the default
    // ambient slot is the device context's own. A rebuild makes both afresh.
    if (default_ambient_slot_[frame]) {
      default_ambient_slot_[frame]->release(desc_heap_);
      delete default_ambient_slot_[frame];
    }
    if (light_slot_[frame]) light_slot_[frame]->release(desc_heap_);
    default_ambient_slot_[frame] = nullptr;
    light_slot_[frame] = nullptr;
    for (auto& pools : constant_pools_) pools[frame].clear(desc_heap_);
  }
  pass_light_slot_ = pass_material_slot_ = pass_ambient_slot_ = pass_fog_slot_ = nullptr;
  drainDeferredRelease();
  shader_pack_.reset();
  if (!recovering) {
    for (auto& font : fonts_) font.reset();
  }
  depth_stencil_.release();
  desc_heap_.release();

  now_command_list_ = nullptr;
  current_camera_ = nullptr;
  command_lists_.clear();
  pipeline_stack_.clear();
  heap_rtv_.reset();
  for (auto& buffer : color_buffer_) buffer.reset();
  swap_chain_.reset();
  command_list_top_.reset();
  command_list_bg_clear_.reset();
  for (auto& list : command_list_) list.reset();
  for (unsigned frame = 0; frame < kFrameCount; ++frame) {
    command_allocator_bg_clear_[frame].reset();
    command_allocator_top_[frame].reset();
    for (auto& allocator : command_allocator_[frame]) allocator.reset();
  }
  command_queue_.reset();
  dxgi_factory_.reset();
  for (PipelineRecord& record : pipeline_states_) record.release();
  root_signature_.reset();
  fence_.reset();
  fence_value_ = 1;
  fence_event_.reset();
  device_.reset();
}

void DeviceContext::waitForGpu() {
  if (!command_queue_ || !fence_) return;
  const std::uint64_t value = fence_value_;
  check(command_queue_->signal(fence_.get(), value), 2420, L"command_queue_->Signal()");
  ++fence_value_;
  if (fence_->getCompletedValue() < value) {
    check(fence_->setEventOnCompletion(value, fence_event_.get()), 2424, L"fence_->SetEventOnCompletion()");
    fence_event_->wait(gpu::INFINITE);
  }
  if (swap_chain_) current_frame_ = swap_chain_->getCurrentBackBufferIndex();
}

void DeviceContext::shutdownFence() {
  waitForGpu();
  fence_event_.reset();
  fence_.reset();
}

}  // namespace rk
