// A cursor over a resource's bytes with a stack of remembered positions; the
// model, node and animation readers walk their files with it.
#pragma once
#include <cstdint>
#include <deque>

#include "res/rk_resource.h"

namespace rk::res {

class ResourceReader {
 public:
  explicit ResourceReader(ResourceData* resource);
  virtual ~ResourceReader();
  ResourceReader(const ResourceReader&) = delete;
  ResourceReader& operator=(const ResourceReader&) = delete;

  std::uint32_t getPosition() const { return stack_.back(); }
  std::uint32_t size() const;
  const std::uint8_t* data() const;

  // Values at the cursor; the cursor stays. Nothing past the end is read: a value
  // that does not fit reads as 0.
  std::int32_t getInt() const;
  std::uint32_t getUInt() const;
  float getFloat() const;
  double getDouble() const;
  // The zero-terminated text at the cursor, or "" when no terminator lies before the end.
  const char* getString() const;
  // `count` bytes at the cursor, or null when they do not all lie before the end.
  const std::uint8_t* getBytes(std::uint32_t count) const;

  void advance4();                     // +4, then the bound check
  void skip4();                        // +4, no check
  void advance(std::uint32_t count);   // +count, then the bound check
  void skipString();                   // past the text and its zero, then the bound check
  void align16();                      // up to the next multiple of 16, then the bound check
  void seek(std::uint32_t position);   // to an absolute position, then the bound check

  void push() { stack_.push_back(stack_.back()); }
  // Returns to the remembered position; the last position is never popped.
  void pop();

  // A cursor past the end is reported ("rk::res::ResourceReader::seek").
  bool isPastEnd() const { return getPosition() > size(); }

 private:
  void setPosition(std::uint64_t position);
  void checkBound();

  ResourcePtr resource_;
  std::deque<std::uint32_t> stack_;
};

}  // namespace rk::res
