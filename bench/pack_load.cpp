// Loading a 50 MiB compressed pack through the file manager and its load
// thread, against reading the same file and inflating it with zlib's
// uncompress into a fresh buffer.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "fs/rk_compressed_container.h"
#include "fs/rk_file_manager.h"
#include "res/rk_resource.h"

namespace {

constexpr std::size_t kPackSize = 50u << 20;

// Texture-like content: smooth ramps with a little noise, so that it packs to
// roughly half its size.
class PackFile {
 public:
  PackFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rkbench-XXXXXX").string();
    if (char* made = mkdtemp(pattern.data())) dir_ = made;
    path_ = dir_ + "/bench.pak";
    std::vector<std::uint8_t> content(kPackSize);
    std::mt19937 rng(7);
    for (std::size_t i = 0; i < content.size(); ++i)
      content[i] = static_cast<std::uint8_t>((i >> 6) + (rng() & 15));
    std::vector<std::uint8_t> packed;
    rk::fs::compressContainer(content.data(), content.size(), packed);
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    std::fwrite(packed.data(), 1, packed.size(), f);
    std::fclose(f);
  }
  ~PackFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string dir_, path_;
};

const PackFile& pack() {
  static PackFile file;
  return file;
}

void PackLoad(benchmark::State& state) {
  const std::string& path = pack().path();
  for (auto _ : state) {
    rk::res::ResourceManager* resources = rk::res::ResourceManager::createInstance();
    rk::fs::FileManager* files = rk::fs::FileManager::createInstance(resources, true);
    {
      rk::res::ResourcePtr r = files->loadFile(path, "rb", true, nullptr);
      // The main thread's side as a run loop that sleeps between passes: a
      // chunk waits at most a pass for its hand-over, and the main thread
      // leaves the load thread the processor meanwhile.
      while (!r->isLoaded()) {
        files->notify();
        if (!r->isLoaded()) std::this_thread::sleep_for(std::chrono::microseconds(50));
      }
      benchmark::DoNotOptimize(r->data());
    }
    rk::fs::FileManager::destroyInstance();
    rk::res::ResourceManager::destroyInstance();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kPackSize));
}

void RawUncompress(benchmark::State& state) {
  const std::string& path = pack().path();
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::uint32_t header[4];
    if (std::fread(header, 1, sizeof header, f) != sizeof header) state.SkipWithError("short header");
    std::fseek(f, 0, SEEK_END);
    const long length = std::ftell(f) - static_cast<long>(sizeof header);
    std::fseek(f, sizeof header, SEEK_SET);
    std::unique_ptr<std::uint8_t[]> in(new std::uint8_t[length]);
    if (std::fread(in.get(), 1, length, f) != static_cast<std::size_t>(length)) state.SkipWithError("short read");
    std::fclose(f);
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[kPackSize]);
    uLongf size = kPackSize;
    if (uncompress(out.get(), &size, in.get(), length) != Z_OK) state.SkipWithError("inflate failed");
    benchmark::DoNotOptimize(out.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kPackSize));
}

}  // namespace

BENCHMARK(PackLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RawUncompress)->Unit(benchmark::kMillisecond)->UseRealTime();
