// Asset names (requested name to stored file) and the writer of compressed
// containers.
#include <zlib.h>

#include <vector>

#include "fs/rk_compressed_container.h"
#include "fs/rk_file_manager.h"
#include "fs/rk_save_file.h"
#include "host/ui.h"

namespace rk::fs {

namespace {

struct ExtensionRule {
  const char* requested;
  const char* stored;
  bool compressed;
};

// Extensions the mapping rewrites or reads specially; every other name is read
// unchanged as plain binary.
constexpr ExtensionRule kRules[] = {
    {".ogg", ".ogg", false}, {".tga", ".dds", false}, {".dds", ".dds", false}, {".ex", ".ex", false},
    {".efk", ".ea", true},   {".bsp", ".bpa", true},  {".obj", ".oba", true},  {".sco", ".sca", true},
    {".geo", ".gea", true},
};

}  // namespace

bool FileManager::mapAssetName(std::string& stored, std::string& mode, const std::string& requested) {
  mode = "rb";
  const std::size_t dot = requested.rfind('.');
  if (dot == std::string::npos) {
    stored = requested + ".a";
    return true;
  }
  const std::string extension = requested.substr(dot);
  const std::string base = requested.substr(0, dot);
  if (extension == ".dat") {
    stored = requested;
    mode = "r";
    return false;
  }
  for (const ExtensionRule& rule : kRules) {
    if (extension == rule.requested) {
      stored = base + rule.stored;
      return rule.compressed;
    }
  }
  stored = requested;
  return false;
}

bool FileManager::compressFile(const char* name, const void* data, std::uint32_t size) {
  const std::string requested = name ? name : "";
  std::string stored, mode;
  mapAssetName(stored, mode, requested);

  std::vector<std::uint8_t> container;
  int result = compressContainer(data, size, container);
  if (result != Z_OK) {
    std::string text = "「" + stored + "」の圧縮に失敗しました。\n";
    if (result == Z_BUF_ERROR) text += "原因：「出力バッファ不足」\b";
    if (result == Z_MEM_ERROR) text += "原因：「メモリ不足」\b";
    host::ui::messageBox(nullptr, text, "圧縮に失敗", host::ui::MB_OK);
    return false;
  }

  // Saved through a temporary file, so a failed write keeps the previous scores.
  if (saveFileReplacing(stored, container.data(), container.size())) return true;
  host::ui::messageBox(nullptr, "「" + requested + "」の作成に失敗しました。", "圧縮に失敗", host::ui::MB_OK);
  return false;
}

}  // namespace rk::fs
