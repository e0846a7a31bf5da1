// The device context: the one static object of the process. It exists before
// main runs and until the process ends, and carries the process-wide state of
// the kernel: the game adapter, the frame stop-watch and step, the window and
// its focus, the window mode and the cursor. It is also the renderer: the one
// object through which the program reaches the GPU (device, swap chain, command
// lists per stream and frame, pipelines, constant slots, the frame's recording,
// execution and present, device-lost recovery and delayed releases).
// Singleton slots 11 and 22 both hold it.
#pragma once
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "audio/rk_audio_context.h"
#include "gfx/rk_color.h"
#include "gfx/rk_light.h"
#include "host/gpu.h"
#include "host/ui.h"
#include "math/rk_matrix.h"
#include "platform/driver/directx_driver/dx12units/rk_dx12_depth_stencil.h"
#include "platform/driver/directx_driver/rk_constant_slot.h"
#include "platform/driver/directx_driver/rk_descriptor_heap.h"
#include "platform/driver/directx_driver/rk_pipeline_kind.h"
#include "policy/rk_max_fix_vector.h"

namespace rk {

class IGameAdapter;
class IDeviceLostRecoverEvent;
namespace driver { class StopWatch; }
namespace font { class RKFont; class FontAdapter; }
namespace gfx {
class Camera;
class IndexBuffer;
class RkTexture;
class RkTexture12;
class StudioInfo;
class VertexBuffer;
struct LineVertex;
struct ScreenVertex;
struct StripVertex;
struct TexturedVertex;
}  // namespace gfx
namespace policy { class CounterRelease; }
namespace driver::directx { class DxModelRoot12; }
namespace driver::directx::directx12 { class Directx12ModelDrawContext; }
namespace res { class RomPack; }
namespace task {
class Task;
class ScriptTask;
}  // namespace task

// A copy of the colour state, taken before a change and restored afterwards.
struct ColorStateBackup {
  bool use_color = false;
  gfx::Color color;
};

class DeviceContext {
 public:
  // Filled by rk::runGame; the adapter's configure may change the client size.
  struct WindowConfig {
    int client_width = 1280;
    int client_height = 720;
    const host::ui::AcceleratorTable* accelerators = nullptr;
    // The model sync task, owned through this record (deleted at shut-down).
    task::Task* model_sync_task = nullptr;
  };

  // Reports "rk::DeviceContext::getInstance" when the slot is empty.
  static DeviceContext* getInstance();

  DeviceContext();
  ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  // ------------------------------------------------------------------ kernel
  IGameAdapter* gameAdapter() const { return game_adapter_; }
  void setGameAdapter(IGameAdapter* adapter) { game_adapter_ = adapter; }

  const boost::shared_ptr<driver::StopWatch>& stopWatch() const { return stop_watch_; }
  void setStopWatch(const boost::shared_ptr<driver::StopWatch>& watch) { stop_watch_ = watch; }

  // The first script task; the task manager owns it.
  task::ScriptTask* autoexecTask() const { return autoexec_task_; }
  void setAutoexecTask(task::ScriptTask* task) { autoexec_task_ = task; }

  // Set while the window has no focus or a modal move or menu loop runs: the
  // frame update is skipped.
  bool isUpdatePause() const { return update_pause_; }
  void setUpdatePause(bool pause) { update_pause_ = pause; }

  const char* className() const { return class_name_; }
  const char* caption() const { return caption_; }
  void setNames(const char* className, const char* caption) {
    class_name_ = className;
    caption_ = caption;
  }

  WindowConfig& windowConfig() { return window_config_; }

  // The step of the current frame in seconds; 1/60 until the first frame.
  double frameStep() const { return frame_step_; }
  void setFrameStep(double step) { frame_step_ = step; }
  // The last frame's step as the scripts read it; 0 until the first frame.
  double frameTime() const { return frame_time_; }
  void setFrameTime(double time) { frame_time_ = time; }

  host::ui::Window* getWindowHandle() const { return window_; }
  void setWindowHandle(host::ui::Window* window) { window_ = window; }

