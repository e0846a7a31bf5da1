#include "res/rk_data_chank_buffer.h"

#include <cmath>
#include <cstring>

#include "fs/rk_save_file.h"
#include "kernel/rk_error_log.h"

namespace rk::res {

namespace {

constexpr const char* kSource = "src/res/rk_data_chank_buffer";

void report(int line, const char* text) { debug::writeErrorLog(kSource, line, text); }

void appendU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void appendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t readU32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint32_t offsetOf(const DataChankBuffer::NameOffsets* names, const std::string& text) {
  if (!names) return 0;
  auto it = names->find(text);
  return it == names->end() ? 0 : it->second;
}

}  // namespace

std::int32_t truncateToInt32(double number) {
  if (!std::isfinite(number)) return 0;
  double wrapped = std::fmod(std::trunc(number), 4294967296.0);
  if (wrapped < 0) wrapped += 4294967296.0;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(wrapped));
}

std::uint32_t DataChankFloat::valueBits() const {
  std::uint32_t bits;
  std::memcpy(&bits, &value_, sizeof bits);
  return bits;
}

// ---------------------------------------------------------------- DataChankBuffer

DataChankBuffer::~DataChankBuffer() = default;

std::uint32_t DataChankBuffer::getSize() const {
  std::uint32_t size = kDataChankRecordSize;
  for (const auto& child : children_) size += child->getSize();
  return size;
}

void DataChankBuffer::addChank(std::unique_ptr<DataChank> child) {
  if (child) children_.push_back(std::move(child));
}

void DataChankBuffer::addDataChankInt(const std::string& name, double number) {
  addChank(std::make_unique<DataChankInt>(name, truncateToInt32(number)));
}

void DataChankBuffer::addDataChankFloat(const std::string& name, double number) {
  addChank(std::make_unique<DataChankFloat>(name, static_cast<float>(number)));
}

void DataChankBuffer::addDataChankBoolean(const std::string& name, bool value) {
  addChank(std::make_unique<DataChankBoolean>(name, value));
}

void DataChankBuffer::addDataChankString(const std::string& name, const std::string& text) {
  addChank(std::make_unique<DataChankString>(name, text));
}

bool DataChankBuffer::addDataChankBuffer(DataChankBuffer* child) {
  // Two owners would delete it twice; a buffer inside itself never ends.
  bool refused = !child || child->owner_;
  for (const DataChankBuffer* at = this; at && !refused; at = at->owner_) refused = at == child;
  if (refused) {
    report(96, "rk::res::DataChankBuffer::addDataChankBuffer");
    return false;
  }
  child->owner_ = this;
  children_.emplace_back(child);
  return true;
}

void DataChankBuffer::collectNames(NameOffsets& names) const {
  names.emplace(name(), 0);
  for (const auto& child : children_) {
    if (child->kind() == kDataChankBuffer) {
      static_cast<const DataChankBuffer&>(*child).collectNames(names);
      continue;
    }
    names.emplace(child->name(), 0);
    if (child->kind() == kDataChankString) names.emplace(static_cast<const DataChankString&>(*child).value(), 0);
  }
}

std::uint32_t DataChankBuffer::outputData(std::vector<std::uint8_t>& records, const NameOffsets* names) const {
  appendU16(records, kDataChankBuffer);
  appendU16(records, kDataChankRecordSize);
  appendU32(records, getSize());
  appendU32(records, offsetOf(names, name()));
  appendU32(records, valueBits());
  for (const auto& child : children_) {
    const int kind = child->kind();
    if (kind == kDataChankBuffer) {
      static_cast<const DataChankBuffer&>(*child).outputData(records, names);
      continue;
    }
    std::uint32_t value = child->valueBits();
    if (kind == kDataChankString) {
      value = offsetOf(names, static_cast<const DataChankString&>(*child).value());
    } else if (kind < kDataChankInt || kind > kDataChankBuffer) {
      report(143, "rk::res::DataChankBuffer::outputData");
      value = 0;
    }
    appendU16(records, static_cast<std::uint16_t>(kind));
    appendU16(records, kDataChankRecordSize);
    appendU32(records, child->getSize());
    appendU32(records, offsetOf(names, child->name()));
    appendU32(records, value);
  }
  return static_cast<std::uint32_t>(records.size());
}

std::vector<std::uint8_t> DataChankBuffer::buildFile() const {
  NameOffsets names;
  collectNames(names);
  std::vector<std::uint8_t> file;
  std::uint32_t offset = outputData(file, nullptr);
  for (auto& entry : names) {
    entry.second = offset;
    offset += static_cast<std::uint32_t>(entry.first.size()) + 1;
  }
  file.clear();
  outputData(file, &names);
  for (const auto& entry : names) file.insert(file.end(), entry.first.c_str(), entry.first.c_str() + entry.first.size() + 1);
  return file;
}

