// The game's own scripts in the built data folder, run as a process: with
// QUORVANDEL_AUTOPLAY they play the title, options, controls, ranking,
// stage and results screens by themselves and end the game with exit code 0;
// the settings and the high score they enter are saved, and a second run
// starts from what the first one saved.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/figures.h"
#include "support/game_run.h"
#include "support/temp_dir.h"

namespace {

namespace fsys = std::filesystem;

const std::string kDataFolder = RK_BINARY_DIR "/data";

struct ScoreRecord {
  std::string name;
  std::uint32_t score;
};

// The ten records of the saved score file, lowest first; empty when the file
// is missing or does not hold exactly ten records.
std::vector<ScoreRecord> readScores(const rktest::TempDir& dir) {
  const std::string file = rktest::readBytes((rktest::gameSaveFolder(dir) / "score_data.sca").string());
  if (file.size() < 16) return {};
  std::uint32_t size = 0;
  std::memcpy(&size, file.data(), 4);
  if (size != 120) return {};
  std::vector<unsigned char> payload(size);
  uLongf length = size;
  if (uncompress(payload.data(), &length, reinterpret_cast<const Bytef*>(file.data() + 16), file.size() - 16) != Z_OK ||
      length != size)
    return {};
  std::vector<ScoreRecord> records;
  for (int i = 0; i < 10; ++i) {
    const char* record = reinterpret_cast<const char*>(payload.data()) + i * 12;
    std::uint32_t score = 0;
    std::memcpy(&score, record + 8, 4);
    records.push_back({std::string(record, strnlen(record, 8)), score});
  }
  return records;
}

int countNamed(const std::vector<ScoreRecord>& records, const std::string& name) {
  int count = 0;
  for (const ScoreRecord& r : records) count += r.name == name;
  return count;
}

std::string config(const rktest::TempDir& dir) { return rktest::readBytes((rktest::gameSaveFolder(dir) / "config.dat").string()); }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class AutoPlay : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fsys::exists(rktest::gameExecutable()));
    ASSERT_TRUE(fsys::exists(kDataFolder + "/script.pkp"));
    fsys::create_directories(dir_.file("run"));
    fsys::create_directories(dir_.file("home"));
  }
  // Runs the game in the built data folder with QUORVANDEL_AUTOPLAY set to
  // `seconds` (unset when empty).
  rktest::GameRun play(const std::string& seconds, std::chrono::seconds limit = std::chrono::seconds(90)) {
    rktest::GameRunOptions options{kDataFolder, {}};
    if (!seconds.empty()) options.environment.push_back("QUORVANDEL_AUTOPLAY=" + seconds);
    return rktest::runGame(dir_, options, limit);
  }
  void expectCleanExit(const rktest::GameRun& run) {
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.status;
    EXPECT_EQ(run.errors, "");  // a headless message box would show here
    EXPECT_FALSE(fsys::exists(rktest::gameSaveFolder(dir_) / "error_log.txt"))
        << rktest::readBytes((rktest::gameSaveFolder(dir_) / "error_log.txt").string());
  }

  rktest::TempDir dir_;
};