  // True while the window has the keyboard focus: the loop polls instead of waiting.
  bool isActive() const { return active_; }
  void setActive(bool active) { active_ = active; }

  bool isWindowed() const { return windowed_; }
  void setWindowed(bool windowed) { windowed_ = windowed; }
  // The style of the windowed mode.
  unsigned windowStyle() const { return window_style_; }

  host::ui::Cursor* arrowCursor() const { return arrow_cursor_; }
  void setArrowCursor(host::ui::Cursor* cursor) { arrow_cursor_ = cursor; }
  // Timer ticks since the mouse last moved.
  unsigned cursorIdleTicks() const { return cursor_idle_ticks_; }
  void setCursorIdleTicks(unsigned ticks) { cursor_idle_ticks_ = ticks; }

  // Stores the screen size and applies the window mode: windowed, the client
  // area gets that size; full screen, the window covers the desktop on top.
  void setScreenSize(int width, int height);
  unsigned screenWidth() const { return screen_width_; }
  unsigned screenHeight() const { return screen_height_; }
  // Stores a new frame-buffer width without touching the window; whatever
  // reads the size later (device recovery, new cameras) takes it.
  void setFrameBufferWidth(unsigned width) { screen_width_ = width; }

  // The display device's name and configuration records; nothing fills them,
  // the screen-format script globals read them.
  struct DisplayPathInfo {
    host::gpu::Luid adapter;
    std::uint32_t source_id = 0, target_id = 0, refresh_numerator = 0, refresh_denominator = 0, flags = 0;
  };
  struct DisplayModeInfo {
    host::gpu::Luid adapter;
    std::uint32_t info_type = 0, id = 0, width = 0, height = 0;
  };
  const char* displayDeviceName() const { return display_device_name_; }
  const std::vector<DisplayPathInfo>& displayPaths() const { return display_paths_; }
  const std::vector<DisplayModeInfo>& displayModes() const { return display_modes_; }

  // The screen effect and its zoom-blur parameters, kept for the scripts' own
  // globals; no drawing reads them. The device build sets the mode to 0.
  struct ZoomBlurParam {
    float scale[2] = {1.0f, 1.0f};
    std::int32_t values[3] = {255, 255, 1};
  };
  int screenEffectMode() const { return screen_effect_mode_; }
  void setScreenEffectMode(int mode) { screen_effect_mode_ = mode; }
  const ZoomBlurParam& zoomBlurParam() const { return zoom_blur_; }
  void setZoomBlurParam(const ZoomBlurParam& param) { zoom_blur_ = param; }

  // Written by the scripts' setResetMode and resetDevice; nothing else reads it.
  bool resetMode() const { return reset_mode_; }
  void setResetMode(bool mode) { reset_mode_ = mode; }

  // ---------------------------------------------------------------- renderer
  static constexpr unsigned kFrameCount = 2;       // frames in flight
  static constexpr int kCameraCount = 15;          // camera streams 0..14
  static constexpr std::uint32_t kDescriptorCount = 8224;

  struct DxgiAdapterInfo {
    host::gpu::AdapterDesc1 desc;
    bool supported = false;  // a trial device at feature level 11.0 succeeded
  };
  using AdapterList = policy::MaxFixVector<DxgiAdapterInfo, 16>;

  // The current material block, uploaded by uploadMaterial.
  struct MaterialBlock {
    gfx::Color diffuse, ambient, specular, emissive;
    float power = 0.0f;
  };

  // Builds every device object on the game window: adapter and device, queue,
  // swap chain, allocators and lists, render targets, fence, root signature,
  // the shader pack and the eight pipelines, depth buffer, descriptor heap and
  // the default constants. Throws HrException naming the failing call.
  void initDevice();
  // Releases every device object; the GPU must be idle. Recovering keeps the fonts.
  void releaseDevice(bool recovering);
  // Signals the fence and waits until the GPU has done everything; then reads
  // the back-buffer index again. Without queue or fence it returns at once.
  void waitForGpu();
  // The GPU wait, then the fence and its event go (before a rebuild and at shut-down).
  void shutdownFence();

