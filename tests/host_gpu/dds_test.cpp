// DDS files: the formats and layouts the reader accepts, truncated and corrupt
// files (each read from a buffer of exactly its size, so the sanitizer build
// catches any read past the end), and textures made and uploaded from them.
#include <gtest/gtest.h>

#include <memory>

#include "gpu_rig.h"
#include "host/dds.h"

namespace {

using namespace gpurig;
using namespace host::dds;

constexpr std::uint32_t DDPF_ALPHAPIXELS = 0x1, DDPF_ALPHA = 0x2, DDPF_FOURCC = 0x4, DDPF_RGB = 0x40,
                        DDPF_LUMINANCE = 0x20000;

constexpr std::uint32_t fourCC(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) | std::uint32_t(std::uint8_t(s[1])) << 8 |
         std::uint32_t(std::uint8_t(s[2])) << 16 | std::uint32_t(std::uint8_t(s[3])) << 24;
}

struct DdsLayout {
  std::uint32_t width = 4, height = 4, mips = 1;
  std::uint32_t pfFlags = DDPF_RGB | DDPF_ALPHAPIXELS, code = 0, bits = 32;
  std::uint32_t r = 0xff, g = 0xff00, b = 0xff0000, a = 0xff000000;
  bool dx10 = false;
  std::uint32_t dxgiFormat = DXGI_FORMAT_R8G8B8A8_UNORM, dimension = 3, misc = 0, arraySize = 1;
  std::uint32_t caps2 = 0, depth = 0, headerSize = 124, pfSize = 32, magic = 0x20534444;
};

// The file for a layout, with `dataBytes` bytes of a counting pattern after the headers.
std::vector<std::uint8_t> makeDds(const DdsLayout& s, std::size_t dataBytes) {
  std::vector<std::uint32_t> w(32, 0);
  w[0] = s.magic;
  w[1] = s.headerSize;
  w[2] = 0x1007 | (s.mips > 1 ? 0x20000 : 0) | (s.depth ? 0x800000 : 0);
  w[3] = s.height;
  w[4] = s.width;
  w[6] = s.depth;
  w[7] = s.mips;
  w[19] = s.pfSize;
  w[20] = s.dx10 ? DDPF_FOURCC : s.pfFlags;
  w[21] = s.dx10 ? fourCC("DX10") : s.code;
  w[22] = s.bits;
  w[23] = s.r;
  w[24] = s.g;
  w[25] = s.b;
  w[26] = s.a;
  w[27] = 0x1000;
  w[28] = s.caps2;
  if (s.dx10) w.insert(w.end(), {s.dxgiFormat, s.dimension, s.misc, s.arraySize, 0});
  std::vector<std::uint8_t> out(w.size() * 4 + dataBytes);
  std::memcpy(out.data(), w.data(), w.size() * 4);
  for (std::size_t i = 0; i < dataBytes; ++i) out[w.size() * 4 + i] = static_cast<std::uint8_t>(i * 7 + 3);
  return out;
}

// Parses a copy that is exactly `size` bytes long.
HResult parseExactly(const std::vector<std::uint8_t>& file, std::size_t size, Image* image) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size]);
  std::memcpy(copy.get(), file.data(), size);
  return parse(copy.get(), size, image);
}

std::vector<std::uint64_t> surfaceBytes(const Image& image) {
  std::vector<std::uint64_t> out;
  for (const Surface& s : image.surfaces) out.push_back(s.bytes);
  return out;
}

