// 2,000 camera-facing quads of one texture, drawn on the OpenGL back end into
// a 1280x720 frame: through the framework (a gfx model's billboard command in
// camera 0's list, the frame's lists executed and presented, the GPU waited
// for), against a minimal GL program that draws the same quads (same screen
// positions, size and texture, blended) as one instanced draw and waits with
// glFinish. Both run headless on the process's one GL context.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "fs/rk_file_manager.h"
#include "gfx/gfx_model_command/rk_gfx_billboard.h"
#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_manager.h"
#include "gfx/rk_gfx_model.h"
#include "gfx/rk_light.h"
#include "gfx/rk_texture.h"
#include "gfx/rk_texture_manager.h"
#include "host/gpu.h"
#include "host/gpu/gl/context.h"
#include "host/ui.h"
#include "kernel/rk_device_context.h"
#include "kernel/rk_hr_exception.h"
#include "lib/dds_writer.h"
#include "res/rk_resource.h"
#include "task/rk_task.h"

namespace {

namespace fsys = std::filesystem;
using rk::gfx::gfx_model_command::BillBoard;
using rk::gfx::gfx_model_command::BillboardChip;

constexpr int kWidth = 1280, kHeight = 720;
constexpr int kQuads = 2000;
constexpr float kSize = 0.25f;      // world units, at 10 units from the eye
constexpr float kDistance = 10.0f;  // the quads lie in the plane z = 0, the eye at z = -10

// The 4x4 texture both draw: texels counting up, alpha included.
rktools::Image texels() {
  rktools::Image image(4, 4);
  for (int i = 0; i < 64; ++i) image.rgba[i] = static_cast<std::uint8_t>(60 + 3 * i);
  return image;
}

// The quads' centres, the same in every run.
std::vector<rk::math::Vector4> centres() {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> x(-6.0f, 6.0f), y(-3.4f, 3.4f);
  std::vector<rk::math::Vector4> out;
  for (int i = 0; i < kQuads; ++i) out.push_back({x(random), y(random), 0.0f, 0.0f});
  return out;
}

// The framework with a built device in a temporary data folder, camera 0 and
// a gfx model holding one billboard with 2,000 chips.
class Scene {
 public:
  Scene() {
    dir_ = fsys::temp_directory_path() / ("rkbench-billboards-" + std::to_string(getpid()));
    fsys::create_directories(dir_);
    fsys::copy_file(std::string(RK_BINARY_DIR) + "/data/shaders.pkp", dir_ / "shaders.pkp",
                    fsys::copy_options::overwrite_existing);
    rktools::writeBinaryFile((dir_ / "quad.dds").string(), rktools::ddsRgba8(texels()));
    previous_ = fsys::current_path();
    fsys::current_path(dir_);
    host::gpu::resetAdapterList();
    rk::fs::FileManager::createInstance(rk::res::ResourceManager::createInstance());
    window_ = host::ui::createWindow("RkBench", "billboards", context_->windowStyle(), kWidth, kHeight, nullptr);
    context_->setWindowHandle(window_);
    context_->setScreenSize(kWidth, kHeight);
    rk::task::TaskManager::createInstance();
    rk::gfx::RkTextureManager::createInstance();
    rk::gfx::LightManager::createInstance();
    rk::gfx::CameraManager::createInstance();
    rk::gfx::GfxListManager::createInstance();
    try {
      context_->initDevice();
    } catch (const HrException& e) {
      error = e.what();
      return;
    }
    if (!context_->getDevice() || context_->getDevice()->trace()) {
      error = "not on the OpenGL back end";
      return;
    }
    texture_ = rk::gfx::RkTextureManager::getInstance()->loadTexture("quad.dds");
    for (int i = 0; i < 2000 && texture_ && !texture_->info().loaded_; ++i) {
      rk::fs::FileManager::getInstance()->notify();
      rk::task::TaskManager::getInstance()->update(1.0f / 60.0f);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!texture_ || !texture_->info().loaded_) {
      error = "the texture did not load";
      return;
    }
    camera = rk::gfx::CameraManager::getInstance()->createCamera(0);
    camera->setEye({0, 0, -kDistance, 0});
    camera->setAt({0, 0, 0, 0});
    camera->setUp({0, 1, 0, 0});
    camera->setAspect(float(kWidth) / float(kHeight));
    camera->updateMatrices();
    model_ = std::make_unique<rk::gfx::GfxModel>();
    model_->setVisible(true);
    board_ = std::make_unique<BillBoard>(model_.get());
    board_->setTexture(texture_);
    for (const rk::math::Vector4& centre : centres()) {
      BillboardChip* chip = board_->createBillboardChip();
      chip->setWidthHeight(kSize, kSize);
      chip->setUV(0, 0, 1, 1);
      chip->position = centre;
      chip->visible = true;
    }
  }

  ~Scene() {
    board_.reset();
    model_.reset();
    if (texture_) texture_->release(__FILE__, __LINE__);
    rk::gfx::RkTextureManager::destroyInstance();
    rk::task::TaskManager::destroyInstance();
    context_->drainDeferredRelease();
    context_->shutdownFence();
    context_->releaseDevice(false);
    rk::gfx::CameraManager::destroyInstance();
    rk::gfx::LightManager::destroyInstance();
    rk::gfx::GfxListManager::destroyInstance();
    rk::fs::FileManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
    context_->setWindowHandle(nullptr);
    host::ui::destroyWindow(window_);
    host::gpu::resetAdapterList();
    fsys::current_path(previous_);
    std::error_code ec;
    fsys::remove_all(dir_, ec);
  }