  host::gpu::Device* getDevice() const { return device_.get(); }
  host::gpu::CommandQueue* commandQueue() const { return command_queue_.get(); }
  host::gpu::SwapChain* swapChain() const { return swap_chain_.get(); }
  host::gpu::RootSignature* rootSignature() const { return root_signature_.get(); }
  host::gpu::PipelineState* pipelineState(int kind) const;
  unsigned currentFrame() const { return current_frame_; }
  const AdapterList& adapters() const { return adapters_; }
  std::uint32_t adapterIndex() const { return adapter_index_; }
  host::gpu::Luid adapterLuid() const { return adapter_luid_; }
  driver::directx::DescriptorHeap& descriptorHeap() { return desc_heap_; }
  driver::directx::DX12DepthStencil& depthStencil() { return depth_stencil_; }
  // The frame's default ambient constants; null while no device exists.
  ConstantSlot* defaultAmbientSlot() const { return default_ambient_slot_[current_frame_]; }
  // The six constant pools of each frame, one per constant layout.
  enum ConstantPool : int { kWorldPool, kMaterialPool, kAmbientPool, kCameraPool, kLightPool, kFogPool };
  ConstantSlotPool& constantPool(ConstantPool pool, unsigned frame) { return constant_pools_[pool][frame]; }

  // The back buffer of the current frame, as the frame draw clears it.
  host::gpu::CpuDescriptorHandle backBufferHandle() const { return rtv_handle_[current_frame_]; }
  // The current frame's model draw context; null while no device exists.
  driver::directx::directx12::Directx12ModelDrawContext* modelDrawContext() const {
    return model_draw_context_[current_frame_];
  }
  // A new model root for the file; its load task is registered at once.
  driver::directx::DxModelRoot12* createModelRoot(const std::string& name);
  // The camera whose list is being recorded, or null.
  gfx::Camera* currentCamera() const { return current_camera_; }

  // Pipelines: drawing code pushes a kind, draws and pops it; popping binds the
  // kind below again (nothing when the stack becomes empty).
  void setPipeline(int kind);
  void pushPipeline(int kind);
  void popPipeline();
  const std::deque<int>& pipelineStack() const { return pipeline_stack_; }

  // Recording. Every drawing operation records into the list being recorded;
  // without one it is reported and nothing is recorded.
  host::gpu::GraphicsCommandList* getNowCommandList();
  // Starts the background list (background), a camera's list (camera) or the
  // overlay list (neither); lights asks the light manager to upload first.
  void beginCommandList(gfx::Camera* camera, bool background, bool lights);
  // Closes the recording list and adds it to the frame's batch.
  void closeNowCommandList();
  // Executes the frame's batch in one call; an empty batch is reported.
  void closeDraw();
  // Presents; waits for the GPU and drains the delayed releases. A lost device
  // is reported and rebuilt, or throws when it cannot be.
  void present(unsigned interval);
  // Sleeps out the rest of the frame's tick after a present that did not wait.
  void paceToTick(unsigned interval);

  // Delayed release: the object is released after the next present's GPU wait
  // (ownership passes here).
  void addDeferredRelease(policy::CounterRelease* object);
  void drainDeferredRelease();
  std::size_t deferredReleaseCount() const;

  // Objects told when the device is lost and when it is back (each at most once).
  void addDeviceLostListener(IDeviceLostRecoverEvent* listener);
  void removeDeviceLostListener(IDeviceLostRecoverEvent* listener);
  void notifyDeviceLost();
  void notifyDeviceRecover();