TEST(DdsReader, ReadsTheFormatsAndMipChainsOfTheGame) {
  struct Case {
    const char* name;
    DdsLayout layout;
    Format format;
    std::vector<std::uint64_t> bytes;
  };
  auto rgb = [](std::uint32_t bits, std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a,
                std::uint32_t flags = DDPF_RGB | DDPF_ALPHAPIXELS) {
    DdsLayout s;
    s.pfFlags = flags;
    s.bits = bits;
    s.r = r;
    s.g = g;
    s.b = b;
    s.a = a;
    return s;
  };
  auto compressed = [](const char (&code)[5], std::uint32_t size, std::uint32_t mips) {
    DdsLayout s;
    s.pfFlags = DDPF_FOURCC;
    s.code = fourCC(code);
    s.width = s.height = size;
    s.mips = mips;
    return s;
  };
  DdsLayout dx10 = compressed("DX10", 16, 3);
  dx10.dx10 = true;
  dx10.dxgiFormat = DXGI_FORMAT_BC7_UNORM_SRGB;
  DdsLayout odd = rgb(32, 0xff0000, 0xff00, 0xff, 0xff000000);
  odd.width = 5;
  odd.height = 3;
  odd.mips = 3;
  const Case cases[] = {
      {"RGBA", rgb(32, 0xff, 0xff00, 0xff0000, 0xff000000), DXGI_FORMAT_R8G8B8A8_UNORM, {64}},
      {"BGRA", rgb(32, 0xff0000, 0xff00, 0xff, 0xff000000), DXGI_FORMAT_B8G8R8A8_UNORM, {64}},
      {"BGRX (alpha mask not flagged)", rgb(32, 0xff0000, 0xff00, 0xff, 0xff000000, DDPF_RGB),
       DXGI_FORMAT_B8G8R8X8_UNORM, {64}},
      {"565", rgb(16, 0xf800, 0x7e0, 0x1f, 0, DDPF_RGB), DXGI_FORMAT_B5G6R5_UNORM, {32}},
      {"4444", rgb(16, 0xf00, 0xf0, 0xf, 0xf000), DXGI_FORMAT_B4G4R4A4_UNORM, {32}},
      {"luminance", rgb(8, 0xff, 0, 0, 0, DDPF_LUMINANCE), DXGI_FORMAT_R8_UNORM, {16}},
      {"alpha", rgb(8, 0, 0, 0, 0xff, DDPF_ALPHA), DXGI_FORMAT_A8_UNORM, {16}},
      {"DXT1 with mips", compressed("DXT1", 16, 5), DXGI_FORMAT_BC1_UNORM, {128, 32, 8, 8, 8}},
      {"DXT3", compressed("DXT3", 8, 4), DXGI_FORMAT_BC2_UNORM, {64, 16, 16, 16}},
      {"DXT5", compressed("DXT5", 8, 1), DXGI_FORMAT_BC3_UNORM, {64}},
      {"DX10 BC7", dx10, DXGI_FORMAT_BC7_UNORM_SRGB, {256, 64, 16}},
      {"odd sizes", odd, DXGI_FORMAT_B8G8R8A8_UNORM, {60, 8, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint64_t total = 0;
    for (std::uint64_t b : c.bytes) total += b;
    const auto file = makeDds(c.layout, total);
    Image image;
    ASSERT_EQ(parseExactly(file, file.size(), &image), S_OK);
    EXPECT_EQ(image.format, c.format);
    EXPECT_EQ(image.mipCount, c.bytes.size());
    EXPECT_EQ(surfaceBytes(image), c.bytes);
    EXPECT_EQ(image.surfaces.back().offset + image.surfaces.back().bytes, file.size());
  }
}

TEST(DdsReader, TruncatedFilesEndWithHandleEof) {
  DdsLayout legacy;
  legacy.pfFlags = DDPF_FOURCC;
  legacy.code = fourCC("DXT1");
  legacy.width = legacy.height = 16;
  legacy.mips = 5;
  DdsLayout extended = legacy;
  extended.dx10 = true;
  extended.dxgiFormat = DXGI_FORMAT_BC1_UNORM;
  for (const DdsLayout& layout : {legacy, extended}) {
    const auto file = makeDds(layout, 184);
    const std::size_t headers = layout.dx10 ? 148 : 128;
    SCOPED_TRACE(headers);
    const std::size_t cuts[] = {0, 1, 3, 4, 64, 127, 128, 147, headers, headers + 1, headers + 127, headers + 128,
                                headers + 175, file.size() - 1};
    for (std::size_t cut : cuts) {
      SCOPED_TRACE(cut);
      Image image;
      EXPECT_EQ(parseExactly(file, cut, &image), HR_ERROR_HANDLE_EOF);
    }
    Image image;
    EXPECT_EQ(parseExactly(file, file.size(), &image), S_OK);
  }
}

TEST(DdsReader, MalformedHeadersAreRefusedWithTheirReason) {
  struct Case {
    const char* name;
    std::function<void(DdsLayout&)> change;
    HResult expected;
  };
  const Case cases[] = {
      {"wrong magic", [](DdsLayout& s) { s.magic = 0x20534445; }, HR_ERROR_INVALID_DATA},
      {"header size", [](DdsLayout& s) { s.headerSize = 123; }, HR_ERROR_INVALID_DATA},
      {"pixel format size", [](DdsLayout& s) { s.pfSize = 0; }, HR_ERROR_INVALID_DATA},
      {"no width", [](DdsLayout& s) { s.width = 0; }, HR_ERROR_INVALID_DATA},
      {"more mips than the chain", [](DdsLayout& s) { s.mips = 4; }, HR_ERROR_INVALID_DATA},
      {"24-bit RGB", [](DdsLayout& s) { s.bits = 24; s.a = 0; }, HR_ERROR_NOT_SUPPORTED},
      {"unknown FourCC", [](DdsLayout& s) { s.pfFlags = DDPF_FOURCC; s.code = fourCC("ABCD"); }, HR_ERROR_NOT_SUPPORTED},
      {"too wide", [](DdsLayout& s) { s.width = 20000; }, HR_ERROR_NOT_SUPPORTED},
      {"partial cube", [](DdsLayout& s) { s.caps2 = 0x200 | 0x400; }, HR_ERROR_NOT_SUPPORTED},
      {"DX10 empty array", [](DdsLayout& s) { s.dx10 = true; s.arraySize = 0; }, HR_ERROR_INVALID_DATA},
      {"DX10 huge array", [](DdsLayout& s) { s.dx10 = true; s.arraySize = 100000; }, HR_ERROR_NOT_SUPPORTED},
      {"DX10 unknown format", [](DdsLayout& s) { s.dx10 = true; s.dxgiFormat = 9999; }, HR_ERROR_NOT_SUPPORTED},
      {"DX10 unknown dimension", [](DdsLayout& s) { s.dx10 = true; s.dimension = 7; }, HR_ERROR_INVALID_DATA},
      {"DX10 tall 1-D texture", [](DdsLayout& s) { s.dx10 = true; s.dimension = 2; }, HR_ERROR_INVALID_DATA},
      {"largest size, no data", [](DdsLayout& s) { s.width = s.height = 16384; s.mips = 15; }, HR_ERROR_HANDLE_EOF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DdsLayout layout;
    c.change(layout);
    const auto file = makeDds(layout, 64);
    Image image;
    EXPECT_EQ(parseExactly(file, file.size(), &image), c.expected);
  }
}

TEST(DdsReader, NoHeaderByteCanMakeItReadOutsideTheFile) {
  DdsLayout layout;
  layout.dx10 = true;
  layout.width = layout.height = 8;
  layout.mips = 4;
  const auto file = makeDds(layout, 256 + 64 + 16 + 4);
  for (std::size_t at = 0; at < 148; ++at) {
    for (std::uint8_t value : {std::uint8_t{0}, std::uint8_t{0x7f}, std::uint8_t{0xff}}) {
      auto bent = file;
      bent[at] = value;
      Image image;
      if (parseExactly(bent, bent.size(), &image) != S_OK) continue;
      for (const Surface& s : image.surfaces) EXPECT_LE(s.offset + s.bytes, bent.size()) << "byte " << at;
    }
  }
}

class DdsTextures : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.make(Driver::Trace)); }
  void TearDown() override { resetAdapterList(); }

  HResult load(const std::vector<std::uint8_t>& file, Ref<Resource>* texture, std::size_t maxSize = 0,
               unsigned flags = DDS_LOADER_DEFAULT) {
    UploadBatch batch(rig.device.get());
    EXPECT_EQ(batch.begin(), S_OK);
    const HResult hr = createTextureFromMemory(rig.device.get(), batch, file.data(), file.size(), texture, maxSize,
                                               D3D12_RESOURCE_FLAG_NONE, flags);
    batch.end(rig.queue.get()).wait();
    return hr;
  }
  DdsLayout rgba8x4() {
    DdsLayout s;
    s.width = 8;
    s.height = 4;
    s.mips = 4;
    return s;
  }
  Rig rig;
};

