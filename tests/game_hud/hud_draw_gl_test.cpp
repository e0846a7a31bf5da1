// The score display read back from the OpenGL back end: "12345" drawn with
// the digit atlas the build makes shows, cell by cell, the atlas's own digits.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "gfx/gfx_model_command/rk_gfx_model_state.h"
#include "gfx_model/gfx_model_rig.h"
#include "host/dds.h"
#include "status/score_display.h"

namespace {

using namespace gfxmodeltest;

// The atlas file as the build draws it, with its decoded pixels.
struct Atlas {
  std::vector<std::uint8_t> bytes;
  host::dds::Image image;
  // Red times alpha (0..1) at texel (x, y), clamped to the atlas.
  float texel(int x, int y) const {
    x = std::clamp(x, 0, int(image.width) - 1);
    y = std::clamp(y, 0, int(image.height) - 1);
    const std::uint8_t* p = bytes.data() + image.surfaces[0].offset + (std::size_t(y) * image.width + x) * 4;
    return p[0] / 255.0f * (p[3] / 255.0f);
  }
  // Bilinear, as the sampler reads it.
  float sample(float u, float v) const {
    const float x = u * image.width - 0.5f, y = v * image.height - 0.5f;
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - x0, fy = y - y0;
    return (texel(x0, y0) * (1 - fx) + texel(x0 + 1, y0) * fx) * (1 - fy) +
           (texel(x0, y0 + 1) * (1 - fx) + texel(x0 + 1, y0 + 1) * fx) * fy;
  }
};

const std::string kBuiltAtlas = RK_BINARY_DIR "/data-gen/hud/textures/score_font.dds";

class HudGl : public GlModelRig {
 protected:
  void TearDown() override {
    owned.clear();
    GlModelRig::TearDown();
  }
  std::vector<std::unique_ptr<rk::gfx::GfxModelList>> owned;
};

TEST_F(HudGl, TheScoreShowsTheAtlasDigitsCellByCell) {
  Atlas atlas;
  {
    std::ifstream in(kBuiltAtlas, std::ios::binary);
    atlas.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  ASSERT_EQ(host::dds::parse(atlas.bytes.data(), atlas.bytes.size(), &atlas.image), host::S_OK) << kBuiltAtlas;
  std::filesystem::create_directories(data.file("textures"));
  std::filesystem::copy_file(kBuiltAtlas, data.file("textures/score_font.dds"));

  // World units per model unit: the last five cells (x 256 to 576, y 0 to
  // -64) fill 60 of the 64 pixels across, centred on the screen.
  rk::math::Vector4 origin{}, right{};
  ASSERT_TRUE(camera->projectToScreen({0, 0, 0, 1}, origin));
  ASSERT_TRUE(camera->projectToScreen({1, 0, 0, 1}, right));
  const float pixelsPerWorld = right.x - origin.x;
  ASSERT_GT(pixelsPerWorld, 0.0f);
  const float s = 60.0f / 320.0f / pixelsPerWorld;
  auto* place = model->createTransformation();
  owned.emplace_back(place);
  place->transform().setScale({s, s, 1, 0});
  place->transform().setPos({-416 * s, 32 * s, 0, 0});
  auto* display = new status::ScoreDisplay(model.get());
  owned.emplace_back(display);
  display->score_ = 12345;

  auto draw = [&] { return frame([&] { model->drawCommands(0); }, rk::gfx::Color(0, 0, 0, 1), camera); };
  draw();  // asks for the atlas
  ASSERT_NE(display->texture_, nullptr);
  ASSERT_TRUE(runUntilSetUp(display->texture_));
  const std::vector<std::uint32_t> pixels = draw();

  // Screen pixel -> model point, through the projection of two model points.
  rk::math::Vector4 a{}, b{};
  ASSERT_TRUE(camera->projectToScreen({-416 * s, 32 * s, 0, 1}, a));                  // model (0, 0)
  ASSERT_TRUE(camera->projectToScreen({(64 - 416) * s, (32 - 64) * s, 0, 1}, b));      // model (64, -64)
  const float perX = (b.x - a.x) / 64.0f, perY = (b.y - a.y) / -64.0f;
  const char* digits = "000012345";
  int litPixels = 0;
  for (int cell = 4; cell < 9; ++cell) {
    SCOPED_TRACE(testing::Message() << "cell " << cell);
    // Which atlas digit explains this cell's pixels best?
    double best = std::numeric_limits<double>::max();
    int bestDigit = -1;
    for (int d = 0; d < 10; ++d) {
      double error = 0;
      for (int py = 0; py < kH; ++py)
        for (int px = 0; px < kW; ++px) {
          const float mx = (px + 0.5f - a.x) / perX, my = (py + 0.5f - a.y) / perY;
          if (mx < 64.0f * cell + 1 || mx > 64.0f * cell + 63 || my > -1 || my < -63) continue;
          const float u = 0.25f * (d % 4) + (mx - 64.0f * cell) / 256.0f, v = 0.25f * (d / 4) - my / 256.0f;
          const float seen = (at(pixels, px, py) & 0xFF) / 255.0f;
          litPixels += d == 0 && seen > 0.5f;
          error += (seen - atlas.sample(u, v)) * (seen - atlas.sample(u, v));
        }
      if (error < best) best = error, bestDigit = d;
    }
    EXPECT_EQ(bestDigit, digits[cell] - '0');
  }
  EXPECT_GT(litPixels, 40) << "white ink shows";
  // Nothing is drawn above or below the row of digits.
  EXPECT_EQ(at(pixels, kW / 2, 1), rgba(0, 0, 0));
  EXPECT_EQ(at(pixels, kW / 2, kH - 2), rgba(0, 0, 0));
}

}  // namespace