  // GPU buffers in upload-heap memory. The created buffer carries one reference
  // for the caller and follows device loss by itself. A kind other than 0..2
  // leaves the out-pointer alone and throws E_OUTOFMEMORY when it is null.
  void createVertexBuffer(int kind, gfx::VertexBuffer** out);
  void createIndexBuffer(gfx::IndexBuffer** out);
  void buildVertexBuffer(gfx::VertexBuffer* buffer);
  // A committed upload buffer (bytes rounded up to 256) filled with the data;
  // an existing resource is reported and replaced. Throws naming the upload.
  void uploadResource(const void* data, std::size_t bytes, host::gpu::Ref<host::gpu::Resource>* resource,
                      const wchar_t* name);
  void sendVertexBuffer(gfx::VertexBuffer* buffer);
  // Draws `count` vertices of a position-colour or position-colour-uv buffer.
  void drawPolygon(int primitive, gfx::VertexBuffer* buffer, std::uint32_t count);
  // Primitive kinds: 1 points, 2 lines, 3 line strip, 5 strip, 6 list with
  // adjacency; anything else a triangle list.
  static host::gpu::PrimitiveTopology toTopologyKind(int primitive);

  // Textures: the GPU texture and its view from DDS bytes (bytes the loader
  // rejects are reported and leave the texture without a view), and the
  // binding at the texture table. A texture without a view is not bound.
  void setupTexture(gfx::RkTexture12* texture, const std::uint8_t* bytes, std::size_t size, std::uint32_t flags);
  void setTexture(gfx::RkTexture* texture);
  gfx::RkTexture* currentTexture() const { return current_texture_; }

  // Immediate drawing: each call fills a fresh buffer, draws it on the
  // recording list and hands it to the delayed release.
  void drawRect2D(const host::gpu::Rect& rect, std::uint32_t argb);
  void drawLineStrip(const gfx::LineVertex* vertices, int last);
  // A built buffer of last + 1 vertices; the caller draws and releases it.
  gfx::VertexBuffer* fillColorVertexBuffer(const gfx::ScreenVertex* vertices, int last);
  void drawVertexStrip(const gfx::ScreenVertex* vertices, int count);
  void drawColorStrip(const gfx::LineVertex* vertices, int count, int pipeline);
  void drawTexturedStrip(gfx::RkTexture* texture, const gfx::TexturedVertex* vertices, int count);
  // The same under another position-colour-uv pipeline kind (the stencil-masked one).
  void drawTexturedStrip(gfx::RkTexture* texture, const gfx::TexturedVertex* vertices, int count, int pipeline);
  void drawColorUVStrip(const gfx::StripVertex* vertices, int count);
  void drawIndexedColorUV(const gfx::StripVertex* vertices, std::uint16_t vertexCount, const std::uint16_t* indices,
                          std::uint16_t indexCount);
  void drawSphereGizmo(float radius, const math::Matrix& matrix);

  // Constants, each in a fresh slot of the current frame, bound at once.
  void setWorldMatrix(const math::Matrix& world);
  void setViewProjection();
  const math::Matrix& worldMatrix() const { return world_matrix_; }
  const math::Matrix& viewMatrix() const { return view_matrix_; }
  const math::Matrix& projectionMatrix() const { return projection_matrix_; }
  // Store only; setViewProjection uploads them.
  void setViewMatrix(const math::Matrix& view) { view_matrix_ = view; }
  void setProjectionMatrix(const math::Matrix& projection) { projection_matrix_ = projection; }
  // The recording list's viewport; setting it also sets it on the list.
  const host::gpu::Viewport& viewport() const { return viewport_; }
  void setViewport(const host::gpu::Viewport& viewport);
  // The colour state: when enabled its colour becomes the ambient constant (b4).
  void setColorState(bool enable, std::uint32_t argb);
  void setColorStateRGBA(bool enable, const gfx::Color& color);
  void restoreColorState(const ColorStateBackup& backup);
  ColorStateBackup backupColorState() const { return {use_color_, color_}; }
  bool isUseColor() const { return use_color_; }
  const gfx::Color& colorState() const { return color_; }
  MaterialBlock& material() { return material_; }
  void uploadMaterial();
  // Binds the current pass's light, material, ambient and fog constants that are set.
  void bindPassConstants();
  // Binds the frame's light constants (root 3) when the frame has them.
  void bindLightSlot();
  // Uploads a studio's lights into fresh light, material and ambient slots.
  void applyStudioLights(const gfx::StudioInfo& studio);
  // The light records the light manager uploads; numbers above 15 are reported.
  void setLightingNo(int number, bool inUse);
  void setLightParameter(int number, const gfx::LightParameter& parameter);
  bool isLightInUse(int number) const;
  const gfx::LightParameter& lightParameter(int number) const;

