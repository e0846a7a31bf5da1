// DDS textures. Stands in for the Direct3D 12 helpers that create a texture
// from DDS bytes in memory and the resource upload batch that copies its data.
//
// Offers:
//   parse                    reads the header (with or without the DX10
//                            extension) and checks every surface against the
//                            file's size; never reads past the bytes given
//   UploadBatch              begin / upload / transition / end on a queue
//   createTextureFromMemory  a 2-D texture (with its mips) made, uploaded and
//                            left in the pixel-shader-resource state
// Formats: 8-bit RGBA/BGRA/BGRX, 16-bit 565/5551/4444, R8, A8, R8G8, R16,
// float formats, BC1-BC5 and BC7. Bad data fails with an HRESULT.
#pragma once
#include <cstddef>
#include <cstdint>
#include <future>
#include <vector>

#include "host/gpu.h"
#include "host/hresult.h"

namespace host::dds {

// Failures, with the values Windows gives these Win32 errors as HRESULTs.
constexpr HResult HR_ERROR_HANDLE_EOF = static_cast<HResult>(0x80070026u);       // the file ends too soon
constexpr HResult HR_ERROR_INVALID_DATA = static_cast<HResult>(0x8007000Du);     // not a well-formed DDS file
constexpr HResult HR_ERROR_NOT_SUPPORTED = static_cast<HResult>(0x80070032u);    // a layout or format not handled

// Load flags; the numbers are those the program passes.
enum : unsigned {
  DDS_LOADER_DEFAULT = 0,
  DDS_LOADER_FORCE_SRGB = 0x1,  // make the texture with the sRGB variant of its format
};

struct Surface {
  std::uint32_t width = 0, height = 0;
  std::uint64_t offset = 0;    // from the start of the file
  std::uint64_t rowBytes = 0;  // one row of pixels or 4x4 blocks
  std::uint32_t rows = 0;
  std::uint64_t bytes = 0;     // rowBytes x rows (x depth for volume slices)
};

struct Image {
  gpu::Format format = gpu::DXGI_FORMAT_UNKNOWN;
  gpu::ResourceDimension dimension = gpu::D3D12_RESOURCE_DIMENSION_TEXTURE2D;
  std::uint32_t width = 0, height = 0, depth = 1;
  std::uint32_t arraySize = 1;  // faces x slices for a cube map
  std::uint32_t mipCount = 1;
  bool cube = false;
  std::vector<Surface> surfaces;  // slice by slice, each with its mips in order
};

HResult parse(const std::uint8_t* data, std::size_t size, Image* image);

struct SubresourceData {
  const void* data = nullptr;
  std::int64_t rowPitch = 0;
  std::int64_t slicePitch = 0;
};

class UploadBatch {
 public:
  explicit UploadBatch(gpu::Device* device);
  ~UploadBatch();
  UploadBatch(const UploadBatch&) = delete;
  UploadBatch& operator=(const UploadBatch&) = delete;

  HResult begin(gpu::CommandListType type = gpu::D3D12_COMMAND_LIST_TYPE_DIRECT);
  bool isRecording() const { return list_ && list_->isRecording(); }
  // Copies the data of subresources first..first+count-1 through an upload
  // buffer. E_UNEXPECTED outside begin/end.
  HResult upload(gpu::Resource* resource, std::uint32_t firstSubresource, const SubresourceData* data,
                 std::uint32_t count);
  void transition(gpu::Resource* resource, gpu::ResourceStates before, gpu::ResourceStates after);
  // Executes the recorded work on the queue. The future is ready once the GPU
  // has finished it (waiting on it waits for the GPU); the upload buffers are
  // released then. An invalid future when the batch was not recording.
  std::future<void> end(gpu::CommandQueue* queue);

 private:
  gpu::Ref<gpu::Device> device_;
  gpu::Ref<gpu::CommandAllocator> allocator_;
  gpu::Ref<gpu::GraphicsCommandList> list_;
  std::vector<gpu::Ref<gpu::Resource>> staging_;
};

// Creates a 2-D texture from DDS bytes and records its upload in the batch.
// maxSize 0 allows the largest 2-D texture; larger top mips are skipped.
// Cube maps, arrays and volumes are HR_ERROR_NOT_SUPPORTED.
HResult createTextureFromMemory(gpu::Device* device, UploadBatch& batch, const std::uint8_t* data, std::size_t size,
                                gpu::Ref<gpu::Resource>* texture, std::size_t maxSize = 0,
                                gpu::ResourceFlags resourceFlags = gpu::D3D12_RESOURCE_FLAG_NONE,
                                unsigned loadFlags = DDS_LOADER_DEFAULT);

}  // namespace host::dds
