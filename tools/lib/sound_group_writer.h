// Sound-group files: requested as "<name>.bsp", stored as the compressed
// container "<name>.bpa". The content lists Ogg file names relative to the
// sound-effect root folder: table offset and count, the offset table, then the
// NUL-terminated names (CP932).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace rktools {

std::string soundGroupContent(const std::vector<std::string>& names);
// The stored file: the container's 16-byte header and the zlib stream of the
// content. Empty when compression fails.
std::vector<std::uint8_t> soundGroupFile(const std::vector<std::string>& names);

}  // namespace rktools
