// GPU services. Stands in for Direct3D 12, DXGI and the D3DCompiler blob,
// over OpenGL 3.3 core.
//
// Offers D3D12-shaped objects in namespace host::gpu, with the Windows numbers
// (HRESULTs, DXGI formats, resource states, topologies, blend, compare and
// stencil enumerations, descriptor handle arithmetic):
//   createFactory / Factory      adapters by GPU preference, adapters-changed
//                                cookie, swap chain for the game window
//   createDevice / Device        queue, allocators, command lists, fences,
//                                descriptor heaps, committed resources, views,
//                                root signatures, pipeline states, footprints
//   CommandQueue, Fence, Event   execute, signal, wait
//   GraphicsCommandList          records on the CPU, replayed at execute
//   Resource                     buffers (upload/readback map persistently) and
//                                2-D textures
//   SwapChain                    flip-model buffers, present, resize
//   createBlob, serializeRootSignature
// Two back ends, chosen by the adapter a device is made on: OpenGL (the
// system's adapter) and trace (test adapters), which records every executed
// command and draw in a Trace (host/gpu/trace.h) instead of drawing.
// Kept Direct3D rules: depth range 0..1 with clamping when depth clip is off,
// viewports and scissors with y downward, matrices in constant buffers as
// written (row vectors in the shaders), clears that ignore scissor and write
// masks, no depth or stencil test without a depth-stencil view, dynamic
// stencil reference. Shaders are GLSL 3.30 sources carried under the compiled
// shader file names the renderer loads (data/shaders/*.cso); their conventions
// are in host/gpu/pipeline.h.
// Test hooks: setAdapterList / traceAdapterList, injectPresentResult,
// injectCallFailure, CommandQueue::holdCompletion.
#pragma once

#include "host/gpu/call_failure.h"
#include "host/gpu/command_list.h"
#include "host/gpu/descriptor_heap.h"
#include "host/gpu/descs.h"
#include "host/gpu/device.h"
#include "host/gpu/enums.h"
#include "host/gpu/format.h"
#include "host/gpu/object.h"
#include "host/gpu/pipeline.h"
#include "host/gpu/queue.h"
#include "host/gpu/resource.h"
#include "host/gpu/swap_chain.h"
#include "host/gpu/trace.h"
