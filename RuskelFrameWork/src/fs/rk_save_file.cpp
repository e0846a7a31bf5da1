#include "fs/rk_save_file.h"

#include <cstdio>

#include "host/fs.h"

namespace rk::fs {

bool saveFileReplacing(const std::string& path, const void* bytes, std::size_t size) {
  const std::string temporary = path + ".tmp";
  std::FILE* file = host::fs::open(temporary, "wb");
  if (!file) return false;
  bool written = size == 0 || std::fwrite(bytes, 1, size, file) == size;
  written = std::fclose(file) == 0 && written;
  if (written) written = host::fs::replaceFile(temporary, path);
  if (!written) host::fs::removeFile(temporary);
  return written;
}

}  // namespace rk::fs
