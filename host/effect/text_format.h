// The readable description of an effect that tools/effect turns into effect
// files: one block per emitter, one setting per line, '#' starts a comment.
//
//   emitter
//     blend additive            additive | alpha
//     texture disc              solid | disc | ring | spark
//     burst 40                  particles at the start
//     rate 2                    particles per frame
//     emit 30                   for how many frames
//     delay 5                   after how many frames
//     life 30 5                 frames, and an optional +- spread
//     radius 0.2
//     velocity 0 0.05 0
//     spread 0.1 0.1 0.1        +- random part of the velocity
//     acceleration 0 -0.002 0
//     colour 1 0.8 0.3 1 -> 1 0.2 0 0
//     size 0.5 -> 1.5
//   end
//
// Settings left out keep the defaults of EmitterDesc. Every emitter is checked
// as the file reader checks it.
#pragma once
#include <string>

#include "host/effect/format.h"

namespace host::effect {

// False with `error` naming the line and the fault.
bool parseEffectText(const std::string& text, EffectDesc* effect, std::string* error);

}  // namespace host::effect
