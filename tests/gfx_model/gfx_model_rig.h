// A gfx model drawn in camera 0's pass: the display-list rig with a camera
// looking at the origin from -z and a visible model whose commands the tests add.
#pragma once
#include "gfx/rk_camera.h"
#include "gfx/rk_gfx_list_device_context.h"
#include "gfx/rk_gfx_model.h"
#include "gfx_list/gfx_list_rig.h"
#include "math/rk_counter_manager.h"

namespace gfxmodeltest {

using namespace gfxlisttest;

template <class Base>
class ModelRigT : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    if (this->IsSkipped()) return;
    camera = rk::gfx::CameraManager::getInstance()->createCamera(0);
    camera->setEye({0, 0, -10, 0});
    camera->setAt({0, 0, 0, 0});
    camera->setUp({0, 1, 0, 0});
    camera->setAspect(float(Base::kWidth) / float(Base::kHeight));
    camera->updateMatrices();
    model = std::make_unique<rk::gfx::GfxModel>();
    model->setVisible(true);
  }
  void TearDown() override {
    model.reset();
    Base::TearDown();
  }

  // Draws the model in camera 0's pass, alone in the trace.
  void drawModel() {
    this->trace()->clear();
    this->context->beginCommandList(camera, false, false);
    model->drawCommands(0);
    this->context->closeNowCommandList();
    this->context->closeDraw();
    this->context->present(1);
  }

  rk::gfx::Camera* camera = nullptr;
  std::unique_ptr<rk::gfx::GfxModel> model;
};

using ModelRig = ModelRigT<GfxListRig>;
using GlModelRig = ModelRigT<GlRig>;

}  // namespace gfxmodeltest
