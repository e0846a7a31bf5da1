// One scene script, run twice. The game executable runs it headless from its
// script pack: it loads the sample ship, plays its take, keeps a billboard on
// the ship's engine frame, draws a laser and a window with a menu and a
// gauge, writes what it reads back and exits cleanly with nothing in its
// error log. The same scene built in a script state on the OpenGL back end
// shows each of them in the read-back frame.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <boost/make_shared.hpp>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "dds_writer/lib/dds_file.h"
#include "font/directx_font/rk_directx_outline_font.h"
#include "gfx/rk_model.h"
#include "gfx_list/gfx_list_rig.h"
#include "model_writer/lib/model_file.h"
#include "script/rk_script.h"
#include "support/back_buffer.h"
#include "support/game_run.h"
#include "support/lua_run.h"

namespace {

namespace fsys = std::filesystem;

// Camera 0 looks at the origin from -z. The window (blue, its own font, a menu of two rows
// with a red cursor bar on the second, a yellow gauge along its top) sits top
// left, the magenta billboard top right, the green laser along the bottom.
constexpr char kScene[] = R"(
function buildScene()
  local s = {}
  setBGColor(0, 0, 0)
  s.camera = createCamera(0)
  s.camera:setEye(0, 0, -10) s.camera:setAt(0, 0, 0) s.camera:setUp(0, 1, 0)
  s.green, s.magenta = createTexture('green.dds'), createTexture('magenta.dds')
  s.g = createGfxModel() s.g:setVisible(true)
  s.texture = s.g:createSetTexture() s.texture:setTexture(0, s.green)
  s.laser = s.g:createLaser()
  s.laser:setEye(0, 0, -10) s.laser:setWidth(0.4) s.laser:setUV(0, 0, 0, 1, 1)
  s.laser:pushPos(-4, -2.5, 0) s.laser:pushPos(4, -2.5, 0) s.laser:setTotalLength(8) s.laser:setVisible(true)
  s.board = s.g:createBillBoard() s.board:setTexture(s.magenta)
  s.chip = s.board:createBillboardChip()
  s.chip:setWidthHeight(2, 2) s.chip:setUV(0, 0, 1, 1) s.chip:setPos(2.5, 2, 0) s.chip:setVisible(true)
  s.place = s.g:createWorldMatrix() s.place:setScale(0.06, 0.06, 1) s.place:setPos(-5, 3.8, 0) s.place:calc()
  s.window = s.g:createWindow()
  s.window:setSize(80, 60) s.window:setBGColor(255, 0, 0, 255) s.window:setFrameSize(0) s.window:setFontSize(16)
  s.font = s.window:createFontAdapter('DejaVu Sans', 0, 1) s.font:setSize(16) s.font:changeFont()
  s.menu = s.window:createMenu()
  s.menu:addColumn('ONE') s.menu:addColumn('TWO') s.menu:setCursorColor(0xFFFF0000) s.menu:setCursor(1)
  s.gauge = s.window:createGauge()
  s.gauge:setDisplayGaugeMax(60) s.gauge:setGaugeWidth(8) s.gauge:setNowGauge(50)
  s.gauge:setLowerColor(255, 255, 255, 0) s.gauge:setUpperColor(255, 255, 255, 0)
  return s
end
)";

constexpr char kMain[] = R"(
function main()
  local s = buildScene()
  local ship = createModel() ship:load('model/ship/ship.mdl')
  local frames = 0
  while not (ship:isReady() and s.green:isReady() and s.magenta:isReady()) and frames < 600 do
    frames = frames + 1
    coroutine.yield()
  end
  ship:setVisible(true) ship:changeAnime(0) ship:setLoopAnime(true) ship:setPlayAnime(true)
  local mtx = createMatrix()
  local startTime = ship:getNowAnimeTime()
  local found, x, y, z
  for i = 1, 30 do
    found, x, y, z = ship:getFramePosAndRot('engine', mtx)
    s.chip:setPos(x, y, z)
    coroutine.yield()
  end
  local file = io.open('result.txt', 'w')
  file:write(table.concat({tostring(ship:isReady()), ship:getAnimeTakeNum(),
                           tostring(ship:getNowAnimeTime() > startTime), tostring(found),
                           string.format('%g', z), s.laser:calcPointLength(), s.window:isVisible(),
                           s.menu:getCursor(), s.gauge:getNowGauge(), tostring(s.chip:isVisible())}, ' '))
  file:close()
  exitGame()
end
entryCoRoutine('main')
)";

bool writeSolid(const std::string& path, const char* argb) {
  ddsfile::Image image;
  std::string error;
  return ddsfile::makePattern(std::string("solid ") + argb, 4, 4, image, error) &&
         ddsfile::writeFile(path, ddsfile::encode(image));
}

