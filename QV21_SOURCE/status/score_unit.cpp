#include "status/score_unit.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstring>
#include <map>

#include "fs/rk_compressed_container.h"
#include "fs/rk_file_manager.h"
#include "host/fs.h"
#include "host/text.h"
#include "kernel/rk_error_log.h"
#include "kernel/rk_instance_table.h"

namespace status {

namespace {

constexpr const char* kSource = "status/score_unit";
const rk::SingletonReport kReport{kSource, "status::ScoreUnit", 85, 90, 95};

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::FILE* file = host::fs::open(path, "rb");
  if (!file) return false;
  std::uint8_t buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

}  // namespace

struct ScoreUnit::Impl {
  // Lowest score first; equal scores in insertion order.
  std::multimap<std::uint32_t, ScoreData> table;
};

ScoreUnit* ScoreUnit::createInstance() { return rk::singletonCreate<ScoreUnit>(rk::InstanceSlot::ScoreUnit, kReport); }

ScoreUnit* ScoreUnit::getInstance() { return rk::singletonGet<ScoreUnit>(rk::InstanceSlot::ScoreUnit, kReport); }

ScoreUnit* ScoreUnit::getInstancePtr() { return static_cast<ScoreUnit*>(rk::instanceSlot(rk::InstanceSlot::ScoreUnit)); }

void ScoreUnit::destroyInstance() { rk::singletonDestroy<ScoreUnit>(rk::InstanceSlot::ScoreUnit, kReport); }

ScoreUnit::ScoreUnit() : impl_(std::make_unique<Impl>()) {}

ScoreUnit::~ScoreUnit() = default;

std::size_t ScoreUnit::count() const { return impl_->table.size(); }

void ScoreUnit::setDefaultTable() {
  std::uint32_t score = 40000;
  for (unsigned i = 0; i < kRankCount; ++i, score /= 2) impl_->table.insert({score, ScoreData{"＊＊＊", score}});
}

// The file is read and checked here, on the main thread, rather than queued to
// the file manager: a container it cannot inflate stops the manager for good,
// and a damaged score file must not end the game.
bool ScoreUnit::load(const char* savePath) {
  std::string stored, mode;
  rk::fs::FileManager::mapAssetName(stored, mode, kFileName);
  std::vector<std::uint8_t> bytes;
  if (!savePath || !readWholeFile(std::string(savePath) + "\\" + stored, bytes)) {
    setDefaultTable();
    return true;
  }
  std::vector<std::uint8_t> content;
  if (!rk::fs::inflateContainer(bytes.data(), bytes.size(), content) || !readPayload(content)) {
    rk::debug::writeErrorLog(kSource, 140, "status::ScoreUnit::load");
    impl_->table.clear();
    setDefaultTable();
  }
  return true;
}

bool ScoreUnit::readPayload(const std::vector<std::uint8_t>& payload) {
  if (payload.size() < kRankCount * kRecordSize) return false;
  impl_->table.clear();
  for (unsigned i = 0; i < kRankCount; ++i) {
    const std::uint8_t* record = payload.data() + i * kRecordSize;
    ScoreData entry;
    entry.name.assign(reinterpret_cast<const char*>(record), strnlen(reinterpret_cast<const char*>(record), kNameField));
    entry.score = std::uint32_t(record[8]) | std::uint32_t(record[9]) << 8 | std::uint32_t(record[10]) << 16 |
                  std::uint32_t(record[11]) << 24;
    impl_->table.insert({entry.score, entry});
  }
  return true;
}

std::vector<std::uint8_t> ScoreUnit::payload() const {
  std::vector<std::uint8_t> out;
  for (const auto& [score, entry] : impl_->table) {
    std::uint8_t record[kRecordSize] = {};
    // The name is cut to what the record holds, never inside a double-byte character.
    std::memcpy(record, entry.name.data(), host::text::fitLength(entry.name, kNameField - 1));
    for (int b = 0; b < 4; ++b) record[8 + b] = static_cast<std::uint8_t>(entry.score >> (8 * b));
    out.insert(out.end(), record, record + kRecordSize);
  }
  return out;
}

bool ScoreUnit::save(const char* savePath) {
  const std::vector<std::uint8_t> records = payload();
  if (records.empty()) return true;  // nothing to keep
  if (!savePath) return false;
  const std::string name = std::string(savePath) + "\\" + kFileName;
  return rk::fs::FileManager::compressFile(name.c_str(), records.data(), static_cast<std::uint32_t>(records.size()));
}

const ScoreUnit::ScoreData& ScoreUnit::getScoreData(unsigned rank) const {
  static const ScoreData kNone{};
  const auto& table = impl_->table;
  if (table.empty()) return kNone;
  if (rank < 1) rank = 1;
  if (rank > kRankCount) rank = kRankCount;
  // Rank r is the r-th from the highest; a short table holds its lowest at the end.
  const std::size_t fromTop = std::min<std::size_t>(rank, table.size());
  auto it = table.end();
  std::advance(it, -static_cast<std::ptrdiff_t>(fromTop));
  return it->second;
}

unsigned ScoreUnit::getNowRank(std::uint32_t score) const {
  for (unsigned rank = 1; rank <= kRankCount; ++rank)
    if (getScoreData(rank).score < score) return rank;
  return 0;
}

void ScoreUnit::insertRankIn(std::uint32_t score, const std::string& name) {
  auto& table = impl_->table;
  if (!table.empty()) table.erase(table.begin());
  table.insert({score, ScoreData{name, score}});
}

}  // namespace status
