// A resource manager and a file manager whose load step the test drives itself,
// over a temporary folder, with the error log captured.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fs/rk_compressed_container.h"
#include "fs/rk_file_manager.h"
#include "res/rk_resource.h"
#include "support/error_log_capture.h"
#include "support/temp_dir.h"

namespace rktest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes toBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline std::string toString(const Bytes& b) { return std::string(b.begin(), b.end()); }

inline Bytes randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(random());
  return out;
}

inline Bytes containerOf(const Bytes& content) {
  Bytes out;
  EXPECT_EQ(rk::fs::compressContainer(content.data(), content.size(), out), 0);
  return out;
}

inline Bytes resourceBytes(const rk::res::ResourceData& r) {
  return r.data() ? Bytes(r.data(), r.data() + r.size()) : Bytes();
}

class LoadFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    resources_ = rk::res::ResourceManager::createInstance();
    files_ = rk::fs::FileManager::createInstance(resources_, false);
  }
  void TearDown() override {
    rk::fs::FileManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
  }

  std::string write(const std::string& name, const Bytes& bytes) {
    writeBytes(dir_.file(name), toString(bytes));
    return dir_.file(name);
  }
  std::string path(const std::string& name) const { return dir_.file(name); }

  // One pass of each side: the load step, then the main thread's notify.
  void pass() {
    files_->loadStep();
    files_->notify();
  }
  // Passes until the resource is loaded; false when it never is.
  bool pumpUntilLoaded(const rk::res::ResourcePtr& resource, int maxPasses = 200) {
    for (int i = 0; i < maxPasses && !resource->isLoaded(); ++i) pass();
    return resource->isLoaded();
  }
  // Passes until every load has finished and the record is idle again.
  void drain(int maxPasses = 400) {
    for (int i = 0; i < maxPasses && (files_->queuedCount() || files_->transferState() != 0); ++i) pass();
  }

  ErrorLogCapture log_;
  TempDir dir_;
  rk::res::ResourceManager* resources_ = nullptr;
  rk::fs::FileManager* files_ = nullptr;
};

}  // namespace rktest
