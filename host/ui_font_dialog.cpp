// The font dialog: SDL offers none, so a request is answered by the test sink
// when one is installed and is otherwise cancelled.
#include <utility>

#include "host/ui.h"
#include "host/ui_sink.h"

namespace host::ui {

namespace {
detail::SinkSlot<FontDialogSink> sink;
}  // namespace

bool showFontDialog(FontDialogRequest& request) {
  FontDialogSink answer = sink.get();
  return answer ? answer(request) : false;
}

void setFontDialogSink(FontDialogSink newSink) { sink.set(std::move(newSink)); }

}  // namespace host::ui
