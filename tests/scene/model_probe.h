// A scene model that records what the model manager asks of it, with named
// frames and an optional culling body.
#pragma once
#include <map>
#include <memory>
#include <string>

#include "col/rk_collision_obb.h"
#include "gfx/rk_model.h"

namespace scenetest {

class Probe : public rk::gfx::GModel {
 public:
  Probe(std::string name, std::string& trace) : name_(std::move(name)), trace_(trace) {}

  bool isReady() override { return ready; }
  bool hasCullingBody() override { return body != nullptr; }
  const rk::collision::CollisionBody* getCullingBody() const override { return body.get(); }
  void preDraw(int, bool) override { add("p"); }
  void draw(int, bool shadowPass) override {
    add(shadowPass ? "S" : "D");
    if (onDraw) onDraw();
  }
  void updateAnimQueue(float) override { add("q"); }
  void updateAnime(float) override { add("u"); }
  void sync() override { add("s"); }
  bool isShadowPlane() override { return shadow_plane; }
  bool isShadowPlaneOnly() override { return plane_only; }
  bool isShadow() override { return false; }
  bool isShadowCast() override { return false; }
  void setShadowColor(std::uint32_t) override {}
  std::uint32_t getShadowColor() override { return 0; }
  bool getFrameMatrix(rk::math::Matrix& out, const char* frame) override {
    if (!frame) return GModel::getFrameMatrix(out, frame);
    auto it = frames.find(frame);
    out = it == frames.end() ? rk::math::matrixIdentity() : it->second;
    return it != frames.end();
  }

  bool ready = true;
  bool shadow_plane = false;
  bool plane_only = false;
  std::unique_ptr<rk::collision::OBB> body;
  std::map<std::string, rk::math::Matrix> frames;
  std::function<void()> onDraw;

 private:
  void add(const char* what) { trace_ += std::string(what) + ":" + name_ + " "; }
  std::string name_;
  std::string& trace_;
};

}  // namespace scenetest
