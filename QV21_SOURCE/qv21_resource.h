// The game's fixed texts and the accelerator of its window.
#pragma once
#include "host/ui.h"

namespace qv21 {

// String 102: the window class name. String 103: the window caption.
constexpr char kClassName[] = "Quorvandel";
constexpr char kCaption[] = "装甲機兵クォルヴァンデル";
// The save folder is named after the caption followed by this.
constexpr char kSaveFolderSuffix[] = "体験版";

// Alt+Enter sends this command, which nothing handles: the accelerator only
// keeps the key from reaching the window.
constexpr unsigned short kCommandAltEnter = 40001;
inline host::ui::AcceleratorTable makeAccelerators() {
  return {host::ui::Accelerator{true, host::ui::VK_RETURN, kCommandAltEnter}};
}

}  // namespace qv21
