// The script cache: the preloaded scripts that every script task runs, each
// once and on a coroutine thread of its own, before its modules and its script.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "res/rk_resource.h"

namespace rk::script {

class ScriptCache {
 public:
  struct Entry {
    int key;  // res::nameKey of the name
    std::string name;
    res::ResourcePtr resource;
  };

  static ScriptCache* createInstance();
  static ScriptCache* getInstance();
  // Releases every entry and the cache.
  static void destroyInstance();

  ScriptCache() = default;
  ScriptCache(const ScriptCache&) = delete;
  ScriptCache& operator=(const ScriptCache&) = delete;

  // Appends the script of that name, requested from the file manager like a
  // script task's own script (a script of the pack is found at once).
  void add(const char* name);
  void clear();
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
  std::multimap<int, std::size_t> lookup_;  // kept empty
};

}  // namespace rk::script
