#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fs/rk_compressed_container.h"
#include "game_settings/settings_fixture.h"
#include "status/score_unit.h"
#include "support/error_log_capture.h"
#include "support/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using status::ScoreUnit;

Bytes fileBytes(const std::string& path) {
  const std::string s = rktest::readBytes(path);
  return Bytes(s.begin(), s.end());
}

void writeFile(const std::string& path, const Bytes& bytes) {
  rktest::writeBytes(path, std::string(bytes.begin(), bytes.end()));
}

Bytes containerOf(const Bytes& content) {
  Bytes out;
  EXPECT_EQ(rk::fs::compressContainer(content.data(), content.size(), out), 0);
  return out;
}

Bytes record(const std::string& name, std::uint32_t score) {
  Bytes r(12, 0);
  for (std::size_t i = 0; i < name.size() && i < 8; ++i) r[i] = static_cast<std::uint8_t>(name[i]);
  for (int b = 0; b < 4; ++b) r[8 + b] = static_cast<std::uint8_t>(score >> (8 * b));
  return r;
}

class ScoreFile : public testing::Test {
 protected:
  std::string scorePath() const { return dir_.file("score_data.sca"); }
  std::unique_ptr<ScoreUnit> loaded() {
    auto unit = std::make_unique<ScoreUnit>();
    unit->load(dir_.path().c_str());
    return unit;
  }

  rktest::ErrorLogCapture log_;
  rktest::BoxRecorder boxes_;
  rktest::TempDir dir_;
};

TEST_F(ScoreFile, NoFileGivesTheDefaultTable) {
  auto unit = loaded();
  ASSERT_EQ(unit->count(), 10u);
  EXPECT_EQ(unit->getScoreData(1).name, "＊＊＊");
  EXPECT_EQ(unit->getScoreData(1).score, 40000u);
  EXPECT_EQ(unit->getScoreData(10).score, 78u);
  EXPECT_EQ(unit->getScoreData(0).score, 40000u);
  EXPECT_EQ(unit->getScoreData(11).score, 78u);
  EXPECT_EQ(unit->getScoreData(4).score, 5000u);
  const std::pair<std::uint32_t, unsigned> ranks[] = {{40000, 2}, {40001, 1}, {78, 0}, {79, 10}, {0, 0}};
  for (auto [score, rank] : ranks) EXPECT_EQ(unit->getNowRank(score), rank) << score;
  EXPECT_TRUE(log_.empty());
}

TEST_F(ScoreFile, SavedTableIsTenRecordsLowestFirstAndReadsBack) {
  auto unit = loaded();
  unit->insertRankIn(5, "LOW");  // lower than all: still replaces the lowest
  EXPECT_EQ(unit->getScoreData(10).name, "LOW");
  unit->insertRankIn(3000, "AB");
  unit->insertRankIn(3000, "CD");  // the later equal score ranks above
  // 78, then LOW and 156 went: 312 625 1250 2500 AB CD 5000 ...
  EXPECT_EQ(unit->getScoreData(5).name, "CD");
  EXPECT_EQ(unit->getScoreData(6).name, "AB");
  unit->save(dir_.path().c_str());

  const Bytes file = fileBytes(scorePath());
  ASSERT_GE(file.size(), 16u);
  EXPECT_EQ(file[0] | file[1] << 8 | file[2] << 16 | file[3] << 24, 120);
  EXPECT_EQ(file[8] | file[9] | file[10] | file[11] | file[12] | file[13] | file[14] | file[15], 0);
  Bytes payload;
  ASSERT_TRUE(rk::fs::inflateContainer(file.data(), file.size(), payload));
  EXPECT_EQ(payload, unit->payload());
  Bytes expectedStart = record("＊＊＊", 312);
  const Bytes second = record("＊＊＊", 625);
  expectedStart.insert(expectedStart.end(), second.begin(), second.end());
  EXPECT_EQ(Bytes(payload.begin(), payload.begin() + 24), expectedStart);
  EXPECT_FALSE(std::filesystem::exists(scorePath() + ".tmp"));

  auto again = loaded();
  EXPECT_EQ(again->payload(), payload);
  EXPECT_EQ(again->getScoreData(5).name, "CD");
  EXPECT_EQ(again->getScoreData(1).score, 40000u);
  EXPECT_TRUE(log_.empty());
}

TEST_F(ScoreFile, LongNamesAreCutToSevenBytesWithoutSplittingACharacter) {
  auto unit = loaded();
  unit->insertRankIn(90000, "ABCDEFGHIJ");
  unit->insertRankIn(80000, "ＡＢＣＤ");  // 8 bytes
  const Bytes payload = unit->payload();
  EXPECT_EQ(Bytes(payload.end() - 12, payload.end()), record("ABCDEFG", 90000));
  EXPECT_EQ(Bytes(payload.end() - 24, payload.end() - 12), record("ＡＢＣ", 80000));
}

