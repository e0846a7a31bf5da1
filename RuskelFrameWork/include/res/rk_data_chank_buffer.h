// Data chunks: a tree of named values that scripts build and write to a file,
// and the reader that walks such a file.
//
// File layout (little-endian, no header): one 16-byte record per chunk in
// depth-first pre-order, then a string table of every distinct name and string
// value, each once with its zero byte, in byte-wise order.
//   record: u16 kind, u16 length (16), u32 size of the chunk's subtree in bytes,
//           u32 name offset, u32 value (int, float bits, boolean byte, string
//           offset, or a buffer's child count)
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "res/rk_resource.h"

namespace rk::res {

enum DataChankKind : int {
  kDataChankInt = 0,
  kDataChankFloat = 1,
  kDataChankBoolean = 2,
  kDataChankString = 3,
  kDataChankBuffer = 4,
};

constexpr std::uint32_t kDataChankRecordSize = 16;

class DataChank {
 public:
  explicit DataChank(std::string name) : name_(std::move(name)) {}
  virtual ~DataChank() = default;
  DataChank(const DataChank&) = delete;
  DataChank& operator=(const DataChank&) = delete;

  virtual int kind() const = 0;
  // Bytes of this chunk's records in a file.
  virtual std::uint32_t getSize() const { return kDataChankRecordSize; }
  // The record's value word (string values: 0; resolved by the buffer).
  virtual std::uint32_t valueBits() const = 0;
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

class DataChankInt : public DataChank {
 public:
  DataChankInt(std::string name, std::int32_t value) : DataChank(std::move(name)), value_(value) {}
  int kind() const override { return kDataChankInt; }
  std::uint32_t valueBits() const override { return static_cast<std::uint32_t>(value_); }
  std::int32_t value() const { return value_; }

 private:
  std::int32_t value_;
};

class DataChankFloat : public DataChank {
 public:
  DataChankFloat(std::string name, float value) : DataChank(std::move(name)), value_(value) {}
  int kind() const override { return kDataChankFloat; }
  std::uint32_t valueBits() const override;
  float value() const { return value_; }

 private:
  float value_;
};

class DataChankBoolean : public DataChank {
 public:
  DataChankBoolean(std::string name, bool value) : DataChank(std::move(name)), value_(value) {}
  int kind() const override { return kDataChankBoolean; }
  std::uint32_t valueBits() const override { return value_ ? 1u : 0u; }
  bool value() const { return value_; }

 private:
  bool value_;
};

class DataChankString : public DataChank {
 public:
  DataChankString(std::string name, std::string value) : DataChank(std::move(name)), value_(std::move(value)) {}
  int kind() const override { return kDataChankString; }
  std::uint32_t valueBits() const override { return 0; }
  const std::string& value() const { return value_; }

 private:
  std::string value_;
};

class DataChankBuffer : public DataChank {
 public:
  using NameOffsets = std::map<std::string, std::uint32_t>;

  explicit DataChankBuffer(std::string name) : DataChank(std::move(name)) {}
  ~DataChankBuffer() override;

  int kind() const override { return kDataChankBuffer; }
  std::uint32_t getSize() const override;
  std::uint32_t valueBits() const override { return static_cast<std::uint32_t>(children_.size()); }

  // The number is truncated toward zero and wrapped to 32 bits.
  void addDataChankInt(const std::string& name, double number);
  void addDataChankFloat(const std::string& name, double number);
  void addDataChankBoolean(const std::string& name, bool value);
  void addDataChankString(const std::string& name, const std::string& text);
  // This buffer takes ownership of `child`. A buffer that already has an owner,
  // or that would end up inside itself, is refused (and reported).
  bool addDataChankBuffer(DataChankBuffer* child);
  // Any chunk; this buffer owns it from now on.
  void addChank(std::unique_ptr<DataChank> child);

  const std::vector<std::unique_ptr<DataChank>>& children() const { return children_; }
  const DataChankBuffer* owner() const { return owner_; }

  // Inserts its own name, the children's names and the string values.
  void collectNames(NameOffsets& names) const;
  // Appends the records of this subtree; offsets come from `names` (0 without).
  // Returns the byte length of all records in `records`.
  std::uint32_t outputData(std::vector<std::uint8_t>& records, const NameOffsets* names) const;
  // The whole file image of this tree.
  std::vector<std::uint8_t> buildFile() const;
  // Writes the tree to the file (through a temporary file renamed into place);
  // a path that cannot be written is left alone without a message.
  bool outputDataChankBuffer(const std::string& path) const;

 private:
  std::vector<std::unique_ptr<DataChank>> children_;
  const DataChankBuffer* owner_ = nullptr;
};

// Truncates toward zero and wraps to 32 bits, as scripts' numbers are stored.
std::int32_t truncateToInt32(double number);

// A cursor over a chunk-tree file held in a resource. Every record and text is
// checked against the resource's bytes; what does not fit reads as nothing.
class DataChankReader {
 public:
  struct Value {
    int kind = kDataChankInt;
    std::int32_t integer = 0;
    float number = 0.0f;
    bool boolean = false;
    std::string text;
    std::uint32_t children = 0;
  };

  explicit DataChankReader(ResourceData* resource);

  void nextChank();
  void inChank();
  void outChank();
  std::string getChankName() const;
  const char* getDataType() const;
  Value getData() const;
  bool isEnd() const { return cursor_ >= end_; }

  std::uint32_t position() const { return cursor_; }
  std::uint32_t end() const { return end_; }

 private:
  struct Record {
    std::uint16_t kind;
    std::uint16_t length;
    std::uint32_t size;
    std::uint32_t nameOffset;
    std::uint32_t value;
  };
  bool recordAt(std::uint32_t position, Record& record) const;
  std::string textAt(std::uint32_t offset) const;

  ResourcePtr resource_;
  std::uint32_t end_ = 0;
  std::uint32_t cursor_ = 0;
  std::vector<std::uint32_t> stack_;
};

}  // namespace rk::res
