// Saving a whole file safely: the bytes go to a temporary file beside the target,
// which is then renamed over it, so a failed write never destroys the old file.
#pragma once
#include <cstddef>
#include <string>

namespace rk::fs {

// False when the file could not be written completely (the old file, if any,
// is then unchanged and no temporary file is left behind).
bool saveFileReplacing(const std::string& path, const void* bytes, std::size_t size);

}  // namespace rk::fs
