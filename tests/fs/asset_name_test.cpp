#include <gtest/gtest.h>

#include <string>

#include "fs/rk_file_manager.h"

namespace {

struct NameCase {
  const char* requested;
  const char* stored;
  const char* mode;
  bool compressed;
};

TEST(AssetName, MapsByTheTextAfterTheLastDot) {
  const NameCase cases[] = {
      {"script/autoexec", "script/autoexec.a", "rb", true},  // no '.' at all
      {"", ".a", "rb", true},
      {"score_data.sco", "score_data.sca", "rb", true},
      {"config.dat", "config.dat", "r", false},  // text mode
      {"bgm/stage1.ogg", "bgm/stage1.ogg", "rb", false},
      {"tex/wall.tga", "tex/wall.dds", "rb", false},
      {"tex/wall.dds", "tex/wall.dds", "rb", false},
      {"model/ship.ex", "model/ship.ex", "rb", false},
      {"effect/hit.efk", "effect/hit.ea", "rb", true},
      {"sound/se.bsp", "sound/se.bpa", "rb", true},
      {"mesh/rock.obj", "mesh/rock.oba", "rb", true},
      {"col/stage.geo", "col/stage.gea", "rb", true},
      {"image.png", "image.png", "rb", false},  // any other extension
      // The only '.' sits in a folder: the "extension" runs to the end.
      {"data/v1.2/readme", "data/v1.2/readme", "rb", false},
      {"a.b/score.sco", "a.b/score.sca", "rb", true},  // the last '.' counts
      {"HIT.EFK", "HIT.EFK", "rb", false},             // case-sensitive
      {"name.", "name.", "rb", false},
      {"archive.tar.geo", "archive.tar.gea", "rb", true},
  };
  for (const NameCase& c : cases) {
    std::string stored = "junk", mode = "junk";
    bool compressed = rk::fs::FileManager::mapAssetName(stored, mode, c.requested);
    EXPECT_EQ(stored, c.stored) << c.requested;
    EXPECT_EQ(mode, c.mode) << c.requested;
    EXPECT_EQ(compressed, c.compressed) << c.requested;
  }
}

}  // namespace
