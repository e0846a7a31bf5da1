#include "math/rk_fft.h"

#include <cmath>
#include <utility>

#include "kernel/rk_error_log.h"
#include "script/rk_lua_arg.h"

namespace rk::math {

const script::LuaClass kFFTClass{"rk::math::FFT"};

struct FFT::Impl {
  std::vector<Complex> samples;
  std::vector<Complex> result;
  std::uint32_t cursor = 0;
};

namespace {

bool isPowerOfTwo(std::size_t n) { return n != 0 && (n & (n - 1)) == 0; }

// Bit reversal then Danielson-Lanczos butterflies over the entries viewed as
// n = 2 * count floats with 1-based indices: data(2k + 1) is the real part of
// entry k, data(2k + 2) its imaginary part. The twiddle recurrence and the
// butterfly products run in double precision; the data stay float.
void transform(std::vector<FFT::Complex>& entries, int sign) {
  const std::size_t n = entries.size() * 2;
  float* base = &entries.front().real;
  auto data = [base](std::size_t k) -> float& { return base[k - 1]; };

  std::size_t j = 1;
  for (std::size_t i = 1; i < n; i += 2) {
    if (j > i) {
      std::swap(data(j), data(i));
      std::swap(data(j + 1), data(i + 1));
    }
    std::size_t m = n / 2;
    while (m >= 2 && j > m) {
      j -= m;
      m /= 2;
    }
    j += m;
  }

  std::size_t mmax = 2;
  while (n > mmax) {
    const std::size_t istep = 2 * mmax;
    const double theta = sign * (6.283185307179586 / static_cast<double>(mmax));
    const double wtemp = std::sin(0.5 * theta);
    const double wpr = -2.0 * wtemp * wtemp;
    const double wpi = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (std::size_t m = 1; m < mmax; m += 2) {
      for (std::size_t i = m; i <= n; i += istep) {
        const std::size_t k = i + mmax;
        const double tempr = wr * data(k) - wi * data(k + 1);
        const double tempi = wr * data(k + 1) + wi * data(k);
        data(k) = static_cast<float>(data(i) - tempr);
        data(k + 1) = static_cast<float>(data(i + 1) - tempi);
        data(i) = static_cast<float>(data(i) + tempr);
        data(i + 1) = static_cast<float>(data(i + 1) + tempi);
      }
      const double wprev = wr;
      wr = wr + (wr * wpr - wi * wpi);
      wi = wi + (wi * wpr + wprev * wpi);
    }
    mmax = istep;
  }
}

// ------------------------------------------------------------ Lua methods

FFT* self(lua_State* L, const char* name) {
  auto* fft = script::toLuaObject<FFT>(L, 1, kFFTClass);
  if (!fft) script::reportNullObject(name);
  return fft;
}

int lua_FFT_init(lua_State* L) {
  if (FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_init")) fft->init(script::toIntArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_FFT_join(lua_State* L) {
  if (FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_join")) fft->join(script::toFloatArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_FFT_clear(lua_State* L) {
  if (FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_clear")) fft->clear();
  lua_settop(L, 0);
  return 0;
}

int lua_FFT_popFront(lua_State* L) {
  if (FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_popFront")) fft->popFront();
  lua_settop(L, 0);
  return 0;
}

int lua_FFT_getEntrySize(lua_State* L) {
  FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_getEntrySize");
  lua_settop(L, 0);
  if (!fft) return 0;
  lua_pushnumber(L, fft->getEntrySize());
  return 1;
}

int lua_FFT_rewriteReal(lua_State* L) {
  if (FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_rewriteReal"))
    fft->rewriteReal(script::toInt64Arg(L, 2), script::toFloatArg(L, 3));
  lua_settop(L, 0);
  return 0;
}

int lua_FFT_rewriteImaginary(lua_State* L) {
  if (FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_rewriteImaginary"))
    fft->rewriteImaginary(script::toInt64Arg(L, 2), script::toFloatArg(L, 3));
  lua_settop(L, 0);
  return 0;
}

int lua_FFT_calc(lua_State* L) {
  if (FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_calc")) fft->calc(script::toIntArg(L, 2));
  lua_settop(L, 0);
  return 0;
}

int lua_FFT_getResultSize(lua_State* L) {
  FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_getResultSize");
  lua_settop(L, 0);
  if (!fft) return 0;
  lua_pushnumber(L, fft->getResultSize());
  return 1;
}

int lua_FFT_getResult(lua_State* L) {
  FFT* fft = self(L, "rk::math::`anonymous-namespace'::lua_FFT_getResult");
  lua_settop(L, 0);
  if (!fft) return 0;
  lua_pushnumber(L, fft->getResult());
  return 1;
}

// Kept for scripts that call it; there is nothing to dump.
int lua_FFT_dumpResult(lua_State* L) {
  lua_settop(L, 0);
  return 0;
}

const luaL_Reg kMethods[] = {
    {"init", lua_FFT_init},
    {"join", lua_FFT_join},
    {"clear", lua_FFT_clear},
    {"popFront", lua_FFT_popFront},
    {"getEntrySize", lua_FFT_getEntrySize},
    {"rewriteReal", lua_FFT_rewriteReal},
    {"rewriteImaginary", lua_FFT_rewriteImaginary},
    {"calc", lua_FFT_calc},
    {"getResultSize", lua_FFT_getResultSize},
    {"getResult", lua_FFT_getResult},
    {"dumpResult", lua_FFT_dumpResult},
    {nullptr, nullptr},
};

}  // namespace

FFT::FFT() : impl_(std::make_unique<Impl>()) { resize(16); }
FFT::~FFT() = default;

void FFT::registerMethods(lua_State* L) { script::setMethods(L, kMethods); }
void FFT::setMetatable(lua_State* L) { script::setObjectMetatable(L, script::lua_gcDeleteObject<FFT, kFFTClass>); }

void FFT::resize(std::uint32_t count) {
  impl_->samples.resize(count);
  for (std::uint32_t j = 0; j < count; ++j) impl_->samples[j] = {static_cast<float>(j), 0.0f};
  impl_->result = impl_->samples;
  impl_->cursor = 0;
}

// init(0) empties the window, as resize(0) does; only a negative size is ignored.
void FFT::init(int n) {
  if (n < 0) return;
  if (static_cast<std::uint32_t>(n) > kMaxEntries / 2) {
    debug::writeErrorLog("src/math/rk_fft", __LINE__, "rk::math::FFT::init");
    return;
  }
  resize(2 * static_cast<std::uint32_t>(n));
}

void FFT::join(float value) {
  std::vector<Complex>& s = impl_->samples;
  if (s.empty()) return;
  const std::uint32_t last = static_cast<std::uint32_t>(s.size() - 1);
  if (impl_->cursor >= last) popFront();
  const std::uint32_t at = impl_->cursor < last ? impl_->cursor : last;
  s[at] = {static_cast<float>(at), value};
  impl_->cursor = at + 1 < last ? at + 1 : last;
}

void FFT::popFront() {
  std::vector<Complex>& s = impl_->samples;
  for (std::size_t i = 1; i < s.size(); ++i) s[i - 1].imaginary = s[i].imaginary;
}

std::uint32_t FFT::getEntrySize() const { return impl_->cursor; }

void FFT::rewriteReal(std::int64_t index, float value) {
  if (index >= 1 && static_cast<std::uint64_t>(index) <= impl_->samples.size()) impl_->samples[index - 1].real = value;
}

void FFT::rewriteImaginary(std::int64_t index, float value) {
  if (index >= 1 && static_cast<std::uint64_t>(index) <= impl_->samples.size())
    impl_->samples[index - 1].imaginary = value;
}

void FFT::calc(int sign) {
  if (!isPowerOfTwo(impl_->samples.size())) return;
  impl_->result = impl_->samples;
  transform(impl_->result, sign);
}

std::uint32_t FFT::getResultSize() const { return static_cast<std::uint32_t>(impl_->result.size()); }
float FFT::getResult() const { return impl_->result.empty() ? 0.0f : impl_->result.front().imaginary; }

const std::vector<FFT::Complex>& FFT::samples() const { return impl_->samples; }
const std::vector<FFT::Complex>& FFT::result() const { return impl_->result; }

}  // namespace rk::math