TEST_F(DdsTextures, EveryMipArrivesAndTheTextureEndsReadyForShaders) {
  const auto file = makeDds(rgba8x4(), 128 + 32 + 8 + 4);
  Ref<Resource> texture;
  ASSERT_EQ(load(file, &texture), S_OK);
  const ResourceDesc& d = texture->getDesc();
  EXPECT_EQ(d.format, DXGI_FORMAT_R8G8B8A8_UNORM);
  EXPECT_EQ(d.width, 8u);
  EXPECT_EQ(d.height, 4u);
  EXPECT_EQ(d.mipLevels, 4);
  EXPECT_EQ(texture->trackedState(), D3D12_RESOURCE_STATE_PIXEL_SHADER_RESOURCE);
  std::size_t offset = 128;
  const std::size_t sizes[] = {128, 32, 8, 4};
  for (std::uint32_t mip = 0; mip < 4; ++mip) {
    SCOPED_TRACE(mip);
    const std::vector<std::uint8_t>& bytes = texture->subresourceBytes(mip);
    ASSERT_EQ(bytes.size(), sizes[mip]);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(offset)));
    offset += bytes.size();
  }
  const std::vector<CommandKind> expected = {CommandKind::CopyTextureRegion, CommandKind::CopyTextureRegion,
                                             CommandKind::CopyTextureRegion, CommandKind::CopyTextureRegion,
                                             CommandKind::ResourceBarrier};
  EXPECT_EQ(rig.device->trace()->kinds(), expected);
  EXPECT_EQ(rig.device->trace()->entries[0].list, "upload batch");
  EXPECT_TRUE(rig.device->trace()->errors.empty());
}

