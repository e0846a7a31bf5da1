// A sliding window of complex samples that scripts feed one value at a time,
// and the in-place radix-2 FFT of that window. Scripts reach it as the FFT
// object; the class builds its own method table.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "script/rk_lua_object.h"

namespace rk::math {

class FFT : public script::ILuaMethod {
 public:
  struct Complex {
    float real;
    float imaginary;
  };

  // Largest window a script may ask for; bigger requests are reported and ignored.
  static constexpr std::uint32_t kMaxEntries = 1u << 20;

  FFT();  // 16 entries
  ~FFT() override;
  FFT(const FFT&) = delete;
  FFT& operator=(const FFT&) = delete;

  void registerMethods(lua_State* L) override;
  void setMetatable(lua_State* L) override;

  // count entries, entry j = (j, 0); the result becomes a copy; the window restarts.
  void resize(std::uint32_t count);
  // A window of 2n entries; n <= 0 (or a window above kMaxEntries) changes nothing.
  void init(int n);
  // Writes (cursor, value) at the cursor, first shifting the imaginary parts
  // one place to the front once the cursor stands on the last entry. An empty
  // window ignores the value.
  void join(float value);
  // Imaginary parts move one place to the front; real parts, the last entry
  // and the cursor stay.
  void popFront();
  void clear() { resize(static_cast<std::uint32_t>(samples().size())); }
  std::uint32_t getEntrySize() const;
  // index counts from 1; an index outside the window changes nothing.
  void rewriteReal(std::int64_t index, float value);
  void rewriteImaginary(std::int64_t index, float value);
  // result := samples transformed (sign 1 forward, -1 inverse, unscaled). A
  // window whose size is not a power of two is left untransformed and the
  // result keeps its previous contents.
  void calc(int sign);
  std::uint32_t getResultSize() const;
  // Imaginary part of the first result entry (0 for an empty result).
  float getResult() const;

  const std::vector<Complex>& samples() const;
  const std::vector<Complex>& result() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

extern const script::LuaClass kFFTClass;

}  // namespace rk::math
