#include "res/rk_res_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "kernel/rk_error_log.h"

namespace rk::res {

ResourceReader::ResourceReader(ResourceData* resource) : resource_(resource), stack_{0} {}

ResourceReader::~ResourceReader() = default;

std::uint32_t ResourceReader::size() const { return resource_ ? resource_->size() : 0; }

const std::uint8_t* ResourceReader::data() const { return resource_ ? resource_->data() : nullptr; }

const std::uint8_t* ResourceReader::getBytes(std::uint32_t count) const {
  const std::uint8_t* bytes = data();
  std::uint32_t at = getPosition();
  if (!bytes || at > size() || count > size() - at) return nullptr;
  return bytes + at;
}

std::uint32_t ResourceReader::getUInt() const {
  std::uint32_t value = 0;
  if (const std::uint8_t* p = getBytes(4)) std::memcpy(&value, p, 4);
  return value;
}

std::int32_t ResourceReader::getInt() const { return static_cast<std::int32_t>(getUInt()); }

float ResourceReader::getFloat() const {
  float value = 0.0f;
  if (const std::uint8_t* p = getBytes(4)) std::memcpy(&value, p, 4);
  return value;
}

double ResourceReader::getDouble() const {
  double value = 0.0;
  if (const std::uint8_t* p = getBytes(8)) std::memcpy(&value, p, 8);
  return value;
}

const char* ResourceReader::getString() const {
  const std::uint8_t* p = getBytes(0);
  if (!p || !std::memchr(p, 0, size() - getPosition())) return "";
  return reinterpret_cast<const char*>(p);
}

void ResourceReader::setPosition(std::uint64_t position) {
  constexpr std::uint64_t kLast = std::numeric_limits<std::uint32_t>::max();
  stack_.back() = static_cast<std::uint32_t>(position > kLast ? kLast : position);
}

void ResourceReader::checkBound() {
  if (getPosition() > size()) debug::writeErrorLog("src/res/rk_res_reader", 92, "rk::res::ResourceReader::seek");
}

void ResourceReader::advance4() { advance(4); }

void ResourceReader::skip4() { setPosition(std::uint64_t(getPosition()) + 4); }

void ResourceReader::advance(std::uint32_t count) {
  setPosition(std::uint64_t(getPosition()) + count);
  checkBound();
}

void ResourceReader::skipString() {
  // Without a terminator inside the data the cursor ends just past the end.
  std::uint64_t length = size() - std::min(getPosition(), size());
  if (const std::uint8_t* p = getBytes(0)) {
    if (const void* zero = std::memchr(p, 0, length)) length = static_cast<const std::uint8_t*>(zero) - p;
  }
  setPosition(std::uint64_t(getPosition()) + length + 1);
  checkBound();
}

void ResourceReader::align16() {
  std::uint64_t at = getPosition();
  if (at % 16 != 0) setPosition((at + 15) & ~std::uint64_t(15));
  checkBound();
}

void ResourceReader::seek(std::uint32_t position) {
  setPosition(position);
  checkBound();
}

void ResourceReader::pop() {
  if (stack_.size() > 1) stack_.pop_back();
}

}  // namespace rk::res
