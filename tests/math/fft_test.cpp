// The FFT's sliding window, its transform against a direct DFT, and the
// requests that would leave the window: bad indices, sizes and counts.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "math/rk_fft.h"
#include "support/error_log_capture.h"

using rk::math::FFT;

namespace {

std::vector<float> imaginaryParts(const std::vector<FFT::Complex>& entries) {
  std::vector<float> out;
  for (const auto& e : entries) out.push_back(e.imaginary);
  return out;
}

// Direct DFT with the transform's convention: X_k = sum x_n e^(sign 2 pi i k n / N).
std::vector<std::complex<double>> directDft(const std::vector<FFT::Complex>& x, int sign) {
  const std::size_t n = x.size();
  std::vector<std::complex<double>> out(n);
  for (std::size_t k = 0; k < n; ++k)
    for (std::size_t j = 0; j < n; ++j)
      out[k] += std::complex<double>(x[j].real, x[j].imaginary) *
                std::polar(1.0, sign * 2.0 * M_PI * static_cast<double>(k * j) / static_cast<double>(n));
  return out;
}

}  // namespace

TEST(FFT, NewWindowHasSixteenEntriesNumberedByIndex) {
  FFT fft;
  ASSERT_EQ(fft.samples().size(), 16u);
  for (std::size_t j = 0; j < 16; ++j) {
    EXPECT_EQ(fft.samples()[j].real, static_cast<float>(j));
    EXPECT_EQ(fft.samples()[j].imaginary, 0.0f);
  }
  EXPECT_EQ(fft.getEntrySize(), 0u);
  EXPECT_EQ(fft.getResultSize(), 16u);
}

TEST(FFT, WindowFillsThenSlidesKeepingTheLatestValues) {
  FFT fft;
  fft.init(4);
  ASSERT_EQ(fft.samples().size(), 8u);
  for (int v = 1; v <= 8; ++v) fft.join(static_cast<float>(v));
  // The first shift happens as the cursor reaches the last entry, before it was written.
  EXPECT_EQ(imaginaryParts(fft.samples()), (std::vector<float>{2, 3, 4, 5, 6, 7, 0, 8}));
  EXPECT_EQ(fft.getEntrySize(), 7u);
  fft.join(9);
  EXPECT_EQ(imaginaryParts(fft.samples()), (std::vector<float>{3, 4, 5, 6, 7, 0, 8, 9}));
  EXPECT_EQ(fft.getEntrySize(), 7u);
  for (std::size_t j = 0; j < 8; ++j) EXPECT_EQ(fft.samples()[j].real, static_cast<float>(j));

  fft.clear();
  EXPECT_EQ(fft.getEntrySize(), 0u);
  EXPECT_EQ(imaginaryParts(fft.samples()), std::vector<float>(8, 0.0f));
}

TEST(FFT, ConstantSignalTransformsToASingleBin) {
  FFT fft;
  fft.init(4);
  for (int i = 1; i <= 8; ++i) fft.rewriteReal(i, 1.0f);
  fft.calc(1);
  ASSERT_EQ(fft.getResultSize(), 8u);
  EXPECT_FLOAT_EQ(fft.result()[0].real, 8.0f);
  EXPECT_FLOAT_EQ(fft.result()[0].imaginary, 0.0f);
  for (std::size_t k = 1; k < 8; ++k) {
    EXPECT_NEAR(fft.result()[k].real, 0.0f, 1e-5f) << k;
    EXPECT_NEAR(fft.result()[k].imaginary, 0.0f, 1e-5f) << k;
  }
  EXPECT_EQ(fft.samples()[0].real, 1.0f);  // the samples stay
}

TEST(FFT, TransformMatchesDirectDftForBothSignsAndSeveralSizes) {
  for (int n : {1, 2, 4, 8, 32}) {
    for (int sign : {1, -1}) {
      FFT fft;
      fft.init(n);
      for (int i = 1; i <= 2 * n; ++i) {
        fft.rewriteReal(i, std::sin(0.7f * i) + 0.25f * i);
        fft.rewriteImaginary(i, std::cos(1.3f * i));
      }
      fft.calc(sign);
      const auto expected = directDft(fft.samples(), sign);
      for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(fft.result()[k].real, expected[k].real(), 1e-3) << "n " << n << " sign " << sign << " k " << k;
        EXPECT_NEAR(fft.result()[k].imaginary, expected[k].imag(), 1e-3) << "n " << n << " sign " << sign << " k " << k;
      }
      EXPECT_EQ(fft.getResult(), fft.result()[0].imaginary);
    }
  }
}

TEST(FFT, RewriteTouchesOnlyTheNamedEntryAndIgnoresIndicesOutsideTheWindow) {
  FFT fft;
  fft.rewriteReal(1, 5.0f);
  fft.rewriteImaginary(16, 7.0f);
  for (long long bad : {0LL, -1LL, 17LL, 1LL << 40}) {
    fft.rewriteReal(bad, 99.0f);
    fft.rewriteImaginary(bad, 99.0f);
  }
  for (std::size_t j = 0; j < 16; ++j) {
    EXPECT_EQ(fft.samples()[j].real, j == 0 ? 5.0f : static_cast<float>(j)) << j;
    EXPECT_EQ(fft.samples()[j].imaginary, j == 15 ? 7.0f : 0.0f) << j;
  }
}

TEST(FFT, SizesThatCannotHoldATransformChangeNothing) {
  rktest::ErrorLogCapture log;
  FFT fft;
  fft.join(3.0f);
  fft.init(-4);  // a negative size is ignored
  EXPECT_EQ(fft.samples().size(), 16u);
  EXPECT_EQ(fft.getEntrySize(), 1u);
  fft.init(0);  // as resize(0): an empty window
  EXPECT_EQ(fft.samples().size(), 0u);
  EXPECT_EQ(fft.getResultSize(), 0u);
  EXPECT_EQ(fft.getEntrySize(), 0u);
  EXPECT_TRUE(log.empty());

  fft.init(8);
  fft.init(1 << 30);  // far beyond any window a script needs: reported, ignored
  EXPECT_EQ(fft.samples().size(), 16u);
  EXPECT_EQ(log.entries("rk::math::FFT::init"), 1u);

  // Six entries are no power of two: the transform would index past the end.
  fft.init(3);
  fft.calc(1);
  ASSERT_EQ(fft.getResultSize(), 6u);
  for (std::size_t j = 0; j < 6; ++j) EXPECT_EQ(fft.result()[j].real, static_cast<float>(j));
}

TEST(FFT, EmptyAndSingleEntryWindowsStayInBounds) {
  FFT fft;
  fft.resize(0);
  fft.join(1.0f);
  fft.popFront();
  fft.calc(1);
  EXPECT_EQ(fft.getEntrySize(), 0u);
  EXPECT_EQ(fft.getResult(), 0.0f);

  fft.resize(1);
  fft.join(4.0f);
  fft.join(5.0f);
  EXPECT_EQ(fft.samples()[0].imaginary, 5.0f);
  EXPECT_EQ(fft.getEntrySize(), 0u);
  fft.calc(1);
  EXPECT_EQ(fft.getResult(), 5.0f);
}
