#include "gfx/rk_model_holder.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace rk::gfx {

namespace {
// Never destroyed: holders may unregister during static teardown.
std::vector<IModelHolder*>& holders() {
  static auto* list = new std::vector<IModelHolder*>;
  return *list;
}
}  // namespace

void registerModelHolder(IModelHolder* holder) { holders().push_back(holder); }

void unregisterModelHolder(IModelHolder* holder) {
  auto& list = holders();
  list.erase(std::remove(list.begin(), list.end(), holder), list.end());
}

void forgetModelEverywhere(const GModel* model) {
  for (IModelHolder* holder : holders()) holder->forgetModel(model);
}

namespace {
// One display per bullet may register: a set keeps leaving cheap.
std::unordered_set<IGfxPartHolder*>& partHolders() {
  static auto* set = new std::unordered_set<IGfxPartHolder*>;
  return *set;
}
}  // namespace

void registerGfxPartHolder(IGfxPartHolder* holder) { partHolders().insert(holder); }
void unregisterGfxPartHolder(IGfxPartHolder* holder) { partHolders().erase(holder); }

void forgetGfxPartEverywhere(const void* part) {
  for (IGfxPartHolder* holder : partHolders()) holder->forgetGfxPart(part);
}

}  // namespace rk::gfx