TEST_F(ScoreFile, NameFillingItsWholeFieldIsReadWithoutOverrun) {
  Bytes payload;
  for (int i = 0; i < 10; ++i) {
    Bytes r = record("12345678", 100 + i);  // no terminator inside the field
    payload.insert(payload.end(), r.begin(), r.end());
  }
  writeFile(scorePath(), containerOf(payload));
  auto unit = loaded();
  EXPECT_EQ(unit->getScoreData(1).name, "12345678");
  EXPECT_EQ(unit->getScoreData(1).score, 109u);
  EXPECT_TRUE(log_.empty());
}

TEST_F(ScoreFile, LongerPayloadKeepsItsFirstTenRecords) {
  Bytes payload;
  for (int i = 0; i < 11; ++i) {
    Bytes r = record("N", 1000 * (i + 1));
    payload.insert(payload.end(), r.begin(), r.end());
  }
  writeFile(scorePath(), containerOf(payload));
  auto unit = loaded();
  EXPECT_EQ(unit->count(), 10u);
  EXPECT_EQ(unit->getScoreData(1).score, 10000u);
}

struct DamagedCase {
  const char* name;
  Bytes file;
};

Bytes shortPayloadFile() { return containerOf(Bytes(60, 'x')); }
Bytes emptyPayloadFile() { return containerOf(Bytes()); }
Bytes headerOnly() { return Bytes{120, 0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }
Bytes garbageStream() {
  Bytes b = headerOnly();
  for (int i = 0; i < 40; ++i) b.push_back(static_cast<std::uint8_t>(i * 37));
  return b;
}
Bytes hugeClaim() {
  Bytes b = garbageStream();
  b[0] = b[1] = b[2] = b[3] = 0xFF;
  return b;
}

class DamagedScoreFile : public ScoreFile, public testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedScoreFile, IsReportedAndGivesTheDefaultTable) {
  writeFile(scorePath(), GetParam().file);
  auto unit = loaded();
  ASSERT_EQ(unit->count(), 10u);
  EXPECT_EQ(unit->getScoreData(1).name, "＊＊＊");
  EXPECT_EQ(unit->getScoreData(1).score, 40000u);
  EXPECT_EQ(unit->getScoreData(10).score, 78u);
  EXPECT_EQ(log_.entries("status::ScoreUnit::load"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedScoreFile,
                         testing::Values(DamagedCase{"EmptyFile", {}}, DamagedCase{"ShortHeader", {120, 0, 0}},
                                         DamagedCase{"HeaderOnly", headerOnly()},
                                         DamagedCase{"GarbageStream", garbageStream()},
                                         DamagedCase{"HugeSizeClaim", hugeClaim()},
                                         DamagedCase{"ShortPayload", shortPayloadFile()},
                                         DamagedCase{"EmptyPayload", emptyPayloadFile()}),
                         [](const testing::TestParamInfo<DamagedCase>& info) { return info.param.name; });

TEST_F(ScoreFile, AFailedSaveKeepsTheOldFile) {
  auto unit = loaded();
  EXPECT_TRUE(unit->save(dir_.path().c_str()));
  const Bytes before = fileBytes(scorePath());
  std::filesystem::create_directory(scorePath() + ".tmp");  // the temporary cannot be made
  unit->insertRankIn(99999, "NEW");
  EXPECT_FALSE(unit->save(dir_.path().c_str()));
  EXPECT_EQ(fileBytes(scorePath()), before);
  EXPECT_EQ(boxes_.boxes.size(), 1u);  // the compressor's own box
}

TEST_F(ScoreFile, WithoutASaveFolderTheDefaultTableIsUsedAndNothingIsWritten) {
  ScoreUnit unit;
  EXPECT_TRUE(unit.load(nullptr));
  EXPECT_EQ(unit.count(), 10u);
  EXPECT_EQ(unit.getScoreData(1).score, 40000u);
  EXPECT_FALSE(unit.save(nullptr));
  EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(ScoreFile, AnEmptyTableWritesNothing) {
  ScoreUnit unit;
  unit.save(dir_.path().c_str());
  EXPECT_FALSE(std::filesystem::exists(scorePath()));
}

TEST(ScoreUnitSingleton, MisuseIsReportedUnderTheQualifiedName) {
  rktest::ErrorLogCapture log;
  EXPECT_EQ(ScoreUnit::getInstance(), nullptr);
  ScoreUnit::destroyInstance();
  EXPECT_EQ(log.entries("status::ScoreUnit::getInstance"), 1u);
  EXPECT_EQ(log.entries("status::ScoreUnit::destroyInstance"), 1u);
  ScoreUnit* first = ScoreUnit::createInstance();
  ScoreUnit* second = ScoreUnit::createInstance();
  EXPECT_EQ(log.entries("status::ScoreUnit::createInstance"), 1u);
  EXPECT_EQ(ScoreUnit::getInstancePtr(), second);
  delete first;
  ScoreUnit::destroyInstance();
  EXPECT_EQ(ScoreUnit::getInstancePtr(), nullptr);
}

}  // namespace
