// File dialogs: no desktop dialog is available through SDL, so a request is
// answered by the test sink when one is installed and is otherwise cancelled.
#include <utility>

#include "host/ui.h"
#include "host/ui_sink.h"

namespace host::ui {

namespace {
detail::SinkSlot<FileDialogSink> sink;
}  // namespace

bool showFileDialog(FileDialogRequest& request) {
  FileDialogSink answer = sink.get();
  return answer ? answer(request) : false;
}

void setFileDialogSink(FileDialogSink newSink) { sink.set(std::move(newSink)); }

}  // namespace host::ui