  // One frame: the background cleared, the model in camera 0's list, the
  // lists executed, presented (unpaced) and waited for.
  void frame() {
    context_->beginCommandList(nullptr, true, false);
    context_->drawRect2D({0, 0, kWidth, kHeight}, 0xFF000000u);
    context_->closeNowCommandList();
    context_->beginCommandList(camera, false, false);
    model_->drawCommands(0);
    context_->closeNowCommandList();
    context_->closeDraw();
    context_->present(0);
  }

  std::string error;
  rk::gfx::Camera* camera = nullptr;

 private:
  rk::DeviceContext* context_ = rk::DeviceContext::getInstance();
  fsys::path dir_, previous_;
  host::ui::Window* window_ = nullptr;
  rk::gfx::RkTexture* texture_ = nullptr;
  std::unique_ptr<rk::gfx::GfxModel> model_;
  std::unique_ptr<BillBoard> board_;
};

void BillboardsFramework(benchmark::State& state) {
  Scene scene;
  if (!scene.error.empty()) {
    state.SkipWithError(scene.error.c_str());
    return;
  }
  for (auto _ : state) scene.frame();
  state.SetItemsProcessed(state.iterations() * kQuads);
}

GLuint compile(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

constexpr char kVertex[] = R"(#version 330 core
layout(location = 0) in vec2 corner;
layout(location = 1) in vec2 centre;
uniform vec2 halfSize;
out vec2 uv;
void main() {
  uv = corner * 0.5 + 0.5;
  gl_Position = vec4(centre + corner * halfSize, 0.5, 1.0);
}
)";
constexpr char kFragment[] = R"(#version 330 core
uniform sampler2D t0;
in vec2 uv;
out vec4 colour;
void main() { colour = texture(t0, uv); }
)";

// The same quads as one instanced draw of a static instance buffer.
void BillboardsRawInstancedGl(benchmark::State& state) {
  std::string error;
  if (!host::gpu::gl::ensureContext(&error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  // The quads' screen positions and size, as camera 0 of the scene sees them.
  rk::task::TaskManager::createInstance();  // cameras make their mover tasks
  rk::gfx::CameraManager::createInstance();
  rk::gfx::Camera* camera = rk::gfx::CameraManager::getInstance()->createCamera(0);
  camera->setEye({0, 0, -kDistance, 0});
  camera->setAt({0, 0, 0, 0});
  camera->setUp({0, 1, 0, 0});
  camera->setAspect(float(kWidth) / float(kHeight));
  camera->updateMatrices();
  const rk::math::Matrix view = camera->viewMatrix(), projection = camera->projectionMatrix();
  rk::task::TaskManager::destroyInstance();
  rk::gfx::CameraManager::destroyInstance();
  std::vector<float> instances;
  for (const rk::math::Vector4& p : centres()) {
    float v[4], c[4];
    for (int j = 0; j < 4; ++j) v[j] = p.x * view.m[0][j] + p.y * view.m[1][j] + p.z * view.m[2][j] + view.m[3][j];
    for (int j = 0; j < 4; ++j)
      c[j] = v[0] * projection.m[0][j] + v[1] * projection.m[1][j] + v[2] * projection.m[2][j] + v[3] * projection.m[3][j];
    instances.push_back(c[0] / c[3]);
    instances.push_back(c[1] / c[3]);
  }
  const float half[2] = {0.5f * kSize * projection.m[0][0] / kDistance, 0.5f * kSize * projection.m[1][1] / kDistance};

  GLuint program = glCreateProgram();
  const GLuint vs = compile(GL_VERTEX_SHADER, kVertex), fs = compile(GL_FRAGMENT_SHADER, kFragment);
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  GLint linked = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  GLuint vao = 0, buffers[2] = {}, texture = 0, target = 0, framebuffer = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(2, buffers);
  const float corners[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(instances.size() * sizeof(float)), instances.data(),
               GL_STATIC_DRAW);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glVertexAttribDivisor(1, 1);
  const rktools::Image image = texels();
  glActiveTexture(GL_TEXTURE0);
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glGenTextures(1, &target);
  glBindTexture(GL_TEXTURE_2D, target);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kWidth, kHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glGenFramebuffers(1, &framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;

  if (!linked || !complete) {
    state.SkipWithError("the raw GL program could not be built");
  } else {
    glUseProgram(program);
    glUniform2f(glGetUniformLocation(program, "halfSize"), half[0], half[1]);
    glUniform1i(glGetUniformLocation(program, "t0"), 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindSampler(0, 0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, kWidth, kHeight);
    glClearColor(0, 0, 0, 1);
    for (auto _ : state) {
      glClear(GL_COLOR_BUFFER_BIT);
      glDrawArraysInstanced(GL_TRIANGLE_STRIP, 0, 4, kQuads);
      glFinish();
    }
    state.SetItemsProcessed(state.iterations() * kQuads);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &framebuffer);
  glDeleteTextures(1, &target);
  glDeleteTextures(1, &texture);
  glDeleteBuffers(2, buffers);
  glDeleteVertexArrays(1, &vao);
  glDeleteProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
}

}  // namespace

BENCHMARK(BillboardsFramework)->Unit(benchmark::kMicrosecond);
BENCHMARK(BillboardsRawInstancedGl)->Unit(benchmark::kMicrosecond);