// Writes a score file of ten records, lowest first, as the game stores it.
void writeScores(const rktest::TempDir& dir, const std::vector<ScoreRecord>& records) {
  std::vector<unsigned char> payload(120, 0);
  for (std::size_t i = 0; i < records.size() && i < 10; ++i) {
    std::memcpy(payload.data() + i * 12, records[i].name.data(), std::min<std::size_t>(records[i].name.size(), 7));
    std::memcpy(payload.data() + i * 12 + 8, &records[i].score, 4);
  }
  std::vector<unsigned char> packed(compressBound(120));
  uLongf packedSize = packed.size();
  ASSERT_EQ(compress2(packed.data(), &packedSize, payload.data(), 120, Z_DEFAULT_COMPRESSION), Z_OK);
  const std::uint32_t header[4] = {120, static_cast<std::uint32_t>(packedSize), 0, 0};
  fsys::create_directories(rktest::gameSaveFolder(dir));
  std::FILE* file = std::fopen((rktest::gameSaveFolder(dir) / "score_data.sca").c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(header, 1, sizeof header, file);
  std::fwrite(packed.data(), 1, packedSize, file);
  std::fclose(file);
}

// What the auto-play prints on standard output when it ends the game:
// "autoplay summary: seconds=.. rounds=.. cleared=.. best_score=.. kills=.. combos=..".
struct Summary {
  bool found = false;
  double seconds = 0;
  long rounds = 0, cleared = 0, bestScore = 0, kills = 0, combos = 0;
};

Summary readSummary(const std::string& output) {
  Summary s;
  const std::size_t at = output.rfind("autoplay summary:");
  if (at == std::string::npos) return s;
  const std::size_t end = output.find('\n', at);
  const auto figures = rktest::parseFigures(output.substr(at, end == std::string::npos ? end : end - at));
  for (const char* key : {"seconds", "rounds", "cleared", "best_score", "kills", "combos"})
    if (!figures.count(key)) return s;
  s.found = true;
  s.seconds = figures.at("seconds");
  s.rounds = static_cast<long>(figures.at("rounds"));
  s.cleared = static_cast<long>(figures.at("cleared"));
  s.bestScore = static_cast<long>(figures.at("best_score"));
  s.kills = static_cast<long>(figures.at("kills"));
  s.combos = static_cast<long>(figures.at("combos"));
  return s;
}

// The first run plays for over a minute of game time: a whole stage round
// with kills and at least one combo chain paid, then the results, where the
// score enters the table. (Its window is small: the long run is drawn by a
// software renderer on the CI machine, whose time grows with the pixels; the
// game saves the default size back, so the second run draws full size.) Each run lowers the effect volume
// by one step in the options, moves the shot to the next pad button in the
// controls and enters a high score named AUTO, which takes the place of the
// lowest one: the second run's changes start from the first run's saved values.
TEST_F(AutoPlay, PlaysEveryScreenForAMinuteExitsCleanlyAndTheNextRunStartsFromWhatItSaved) {
  std::vector<ScoreRecord> seeded;
  for (std::uint32_t i = 1; i <= 10; ++i) seeded.push_back({"P" + std::to_string(i), i});
  writeScores(dir_, seeded);
  rktest::writeGameConfig(dir_, "SCREEN_SIZE = (320,180)\r\n");

  const rktest::GameRun run = play("65", std::chrono::seconds(270));
  expectCleanExit(run);
  const Summary summary = readSummary(run.output);
  ASSERT_TRUE(summary.found) << run.output;
  EXPECT_GE(summary.seconds, 60.0) << run.output;
  EXPECT_GE(summary.rounds, 1) << run.output;
  EXPECT_GT(summary.bestScore, 0) << run.output;
  EXPECT_GT(summary.kills, 0) << run.output;
  EXPECT_GE(summary.combos, 1) << run.output;
  std::string saved = config(dir_);
  EXPECT_TRUE(contains(saved, "SE_VOL = 90%\r\n")) << saved;
  EXPECT_TRUE(contains(saved, "TOTAL_VOL = 100%\r\n")) << saved;
  EXPECT_TRUE(contains(saved, "BUTTON_02 = SHOT\r\n")) << saved;
  std::vector<ScoreRecord> scores = readScores(dir_);
  ASSERT_EQ(scores.size(), 10u);
  EXPECT_EQ(countNamed(scores, "AUTO"), 1);
  EXPECT_EQ(countNamed(scores, "P1"), 0);
  EXPECT_EQ(countNamed(scores, "P2"), 1);
  EXPECT_EQ(scores.back().name, "AUTO");
  EXPECT_EQ(static_cast<long>(scores.back().score), summary.bestScore);

  expectCleanExit(play("5", std::chrono::seconds(50)));
  saved = config(dir_);
  EXPECT_TRUE(contains(saved, "SE_VOL = 80%\r\n")) << saved;
  EXPECT_TRUE(contains(saved, "BUTTON_03 = SHOT\r\n")) << saved;
  scores = readScores(dir_);
  ASSERT_EQ(scores.size(), 10u);
  EXPECT_EQ(countNamed(scores, "AUTO"), 2);
  EXPECT_EQ(countNamed(scores, "P2"), 0);
  for (int i = 3; i <= 10; ++i) EXPECT_EQ(countNamed(scores, "P" + std::to_string(i)), 1) << i;
  for (std::size_t i = 1; i < scores.size(); ++i) EXPECT_LE(scores[i - 1].score, scores[i].score) << i;
  // The first run's score is still in the table.
  EXPECT_TRUE(std::any_of(scores.begin(), scores.end(), [&](const ScoreRecord& r) {
    return r.name == "AUTO" && static_cast<long>(r.score) == summary.bestScore;
  }));
}

// Volumes stay within 0..100 %: a step down from 0 % keeps 0 %. Without a
// score file the default table is used, and AUTO enters it.
TEST_F(AutoPlay, AVolumeAlreadyAtZeroStaysAtZero) {
  rktest::writeGameConfig(dir_, "SE_VOL = 0%\r\nBGM_VOL = 40%\r\n");
  expectCleanExit(play("5"));
  const std::string saved = config(dir_);
  EXPECT_TRUE(contains(saved, "SE_VOL = 0%\r\n")) << saved;
  EXPECT_TRUE(contains(saved, "BGM_VOL = 40%\r\n")) << saved;
  const std::vector<ScoreRecord> scores = readScores(dir_);
  ASSERT_EQ(scores.size(), 10u);
  EXPECT_EQ(countNamed(scores, "AUTO"), 1);
  EXPECT_EQ(countNamed(scores, "\x81\x96\x81\x96\x81\x96"), 9);  // the default name
}

// Without a number of seconds the game waits on its title screen for a
// player: it does not end by itself, and its screens report no error.
TEST_F(AutoPlay, WithoutANumberOfSecondsTheTitleWaitsForAPlayer) {
  for (const char* value : {"", "abc", "0", "-3"}) {
    SCOPED_TRACE(value);
    const rktest::GameRun run = play(value, std::chrono::seconds(3));
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.timedOut);
    EXPECT_FALSE(fsys::exists(rktest::gameSaveFolder(dir_) / "error_log.txt"));
    EXPECT_FALSE(fsys::exists(rktest::gameSaveFolder(dir_) / "config.dat"));  // killed, so never saved
  }
}

}  // namespace
