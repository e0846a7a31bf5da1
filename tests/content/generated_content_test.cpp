// The content the build generates, read back by the framework's own readers:
// textures by the DDS reader (with the layouts the HUD and the fonts expect),
// the sound effects and the music by the Ogg decoder (loop points included),
// and the sound group by the audio context's group loader.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "audio/ogg_decoder/rk_oggmemorydecoder.h"
#include "audio_players/audio_players_support.h"
#include "host/dds.h"
#include "lib/dds_writer.h"
#include "lib/glyph_page.h"
#include "lib/sound_group_writer.h"

namespace {

const std::string kDataDir = RK_BINARY_DIR "/data";
const std::string kTextureDir = RK_BINARY_DIR "/data-gen/hud/textures";
const std::string kPageList = RK_SOURCE_DIR "/data/fonts/pages.txt";

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A generated texture as the DDS reader sees it, with its pixels.
struct Texture {
  host::dds::Image image;
  std::vector<std::uint8_t> bytes;
  const std::uint8_t* pixel(std::uint32_t x, std::uint32_t y) const {
    return bytes.data() + image.surfaces[0].offset + (std::size_t(y) * image.width + x) * 4;
  }
  // Opaque texels in the rectangle.
  int ink(std::uint32_t l, std::uint32_t t, std::uint32_t r, std::uint32_t b) const {
    int count = 0;
    for (std::uint32_t y = t; y < b; ++y)
      for (std::uint32_t x = l; x < r; ++x) count += pixel(x, y)[3] != 0;
    return count;
  }
};

Texture loadTexture(const std::string& name) {
  Texture t;
  t.bytes = readFile(kTextureDir + "/" + name + ".dds");
  EXPECT_EQ(host::dds::parse(t.bytes.data(), t.bytes.size(), &t.image), host::S_OK) << name;
  return t;
}

TEST(DdsWriter, ItsFilesAreReadByTheDdsReaderPixelForPixel) {
  rktools::Image image(3, 2);
  for (std::size_t i = 0; i < image.rgba.size(); ++i) image.rgba[i] = static_cast<std::uint8_t>(i * 7);
  const std::vector<std::uint8_t> file = rktools::ddsRgba8(image);
  host::dds::Image parsed;
  ASSERT_EQ(host::dds::parse(file.data(), file.size(), &parsed), host::S_OK);
  EXPECT_EQ(parsed.format, host::gpu::DXGI_FORMAT_R8G8B8A8_UNORM);
  EXPECT_EQ(parsed.width, 3u);
  EXPECT_EQ(parsed.height, 2u);
  EXPECT_EQ(parsed.mipCount, 1u);
  ASSERT_EQ(parsed.surfaces.size(), 1u);
  EXPECT_EQ(parsed.surfaces[0].rowBytes, 12u);
  ASSERT_EQ(parsed.surfaces[0].offset + parsed.surfaces[0].bytes, file.size());
  EXPECT_TRUE(std::equal(image.rgba.begin(), image.rgba.end(), file.begin() + parsed.surfaces[0].offset));
}

// Characters that are drawn as nothing: the full-width space and control bytes.
bool isBlank(const std::string& code) {
  return code == "　" || (code.size() == 1 && static_cast<unsigned char>(code[0]) < 0x20);
}

// Every page of the list: the characters the layout places are drawn in their
// cells, and nothing is drawn where no character stands.
TEST(GeneratedTextures, GlyphPagesHoldTheirCharactersInTheirCells) {
  std::vector<rktools::PageSource> pages;
  std::string error;
  ASSERT_TRUE(rktools::readPageList(kPageList, pages, error)) << error;
  ASSERT_EQ(pages.size(), 28u);  // the score digits, the initial font and 26 game font pages
  for (const rktools::PageSource& page : pages) {
    SCOPED_TRACE(page.name);
    const Texture texture = loadTexture(page.name);
    ASSERT_EQ(texture.image.width, page.layout.size);
    ASSERT_EQ(texture.image.height, page.layout.size);
    const std::vector<rktools::Cell> cells = rktools::layoutPage(page.characters, page.layout);
    int inked = 0;
    for (const rktools::Cell& cell : cells) {
      const int ink = texture.ink(cell.x, cell.y, cell.x + cell.width, cell.y + cell.height);
      if (isBlank(cell.code))
        EXPECT_EQ(ink, 0) << "cell at " << cell.x << "," << cell.y;
      else
        EXPECT_GT(ink, 20) << "cell at " << cell.x << "," << cell.y;
      inked += ink;
    }
    EXPECT_EQ(texture.ink(0, 0, page.layout.size, page.layout.size), inked) << "ink outside the cells";
  }
}

TEST(GeneratedTextures, ScoreDigitsSitInAFourByFourGrid) {
  const Texture digits = loadTexture("score_font");
  for (int d = 0; d < 16; ++d) {
    const std::uint32_t x = 64 * (d % 4), y = 64 * (d / 4);
    if (d < 10)
      EXPECT_GT(digits.ink(x, y, x + 64, y + 64), 100) << d;
    else
      EXPECT_EQ(digits.ink(x, y, x + 64, y + 64), 0) << d;
  }
}

TEST(GeneratedTextures, GaugeAtlasHasItsStripsFrameAndFill) {
  const Texture gauge = loadTexture("gauge");
  ASSERT_EQ(gauge.image.width, 512u);
  for (std::uint32_t top : {64u, 128u, 192u, 256u}) EXPECT_GT(gauge.ink(0, top, 512, top + 32), 200) << top;
  EXPECT_EQ(gauge.ink(0, 384, 256, 400), 256 * 16) << "the fill is solid";
  EXPECT_GT(gauge.ink(0, 320, 256, 322), 500) << "the frame's top edge";
  EXPECT_EQ(gauge.ink(2, 322, 254, 334), 0) << "the frame is hollow";
  EXPECT_EQ(gauge.ink(256, 320, 512, 512), 0);
  EXPECT_EQ(gauge.ink(0, 0, 512, 64), 0);
  // White pieces, so that the gauge colour alone tints them.
  EXPECT_EQ(gauge.pixel(10, 386)[0], gauge.pixel(10, 386)[2]);
  EXPECT_EQ(gauge.pixel(10, 386)[0], 255 - 2 * 96 / 16);
}

// The game font enters the first cell of each character, pages in order: the
// page list gives 407 distinct characters, with "ｕ" first on page 7.
TEST(GeneratedTextures, GameFontPagesEnter407Characters) {
  std::vector<rktools::PageSource> pages;
  std::string error;
  ASSERT_TRUE(rktools::readPageList(kPageList, pages, error)) << error;
  std::map<std::string, std::pair<std::string, std::uint32_t>> first;  // code -> page, x
  int gamePages = 0;
  for (const rktools::PageSource& page : pages) {
    if (page.name.rfind("font", 0) != 0 && page.name.rfind("kanji", 0) != 0) continue;
    ++gamePages;
    for (const rktools::Cell& cell : rktools::layoutPage(page.characters, page.layout))
      first.emplace(cell.code, std::make_pair(page.name, cell.x + 256 * cell.y));
  }
  EXPECT_EQ(gamePages, 26);
  EXPECT_EQ(first.size(), 407u);
  EXPECT_EQ(first["ｕ"], std::make_pair(std::string("font08"), 256u * 64u)) << "second row, first cell";
  EXPECT_EQ(first["ッ"].first, "font14");
  EXPECT_EQ(first["お"].first, "font09");
}

class GeneratedSounds : public testing::Test {
 protected:
  rktest::ErrorLogCapture log_;
};

TEST_F(GeneratedSounds, EffectsAndMusicDecodeAndTheMusicLoops) {
  struct Case {
    const char* path;
    int channels;
    bool loop;
    double loopStart, loopEnd;
  } cases[] = {
      {"audio/se/common01/shot_hit.ogg", 1, false, 0, 0},
      {"audio/se/common01/explosion02.ogg", 1, false, 0, 0},
      {"audio/se/common01/player_damage.ogg", 1, false, 0, 0},
      {"audio/se/common01/player_power_up.ogg", 1, false, 0, 0},
      {"audio/se/common01/player_sp_attack.ogg", 1, false, 0, 0},
      {"audio/se/common01/reflect.ogg", 1, false, 0, 0},
      {"audio/bgm/stage01.ogg", 2, true, 2.0, 10.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::vector<std::uint8_t> bytes = readFile(kDataDir + "/" + c.path);
    ASSERT_FALSE(bytes.empty());
    rk::audio::OggMemoryDecoder decoder;
    decoder.setSource(nullptr, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    ASSERT_TRUE(decoder.open(c.path));
    EXPECT_EQ(decoder.info()->channels, c.channels);
    EXPECT_EQ(decoder.info()->rate, 44100);
    EXPECT_EQ(decoder.isLoop(), c.loop);
    EXPECT_NEAR(decoder.loopStart(), c.loopStart, 1e-9);
    EXPECT_NEAR(decoder.loopEnd(), c.loopEnd, 1e-9);
    // Not silence (the music's intro swells from nothing: its first seconds).
    std::vector<std::uint8_t> pcm(3 * 44100 * 2 * c.channels);
    std::uint8_t ended = 0;
    const std::uint32_t n = decoder.getPCM(pcm.data(), static_cast<std::uint32_t>(pcm.size()), false, ended);
    int loud = 0;
    for (std::uint32_t i = 0; i + 1 < n; i += 2) loud += std::abs(std::int16_t(pcm[i] | pcm[i + 1] << 8)) > 500;
    EXPECT_GT(loud, 500);
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// The group the game asks for as "audio/se/common01.bsp" loads every effect
// into a sound slot, from the data folder as the game's current folder.
TEST_F(GeneratedSounds, TheSoundGroupLoadsEveryEffect) {
  rktest::BoxRecorder boxes;
  rktest::CurrentDirGuard cwd(kDataDir);
  rktest::ManualAudio audio;
  rktest::loadGroup(audio, "audio/se/common01.bsp");
  std::vector<std::string> names;
  audio.context()->getSoundEffectName(names, "audio/se/common01.bsp");
  const std::vector<std::string> expected = {
      "audio/se/common01/shot_hit.ogg",        "audio/se/common01/explosion02.ogg",
      "audio/se/common01/player_damage.ogg",   "audio/se/common01/player_power_up.ogg",
      "audio/se/common01/player_sp_attack.ogg", "audio/se/common01/reflect.ogg"};
  EXPECT_EQ(names, expected);
  EXPECT_GE(audio.context()->playOneShotSoundEffect("audio/se/common01/shot_hit.ogg", 0.0f, 1.0f), 0);
  audio.context()->releaseSoundEffectGroup("audio/se/common01.bsp");
  EXPECT_TRUE(boxes.texts.empty());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST(SoundGroupWriter, ContentListsTheNamesBehindTheirOffsets) {
  const std::string content = rktools::soundGroupContent({"a.ogg", "se/bb.ogg"});
  auto word = [&](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t(static_cast<unsigned char>(content[at + i])) << (8 * i);
    return v;
  };
  ASSERT_EQ(word(0), 8u);
  ASSERT_EQ(word(4), 2u);
  EXPECT_STREQ(content.c_str() + word(8), "a.ogg");
  EXPECT_STREQ(content.c_str() + word(12), "se/bb.ogg");
  EXPECT_EQ(content.size(), word(12) + 10);
  const std::vector<std::uint8_t> file = rktools::soundGroupFile({"a.ogg"});
  std::vector<std::uint8_t> inflated;
  ASSERT_TRUE(rk::fs::inflateContainer(file.data(), file.size(), inflated));
  EXPECT_EQ(std::string(inflated.begin(), inflated.end()), rktools::soundGroupContent({"a.ogg"}));
}

}  // namespace