TEST_F(DdsTextures, LoadFlagsAndSizeLimitShapeTheTexture) {
  const auto file = makeDds(rgba8x4(), 128 + 32 + 8 + 4);
  Ref<Resource> texture;
  ASSERT_EQ(load(file, &texture, 4, DDS_LOADER_FORCE_SRGB), S_OK);
  EXPECT_EQ(texture->getDesc().format, DXGI_FORMAT_R8G8B8A8_UNORM_SRGB);
  EXPECT_EQ(texture->getDesc().width, 4u) << "the 8-wide top mip is over the limit";
  EXPECT_EQ(texture->getDesc().mipLevels, 3);
  const std::vector<std::uint8_t>& top = texture->subresourceBytes(0);
  EXPECT_TRUE(std::equal(top.begin(), top.end(), file.begin() + 128 + 128));
  Ref<Resource> tooBig;
  DdsLayout single = rgba8x4();
  single.mips = 1;
  EXPECT_EQ(load(makeDds(single, 128), &tooBig, 4), HR_ERROR_NOT_SUPPORTED);
  EXPECT_FALSE(tooBig);
}

TEST_F(DdsTextures, RefusedFilesMakeNoTexture) {
  DdsLayout cube;
  cube.dx10 = true;
  cube.misc = 0x4;
  DdsLayout volume;
  volume.depth = 2;
  volume.caps2 = 0x200000;
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
    HResult expected;
  };
  const auto whole = makeDds(rgba8x4(), 172);
  const Case cases[] = {
      {"cube map", makeDds(cube, 6 * 64), HR_ERROR_NOT_SUPPORTED},
      {"volume", makeDds(volume, 128), HR_ERROR_NOT_SUPPORTED},
      {"truncated", std::vector<std::uint8_t>(whole.begin(), whole.end() - 1), HR_ERROR_HANDLE_EOF},
      {"empty", {}, HR_ERROR_HANDLE_EOF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Ref<Resource> texture;
    EXPECT_EQ(load(c.file, &texture), c.expected);
    EXPECT_FALSE(texture);
  }
  UploadBatch idle(rig.device.get());
  Ref<Resource> texture;
  EXPECT_EQ(createTextureFromMemory(rig.device.get(), idle, whole.data(), whole.size(), &texture), E_UNEXPECTED);
  EXPECT_FALSE(idle.end(rig.queue.get()).valid());
}

}  // namespace