bool DataChankBuffer::outputDataChankBuffer(const std::string& path) const {
  const std::vector<std::uint8_t> bytes = buildFile();
  return fs::saveFileReplacing(path, bytes.data(), bytes.size());
}

// ---------------------------------------------------------------- DataChankReader

DataChankReader::DataChankReader(ResourceData* resource) : resource_(resource) {
  Record root;
  if (!recordAt(0, root)) {
    report(210, "rk::res::DataChankReader::DataChankReader");
    return;
  }
  const std::uint32_t size = resource_->size();
  end_ = root.size <= size ? root.size : size;
  if (root.size > size) report(216, "rk::res::DataChankReader::DataChankReader");
}

bool DataChankReader::recordAt(std::uint32_t position, Record& record) const {
  const std::uint8_t* data = resource_ ? resource_->data() : nullptr;
  const std::uint32_t size = resource_ ? resource_->size() : 0;
  if (!data || position > size || size - position < kDataChankRecordSize) return false;
  const std::uint8_t* p = data + position;
  record.kind = static_cast<std::uint16_t>(p[0] | p[1] << 8);
  record.length = static_cast<std::uint16_t>(p[2] | p[3] << 8);
  record.size = readU32(p + 4);
  record.nameOffset = readU32(p + 8);
  record.value = readU32(p + 12);
  return true;
}

std::string DataChankReader::textAt(std::uint32_t offset) const {
  const std::uint8_t* data = resource_ ? resource_->data() : nullptr;
  const std::uint32_t size = resource_ ? resource_->size() : 0;
  const void* zero = data && offset < size ? std::memchr(data + offset, 0, size - offset) : nullptr;
  if (!zero) {
    report(240, "rk::res::DataChankReader::getText");
    return std::string();
  }
  return std::string(reinterpret_cast<const char*>(data + offset));
}

void DataChankReader::nextChank() {
  // Records are 16 bytes; any other length field would stall or scatter a walk.
  Record record;
  if (recordAt(cursor_, record) && record.length != kDataChankRecordSize)
    report(252, "rk::res::DataChankReader::nextChank");
  cursor_ = end_ - cursor_ < kDataChankRecordSize ? end_ : cursor_ + kDataChankRecordSize;
}

void DataChankReader::inChank() {
  Record record;
  std::uint64_t after = std::uint64_t(cursor_) + kDataChankRecordSize;
  if (recordAt(cursor_, record)) {
    // The subtree ends at least after this record and at most at the end.
    if (record.size >= kDataChankRecordSize) after = std::uint64_t(cursor_) + record.size;
    else report(264, "rk::res::DataChankReader::inChank");
  }
  if (after > end_) {
    if (cursor_ < end_) report(268, "rk::res::DataChankReader::inChank");
    after = end_;
  }
  stack_.push_back(static_cast<std::uint32_t>(after));
  nextChank();
}

void DataChankReader::outChank() {
  if (stack_.empty()) {
    report(277, "rk::res::DataChankReader::outChank");
    return;
  }
  cursor_ = stack_.back();
  stack_.pop_back();
}

std::string DataChankReader::getChankName() const {
  Record record;
  if (isEnd() || !recordAt(cursor_, record)) return std::string();
  return textAt(record.nameOffset);
}

const char* DataChankReader::getDataType() const {
  Record record;
  int kind = !isEnd() && recordAt(cursor_, record) ? record.kind : static_cast<int>(kDataChankInt);
  switch (kind) {
    case kDataChankFloat: return "float";
    case kDataChankBoolean: return "boolean";
    case kDataChankString: return "string";
    case kDataChankBuffer: return "buffer";
    default: return "int";
  }
}

DataChankReader::Value DataChankReader::getData() const {
  Value value;
  Record record;
  if (isEnd() || !recordAt(cursor_, record)) return value;
  switch (record.kind) {
    case kDataChankFloat:
      value.kind = kDataChankFloat;
      std::memcpy(&value.number, &record.value, sizeof value.number);
      break;
    case kDataChankBoolean:
      value.kind = kDataChankBoolean;
      value.boolean = (record.value & 0xFFu) != 0;
      break;
    case kDataChankString:
      value.kind = kDataChankString;
      value.text = textAt(record.value);
      break;
    case kDataChankBuffer:
      value.kind = kDataChankBuffer;
      value.children = record.value;
      break;
    default:
      value.integer = static_cast<std::int32_t>(record.value);
      break;
  }
  return value;
}

}  // namespace rk::res
