// pack: writes resource packs and compressed files for the data folder.
//
//   pack -o OUT.pkp [--lua] [--base DIR] INPUT...
//       A pack of every file under the given folders and files. Entry names are
//       paths relative to DIR with '/' separators; without --base a folder's
//       names start with the folder's own name ("script/autoexec.lua") and a
//       file's name is its file name. Hidden files (".name") are skipped.
//       --lua converts ".lua" files from UTF-8 to CP932 and stores them under
//       the script name: the extension replaced by ".a" ("script/autoexec.a").
//   pack --container -o OUT FILE
//       FILE as one compressed container (16-byte header and a zlib stream).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fs/rk_compressed_container.h"
#include "host/text.h"
#include "res/rk_pack_writer.h"

namespace {

namespace stdfs = std::filesystem;

struct Options {
  std::string output;
  std::string base;
  bool lua = false;
  bool container = false;
  std::vector<std::string> inputs;
};

int usage() {
  std::fprintf(stderr,
               "usage: pack -o OUT.pkp [--lua] [--base DIR] INPUT...\n"
               "       pack --container -o OUT FILE\n");
  return 2;
}

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "-o" || arg == "--base") && i + 1 < argc) {
      (arg == "-o" ? options.output : options.base) = argv[++i];
    } else if (arg == "--lua") {
      options.lua = true;
    } else if (arg == "--container") {
      options.container = true;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "pack: unknown option %s\n", arg.c_str());
      return false;
    } else {
      options.inputs.push_back(arg);
    }
  }
  return !options.output.empty() && !options.inputs.empty();
}

bool readWhole(const stdfs::path& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool isHidden(const stdfs::path& relative) {
  for (const auto& part : relative)
    if (part.string().size() > 1 && part.string()[0] == '.') return true;
  return false;
}

// Script sources are stored in the program's code page under their script name.
bool toScript(std::string& name, std::vector<std::uint8_t>& bytes) {
  std::string text(bytes.begin(), bytes.end());
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  std::string converted = host::text::utf8ToCp932(text);
  if (converted.empty() && !text.empty()) return false;
  bytes.assign(converted.begin(), converted.end());
  name = name.substr(0, name.rfind('.')) + ".a";
  return true;
}

bool addFile(const stdfs::path& file, const stdfs::path& base, const Options& options,
             std::vector<rk::res::PackEntry>& entries) {
  rk::res::PackEntry entry;
  // Resource names are program strings: CP932.
  const std::string utf8Name = file.lexically_relative(base).generic_string();
  entry.name = host::text::utf8ToCp932(utf8Name);
  if (entry.name.empty()) {
    std::fprintf(stderr, "pack: the name %s cannot be held in CP932\n", utf8Name.c_str());
    return false;
  }
  if (!readWhole(file, entry.bytes)) {
    std::fprintf(stderr, "pack: cannot read %s\n", file.c_str());
    return false;
  }
  if (options.lua && file.extension() == ".lua" && !toScript(entry.name, entry.bytes)) {
    std::fprintf(stderr, "pack: %s is not UTF-8 text that CP932 can hold\n", file.c_str());
    return false;
  }
  entries.push_back(std::move(entry));
  return true;
}

bool collect(const Options& options, std::vector<rk::res::PackEntry>& entries) {
  for (const std::string& input : options.inputs) {
    stdfs::path path = stdfs::absolute(input).lexically_normal();
    if (!path.has_filename()) path = path.parent_path();
    std::error_code ec;
    if (stdfs::is_directory(path, ec)) {
      const stdfs::path base = options.base.empty() ? path.parent_path() : stdfs::absolute(options.base);
      std::vector<stdfs::path> files;
      for (const auto& item : stdfs::recursive_directory_iterator(path, ec))
        if (item.is_regular_file() && !isHidden(item.path().lexically_relative(path))) files.push_back(item.path());
      std::sort(files.begin(), files.end());
      for (const auto& file : files)
        if (!addFile(file, base, options, entries)) return false;
    } else if (stdfs::is_regular_file(path, ec)) {
      const stdfs::path base = options.base.empty() ? path.parent_path() : stdfs::absolute(options.base);
      if (!addFile(path, base, options, entries)) return false;
    } else {
      std::fprintf(stderr, "pack: no such file or folder: %s\n", input.c_str());
      return false;
    }
  }
  std::set<std::string> names;
  for (const auto& entry : entries) {
    if (!names.insert(entry.name).second) {
      std::fprintf(stderr, "pack: two entries named %s\n", entry.name.c_str());
      return false;
    }
  }
  return true;
}

// Native paths here: the tool runs in the build, not inside the program.
bool save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    std::error_code ec;
    if (out) {
      stdfs::rename(temporary, path, ec);
      if (!ec) return true;
    }
    stdfs::remove(temporary, ec);
  }
  std::fprintf(stderr, "pack: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) return usage();

  std::vector<std::uint8_t> file;
  if (options.container) {
    std::vector<std::uint8_t> bytes;
    if (options.inputs.size() != 1 || !readWhole(options.inputs[0], bytes)) return usage();
    if (rk::fs::compressContainer(bytes.data(), bytes.size(), file) != 0) return 1;
    return save(options.output, file) ? 0 : 1;
  }

  std::vector<rk::res::PackEntry> entries;
  if (!collect(options, entries)) return 1;
  std::sort(entries.begin(), entries.end(),
            [](const rk::res::PackEntry& a, const rk::res::PackEntry& b) { return a.name < b.name; });
  if (!rk::res::buildPackFile(entries, file)) return 1;
  return save(options.output, file) ? 0 : 1;
}
