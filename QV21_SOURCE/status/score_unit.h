// The high-score table (slot 4): the ten best scores with a short name each,
// read at boot from "score_data.sco" (stored compressed as ".sca") and written
// back at shut-down.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "res/rk_res_save_loader.h"

namespace status {

class ScoreUnit : public rk::res::IResLoder, public rk::res::IResSaver {
 public:
  struct ScoreData {
    std::string name = "ＡＡＡ";  // Shift-JIS
    std::uint32_t score = 1000;
  };

  static constexpr unsigned kRankCount = 10;
  static constexpr std::size_t kRecordSize = 12;
  static constexpr std::size_t kNameField = 8;  // 7 bytes of text and the terminator
  static constexpr const char* kFileName = "score_data.sco";

  static ScoreUnit* createInstance();
  static ScoreUnit* getInstance();     // reports "status::ScoreUnit::getInstance" when missing
  static ScoreUnit* getInstancePtr();  // no report
  static void destroyInstance();       // reports "status::ScoreUnit::destroyInstance" when missing

  ScoreUnit();
  ~ScoreUnit() override;
  ScoreUnit(const ScoreUnit&) = delete;
  ScoreUnit& operator=(const ScoreUnit&) = delete;

  // A null folder (no save folder) gives the default table.
  bool load(const char* savePath) override;
  // False when the file could not be written (the compressor shows why).
  bool save(const char* savePath) override;

  // Rank 1 is the highest; ranks below 1 count as 1, above 10 as 10.
  const ScoreData& getScoreData(unsigned rank) const;
  // The first rank whose score is strictly lower than `score`; 0 when none.
  unsigned getNowRank(std::uint32_t score) const;
  // Drops the lowest entry and inserts this one, whatever its score.
  void insertRankIn(std::uint32_t score, const std::string& name);
  std::size_t count() const;

  // The file's payload: one 12-byte record per entry, lowest score first.
  std::vector<std::uint8_t> payload() const;

 private:
  void setDefaultTable();
  // False when the payload is too short for ten whole records.
  bool readPayload(const std::vector<std::uint8_t>& payload);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace status
