// The font dialog: SDL offers none, so a request is answered by the test sink
// when one is installed and is otherwise cancelled.
#include <mutex>
#include <utility>

#include "host/ui.h"

namespace host::ui {

namespace {
std::mutex sinkMutex;
FontDialogSink sink;
}  // namespace

bool showFontDialog(FontDialogRequest& request) {
  FontDialogSink answer;
  {
    std::lock_guard<std::mutex> lock(sinkMutex);
    answer = sink;
  }
  return answer ? answer(request) : false;
}

void setFontDialogSink(FontDialogSink newSink) {
  std::lock_guard<std::mutex> lock(sinkMutex);
  sink = std::move(newSink);
}

}  // namespace host::ui
