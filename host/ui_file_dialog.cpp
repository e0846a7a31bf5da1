// File dialogs: no desktop dialog is available through SDL, so a request is
// answered by the test sink when one is installed and is otherwise cancelled.
#include <mutex>
#include <utility>

#include "host/ui.h"

namespace host::ui {

namespace {
std::mutex sinkMutex;
FileDialogSink sink;
}  // namespace

bool showFileDialog(FileDialogRequest& request) {
  FileDialogSink answer;
  {
    std::lock_guard<std::mutex> lock(sinkMutex);
    answer = sink;
  }
  return answer ? answer(request) : false;
}

void setFileDialogSink(FileDialogSink newSink) {
  std::lock_guard<std::mutex> lock(sinkMutex);
  sink = std::move(newSink);
}

}  // namespace host::ui