  // The back buffer's clear colour (the scripts' setBGColor).
  const gfx::Color& clearColor() const { return clear_color_; }
  void setClearColor(const gfx::Color& color) { clear_color_ = color; }
  // Makes the three fonts that do not exist yet (the device build does).
  void createFonts();
  // The three fonts: debug print, (unused), display list.
  const boost::shared_ptr<font::RKFont>& font(int index) const { return fonts_[index]; }
  // The adapter slots: system, (unused), user. The game's boot fills them.
  const boost::shared_ptr<font::FontAdapter>& fontAdapter(int index) const { return font_adapters_[index]; }
  void setFontAdapter(int index, const boost::shared_ptr<font::FontAdapter>& adapter) {
    font_adapters_[index] = adapter;
  }

  // Draws one frame: background clear, the camera streams that exist, the
  // overlay, one execute, present and GPU wait. Nothing is drawn while no
  // device has been built.
  void drawFrame();

  // Takes the framework down in its fixed order (after the game's shut-down).
  void shutdown();

 private:
  IGameAdapter* game_adapter_ = nullptr;
  boost::shared_ptr<driver::StopWatch> stop_watch_;
  task::ScriptTask* autoexec_task_ = nullptr;
  bool update_pause_ = false;
  const char* class_name_ = nullptr;
  const char* caption_ = nullptr;
  WindowConfig window_config_;
  double frame_step_ = 1.0 / 60.0;
  host::ui::Window* window_ = nullptr;
  bool active_ = false;
  bool windowed_ = true;
  unsigned window_style_ = host::ui::WS_CAPTION | host::ui::WS_SYSMENU;
  host::ui::Cursor* arrow_cursor_ = nullptr;
  unsigned cursor_idle_ticks_ = 0;
  unsigned screen_width_ = 0;
  unsigned screen_height_ = 0;
  double frame_time_ = 0.0;
  bool reset_mode_ = false;

  // ---------------------------------------------------------------- renderer
  void createDevice();
  void createCommandObjects();
  void createRenderTargets();
  void createFence();
  void createRootSignature();
  void loadShaderPack();
  void createPipelineState(int kind, const char* name);
  void loadShaderBlob(const char* name, host::gpu::Ref<host::gpu::Blob>* blob);
  void recoverDevice(host::HResult code);
  template <class T>
  ConstantSlot* acquireSlot();
  void uploadLightSlots(ConstantSlot* light, ConstantSlot* material, ConstantSlot* ambient,
                        const math::Vector4& eye, const gfx::StudioInfo& studio);
  void fillFogSlot(ConstantSlot* fog, const gfx::Camera& camera);
  void bindSlot(ConstantSlot* slot);
  // A white ambient constant with the colour flag clear, kept apart from the
  // pools: a pool slot is handed out again every frame and would be overwritten.
  ConstantSlot* createDefaultAmbientSlot();

