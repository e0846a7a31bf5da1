// Adapters, the factory and device creation.
#include <algorithm>
#include <cstdio>
#include <mutex>

#include "host/gpu/backend.h"
#include "host/gpu/call_failure.h"
#include "host/gpu/device.h"
#include "host/gpu/trace.h"
#include "host/ui.h"

namespace host::gpu {
namespace {

AdapterList systemAdapters() {
  AdapterList list;
  list.defaultAdapter = makeAdapter(u"OpenGL 3.3 core", Driver::OpenGL, D3D_FEATURE_LEVEL_12_1, 1);
  list.adapters.push_back(list.defaultAdapter);
  return list;
}

AdapterList& adapterList() {
  static AdapterList list = systemAdapters();
  return list;
}

std::weak_ptr<detail::Backend>& latestTraceBackend() {
  static std::weak_ptr<detail::Backend> backend;
  return backend;
}

// The list in the order a preference asks for; stable within equal ranks.
std::vector<AdapterProfile> ordered(GpuPreference preference) {
  std::vector<AdapterProfile> adapters = adapterList().adapters;
  if (preference == DXGI_GPU_PREFERENCE_HIGH_PERFORMANCE)
    std::stable_sort(adapters.begin(), adapters.end(),
                     [](const AdapterProfile& a, const AdapterProfile& b) { return a.performance > b.performance; });
  else if (preference == DXGI_GPU_PREFERENCE_MINIMUM_POWER)
    std::stable_sort(adapters.begin(), adapters.end(),
                     [](const AdapterProfile& a, const AdapterProfile& b) { return a.performance < b.performance; });
  return adapters;
}

bool knownLevel(FeatureLevel level) {
  return level == D3D_FEATURE_LEVEL_11_0 || level == D3D_FEATURE_LEVEL_11_1 || level == D3D_FEATURE_LEVEL_12_0 ||
         level == D3D_FEATURE_LEVEL_12_1;
}

}  // namespace

void setAdapterList(const AdapterList& list) { adapterList() = list; }
void resetAdapterList() { adapterList() = systemAdapters(); }

AdapterList traceAdapterList() {
  AdapterList list;
  list.defaultAdapter = makeAdapter(u"Trace adapter", Driver::Trace, D3D_FEATURE_LEVEL_12_1, 0x7ace);
  list.adapters.push_back(list.defaultAdapter);
  return list;
}

AdapterProfile makeAdapter(const std::u16string& description, Driver driver, FeatureLevel maxLevel,
                        std::uint32_t luidLow) {
  AdapterProfile profile;
  const std::size_t n = std::min<std::size_t>(description.size(), 127);
  std::copy(description.begin(), description.begin() + n, profile.desc.description);
  profile.desc.adapterLuid.lowPart = luidLow;
  profile.desc.flags = driver == Driver::OpenGL ? 0 : DXGI_ADAPTER_FLAG_SOFTWARE;
  profile.driver = driver;
  profile.maxFeatureLevel = maxLevel;
  return profile;
}

HResult Adapter::getDesc1(AdapterDesc1* desc) const {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::GetDesc1); failed(injected)) return injected;
  if (!desc) return E_INVALIDARG;
  *desc = profile_.desc;
  return S_OK;
}

HResult createFactory(std::uint32_t, Ref<Factory>* factory) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateFactory); failed(injected)) return injected;
  if (!factory) return E_POINTER;
  *factory = Ref<Factory>::adopt(new Factory());
  return S_OK;
}

HResult Factory::enumAdapterByGpuPreference(std::uint32_t index, GpuPreference preference, Ref<Adapter>* adapter) {
  if (!adapter) return E_INVALIDARG;
  const std::vector<AdapterProfile> adapters = ordered(preference);
  if (index >= adapters.size()) return DXGI_ERROR_NOT_FOUND;
  *adapter = Ref<Adapter>::adopt(new Adapter(adapters[index]));
  return S_OK;
}

HResult Factory::enumAdapters1(std::uint32_t index, Ref<Adapter>* adapter) {
  return enumAdapterByGpuPreference(index, DXGI_GPU_PREFERENCE_UNSPECIFIED, adapter);
}

HResult Factory::registerAdaptersChangedEvent(Event* event, std::uint32_t* cookie) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::RegisterAdaptersChangedEvent); failed(injected))
    return injected;
  if (!event || !cookie) return E_INVALIDARG;
  *cookie = nextCookie_++;
  adapterEvents_.emplace_back(*cookie, Ref<Event>::share(event));
  return S_OK;
}

HResult Factory::unregisterAdaptersChangedEvent(std::uint32_t cookie) {
  auto it = std::find_if(adapterEvents_.begin(), adapterEvents_.end(),
                         [&](const auto& entry) { return entry.first == cookie; });
  if (it == adapterEvents_.end()) return DXGI_ERROR_NOT_FOUND;
  adapterEvents_.erase(it);
  return S_OK;
}

HResult Factory::createSwapChainForWindow(CommandQueue* queue, ui::Window* window, const SwapChainDesc1& desc,
                                          Ref<SwapChain>* swapChain) {
  if (const HResult injected = detail::takeInjectedFailure(GpuCall::CreateSwapChain); failed(injected))
    return injected;
  if (!queue || !window || !swapChain) return DXGI_ERROR_INVALID_CALL;
  if (desc.bufferCount < 2 || desc.bufferCount > 16) return DXGI_ERROR_INVALID_CALL;
  if (desc.format != DXGI_FORMAT_R8G8B8A8_UNORM && desc.format != DXGI_FORMAT_B8G8R8A8_UNORM)
    return DXGI_ERROR_INVALID_CALL;
  if (desc.sampleDesc.count != 1) return DXGI_ERROR_INVALID_CALL;
  SwapChainDesc1 d = desc;
  if (d.width == 0 || d.height == 0) {
    int w = 0, h = 0;
    ui::clientSize(window, &w, &h);
    if (d.width == 0) d.width = static_cast<std::uint32_t>(std::max(w, 1));
    if (d.height == 0) d.height = static_cast<std::uint32_t>(std::max(h, 1));
  }
  Ref<SwapChain> chain = Ref<SwapChain>::adopt(new SwapChain(queue->sharedBackend(), window, d));
  const HResult hr = chain->createBuffers();
  if (failed(hr)) return hr;
  *swapChain = chain;
  return S_OK;
}

HResult createDevice(Adapter* adapter, FeatureLevel minimumLevel, Ref<Device>* device) {
  if (!knownLevel(minimumLevel)) return E_INVALIDARG;
  const AdapterProfile profile = adapter ? adapter->profile() : adapterList().defaultAdapter;
  if (profile.maxFeatureLevel < minimumLevel) return DXGI_ERROR_UNSUPPORTED;
  std::shared_ptr<detail::Backend> backend;
  if (profile.driver == Driver::Trace) {
    backend = detail::makeTraceBackend();
  } else {
    std::string error;
    backend = detail::makeGlBackend(&error);
    if (!backend) {
      static bool told = false;
      if (!told) std::fprintf(stderr, "host::gpu: no OpenGL 3.3 context: %s\n", error.c_str());
      told = true;
      return DXGI_ERROR_UNSUPPORTED;
    }
  }
  if (!device) return S_FALSE;
  if (profile.driver == Driver::Trace) latestTraceBackend() = backend;
  *device = Ref<Device>::adopt(new Device(backend, minimumLevel, profile));
  return S_OK;
}

Trace* latestTrace() {
  std::shared_ptr<detail::Backend> backend = latestTraceBackend().lock();
  return backend ? backend->trace() : nullptr;
}

}  // namespace host::gpu
