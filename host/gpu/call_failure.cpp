#include "host/gpu/call_failure.h"

#include <vector>

namespace host::gpu {
namespace {

struct Injection {
  GpuCall call;
  unsigned skip;
  HResult result;
};

std::vector<Injection>& injections() {
  static std::vector<Injection> list;
  return list;
}

}  // namespace

void injectCallFailure(GpuCall call, HResult result, unsigned skip) { injections().push_back({call, skip, result}); }

void clearInjectedCallFailures() { injections().clear(); }

namespace detail {

HResult takeInjectedFailure(GpuCall call) {
  std::vector<Injection>& list = injections();
  HResult fired = S_OK;
  for (auto it = list.begin(); it != list.end();) {
    if (it->call != call) {
      ++it;
    } else if (it->skip > 0) {
      --it->skip;
      ++it;
    } else if (fired == S_OK) {
      fired = it->result;
      it = list.erase(it);
    } else {
      ++it;  // a second injection due on the same call waits for the next one
    }
  }
  return fired;
}

}  // namespace detail
}  // namespace host::gpu