  ConstantSlotPool constant_pools_[6][kFrameCount];
  ConstantSlot* default_ambient_slot_[kFrameCount] = {};  // owned
  ConstantSlot* light_slot_[kFrameCount] = {};
  ConstantSlot* pass_light_slot_ = nullptr;
  ConstantSlot* pass_material_slot_ = nullptr;
  ConstantSlot* pass_ambient_slot_ = nullptr;
  ConstantSlot* pass_fog_slot_ = nullptr;
  driver::directx::directx12::Directx12ModelDrawContext* model_draw_context_[kFrameCount] = {};
  host::gpu::Ref<host::gpu::Device> device_;
  host::gpu::Ref<host::gpu::Factory> dxgi_factory_;
  host::gpu::Ref<host::gpu::CommandQueue> command_queue_;
  host::gpu::Ref<host::gpu::CommandAllocator> command_allocator_bg_clear_[kFrameCount];
  host::gpu::Ref<host::gpu::CommandAllocator> command_allocator_[kFrameCount][kCameraCount];
  host::gpu::Ref<host::gpu::CommandAllocator> command_allocator_top_[kFrameCount];
  host::gpu::Ref<host::gpu::GraphicsCommandList> command_list_bg_clear_;
  host::gpu::Ref<host::gpu::GraphicsCommandList> command_list_[kCameraCount];
  host::gpu::Ref<host::gpu::GraphicsCommandList> command_list_top_;
  host::gpu::Ref<host::gpu::SwapChain> swap_chain_;
  host::gpu::Ref<host::gpu::DescriptorHeap> heap_rtv_;
  host::gpu::Ref<host::gpu::RootSignature> root_signature_;
  host::gpu::Ref<host::gpu::Resource> color_buffer_[kFrameCount];
  host::gpu::CpuDescriptorHandle rtv_handle_[kFrameCount];
  host::gpu::Ref<host::gpu::Fence> fence_;
  std::uint64_t fence_value_ = 1;
  host::gpu::Ref<host::gpu::Event> fence_event_;
  policy::MaxFixVector<host::gpu::GraphicsCommandList*, 48> command_lists_{
      "rk::policy::MaxFixVector<struct ID3D12CommandList *,48>"};
  PipelineRecord pipeline_states_[PIPELINE_KIND_COUNT];
  std::deque<int> pipeline_stack_;
  unsigned current_frame_ = 0;
  char display_device_name_[33] = {};
  std::vector<DisplayPathInfo> display_paths_;
  std::vector<DisplayModeInfo> display_modes_;
  driver::directx::DescriptorHeap desc_heap_;
  gfx::Camera* current_camera_ = nullptr;
  gfx::Color clear_color_{0.0f, 0.0f, 32.0f / 255.0f, 1.0f};
  bool background_pass_ = false;
  host::gpu::GraphicsCommandList* now_command_list_ = nullptr;
  host::gpu::Ref<host::gpu::Event> adapters_changed_event_;
  std::uint32_t adapters_changed_cookie_ = 0;
  boost::shared_ptr<font::RKFont> fonts_[3];
  boost::shared_ptr<font::FontAdapter> font_adapters_[3];
  std::uint32_t factory_flags_ = 0;
  host::gpu::Viewport viewport_;
  host::gpu::Rect scissor_;
  math::Matrix world_matrix_ = math::matrixIdentity();
  math::Matrix view_matrix_ = math::matrixIdentity();
  math::Matrix projection_matrix_ = math::matrixIdentity();
  bool use_color_ = false;
  // An enabled colour constant is bound on the recording list.
  bool color_bound_ = false;
  gfx::Color color_{64.0f / 255.0f, 64.0f / 255.0f, 64.0f / 255.0f, 1.0f};
  bool light_in_use_[16] = {};
  gfx::LightParameter light_records_[16];
  driver::directx::DX12DepthStencil depth_stencil_;
  // The texture bound last on the recording list.
  gfx::RkTexture* current_texture_ = nullptr;
  std::list<IDeviceLostRecoverEvent*> lost_listeners_;
  MaterialBlock material_;
  host::gpu::GpuPreference gpu_preference_ = host::gpu::DXGI_GPU_PREFERENCE_HIGH_PERFORMANCE;
  AdapterList adapters_{"rk::policy::MaxFixVector<struct rk::DeviceContext::DxgiAdapterInfo,16>"};
  std::uint32_t adapter_index_ = 0;
  host::gpu::Luid adapter_luid_;
  std::list<policy::CounterRelease*> release_lists_[kFrameCount];
  std::unique_ptr<res::RomPack> shader_pack_;
  int screen_effect_mode_ = 0;
  ZoomBlurParam zoom_blur_;

  // The process's audio context, after every field of the device context.
  audio::AudioContext audio_context_;
};

}  // namespace rk