// The data folder's sample ship, written as the build writes it.
void writeShip(const rktest::TempDir& dir) {
  std::ifstream in(std::string(RK_SOURCE_DIR) + "/data/models/ship.txt");
  std::stringstream text;
  text << in.rdbuf();
  modelfile::ModelFile model;
  std::vector<modelfile::TextureSource> textures;
  std::string error;
  ASSERT_TRUE(modelfile::parseDescription(text.str(), model, textures, error)) << error;
  fsys::create_directories(dir.file("model/ship"));
  for (const auto& t : textures) {
    ddsfile::Image image;
    ASSERT_TRUE(ddsfile::makePattern(t.pattern, t.width, t.height, image, error)) << error;
    ASSERT_TRUE(ddsfile::writeFile(dir.file("model/ship/" + t.stored), ddsfile::encode(image)));
  }
  ASSERT_TRUE(ddsfile::writeFile(dir.file("model/ship/ship.mdl"), model.bytes()));
}

TEST(SceneRun, TheGameRunsTheSceneWithTheAnimatedShipAndExitsCleanly) {
  ASSERT_TRUE(fsys::exists(rktest::gameExecutable())) << rktest::gameExecutable();
  rktest::TempDir dir;
  ASSERT_TRUE(rktest::prepareGameFolder(dir, std::string(kScene) + kMain));
  ASSERT_NO_FATAL_FAILURE(writeShip(dir));
  ASSERT_TRUE(writeSolid(dir.file("green.dds"), "FF00FF00"));
  ASSERT_TRUE(writeSolid(dir.file("magenta.dds"), "FFFF00FF"));
  const rktest::GameRun run = rktest::runGame(dir);
  ASSERT_TRUE(run.started);
  ASSERT_FALSE(run.timedOut) << "the game did not end";
  ASSERT_TRUE(WIFEXITED(run.status)) << run.errors;
  EXPECT_EQ(WEXITSTATUS(run.status), 0) << run.errors;
  // Ready with its one take, the take advanced, the engine frame found (2
  // behind the ship), and the objects answering.
  EXPECT_EQ(rktest::readBytes(dir.file("result.txt")), "true 1 true true -2 8 1 1 50 true");
  const fsys::path errorLog = rktest::gameErrorLog(dir);
  EXPECT_FALSE(fsys::exists(errorLog)) << rktest::readBytes(errorLog.string());
}

class SceneGl : public gfxlisttest::GlRig {
 protected:
  void SetUp() override {
    GlRig::SetUp();
    if (IsSkipped()) return;
    models = rk::gfx::ModelManager::createInstance();
    states = rk::script::ScriptStateManager::createInstance();
    L = states->createScriptState()->luaState();
  }
  void TearDown() override {
    if (states) rk::script::ScriptStateManager::destroyInstance();
    if (models) rk::gfx::ModelManager::destroyInstance();
    GlRig::TearDown();
  }

  rk::gfx::ModelManager* models = nullptr;
  rk::script::ScriptStateManager* states = nullptr;
  lua_State* L = nullptr;
};

TEST_F(SceneGl, TheReadBackShowsBillboardLaserWindowMenuAndGauge) {
  const std::uint8_t green[4] = {0, 255, 0, 255}, magenta[4] = {255, 0, 255, 255};
  loadedTexture("green.dds", 0, green);
  loadedTexture("magenta.dds", 0, magenta);
  ASSERT_EQ(rktest::runLua(L, std::string(kScene) + "scene = buildScene()"), "");
  const unsigned frame = context->currentFrame();
  context->drawFrame();
  const std::vector<std::uint32_t> pixels = rktest::readBackBuffer(*context, frame);

  // Pixels of one clear colour in a region of the screen.
  struct Colour {
    const char* name;
    int r, g, b;  // 1: above 200, 0: below 60
  };
  auto count = [&](const Colour& c, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const std::uint32_t p = at(pixels, x, y);
        const int ch[3] = {int(p & 0xFF), int(p >> 8 & 0xFF), int(p >> 16 & 0xFF)};
        const int want[3] = {c.r, c.g, c.b};
        bool match = true;
        for (int i = 0; i < 3; ++i) match = match && (want[i] ? ch[i] > 200 : ch[i] < 60);
        n += match;
      }
    return n;
  };
  const Colour blue{"window", 0, 0, 1}, red{"menu cursor", 1, 0, 0}, yellow{"gauge", 1, 1, 0},
      magentaPixels{"billboard", 1, 0, 1}, greenPixels{"laser", 0, 1, 0};
  const int midX = kW / 2, midY = kH / 2;
  EXPECT_GT(count(blue, 0, 0, midX, midY), 60) << blue.name;
  EXPECT_GT(count(red, 0, 0, midX, midY), 3) << red.name;
  EXPECT_GT(count(yellow, 0, 0, midX, midY), 10) << yellow.name;
  EXPECT_GT(count(magentaPixels, midX, 0, kW, midY), 60) << magentaPixels.name;
  EXPECT_GT(count(greenPixels, 0, midY, kW, kH), 60) << greenPixels.name;
  for (const Colour& c : {blue, red, yellow, magentaPixels}) EXPECT_EQ(count(c, 0, midY + 4, kW, kH), 0) << c.name;
  EXPECT_EQ(count(greenPixels, 0, 0, kW, midY), 0) << "the laser stays at the bottom";
  EXPECT_TRUE(log.empty()) << log.text();
  // The scripts' objects go while the texture manager is there, as in the
  // game's shut-down; the window's own white texture leaves no cache entry.
  rk::script::ScriptStateManager::destroyInstance();
  states = nullptr;
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
