// Particle effects. Stands in for the external particle runtime (its manager,
// its Direct3D 12 renderer and its effect files) with a small runtime of our
// own, drawn through host/gpu.
//
// Offers, in namespace host::effect:
//   readEffect / writeEffect  our versioned effect file (host/effect/README.md),
//                             checked against its real byte count and checksum
//   Effect                    one loaded effect, shared by the instances playing it
//   Manager                   instances by handle: play, exists, stop, stop-root,
//                             location, rotation, scale, matrix, colour, speed,
//                             pause, shown; update in 1/60 s frames
//   parseEffectText           the readable description tools/effect writes from
//   Renderer                  per-camera view and projection, an upload ring per
//                             frame in flight, camera-facing quads drawn with
//                             the framework's position-colour-uv pipeline in
//                             alpha or additive blending; rebuilt after a device loss
// Test mode: the manager answers what each instance is doing (time, particles,
// matrix, colour); on the trace back end every quad drawn is in the trace.
#pragma once

#include "host/effect/format.h"
#include "host/effect/manager.h"
#include "host/effect/renderer.h"
#include "host/effect/text_format.h"
